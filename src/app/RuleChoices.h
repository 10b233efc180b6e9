#pragma once
// What the popup's context menu offers for the sender of the mail it shows:
// never to announce mail from that address, or from its whole domain, or
// always to announce it; and how a choice joins the user's rule lists.
// Windows-free, so that the offer is tested natively.
#include <string>
#include <vector>

#include "app/AnnounceRules.h"
#include "settings/NotifierSettings.h"

namespace pellumo {

struct TRuleChoice {
    TRuleList List = TRuleList::Never;  // Never or Always
    std::string Rule;   // the line the list gains ("boss@example.org", "*@example.org")
    std::string Label;  // the menu item's text in the user's language, access key marked
};

// The choices for `senderAddress`, in the menu's order; none without an
// address (a summary) or for one with a wildcard in it, whose rule would
// match more than that sender; no domain choice for an address without one.
std::vector<TRuleChoice> RuleChoicesFor(const std::string& senderAddress);

// Adds the choice's rule to the end of its list in `values`, unless the
// list has it already (letter case aside, as the rules match), and takes
// the same rule out of the other list, where it would contradict the
// user's choice. False when nothing changed.
bool AddRuleChoice(TUserSettings& values, const TRuleChoice& choice);

}  // namespace pellumo
