#pragma once
// The popup's context menu: what the user may decide about the sender of
// the message it shows (app/RuleChoices.h).
#include <windows.h>

#include <optional>
#include <vector>

#include "app/RuleChoices.h"

namespace pellumo {

// Shows `choices` as a menu at `at` (screen pixels) and gives the one taken,
// or none (TrackMenuInFront); the window that was in front has the front
// back afterwards, so the user's typing goes on where it was.
std::optional<TRuleChoice> TrackRuleMenu(HWND owner, POINT at, const std::vector<TRuleChoice>& choices);

}  // namespace pellumo
