#include "settings/LanguageField_win.h"

#include "platform/WideText_win.h"
#include "texts/Language.h"

namespace pellumo {

TLanguageField::TLanguageField(HWND dialog, int comboId) : combo_(GetDlgItem(dialog, comboId)) {
    SendMessageW(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideFromUtf8(Text(TText::SetupLanguageAutomatic)).c_str()));
    for (const TLanguage& language : Languages())
        SendMessageW(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideFromUtf8(language.Name()).c_str()));
}

void TLanguageField::Set(const std::string& language) {
    // A tag the program has no table for stands as automatic, as it acts.
    const TLanguage* chosen = language.empty() ? nullptr : MatchLanguage(language);
    const std::vector<TLanguage>& all = Languages();
    const LRESULT index = chosen ? 1 + (chosen - all.data()) : 0;
    SendMessageW(combo_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

std::string TLanguageField::Get() const {
    const LRESULT index = SendMessageW(combo_, CB_GETCURSEL, 0, 0);
    const std::vector<TLanguage>& all = Languages();
    if (index < 1 || static_cast<size_t>(index) > all.size()) return std::string();
    return all[static_cast<size_t>(index) - 1].Tag();
}

}  // namespace pellumo
