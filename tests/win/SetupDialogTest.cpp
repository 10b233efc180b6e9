// The real setup dialog, driven as a user would from inside its own modal
// loop: a thread timer runs one step per tick while ShowSetupDialog waits.
// Settings go in through a settings object of the test's (the real registry
// under Wine, cleaned before and after) and are read back after the dialog
// has closed.
// Needs a display (under Wine: Xvfb, see window-tests.sh); skipped without one.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "controls/GradientPanel.h"
#include "platform/WideText_win.h"
#include "platform/Window_win.h"
#include "settings/Logo.h"
#include "settings/NotifierSettings.h"
#include "settings/SetupDialog.h"
#include "unit/RegistryFixture.h"
#include "win/Display.h"
#include "win/MessagePump.h"
#include "win/SetupDialogDriver.h"
#include "win/TestWindows.h"

namespace pellumo {

// How a failed comparison shows the values (found by argument lookup).
std::ostream& operator<<(std::ostream& out, const TUserSettings& s) {
    return out << "{auto " << s.AutoHideHint << ", fade " << s.UseFading << ", oe " << s.DisplayWhenOEActive
               << ", time " << s.HintTime << ", begin 0x" << std::hex << s.BeginColor << ", end 0x" << s.EndColor
               << std::dec << ", summarize " << s.SummarizeAfter << ", sound " << s.PlaySound << ", quiet "
               << s.QuietFullScreen << ", count " << s.ShowUnreadCount << ", hotkey 0x" << std::hex << s.ShowAgainHotkey
               << std::dec << ", away " << s.AwayMinutes << "}";
}

namespace test {
namespace {

// A key combination in the hotkey control, as typing it leaves it.
void SetHotkey(HWND dialog, WPARAM hotkey) {
    const HWND control = Ctl(dialog, Setup::idShowAgainHotkey);
    SendMessageA(control, HKM_SETHOTKEY, hotkey, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(Setup::idShowAgainHotkey, EN_CHANGE), reinterpret_cast<LPARAM>(control));
}

BOOL CALLBACK CountDialog(HWND window, LPARAM counter) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    if (lstrcmpA(name, Setup::kClassName) == 0) ++*reinterpret_cast<int*>(counter);
    return TRUE;
}

int CountDialogs() {
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), &CountDialog, reinterpret_cast<LPARAM>(&count));
    return count;
}




// The fixture, SetupDialogTest, is in win/SetupDialogDriver.h.

