#pragma once
// The setup dialog's "Language:" list: "Automatic" (the user's own
// language) first, then every language the program speaks, each by its own
// name for itself.
#include <windows.h>

#include <string>

namespace pellumo {

class TLanguageField {
public:
    // Takes the dialog's combo box (a drop-down list), made by the dialog, and fills it.
    TLanguageField(HWND dialog, int comboId);

    // The Language setting: a tag, empty for automatic.
    void Set(const std::string& language);
    std::string Get() const;

private:
    HWND combo_;
};

}  // namespace pellumo
