#include "app/RuleChoices.h"

#include <algorithm>
#include <cctype>

#include "texts/Language.h"

namespace pellumo {

namespace {

// A menu shows "&" as an access key: an address's own is doubled.
std::string MenuSafe(const std::string& text) {
    std::string safe;
    for (char c : text) {
        if (c == '&') safe += '&';
        safe += c;
    }
    return safe;
}

bool SameRule(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

std::vector<TRuleChoice> RuleChoicesFor(const std::string& senderAddress) {
    std::vector<TRuleChoice> choices;
    if (senderAddress.empty() || senderAddress.find_first_of("*? \t") != std::string::npos) return choices;
    choices.push_back({TRuleList::Never, senderAddress, Text(TText::PopupMenuNeverAddress, {MenuSafe(senderAddress)})});
    const size_t at = senderAddress.rfind('@');
    if (at != std::string::npos && at + 1 < senderAddress.size()) {
        const std::string domain = "*@" + senderAddress.substr(at + 1);
        choices.push_back({TRuleList::Never, domain, Text(TText::PopupMenuNeverDomain, {MenuSafe(domain)})});
    }
    choices.push_back(
        {TRuleList::Always, senderAddress, Text(TText::PopupMenuAlwaysAddress, {MenuSafe(senderAddress)})});
    return choices;
}

bool AddRuleChoice(TUserSettings& values, const TRuleChoice& choice) {
    const bool always = choice.List == TRuleList::Always;
    std::vector<std::string>& list = always ? values.AlwaysAnnounce : values.NeverAnnounce;
    std::vector<std::string>& other = always ? values.NeverAnnounce : values.AlwaysAnnounce;
    const auto same = [&](const std::string& line) { return SameRule(line, choice.Rule); };
    const auto left = std::remove_if(other.begin(), other.end(), same);
    const bool moved = left != other.end();
    other.erase(left, other.end());
    if (std::any_of(list.begin(), list.end(), same)) return moved;
    list.push_back(choice.Rule);
    return true;
}

}  // namespace pellumo