TEST_F(SetupDialogTest, IsTheDesignedDialogWithItsControlsInPlace) {
    driver.Holder.ShowSample = [](const TUserSettings&) {};
    driver.Run(Settings(), {[](HWND dialog) {
        EXPECT_EQ("Pellumo Setup", TextOf(dialog));
        EXPECT_EQ("Pellumo Setup", TextOf(dialog));
        // Centred on the work area (here the primary monitor's: no taskbar).
        RECT window {}, area {};
        GetWindowRect(dialog, &window);
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
        EXPECT_TRUE(window.left >= area.left && window.top >= area.top && window.right <= area.right &&
                    window.bottom <= area.bottom);
        EXPECT_LE(std::abs((window.left - area.left) - (area.right - window.right)), 1);
        EXPECT_LE(std::abs((window.top - area.top) - (area.bottom - window.bottom)), 1);
        const LONG_PTR style = GetWindowLongPtrA(dialog, GWL_STYLE);
        EXPECT_TRUE(style & WS_CAPTION);
        EXPECT_TRUE(style & WS_SYSMENU);
        EXPECT_FALSE(style & WS_THICKFRAME) << "a fixed dialog border";
        EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
        EXPECT_TRUE(GetWindowLongPtrA(dialog, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
        EXPECT_TRUE(IsWindowVisible(dialog));

        // Where each control stands is the layout's (LaysOutWithoutOverlapOrClipping).
        struct TControl {
            int id;
            const char* text;
            const char* windowClass;
            int page = -1;  // -1: on every page
        };
        const TControl controls[] = {
            {Setup::idHintGroup, "Hint", "Button", Setup::pagePopup},
            {Setup::idAutoHideHint, "&Auto hide hint", "Button", Setup::pagePopup},
            {Setup::idHintTimeLabel, "Hint &time (seconds):", "Static", Setup::pagePopup},
            {Setup::idUseFading, "Use &fading", "Button", Setup::pagePopup},
            {Setup::idDisplayWhenOEActive, "&Display when OE is active", "Button", Setup::pagePopup},
            {Setup::idColorsGroup, "Colors", "Button", Setup::pagePopup},
            {Setup::idBeginColorLabel, "&Start", "Static", Setup::pagePopup},
            {Setup::idEndColorLabel, "&End", "Static", Setup::pagePopup},
            {Setup::idAlertsGroup, "Alerts", "Button", Setup::pageAlerts},
            {Setup::idSummarizeBursts, "Su&mmarize bursts", "Button", Setup::pageAlerts},
            {Setup::idPlaySound, "&Play sound", "Button", Setup::pageAlerts},
            {Setup::idQuietFullScreen, "&Quiet during full-screen programs", "Button", Setup::pageAlerts},
            {Setup::idStartWithWindows, "Start with &Windows", "Button", Setup::pageAlerts},
            {Setup::idShowUnreadCount, "Show unread &count on the icon", "Button", Setup::pageAlerts},
            {Setup::idShowAgainLabel, "Show &last message again:", "Static", Setup::pageAlerts},
            {Setup::idShowAgainHotkey, "", "msctls_hotkey32", Setup::pageAlerts},
            {Setup::idHoldWhileAway, "&Hold alerts while I'm away, after (minutes):", "Button", Setup::pageAlerts},
            {Setup::idAwayMinutesEdit, "10", "Edit", Setup::pageAlerts},
            {Setup::idFoldersGroup, "Folders", "Button", Setup::pageFolders},
            {Setup::idFolderSoundLabel, "Folder so&und", "Static", Setup::pageFolders},
            {Setup::idRulesGroup, "Announcement rules", "Button", Setup::pageRules},
            {Setup::idRuleLabel, "&Rule:", "Static", Setup::pageRules},
            {Setup::idRuleEdit, "", "Edit", Setup::pageRules},
            {Setup::idNeverLabel, "Ne&ver announce mail matching:", "Static", Setup::pageRules},
            {Setup::idNeverList, "", "ListBox", Setup::pageRules},
            {Setup::idNeverChange, "&Change", "Button", Setup::pageRules},
            {Setup::idAlwaysLabel, "Al&ways announce mail matching:", "Static", Setup::pageRules},
            {Setup::idAlwaysRemove, "R&emove", "Button", Setup::pageRules},
            {Setup::idLanguageLabel, "La&nguage:", "Static"},
            {Setup::idLanguage, "Automatic", "ComboBox"},
            {Setup::idShowSample, "Sho&w sample", "Button", Setup::pagePopup},
            {Setup::idPages, "", "SysTabControl32"},
            {IDOK, "OK", "Button"},
            {IDCANCEL, "Cancel", "Button"},
        };
        // The first page is shown, then each in turn: its controls and those
        // of every page, the others' hidden.
        EXPECT_EQ(Setup::pagePopup, PageShown(dialog));
        for (int page = 0; page < Setup::kPageCount; ++page) {
            SCOPED_TRACE(page);
            ShowPage(dialog, page);
            for (const TControl& c : controls) {
                const HWND control = Ctl(dialog, c.id);
                ASSERT_TRUE(control) << c.text;
                EXPECT_EQ(c.text, TextOf(control));
                char name[64] = {};
                GetClassNameA(control, name, sizeof name);
                EXPECT_STREQ(c.windowClass, name) << c.text;
                EXPECT_EQ(c.page < 0 || c.page == page, IsWindowVisible(control) != FALSE) << c.text;
            }
        }
        char tab[64] = {};
        TCITEMA item {};
        item.mask = TCIF_TEXT, item.pszText = tab, item.cchTextMax = sizeof tab;
        SendMessageA(Ctl(dialog, Setup::idPages), TCM_GETITEMA, Setup::pageAlerts, reinterpret_cast<LPARAM>(&item));
        EXPECT_STREQ("Alerts", tab);
        ShowPage(dialog, Setup::pagePopup);
        EXPECT_FALSE(IsWindowVisible(Ctl(dialog, Setup::idShowAgainTaken))) << "the hotkey is free";
        const LONG_PTR comboStyle = GetWindowLongPtrA(Ctl(dialog, Setup::idBeginColor), GWL_STYLE);
        EXPECT_EQ(CBS_DROPDOWNLIST, comboStyle & 3);
        EXPECT_TRUE(comboStyle & CBS_OWNERDRAWFIXED);
        EXPECT_EQ(50, SendMessageA(Ctl(dialog, Setup::idBeginColor), CB_GETCOUNT, 0, 0)) << "49 colours and Custom";
        EXPECT_TRUE(GetWindowLongPtrA(Ctl(dialog, IDOK), GWL_STYLE) & BS_DEFPUSHBUTTON);

        // Tab order: the page's first control has the focus, Tab walks the
        // rest of the page, the language, the buttons and the tabs, and
        // comes back round.
        const std::vector<int> common {Setup::idLanguage, IDOK, IDCANCEL, Setup::idPages};
        const std::vector<int> orders[Setup::kPageCount] = {
            {Setup::idAutoHideHint, Setup::idUseFading, Setup::idHintTimeEdit, Setup::idDisplayWhenOEActive,
             Setup::idBeginColor, Setup::idEndColor, Setup::idShowSample},
            {Setup::idSummarizeBursts, Setup::idPlaySound, Setup::idQuietFullScreen, Setup::idStartWithWindows,
             Setup::idShowUnreadCount, Setup::idShowAgainHotkey, Setup::idHoldWhileAway, Setup::idAwayMinutesEdit},
            // The folder's colour and sound are for a folder, and none is selected.
            {Setup::idFolderTree},
            {Setup::idRuleEdit, Setup::idNeverList, Setup::idNeverAdd, Setup::idNeverChange, Setup::idNeverRemove,
             Setup::idAlwaysList, Setup::idAlwaysAdd, Setup::idAlwaysChange, Setup::idAlwaysRemove},
        };
        EXPECT_EQ(Ctl(dialog, Setup::idAutoHideHint), GetFocus());
        for (int page = 0; page < Setup::kPageCount; ++page) {
            SCOPED_TRACE(page);
            ShowPage(dialog, page);
            std::vector<int> order = orders[page];
            order.insert(order.end(), common.begin(), common.end());
            HWND at = Ctl(dialog, order.front());
            for (size_t i = 1; i <= order.size(); ++i) {
                at = GetNextDlgTabItem(dialog, at, FALSE);
                EXPECT_EQ(order[i % order.size()], GetDlgCtrlID(at)) << "tab stop " << i;
            }
        }
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    }});
}

// A key with Ctrl (and Shift) held, as the keyboard delivers it.
void PostKeyWithCtrl(HWND window, UINT key, bool shift = false) {
    BYTE state[256] = {};
    GetKeyboardState(state);
    state[VK_CONTROL] = 0x80;
    state[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(state);
    PostKey(window, key);
}

void ReleaseCtrlAndShift() {
    BYTE state[256] = {};
    GetKeyboardState(state);
    state[VK_CONTROL] = state[VK_SHIFT] = 0;
    SetKeyboardState(state);
}

// Ctrl+Tab and Ctrl+Page Down go to the next page, Ctrl+Shift+Tab and
// Ctrl+Page Up back, round at either end, the focus going along to the
// page's first control; the dialog opens again on the page it was left on,
// however it closed, and on the first for a page there is not.
TEST_F(SetupDialogTest, KeysTurnThePagesAndTheLastOneIsWhereItOpensAgain) {
    Settings().FolderTree = SampleFolderTree();
    const struct {
        UINT Key;
        bool Shift;
        int Page;
        int Focus;
    } presses[] = {
        {VK_TAB, false, Setup::pageAlerts, Setup::idSummarizeBursts},
        {VK_NEXT, false, Setup::pageFolders, Setup::idFolderTree},
        {VK_TAB, false, Setup::pageRules, Setup::idRuleEdit},
        {VK_TAB, false, Setup::pagePopup, Setup::idAutoHideHint},
        {VK_TAB, true, Setup::pageRules, Setup::idRuleEdit},
        {VK_PRIOR, false, Setup::pageFolders, Setup::idFolderTree},
        {VK_PRIOR, false, Setup::pageAlerts, Setup::idSummarizeBursts},
    };
    std::vector<TDialogDriver::TStep> steps;
    for (const auto& p : presses) {
        steps.push_back([p](HWND) { PostKeyWithCtrl(GetFocus(), p.Key, p.Shift); });
        steps.push_back([p](HWND dialog) {
            ReleaseCtrlAndShift();
            EXPECT_EQ(p.Page, PageShown(dialog)) << p.Key;
            EXPECT_TRUE(IsWindowVisible(Ctl(dialog, p.Focus)));
            EXPECT_EQ(Ctl(dialog, p.Focus), GetFocus());
        });
    }
    steps.push_back([](HWND dialog) { Click(dialog, IDCANCEL); });
    driver.Run(Settings(), steps);
    EXPECT_EQ(Setup::pageAlerts, Settings().SetupPage);

    for (const int stored : {int(Setup::pageAlerts), int(Setup::kPageCount), -1}) {
        SCOPED_TRACE(stored);
        Settings().SetupPage = stored;
        const int expected = stored == Setup::pageAlerts ? stored : Setup::pagePopup;
        driver.Run(Settings(), {[expected](HWND dialog) {
            EXPECT_EQ(expected, PageShown(dialog));
            EXPECT_EQ(expected == Setup::pageAlerts ? Ctl(dialog, Setup::idSummarizeBursts)
                                                    : Ctl(dialog, Setup::idAutoHideHint),
                      GetFocus());
            ShowPage(dialog, Setup::pageFolders);
            Click(dialog, IDOK);
        }});
        EXPECT_EQ(Setup::pageFolders, Settings().SetupPage);
    }
}

// "Show sample" hands on the values as the controls hold them, saved or
// not, and stores nothing; without a way to show one the button is greyed.
TEST_F(SetupDialogTest, TheSampleIsShownInTheValuesAsTheyStandAndNothingIsStored) {
    const TDialogValues before {true, true, false, 7, kUnnamed, 0x00FFFFFF};
    Store(before);
    std::vector<TUserSettings> samples;
    driver.Holder.ShowSample = [&samples](const TUserSettings& values) { samples.push_back(values); };
    driver.Run(Settings(), {[](HWND dialog) {
        EXPECT_TRUE(IsWindowEnabled(Ctl(dialog, Setup::idShowSample)));
        Click(dialog, Setup::idShowSample);
        Pick(dialog, Setup::idBeginColor, "Red");
        Pick(dialog, Setup::idEndColor, "Lime");
        Click(dialog, Setup::idUseFading);
        Type(dialog, "9");
        ShowPage(dialog, Setup::pageAlerts);
        Click(dialog, Setup::idPlaySound);
        ShowPage(dialog, Setup::pagePopup);
        Click(dialog, Setup::idShowSample);
        Click(dialog, IDCANCEL);
    }});
    ASSERT_EQ(2u, samples.size());
    EXPECT_EQ(before, samples[0]);
    TDialogValues changed = before;
    changed.BeginColor = 0x0000FF, changed.EndColor = 0x00FF00, changed.UseFading = false, changed.HintTime = 9;
    changed.PlaySound = false;
    EXPECT_EQ(changed, samples[1]);
    EXPECT_EQ(before, Current());

    driver.Holder.ShowSample = nullptr;
    driver.Run(Settings(), {[](HWND dialog) {
        EXPECT_FALSE(IsWindowEnabled(Ctl(dialog, Setup::idShowSample)));
        Click(dialog, IDCANCEL);
    }});
}

// Another program holding the hotkey: the dialog says so under the field,
// the line goes when another key is typed, and OK keeps what was set, for
// the key may be free at the next start.
TEST_F(SetupDialogTest, AHotkeyAnotherProgramHoldsIsToldUnderTheField) {
    ASSERT_TRUE(RegisterHotKey(nullptr, 7, MOD_CONTROL | MOD_SHIFT, VK_F9));
    driver.Run(Settings(), {[](HWND dialog) {
        const HWND taken = Ctl(dialog, Setup::idShowAgainTaken);
        EXPECT_FALSE(IsWindowVisible(taken)) << "told on its page";
        ShowPage(dialog, Setup::pageAlerts);
        EXPECT_TRUE(IsWindowVisible(taken));
        EXPECT_EQ("Another program uses this key.", TextOf(taken));
        SetHotkey(dialog, 0x0341);  // Ctrl+Shift+A
        EXPECT_FALSE(IsWindowVisible(taken));
        SetHotkey(dialog, 0x0378);
        EXPECT_TRUE(IsWindowVisible(taken));
        Click(dialog, IDOK);
    }});
    UnregisterHotKey(nullptr, 7);
    EXPECT_EQ(0x0378u, Settings().ShowAgainHotkey);
}

TEST_F(SetupDialogTest, SettingsReachTheControls) {
    Store({false, true, false, 0, kUnnamed, 0x8000001B});
    driver.Run(Settings(), {[](HWND dialog) {
        EXPECT_FALSE(Checked(dialog, Setup::idAutoHideHint));
        EXPECT_TRUE(Checked(dialog, Setup::idUseFading));
        EXPECT_FALSE(Checked(dialog, Setup::idDisplayWhenOEActive));
        // A stored 0 equals what the new field shows, so it stays 0.
        EXPECT_EQ("0", TextOf(Ctl(dialog, Setup::idHintTimeEdit)));
        EXPECT_EQ("Custom", ComboText(dialog, Setup::idBeginColor));
        EXPECT_EQ("GradientActiveCaption", ComboText(dialog, Setup::idEndColor));
        // Auto hide off: the hint time has nothing to say.
        EXPECT_FALSE(IsWindowEnabled(Ctl(dialog, Setup::idHintTimeEdit)));
        EXPECT_FALSE(IsWindowEnabled(Ctl(dialog, Setup::idHintTimeUpDown)));
        EXPECT_FALSE(IsWindowEnabled(Ctl(dialog, Setup::idHintTimeLabel)));
        Click(dialog, IDOK);
    }});
    // OK leaves an unnamed colour as it was; the 0 shown comes back within the range.
    EXPECT_EQ((TDialogValues {false, true, false, 1, kUnnamed, 0x8000001B}), Current());

    Store({true, false, true, 5000, 0x00FFFFFF, 0x1FFFFFFF});
    driver.Run(Settings(), {[](HWND dialog) {
        EXPECT_TRUE(Checked(dialog, Setup::idAutoHideHint));
        EXPECT_FALSE(Checked(dialog, Setup::idUseFading));
        EXPECT_TRUE(Checked(dialog, Setup::idDisplayWhenOEActive));
        EXPECT_EQ("1800", TextOf(Ctl(dialog, Setup::idHintTimeEdit))) << "clamped on the way in";
        EXPECT_EQ("White", ComboText(dialog, Setup::idBeginColor));
        EXPECT_EQ("None", ComboText(dialog, Setup::idEndColor));
        EXPECT_TRUE(IsWindowEnabled(Ctl(dialog, Setup::idHintTimeEdit)));
        EXPECT_TRUE(IsWindowEnabled(Ctl(dialog, Setup::idHintTimeLabel)));
        Click(dialog, IDCANCEL);
    }});

    Store({true, true, true, -7, 0x8000001B, 0x00FFFFFF});
    driver.Run(Settings(), {[](HWND dialog) {
        EXPECT_EQ("1", TextOf(Ctl(dialog, Setup::idHintTimeEdit)));
        Click(dialog, IDCANCEL);
    }});
}

TEST_F(SetupDialogTest, AutoHideHintGreysTheHintTimeAndItsLabel) {
    Store({true, true, true, 3, 0x8000001B, 0x00FFFFFF});
    driver.Run(Settings(), {
        [](HWND dialog) {
            EXPECT_TRUE(IsWindowEnabled(Ctl(dialog, Setup::idHintTimeEdit)));
            EXPECT_TRUE(IsWindowEnabled(Ctl(dialog, Setup::idHintTimeLabel)));
            Click(dialog, Setup::idAutoHideHint);
            EXPECT_FALSE(Checked(dialog, Setup::idAutoHideHint));
            EXPECT_FALSE(IsWindowEnabled(Ctl(dialog, Setup::idHintTimeEdit)));
            EXPECT_FALSE(IsWindowEnabled(Ctl(dialog, Setup::idHintTimeUpDown)));
            EXPECT_FALSE(IsWindowEnabled(Ctl(dialog, Setup::idHintTimeLabel)));
            // Nothing else depends on it.
            EXPECT_TRUE(IsWindowEnabled(Ctl(dialog, Setup::idUseFading)));
            EXPECT_TRUE(IsWindowEnabled(Ctl(dialog, Setup::idBeginColor)));
        },
        [](HWND dialog) {
            // The keyboard's way: Space on the focused check box.
            Focus(dialog, Setup::idAutoHideHint);
            SendMessageA(Ctl(dialog, Setup::idAutoHideHint), WM_KEYDOWN, VK_SPACE, 0);
            SendMessageA(Ctl(dialog, Setup::idAutoHideHint), WM_KEYUP, VK_SPACE, 0xC0000001);
            EXPECT_TRUE(Checked(dialog, Setup::idAutoHideHint));
            EXPECT_TRUE(IsWindowEnabled(Ctl(dialog, Setup::idHintTimeEdit)));
            EXPECT_TRUE(IsWindowEnabled(Ctl(dialog, Setup::idHintTimeUpDown)));
            EXPECT_TRUE(IsWindowEnabled(Ctl(dialog, Setup::idHintTimeLabel)));
            Click(dialog, Setup::idAutoHideHint);
            Click(dialog, IDOK);
        },
    });
    EXPECT_FALSE(Settings().AutoHideHint);
}

TEST_F(SetupDialogTest, OkCopiesEveryValueIntoTheSettings) {
    Store({true, true, true, 3, 0x8000001B, 0x00FFFFFF});
    driver.Run(Settings(), {[](HWND dialog) {
        Click(dialog, Setup::idAutoHideHint);
        Click(dialog, Setup::idAutoHideHint);  // back on: the hint time stays editable
        Click(dialog, Setup::idUseFading);
        Click(dialog, Setup::idDisplayWhenOEActive);
        Type(dialog, "42");
        Pick(dialog, Setup::idBeginColor, "Navy");
        Pick(dialog, Setup::idEndColor, "InfoBk");
        EXPECT_EQ(0x0378, SendMessageA(Ctl(dialog, Setup::idShowAgainHotkey), HKM_GETHOTKEY, 0, 0)) << "Ctrl+Shift+F9";
        SetHotkey(dialog, 0x0541);  // Shift+Alt+A
        EXPECT_TRUE(Checked(dialog, Setup::idHoldWhileAway));
        EXPECT_EQ("10", TextOf(Ctl(dialog, Setup::idAwayMinutesEdit)));
        SetWindowTextA(Ctl(dialog, Setup::idAwayMinutesEdit), "25");
        Click(dialog, IDOK);
    }});
    TDialogValues changed {true, false, false, 42, 0x800000, 0x80000018};
    changed.ShowAgainHotkey = 0x0541;
    changed.AwayMinutes = 25;
    EXPECT_EQ(changed, Current());

    driver.Run(Settings(), {[](HWND dialog) {
        Click(dialog, Setup::idAutoHideHint);
        Click(dialog, Setup::idUseFading);
        Pick(dialog, Setup::idBeginColor, "Default");
        Pick(dialog, Setup::idEndColor, "Black");
        // Never held while away: the minutes cannot be set then.
        Click(dialog, Setup::idHoldWhileAway);
        EXPECT_FALSE(IsWindowEnabled(Ctl(dialog, Setup::idAwayMinutesEdit)));
        Click(dialog, IDOK);
    }});
    changed = {false, true, false, 42, 0x20000000, 0x000000};
    changed.ShowAgainHotkey = 0x0541;
    changed.AwayMinutes = 0;
    EXPECT_EQ(changed, Current());

    // "Summarize bursts" stores 5 or 0, and keeps another limit while left alone.
    TDialogValues values {true, true, true, 3, 0x8000001B, 0x00FFFFFF};
    values.SummarizeAfter = 12;
    Store(values);
    driver.Run(Settings(), {[](HWND dialog) {
        EXPECT_TRUE(Checked(dialog, Setup::idSummarizeBursts));
        EXPECT_TRUE(Checked(dialog, Setup::idPlaySound));
        EXPECT_TRUE(Checked(dialog, Setup::idQuietFullScreen));
        Click(dialog, IDOK);
    }});
    EXPECT_EQ(values, Current());
    driver.Run(Settings(), {[](HWND dialog) {
        EXPECT_TRUE(Checked(dialog, Setup::idShowUnreadCount));
        Click(dialog, Setup::idSummarizeBursts);
        Click(dialog, Setup::idPlaySound);
        // By their access keys, as from the keyboard, on their page: Alt+Q, Alt+C.
        ShowPage(dialog, Setup::pageAlerts);
        PostMessageA(dialog, WM_SYSCHAR, 'q', 0x20000000);
        PostMessageA(dialog, WM_SYSCHAR, 'c', 0x20000000);
    }, [](HWND dialog) {
        Click(dialog, IDOK);
    }});
    values.SummarizeAfter = 0, values.PlaySound = false, values.QuietFullScreen = false, values.ShowUnreadCount = false;
    EXPECT_EQ(values, Current());
    driver.Run(Settings(), {[](HWND dialog) {
        EXPECT_FALSE(Checked(dialog, Setup::idSummarizeBursts));
        Click(dialog, Setup::idSummarizeBursts);
        Click(dialog, IDOK);
    }});
    EXPECT_EQ(5, Current().SummarizeAfter);
}

TEST_F(SetupDialogTest, CancelEscapeAndTheCloseBoxChangeNothing) {
    const TDialogValues before {true, true, false, 7, kUnnamed, 0x00FFFFFF};
    Store(before);
    auto change = [](HWND dialog) {
        Click(dialog, Setup::idAutoHideHint);
        Click(dialog, Setup::idUseFading);
        Click(dialog, Setup::idDisplayWhenOEActive);
        Pick(dialog, Setup::idBeginColor, "Red");
        Pick(dialog, Setup::idEndColor, "Lime");
    };
    driver.Run(Settings(), {[&](HWND dialog) {
        Type(dialog, "99");
        change(dialog);
        Click(dialog, IDCANCEL);
    }});
    EXPECT_EQ(before, Current());

    driver.Run(Settings(), {change, [](HWND dialog) {
                    Type(dialog, "12");
                    PostKey(GetFocus(), VK_ESCAPE);
                }});
    EXPECT_EQ(before, Current());

    driver.Run(Settings(), {change, [](HWND dialog) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }});
    EXPECT_EQ(before, Current());
}

TEST_F(SetupDialogTest, ColourComboGivesTheCustomColourBackAfterWhite) {
    Store({true, true, true, 3, kUnnamed, 0x00FFFFFF});
    driver.Run(Settings(), {[](HWND dialog) {
        EXPECT_EQ("Custom", ComboText(dialog, Setup::idBeginColor));
        Pick(dialog, Setup::idBeginColor, "White");
        EXPECT_EQ("White", ComboText(dialog, Setup::idBeginColor));
        Pick(dialog, Setup::idBeginColor, "Custom");
        EXPECT_EQ("Custom", ComboText(dialog, Setup::idBeginColor));
        // The end colour never had a custom one: Custom is black.
        Pick(dialog, Setup::idEndColor, "Custom");
        Click(dialog, IDOK);
    }});
    EXPECT_EQ(kUnnamed, Settings().BeginColor);
    EXPECT_EQ(0u, Settings().EndColor);
}

TEST_F(SetupDialogTest, ASecondRequestBringsTheOpenDialogToTheFront) {
    std::unique_ptr<TUserWindow> user;
    driver.Run(Settings(), {
        [&](HWND dialog) {
            EXPECT_EQ(dialog, GetForegroundWindow());
            Click(dialog, Setup::idUseFading);  // a change the second request must not lose
            // A plain window of the user's, in front before the dialog is asked for.
            user.reset(new TUserWindow("PellumoSetupTestUserWindow", 300, 250, 500, 400));
            ASSERT_TRUE(user->Hwnd());
            SetForegroundWindow(user->Hwnd());
        },
        [&](HWND dialog) {
            ASSERT_EQ(user->Hwnd(), GetForegroundWindow());
            // As the tray icon would, from inside the open dialog's loop:
            // returns at once.
            driver.Holder.ShowSetupDialog(Settings());
            EXPECT_EQ(dialog, driver.Holder.DialogHandle());
            EXPECT_EQ(dialog, GetForegroundWindow());
            EXPECT_EQ(1, CountDialogs());
            EXPECT_FALSE(Checked(dialog, Setup::idUseFading));
            Click(dialog, IDOK);
        },
    });
    EXPECT_FALSE(Settings().UseFading);
    EXPECT_EQ(0, CountDialogs());
}

// The program ending while the dialog is open (its quit request arrives in
// the dialog's loop): the dialog closes as Cancel and the request is left
// for the program's own loop.
TEST_F(SetupDialogTest, ProgramEndClosesTheDialogAsCancelAndKeepsTheQuit) {
    const TDialogValues before = Current();
    driver.Run(Settings(), {[](HWND dialog) {
        Click(dialog, Setup::idUseFading);
        PostQuitMessage(7);
    }});
    EXPECT_EQ(before, Current());
    MSG msg {};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(7u, msg.wParam);
}

int tickerTicks = 0, tickerPosted = 0;

LRESULT CALLBACK TickerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER) ++tickerTicks;
    if (message == WM_APP) ++tickerPosted;
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

TEST_F(SetupDialogTest, OtherWindowsOfTheThreadKeepTheirMessages) {
    // A timer of another window (the popup's, say) goes on ticking, and
    // messages posted to it arrive, while the dialog waits for the user.
    tickerTicks = tickerPosted = 0;
    WNDCLASSA wc {};
    wc.lpfnWndProc = &TickerProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "PellumoSetupTestTicker";
    RegisterClassA(&wc);
    const HWND ticker = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                        wc.hInstance, nullptr);
    ASSERT_TRUE(ticker);
    SetTimer(ticker, 1, 10, nullptr);
    driver.Run(Settings(), {
        [&](HWND) { PostMessageA(ticker, WM_APP, 0, 0); },
        [](HWND) { Sleep(100); },
        [](HWND) {},
        [](HWND dialog) { Click(dialog, IDCANCEL); },
    });
    KillTimer(ticker, 1);
    DestroyWindow(ticker);
    EXPECT_GE(tickerTicks, 3);
    EXPECT_EQ(1, tickerPosted);
}

}  // namespace
}  // namespace test
}  // namespace pellumo
