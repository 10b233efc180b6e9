#pragma once
// The language tables the program carries (texts/languages/TAG.txt, made
// into a source at build time).
#include <cstddef>

namespace pellumo {

struct TLanguageSource {
    const char* Tag;    // the file's name: "en", "pt-BR"
    const char* Table;  // its UTF-8 text
    size_t Size;
};

extern const TLanguageSource kLanguageSources[];
extern const size_t kLanguageSourceCount;

}  // namespace pellumo
