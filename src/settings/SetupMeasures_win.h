#pragma once
// What the setup dialog's controls need, measured in its font on its window:
// the input of LayoutSetupDialog.
#include <windows.h>

#include <functional>
#include <string>

#include "settings/SetupLayout.h"

namespace pellumo {

// `textOf` gives each control's text by id, access keys marked; `pages` is
// the tab control with its tabs, in the font; `logo` the logo's size.
TSetupMeasures MeasureSetupDialog(HWND dialog, HFONT font, const std::function<std::string(int id)>& textOf,
                                  HWND pages, SIZE logo);

}  // namespace pellumo
