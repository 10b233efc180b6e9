// The setup dialog's hint time field: what can be typed, the range it keeps
// and how Enter, the arrows, its buttons and the wheel change it (see
// win/SetupDialogDriver.h); needs a display, skipped without one.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "platform/WideText_win.h"
#include "settings/NotifierSettings.h"
#include "settings/SetupDialog.h"
#include "win/SetupDialogDriver.h"
#include "win/TestWindows.h"

namespace pellumo {
namespace test {
namespace {

TEST_F(SetupDialogTest, HintTimeIsClampedWhenTheFieldIsLeft) {
    Store({true, true, true, 3, 0x8000001B, 0x00FFFFFF});
    driver.Run(Settings(), {
        [](HWND dialog) {
            Type(dialog, "5000");
            EXPECT_EQ("5000", TextOf(Ctl(dialog, Setup::idHintTimeEdit)));
            PostKey(Ctl(dialog, Setup::idHintTimeEdit), VK_TAB);
        },
        [](HWND dialog) {
            EXPECT_EQ(Ctl(dialog, Setup::idDisplayWhenOEActive), GetFocus());
            EXPECT_EQ("1800", TextOf(Ctl(dialog, Setup::idHintTimeEdit)));
            Type(dialog, "-5");
            PostKey(Ctl(dialog, Setup::idHintTimeEdit), VK_TAB);
        },
        [](HWND dialog) {
            EXPECT_EQ("1", TextOf(Ctl(dialog, Setup::idHintTimeEdit)));
            Type(dialog, "+");
            Focus(dialog, Setup::idBeginColor);
            EXPECT_EQ("1", TextOf(Ctl(dialog, Setup::idHintTimeEdit))) << "not a number reads as 1";
            Type(dialog, "250");
            Click(dialog, IDOK);  // the click takes the focus first
        },
    });
    EXPECT_EQ(250, Settings().HintTime);
}

TEST_F(SetupDialogTest, OnlyNumberCharactersCanBeTyped) {
    Store({true, true, true, 3, 0x8000001B, 0x00FFFFFF});
    char separator[8] = {};
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, sizeof separator);
    driver.Run(Settings(), {[&](HWND dialog) {
        Type(dialog, std::string("1a2 b+x-") + separator[0] + "3");
        EXPECT_EQ(std::string("12+-") + separator[0] + "3", TextOf(Ctl(dialog, Setup::idHintTimeEdit)));
        Click(dialog, IDCANCEL);
    }});
}

TEST_F(SetupDialogTest, EnterTakesTheValueWithinTheRange) {
    Store({true, true, true, 3, 0x8000001B, 0x00FFFFFF});
    // Empty reads as 1.
    driver.Run(Settings(), {[](HWND dialog) {
        Type(dialog, "");
        EXPECT_EQ("", TextOf(Ctl(dialog, Setup::idHintTimeEdit)));
        PostKey(Ctl(dialog, Setup::idHintTimeEdit), VK_RETURN);
    }});
    EXPECT_EQ(1, Settings().HintTime);

    // Confirmed while the field still has the focus: clamped all the same.
    driver.Run(Settings(), {[](HWND dialog) {
        Type(dialog, "5000");
        PostKey(Ctl(dialog, Setup::idHintTimeEdit), VK_RETURN);
    }});
    EXPECT_EQ(1800, Settings().HintTime);
    driver.Run(Settings(), {[](HWND dialog) {
        Type(dialog, "-5");
        PostKey(Ctl(dialog, Setup::idHintTimeEdit), VK_RETURN);
    }});
    EXPECT_EQ(1, Settings().HintTime);

    // Enter on another control is OK too.
    driver.Run(Settings(), {[](HWND dialog) {
        Click(dialog, Setup::idUseFading);
        Focus(dialog, Setup::idUseFading);
        PostKey(Ctl(dialog, Setup::idUseFading), VK_RETURN);
    }});
    EXPECT_FALSE(Settings().UseFading);
    EXPECT_EQ(1, Settings().HintTime);
}

TEST_F(SetupDialogTest, ArrowsButtonsAndWheelStepByOneWithinTheRange) {
    Store({true, true, true, 1799, 0x8000001B, 0x00FFFFFF});
    const auto text = [](HWND dialog) { return TextOf(Ctl(dialog, Setup::idHintTimeEdit)); };
    driver.Run(Settings(), {
        [](HWND dialog) {
            Focus(dialog, Setup::idHintTimeEdit);
            PostKey(Ctl(dialog, Setup::idHintTimeEdit), VK_UP);
        },
        [&](HWND dialog) {
            EXPECT_EQ("1800", text(dialog));
            PostKey(Ctl(dialog, Setup::idHintTimeEdit), VK_UP);
        },
        [&](HWND dialog) {
            EXPECT_EQ("1800", text(dialog)) << "not past the top";
            PostKey(Ctl(dialog, Setup::idHintTimeEdit), VK_DOWN);
        },
        [&](HWND dialog) {
            EXPECT_EQ("1799", text(dialog));
            const HWND edit = Ctl(dialog, Setup::idHintTimeEdit);
            SendMessageA(edit, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
            EXPECT_EQ("1800", text(dialog));
            SendMessageA(edit, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
            EXPECT_EQ("1800", text(dialog));
            SendMessageA(edit, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
            EXPECT_EQ("1799", text(dialog));

            Type(dialog, "2");
            // The buttons: a press on the lower half, then on the upper.
            const HWND upDown = Ctl(dialog, Setup::idHintTimeUpDown);
            RECT r {};
            GetClientRect(upDown, &r);
            const LPARAM lower = MAKELPARAM(r.right / 2, r.bottom * 3 / 4);
            const LPARAM upper = MAKELPARAM(r.right / 2, r.bottom / 4);
            SendMessageA(upDown, WM_LBUTTONDOWN, MK_LBUTTON, lower);
            SendMessageA(upDown, WM_LBUTTONUP, 0, lower);
            EXPECT_EQ("1", text(dialog));
            SendMessageA(upDown, WM_LBUTTONDOWN, MK_LBUTTON, lower);
            SendMessageA(upDown, WM_LBUTTONUP, 0, lower);
            EXPECT_EQ("1", text(dialog)) << "not below the bottom";
            SendMessageA(upDown, WM_LBUTTONDOWN, MK_LBUTTON, upper);
            SendMessageA(upDown, WM_LBUTTONUP, 0, upper);
            EXPECT_EQ("2", text(dialog));
            // A text that is no number steps from 1.
            Type(dialog, "-");
            SendMessageA(edit, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
            EXPECT_EQ("2", text(dialog));
            Click(dialog, IDOK);
        },
    });
    EXPECT_EQ(2, Settings().HintTime);
}

}  // namespace
}  // namespace test
}  // namespace pellumo
