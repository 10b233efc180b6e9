#pragma once
// The two Japanese encodings iconv and Windows read differently, turned into
// Shift_JIS (code page 932) so that one table decodes all three alike.
#include <cstddef>
#include <string>

namespace pellumo {

// ISO-2022-JP in its Windows forms (half-width katakana by escape or by
// shift-out, the NEC and IBM rows, which arithmetic carries over) as
// Shift_JIS. Only well-formed Shift_JIS is written; anything else is "?".
std::string JisToShiftJis(const char* data, size_t size);
// EUC-JP as Shift_JIS, the same way.
std::string EucJpToShiftJis(const char* data, size_t size);

}  // namespace pellumo
