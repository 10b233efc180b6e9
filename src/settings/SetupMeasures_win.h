#pragma once
// What the setup dialog's controls need, measured in its font on its window:
// the input of LayoutSetupDialog.
#include <windows.h>

#include <functional>
#include <string>

#include "settings/SetupLayout.h"

namespace pellumo {

// `textOf` gives each control's text by id, access keys marked;
// `logoResource` names the logo's RCDATA.
TSetupMeasures MeasureSetupDialog(HWND dialog, HFONT font, const std::function<std::string(int id)>& textOf,
                                  WORD logoResource);

}  // namespace pellumo
