// The setup dialog's Rules page, driven as a user would (see
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

std::vector<std::string> ListLines(HWND dialog, int id) {
    const HWND list = Ctl(dialog, id);
    std::vector<std::string> lines;
    for (LRESULT i = 0, count = SendMessageA(list, LB_GETCOUNT, 0, 0); i < count; ++i) {
        wchar_t line[256] = {};
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line));
        lines.push_back(Utf8FromWide(line));
    }
    return lines;
}

// A rule selected in its list as a click tells the dialog.
void SelectRule(HWND dialog, int id, int index) {
    SendMessageA(Ctl(dialog, id), LB_SETCURSEL, index, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE), reinterpret_cast<LPARAM>(Ctl(dialog, id)));
}

void SetRule(HWND dialog, const wchar_t* text) { SetWindowTextW(Ctl(dialog, Setup::idRuleEdit), text); }

// The Rules page's lists are the stored rules in their order; the rule
// field's text is added to a list (once, whatever its letter case), put in
// place of the selected rule, which selecting puts into the field, and the
// selected rule is removed; OK stores the lists as they stand, Cancel leaves
// them, and an OK that never touched them keeps them.
TEST_F(SetupDialogTest, RulesAreAddedChangedAndRemovedAndOkStoresTheLists) {
    Settings().NeverAnnounce = {"news@example.org", "subject:lottery"};
    Settings().AlwaysAnnounce = {"boss@example.org"};
    Settings().Save();
    const std::vector<std::string> never {"subject:lottery prize", "*@spam.example"};
    const std::vector<std::string> always {"boss@example.org", "m\xc3\xbcller@example.de", "vip@example.org"};
    driver.Run(Settings(), {[](HWND dialog) {
        ShowPage(dialog, Setup::pageRules);
        EXPECT_EQ((std::vector<std::string> {"news@example.org", "subject:lottery"}), ListLines(dialog, Setup::idNeverList));
        EXPECT_EQ(std::vector<std::string> {"boss@example.org"}, ListLines(dialog, Setup::idAlwaysList));
        SelectRule(dialog, Setup::idNeverList, 1);
        EXPECT_EQ("subject:lottery", TextOf(Ctl(dialog, Setup::idRuleEdit)));
        SetRule(dialog, L"subject:lottery prize");
        Click(dialog, Setup::idNeverChange);
        SetRule(dialog, L"  *@spam.example ");
        Click(dialog, Setup::idNeverAdd);
        SelectRule(dialog, Setup::idNeverList, 0);
        Click(dialog, Setup::idNeverRemove);
        EXPECT_EQ(0, SendMessageA(Ctl(dialog, Setup::idNeverList), LB_GETCURSEL, 0, 0)) << "the next rule selected";
        SetRule(dialog, L"Boss@Example.org");
        Click(dialog, Setup::idAlwaysAdd);
        EXPECT_EQ(0, SendMessageA(Ctl(dialog, Setup::idAlwaysList), LB_GETCURSEL, 0, 0)) << "the rule there selected";
        SetRule(dialog, L"");
        Click(dialog, Setup::idAlwaysAdd);
        Click(dialog, Setup::idAlwaysChange);  // no text to put in its place
        SendMessageA(Ctl(dialog, Setup::idAlwaysList), LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        Click(dialog, Setup::idAlwaysRemove);  // nothing selected
        // By its access key, as from the keyboard: Alt+D.
        SetRule(dialog, L"m\u00fcller@example.de");
        PostMessageA(dialog, WM_SYSCHAR, 'd', 0x20000000);
    }, [&](HWND dialog) {
        EXPECT_EQ(never, ListLines(dialog, Setup::idNeverList));
        // Enter in the rule field adds to the list its rule was selected in.
        SelectRule(dialog, Setup::idAlwaysList, 1);
        SetRule(dialog, L"vip@example.org");
        Focus(dialog, Setup::idRuleEdit);
        PostKey(Ctl(dialog, Setup::idRuleEdit), VK_RETURN);
    }, [&](HWND dialog) {
        EXPECT_EQ(never, ListLines(dialog, Setup::idNeverList));
        EXPECT_EQ(always, ListLines(dialog, Setup::idAlwaysList)) << "and the dialog stays";
        Click(dialog, IDOK);
    }});
    EXPECT_EQ(never, Settings().NeverAnnounce);
    EXPECT_EQ(always, Settings().AlwaysAnnounce);
    {
        const TNotifierSettings stored;
        EXPECT_EQ(never, stored.NeverAnnounce);
        EXPECT_EQ(always, stored.AlwaysAnnounce);
    }

    driver.Run(Settings(), {[](HWND dialog) {
        ShowPage(dialog, Setup::pageRules);
        SelectRule(dialog, Setup::idNeverList, 0);
        Click(dialog, Setup::idNeverRemove);
        Click(dialog, IDCANCEL);
    }});
    EXPECT_EQ(never, Settings().NeverAnnounce);
    driver.Run(Settings(), {[](HWND dialog) { Click(dialog, IDOK); }});
    EXPECT_EQ(never, Settings().NeverAnnounce);
    EXPECT_EQ(always, Settings().AlwaysAnnounce);
}

}  // namespace
}  // namespace test
}  // namespace pellumo
