#include "app/AnnounceRules.h"

#include <algorithm>

#include "platform/Log.h"
#include "platform/Utf8Text.h"
#include "settings/NotifierSettings.h"

namespace pellumo {

namespace {

const char32_t kAnyRun = U'*';
const char32_t kAnyOne = U'?';

// Characters of one range fold alike: by an offset, or in upper-lower pairs
// (the upper at an even code point, or at an odd one).
struct TFoldRange {
    char32_t First, Last;
    enum { Offset, EvenPairs, OddPairs } How;
    int32_t Delta;
};

const TFoldRange kFoldRanges[] = {
    {0x0041, 0x005A, TFoldRange::Offset, 32},
    {0x00C0, 0x00D6, TFoldRange::Offset, 32},
    {0x00D8, 0x00DE, TFoldRange::Offset, 32},
    {0x0100, 0x012F, TFoldRange::EvenPairs, 0},
    {0x0132, 0x0137, TFoldRange::EvenPairs, 0},
    {0x0139, 0x0148, TFoldRange::OddPairs, 0},
    {0x014A, 0x0177, TFoldRange::EvenPairs, 0},
    {0x0179, 0x017E, TFoldRange::OddPairs, 0},
    {0x0182, 0x0185, TFoldRange::EvenPairs, 0},
    {0x01A0, 0x01A5, TFoldRange::EvenPairs, 0},
    {0x01CD, 0x01DC, TFoldRange::OddPairs, 0},
    {0x01DE, 0x01EF, TFoldRange::EvenPairs, 0},
    {0x01F8, 0x021F, TFoldRange::EvenPairs, 0},
    {0x0222, 0x0233, TFoldRange::EvenPairs, 0},
    {0x0388, 0x038A, TFoldRange::Offset, 37},
    {0x038E, 0x038F, TFoldRange::Offset, 63},
    {0x0391, 0x03A1, TFoldRange::Offset, 32},
    {0x03A3, 0x03AB, TFoldRange::Offset, 32},
    {0x03D8, 0x03EF, TFoldRange::EvenPairs, 0},
    {0x0400, 0x040F, TFoldRange::Offset, 80},
    {0x0410, 0x042F, TFoldRange::Offset, 32},
    {0x0460, 0x0481, TFoldRange::EvenPairs, 0},
    {0x048A, 0x04BF, TFoldRange::EvenPairs, 0},
    {0x04C1, 0x04CE, TFoldRange::OddPairs, 0},
    {0x04D0, 0x052F, TFoldRange::EvenPairs, 0},
    {0x0531, 0x0556, TFoldRange::Offset, 48},
    {0x1E00, 0x1E95, TFoldRange::EvenPairs, 0},
    {0x1EA0, 0x1EFF, TFoldRange::EvenPairs, 0},
};

// Greek small vowels with an accent or diaeresis, as their plain vowel:
// words in capitals are written without them.
char32_t GreekWithoutAccent(char32_t c) {
    switch (c) {
        case 0x03AC: return 0x03B1;
        case 0x03AD: return 0x03B5;
        case 0x03AE: return 0x03B7;
        case 0x03AF: case 0x03CA: case 0x0390: return 0x03B9;
        case 0x03CC: return 0x03BF;
        case 0x03CD: case 0x03CB: case 0x03B0: return 0x03C5;
        case 0x03CE: return 0x03C9;
        case 0x03C2: return 0x03C3;  // final sigma
        default: return c;
    }
}

void AppendFolded(std::u32string& out, char32_t c) {
    // Full-width Latin letters, digits and signs are their ASCII selves.
    if (c >= 0xFF01 && c <= 0xFF5E) c = c - 0xFF01 + 0x21;
    switch (c) {
        case 0x00DF: case 0x1E9E: out += U"ss"; return;
        case 0x0130: out += U'i'; return;  // I with a dot
        case 0x017F: out += U's'; return;  // long s
        case 0x0178: out += char32_t(0x00FF); return;
        case 0x0386: c = 0x03AC; break;
        case 0x038C: c = 0x03CC; break;
        case 0x04C0: c = 0x04CF; break;
        default:
            for (const TFoldRange& range : kFoldRanges) {
                if (c < range.First || c > range.Last) continue;
                if (range.How == TFoldRange::Offset)
                    c = char32_t(int32_t(c) + range.Delta);
                else if ((c % 2 == 0) == (range.How == TFoldRange::EvenPairs))
                    ++c;
                break;
            }
    }
    out += GreekWithoutAccent(c);
}

// The code points of UTF-8 text, letter case folded; a byte that is no
// character stands for itself as U+FFFD.
std::u32string Folded(const std::string& text) {
    std::u32string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const size_t length = Utf8CharacterLength(text.data() + i, text.size() - i);
        if (length == 0) {
            out += char32_t(0xFFFD);
            ++i;
            continue;
        }
        const auto byte = [&](size_t k) { return char32_t(static_cast<unsigned char>(text[i + k])); };
        char32_t c = length == 1 ? byte(0)
                   : length == 2 ? (byte(0) & 0x1F) << 6 | (byte(1) & 0x3F)
                   : length == 3 ? (byte(0) & 0x0F) << 12 | (byte(1) & 0x3F) << 6 | (byte(2) & 0x3F)
                                 : (byte(0) & 0x07) << 18 | (byte(1) & 0x3F) << 12 | (byte(2) & 0x3F) << 6 | (byte(3) & 0x3F);
        AppendFolded(out, c);
        i += length;
    }
    return out;
}

// Scripts whose words are written without spaces between them (or, in
// Korean, with particles joined to them): a word is looked for anywhere.
bool WrittenWithoutSpaces(char32_t c) {
    return (c >= 0x0E00 && c <= 0x0EFF) ||    // Thai, Lao
           (c >= 0x0F00 && c <= 0x0FFF) ||    // Tibetan
           (c >= 0x1000 && c <= 0x109F) ||    // Myanmar
           (c >= 0x1100 && c <= 0x11FF) ||    // Hangul jamo
           (c >= 0x1780 && c <= 0x17FF) ||    // Khmer
           (c >= 0x3040 && c <= 0x30FF) ||    // kana
           (c >= 0x3130 && c <= 0x318F) ||    // Hangul compatibility jamo
           (c >= 0x31F0 && c <= 0x31FF) ||    // kana extensions
           (c >= 0x3400 && c <= 0x4DBF) ||    // CJK ideographs
           (c >= 0x4E00 && c <= 0x9FFF) ||
           (c >= 0xAC00 && c <= 0xD7AF) ||    // Hangul syllables
           (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFF66 && c <= 0xFF9F) ||    // half-width kana
           (c >= 0x20000 && c <= 0x3FFFF);
}

// Between words: blanks, punctuation and symbols (emoji among them), and in
// a subject the characters of scripts without spaces, whose words are found
// otherwise. A rule's words (Wildcards) keep them, and keep `*` and `?`.
bool Separates(char32_t c, bool wildcards) {
    if (c == kAnyRun || c == kAnyOne) return !wildcards;
    if (c < 0x80) return !((c >= U'a' && c <= U'z') || (c >= U'0' && c <= U'9') || (c >= U'A' && c <= U'Z'));
    return (c >= 0x80 && c <= 0xBF) || c == 0xD7 || c == 0xF7 || (c >= 0x2000 && c <= 0x2BFF) ||
           (c >= 0x2E00 && c <= 0x2E7F) || (c >= 0x3000 && c <= 0x303F) || (c >= 0xFE00 && c <= 0xFE4F) ||
           (c >= 0xFF5F && c <= 0xFF65) || (c >= 0x1F000 && c <= 0x1FAFF) || c == 0xFFFD ||
           (!wildcards && WrittenWithoutSpaces(c));
}

// The words of a folded text, as Separates parts them.
std::vector<std::u32string> WordsOf(const std::u32string& text, bool wildcards) {
    std::vector<std::u32string> words;
    std::u32string word;
    for (char32_t c : text + U' ') {
        if (!Separates(c, wildcards)) {
            word += c;
        } else if (!word.empty()) {
            words.push_back(word);
            word.clear();
        }
    }
    return words;
}

// Whether Pattern covers the whole of Text. One pass over the text that
// goes back only to just after the last `*` seen, so the work is at most
// the two lengths multiplied, never exponential in the number of `*`.
bool WildcardMatch(const std::u32string& pattern, const std::u32string& text) {
    size_t p = 0, t = 0;
    size_t star = std::u32string::npos, resume = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == kAnyRun) {
            star = p++;
            resume = t;
        } else if (p < pattern.size() && (pattern[p] == kAnyOne || pattern[p] == text[t])) {
            ++p, ++t;
        } else if (star != std::u32string::npos) {
            p = star + 1;
            t = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == kAnyRun) ++p;
    return p == pattern.size();
}

