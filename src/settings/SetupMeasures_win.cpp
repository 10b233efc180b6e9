#include "settings/SetupMeasures_win.h"

#include <commctrl.h>

#include <algorithm>

#include "controls/ColorCombo.h"
#include "platform/WideText_win.h"
#include "platform/Window_win.h"
#include "settings/SetupDialog.h"
#include "settings/SetupPanel_win.h"
#include "texts/Language.h"

namespace pellumo {

namespace {

using Setup = TSetupDialog;

// Dialog units as Windows derives them from a font: the average width of
// the letters, and the font's height.
TLayoutUnits UnitsOf(HWND window, HFONT font) {
    TLayoutUnits units;
    const TWindowDC dc(window);
    if (!dc.Get()) return units;
    const TSelection selected(dc.Get(), font);
    TEXTMETRICW metrics {};
    SIZE letters {};
    const wchar_t alphabet[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    if (GetTextMetricsW(dc.Get(), &metrics) && GetTextExtentPoint32W(dc.Get(), alphabet, 52, &letters)) {
        units.CharWidth = std::max<int32_t>(1, (letters.cx / 26 + 1) / 2);
        units.LineHeight = std::max<int32_t>(1, metrics.tmHeight);
    }
    return units;
}

// A key's name as the keyboard layout gives it ("Ctrl", "Scroll Lock"),
// which is what the hotkey control shows.
std::string KeyName(UINT virtualKey, bool extended = false) {
    const LONG scan = static_cast<LONG>(MapVirtualKeyW(virtualKey, 0)) << 16 | (extended ? 1 << 24 : 0);
    wchar_t name[64] = {};
    return GetKeyNameTextW(scan, name, 64) > 0 ? Utf8FromWide(name) : std::string("Scroll Lock");
}

}  // namespace

TSetupMeasures MeasureSetupDialog(HWND dialog, HFONT font, const std::function<std::string(int id)>& textOf,
                                  HWND pages, SIZE logo) {
    TSetupMeasures m;
    m.Units = UnitsOf(dialog, font);
    const TLayoutUnits& u = m.Units;
    auto text = [&](const std::string& s) {
        const SIZE size = MeasureText(dialog, font, WithoutAccessKeys(s), SIZE {0, u.LineHeight});
        return TLayoutSize {size.cx, std::max<int32_t>(size.cy, u.LineHeight)};
    };
    // Fields, lists and buttons are 14 dialog units high, as Windows' own,
    // and never lower than their text in its frame.
    const int32_t field = std::max<int32_t>(u.Y(14), u.LineHeight + 4 * GetSystemMetrics(SM_CYEDGE));
    const int32_t frame = 2 * GetSystemMetrics(SM_CXEDGE) + u.X(4);
    const int32_t box = std::max(GetSystemMetrics(SM_CXMENUCHECK), GetSystemMetrics(SM_CYMENUCHECK));

    for (int id : {Setup::idAutoHideHint, Setup::idUseFading, Setup::idDisplayWhenOEActive, Setup::idSummarizeBursts,
                   Setup::idPlaySound, Setup::idQuietFullScreen, Setup::idStartWithWindows, Setup::idShowUnreadCount,
                   Setup::idHoldWhileAway}) {
        // The box, the gap the button leaves after it, the text.
        const TLayoutSize t = text(textOf(id));
        m.Needs[id] = {box + u.X(4) + t.Width, std::max(u.Y(10), std::max(t.Height, box) + 2)};
    }
    for (int id : {Setup::idHintTimeLabel, Setup::idBeginColorLabel, Setup::idEndColorLabel, Setup::idShowAgainLabel,
                   Setup::idShowAgainTaken, Setup::idFolderColorLabel, Setup::idFolderSoundLabel, Setup::idLanguageLabel,
                   Setup::idRuleLabel, Setup::idRuleHint, Setup::idNeverLabel, Setup::idAlwaysLabel})
        m.Needs[id] = text(textOf(id));

    m.UpDownWidth = GetSystemMetrics(SM_CXVSCROLL);
    // Room for the largest hint time, 1800, in any digits.
    m.Needs[Setup::idHintTimeEdit] = {text("8888").Width + frame + m.UpDownWidth, field};
    m.Needs[Setup::idAwayMinutesEdit] = {text("888").Width + frame + m.UpDownWidth, field};
    const int32_t combo = TColorCombo::NeededWidth(dialog, font);
    for (int id : {Setup::idBeginColor, Setup::idEndColor, Setup::idFolderColor}) m.Needs[id] = {combo, field};
    // The sound list's entries; a file's name may be longer, and is cut.
    int32_t sounds = 0;
    for (TText entry : {TText::SoundDefault, TText::SoundNone, TText::SoundChoose})
        sounds = std::max(sounds, text(Text(entry)).Width);
    m.Needs[Setup::idFolderSound] = {sounds + frame + GetSystemMetrics(SM_CXVSCROLL), field};
    // Every language's own name, and "Automatic".
    int32_t languages = text(Text(TText::SetupLanguageAutomatic)).Width;
    for (const TLanguage& language : Languages()) languages = std::max(languages, text(language.Name()).Width);
    m.Needs[Setup::idLanguage] = {languages + frame + GetSystemMetrics(SM_CXVSCROLL), field};
    // A long combination as the hotkey control spells it.
    const std::string longest = KeyName(VK_CONTROL) + " + " + KeyName(VK_SHIFT) + " + " + KeyName(VK_MENU) + " + " +
                                KeyName(VK_SCROLL);
    m.Needs[Setup::idShowAgainHotkey] = {text(longest).Width + frame, field};
    // A few folder names' worth; the tree scrolls for more.
    m.Needs[Setup::idFolderTree] = {u.X(110), u.Y(100)};
    // A few rules' worth, each as long as a typical address; the lists scroll for more.
    m.Needs[Setup::idRuleEdit] = {u.X(100), field};
    m.Needs[Setup::idNeverList] = m.Needs[Setup::idAlwaysList] = {u.X(110), u.Y(40)};
    for (int id : {Setup::idOk, Setup::idCancel, Setup::idShowSample, Setup::idNeverAdd, Setup::idNeverChange,
                   Setup::idNeverRemove, Setup::idAlwaysAdd, Setup::idAlwaysChange, Setup::idAlwaysRemove})
        m.Needs[id] = {std::max(u.X(50), text(textOf(id)).Width + u.X(10)), field};

    // What the tab control's frame and tabs take of a large control, and
    // its row of tabs end to end.
    RECT display {0, 0, 1000, 1000};
    SetWindowPos(pages, nullptr, 0, 0, display.right, display.bottom, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
    SendMessageW(pages, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    m.PageFrame = TRect(display.left, display.top, 1000 - display.right, 1000 - display.bottom);
    RECT lastTab {};
    const LRESULT tabs = SendMessageW(pages, TCM_GETITEMCOUNT, 0, 0);
    if (tabs > 0) SendMessageW(pages, TCM_GETITEMRECT, tabs - 1, reinterpret_cast<LPARAM>(&lastTab));
    m.Needs[Setup::idPages] = {lastTab.right + u.X(4), lastTab.bottom};

    m.Logo = {logo.cx, logo.cy};
    return m;
}

}  // namespace pellumo
