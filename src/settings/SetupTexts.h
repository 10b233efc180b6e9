#pragma once
// The setup dialog's texts by control id, in the user's language.
// Windows-free: the layout is measured from them and the window shows them.
#include <string>

namespace pellumo {

// A control's text, "&" marking its access key; empty for a control without one.
std::string SetupText(int id);
// A page's name on its tab (TSetupDialog::TPage).
std::string SetupPageName(int page);

}  // namespace pellumo
