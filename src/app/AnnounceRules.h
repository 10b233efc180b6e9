#pragma once
// The user's rules for what is never announced and what is always announced
// at once, one rule a line:
//   an address pattern, matched against the whole of the sender's address
//     (never the display name): `boss@example.org`, `newsletter@*`,
//     `*@news.example.org`, `@example.org` for that whole domain (the same as
//     `*@example.org`); `*` stands for any run of characters, `?` for one;
//   `subject:WORDS`, matched when the subject holds every one of the words,
//     in any order, each as a whole word (`subject:invoice` is not matched by
//     "invoices"; `subject:invoice*` is). A word in a script written without
//     spaces between words (Chinese, Japanese, Korean, Thai...) is found
//     anywhere in the subject instead.
// Letter case never counts (Latin, Greek, Cyrillic, Armenian, full-width
// forms; ß is ss; Greek accents, which capitals drop, are ignored). A line
// that is neither is ignored; a blank one silently.
#include <cstddef>
#include <string>
#include <vector>

namespace pellumo {

// Which list a rule is in.
enum class TRuleList { None, Never, Always };

// The rule that decided, by its list and its 1-based line there.
struct TRuleMatch {
    TRuleList List = TRuleList::None;
    size_t Line = 0;
    bool operator==(const TRuleMatch& o) const { return List == o.List && Line == o.Line; }
};

// One rule as read from its line, letter case folded away.
struct TAnnounceRule {
    size_t Line = 0;
    // An address pattern; empty for a subject rule.
    std::u32string Address;
    // A subject rule's words, each a pattern of its own.
    std::vector<std::u32string> Words;
};

struct TAnnounceRules {
    std::vector<TAnnounceRule> Never, Always;
    // The lines that are no rule, for the log.
    std::vector<TRuleMatch> Ignored;
};

// The two lists as stored, one rule a line.
TAnnounceRules ParseAnnounceRules(const std::vector<std::string>& never, const std::vector<std::string>& always);

// Writes one log line for each line that is no rule.
void LogIgnoredRules(const TAnnounceRules& rules);

// The first rule of Always that matches the sender's address or the subject
// (UTF-8), else the first of Never, else none: where both lists match,
// Always wins. The time taken grows with the lengths of a pattern and of
// what it is matched against multiplied, whatever the pattern.
TRuleMatch MatchAnnounceRules(const TAnnounceRules& rules, const std::string& address, const std::string& subject);

// "NeverAnnounce rule 2", as the settings name the list; empty for none.
std::string RuleName(const TRuleMatch& match);

}  // namespace pellumo
