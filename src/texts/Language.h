#pragma once
// The program's languages: one table of texts each, carried in the program,
// and the one the user reads. Every text the user sees comes from here; the
// log and the command-line tools stay in English.
#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "texts/TextKeys.h"

namespace pellumo {

// The name of a key as the tables write it ("SetupHintGroup").
const char* KeyName(TText key);
// Whether the key's text is about a number and has plural forms.
bool IsCounted(TText key);
constexpr size_t kTextKeyCount = static_cast<size_t>(TText::CannotStartWatcherThread) + 1;

// The plural forms a language's counted texts have, by the rules of its
// grammar ("one", "few", "many", "other"), and the one a count takes.
std::vector<std::string> PluralForms(const std::string& tag);
std::string PluralForm(const std::string& tag, uint64_t count);

class TLanguage {
public:
    // Reads a table: "KEY = TEXT" lines ("\s" a blank, "\n" a line end,
    // "\\" a backslash), "@Name = ..." its own name for itself, "#" comments.
    // A line that is none of these is kept in Problems.
    TLanguage(std::string tag, const std::string& table);

    const std::string& Tag() const { return tag_; }
    const std::string& Name() const { return name_; }

    // The key's text with %1, %2 ... replaced by Args in order ("%%" a
    // percent sign). A key the table lacks gives English's text.
    std::string Text(TText key, std::initializer_list<std::string> args = {}) const;
    // A counted key's text in the form Count takes, %1 being the count and
    // %2 ... More.
    std::string Counted(TText key, uint64_t count, std::initializer_list<std::string> more = {}) const;

    // What the table holds, by the names it writes ("NewMessages.one"), for the checks.
    const std::map<std::string, std::string>& Entries() const { return entries_; }
    const std::vector<std::string>& Problems() const { return problems_; }

private:
    const std::string* Find(const std::string& name) const;

    std::string tag_, name_;
    std::map<std::string, std::string> entries_;
    std::vector<std::string> problems_;
};

// Every language the program carries, English first, then by tag.
const std::vector<TLanguage>& Languages();
const TLanguage& English();
// The language of that tag in any letter case; null when none.
const TLanguage* FindLanguage(const std::string& tag);

// The program's language for a tag: exactly, else by its first part ("de-AT"
// is German); null when it has none.
const TLanguage* MatchLanguage(const std::string& tag);

// The language for a user: the Language setting when it names one the
// program has (exactly or by its first part: "de-AT" is German), else the
// user's UI language (a Windows LANGID) likewise, else English.
std::string ChooseLanguage(const std::string& setting, uint16_t uiLanguage);

// The language the user reads, English until set. Safe from any thread.
const TLanguage& UserLanguage();
// Sets it; an unknown tag means English.
void SetUserLanguage(const std::string& tag);

// Shorthands in the user's language.
inline std::string Text(TText key, std::initializer_list<std::string> args = {}) {
    return UserLanguage().Text(key, args);
}
inline std::string Counted(TText key, uint64_t count, std::initializer_list<std::string> more = {}) {
    return UserLanguage().Counted(key, count, more);
}

// The character after a lone "&" (the access key), lower-cased when
// ASCII; "&&" is an ampersand. Empty when none.
std::string AccessKeyOf(const std::string& text);

}  // namespace pellumo