// Runs of `*` are one: the same match for less work.
std::u32string WithoutRepeatedStars(const std::u32string& pattern) {
    std::u32string out;
    for (char32_t c : pattern)
        if (c != kAnyRun || out.empty() || out.back() != kAnyRun) out += c;
    return out;
}

std::string Trimmed(const std::string& text) {
    const char* const blanks = " \t\r\n";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

bool StartsWithSubject(const std::string& line) {
    static const char kPrefix[] = "subject:";
    if (line.size() < sizeof kPrefix - 1) return false;
    for (size_t i = 0; i + 1 < sizeof kPrefix; ++i)
        if ((line[i] | 0x20) != kPrefix[i]) return false;
    return true;
}

// The rule a line holds; false when it holds none.
bool ParseRule(const std::string& line, TAnnounceRule& rule) {
    if (StartsWithSubject(line)) {
        rule.Words = WordsOf(Folded(line.substr(8)), true);
        for (std::u32string& word : rule.Words) word = WithoutRepeatedStars(word);
        return !rule.Words.empty();
    }
    std::u32string pattern = Folded(line);
    // An address has no blanks; its parts on either side of the last `@`
    // (a quoted local part may hold one) are not empty, unless the line
    // starts with it and names a domain.
    for (char32_t c : pattern)
        if (c <= U' ' || c == 0x00A0 || c == 0x3000 || c == U'<' || c == U'>' || c == U',') return false;
    const size_t at = pattern.rfind(U'@');
    if (at == std::u32string::npos || at + 1 == pattern.size()) return false;
    if (at == 0) pattern.insert(pattern.begin(), kAnyRun);
    rule.Address = WithoutRepeatedStars(pattern);
    return true;
}

void ParseList(const std::vector<std::string>& lines, TRuleList list, std::vector<TAnnounceRule>& rules,
               std::vector<TRuleMatch>& ignored) {
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string line = Trimmed(lines[i]);
        if (line.empty()) continue;
        TAnnounceRule rule;
        rule.Line = i + 1;
        if (ParseRule(line, rule))
            rules.push_back(std::move(rule));
        else
            ignored.push_back({list, i + 1});
    }
}

