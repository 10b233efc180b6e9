#pragma once
// Whether the Outlook Express main window is the one in front.
namespace pellumo {

bool IsOutlookExpressActive();

}  // namespace pellumo