bool Matches(const TAnnounceRule& rule, const std::u32string& address, const std::u32string& subject,
             const std::vector<std::u32string>& subjectWords) {
    if (!rule.Address.empty()) return !address.empty() && WildcardMatch(rule.Address, address);
    for (const std::u32string& word : rule.Words) {
        bool found = false;
        if (std::any_of(word.begin(), word.end(), WrittenWithoutSpaces)) {
            found = WildcardMatch(std::u32string(1, kAnyRun) + word + kAnyRun, subject);
        } else {
            for (const std::u32string& candidate : subjectWords)
                if ((found = WildcardMatch(word, candidate))) break;
        }
        if (!found) return false;
    }
    return true;
}

std::string ListName(TRuleList list) {
    return list == TRuleList::Never ? kNeverAnnounceValue : list == TRuleList::Always ? kAlwaysAnnounceValue : "";
}

}  // namespace

TAnnounceRules ParseAnnounceRules(const std::vector<std::string>& never, const std::vector<std::string>& always) {
    TAnnounceRules rules;
    ParseList(never, TRuleList::Never, rules.Never, rules.Ignored);
    ParseList(always, TRuleList::Always, rules.Always, rules.Ignored);
    return rules;
}

void LogIgnoredRules(const TAnnounceRules& rules) {
    for (const TRuleMatch& line : rules.Ignored)
        LogLine("Setting " + ListName(line.List) + ": line " + std::to_string(line.Line) +
                " is neither an address pattern nor subject:words; ignored");
}

TRuleMatch MatchAnnounceRules(const TAnnounceRules& rules, const std::string& address, const std::string& subject) {
    if (rules.Never.empty() && rules.Always.empty()) return TRuleMatch();
    const std::u32string foldedAddress = Folded(Trimmed(address));
    const std::u32string foldedSubject = Folded(subject);
    const std::vector<std::u32string> words = WordsOf(foldedSubject, false);
    for (const TAnnounceRule& rule : rules.Always)
        if (Matches(rule, foldedAddress, foldedSubject, words)) return {TRuleList::Always, rule.Line};
    for (const TAnnounceRule& rule : rules.Never)
        if (Matches(rule, foldedAddress, foldedSubject, words)) return {TRuleList::Never, rule.Line};
    return TRuleMatch();
}

std::string RuleName(const TRuleMatch& match) {
    if (match.List == TRuleList::None) return std::string();
    return ListName(match.List) + " rule " + std::to_string(match.Line);
}

}  // namespace pellumo
