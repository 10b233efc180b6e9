#pragma once
// Driving the real setup dialog from inside its own modal loop: a thread
// timer runs one step per tick while ShowSetupDialog waits, and the small
// acts of a user on its controls.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "DbxWriter.h"
#include "controls/GradientPanel.h"
#include "platform/Stream.h"
#include "settings/NotifierSettings.h"
#include "settings/SetupDialog.h"
#include "store/DbxFolderTree.h"
#include "unit/RegistryFixture.h"
#include "win/Display.h"

namespace pellumo {
namespace test {

using Setup = TSetupDialog;

inline HWND Ctl(HWND dialog, int id) { return GetDlgItem(dialog, id); }

inline std::string TextOf(HWND window) {
    char buffer[256] = {};
    GetWindowTextA(window, buffer, sizeof buffer);
    return buffer;
}

inline bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

inline std::string ComboText(HWND dialog, int id) {
    const HWND combo = Ctl(dialog, id);
    const LRESULT index = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) return "(none)";
    char buffer[64] = {};
    SendMessageA(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(buffer));
    return buffer;
}

// A pick in the drop-down list as the combo box reports it to its parent.
inline void Pick(HWND dialog, int id, const char* text) {
    const HWND combo = Ctl(dialog, id);
    const LRESULT index = SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(text));
    ASSERT_NE(CB_ERR, index) << text;
    SendMessageA(combo, CB_SETCURSEL, index, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

inline void Focus(HWND dialog, int id) {
    SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Ctl(dialog, id)), TRUE);
}

// Replaces the hint time field's text by typing, each character through the filter.
inline void Type(HWND dialog, const std::string& text) {
    Focus(dialog, Setup::idHintTimeEdit);
    const HWND edit = Ctl(dialog, Setup::idHintTimeEdit);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    SendMessageA(edit, WM_CHAR, VK_BACK, 0);
    for (char ch : text) SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(ch), 0);
}

// A key as the keyboard delivers it: queued, so it passes the dialog's loop.
inline void PostKey(HWND window, UINT key) {
    PostMessageA(window, WM_KEYDOWN, key, 1);
    PostMessageA(window, WM_KEYUP, key, 0xC0000001);
}

inline void Click(HWND dialog, int id) { SendMessageA(Ctl(dialog, id), BM_CLICK, 0, 0); }

// A page chosen on its tab, as a click on the tab tells the dialog.
inline void ShowPage(HWND dialog, int page) {
    const HWND tabs = Ctl(dialog, Setup::idPages);
    SendMessageA(tabs, TCM_SETCURSEL, page, 0);
    NMHDR header {tabs, static_cast<UINT_PTR>(Setup::idPages), static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageA(dialog, WM_NOTIFY, Setup::idPages, reinterpret_cast<LPARAM>(&header));
}

inline int PageShown(HWND dialog) { return static_cast<int>(SendMessageA(Ctl(dialog, Setup::idPages), TCM_GETCURSEL, 0, 0)); }

// Runs ShowSetupDialog on `settings` with Steps run one per timer tick
// inside its loop. Holder is where the open dialog is kept.
// The steps must close the dialog; if they have not within the time limit,
// the test fails and the dialog is cancelled.
class TDialogDriver {
public:
    using TStep = std::function<void(HWND dialog)>;

    void Run(TNotifierSettings& settings, std::vector<TStep> steps, DWORD limitMs = 10000) {
        steps_ = std::move(steps);
        next_ = 0;
        timedOut_ = false;
        start_ = GetTickCount();
        limit_ = limitMs;
        current_ = this;
        const UINT_PTR timer = SetTimer(nullptr, 0, 20, &Tick);
        ASSERT_NE(0u, timer);
        try {
            Ok = Holder.ShowSetupDialog(settings).Ok;
        } catch (...) {
            KillTimer(nullptr, timer);
            current_ = nullptr;
            throw;
        }
        KillTimer(nullptr, timer);
        current_ = nullptr;
        EXPECT_FALSE(timedOut_) << "the dialog was still open after " << limitMs << " ms";
        EXPECT_EQ(steps_.size(), next_) << "the dialog closed before every step had run";
        EXPECT_EQ(nullptr, Holder.DialogHandle());
    }

    TSetupDialogHolder Holder;
    bool Ok = false;  // how the last run closed

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        TDialogDriver* self = current_;
        const HWND dialog = static_cast<HWND>(self ? self->Holder.DialogHandle() : nullptr);
        if (!self || !dialog || self->busy_) return;
        if (GetTickCount() - self->start_ > self->limit_) {
            self->timedOut_ = true;
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            return;
        }
        if (self->next_ >= self->steps_.size()) return;
        self->busy_ = true;
        self->steps_[self->next_++](dialog);
        self->busy_ = false;
    }

    static inline TDialogDriver* current_ = nullptr;
    std::vector<TStep> steps_;
    size_t next_ = 0;
    bool busy_ = false;
    bool timedOut_ = false;
    DWORD start_ = 0;
    DWORD limit_ = 0;
};

// Local folders with the special ones and two of the user's (Lists 000020,
// Family 000021), and a mail account beside them.
inline std::unique_ptr<TDbxFolderNode> SampleFolderTree() {
    auto folder = [](uint32_t id, uint32_t parent, const std::string& name, uint8_t kind, const std::string& storeId = "") {
        mkstore::Folder f;
        f.id = id, f.parentId = parent, f.name = name, f.kind = kind, f.storeId = storeId;
        if (storeId.empty()) f.fileName = name + ".dbx";
        return f;
    };
    const std::vector<uint8_t> file = mkstore::WriteFolderFile(
        {folder(1, 0, "Local Folders", 0, "LocalStore"), folder(4, 1, "Inbox", 1), folder(5, 1, "Outbox", 2),
         folder(6, 1, "Sent Items", 3), folder(0x20, 1, "Lists", 0), folder(0x21, 1, "Family", 0),
         folder(9, 0, "Mail account", 0, "{ACCOUNT}")});
    TMemoryStream stream(file);
    TDbxFolderListFile dbx;
    dbx.Open(stream);
    TDbxFolderTreeBuilder builder(dbx);
    builder.StoreRoot = "C:\\store\\";
    std::unique_ptr<TDbxFolderNode> root(new TDbxFolderNode("Main Identity", nullptr));
    builder.Build(*root);
    return root;
}


// The values the dialog edits.
using TDialogValues = TUserSettings;

// A colour with no name in the colour lists.
constexpr TColor kUnnamed = 0x00EBB170;

// The dialog's tests: a settings object of their own, from a registry without
// the key, and a driver for the dialog's modal loop.
class SetupDialogTest : public RegistryTest {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        if (!DisplayUsable()) GTEST_SKIP() << "no display to show windows on";
        // A settings object of its own, from a registry without the key.
        settings_.reset(new TNotifierSettings);
        SetCursorPos(1, 1);
    }
    void TearDown() override {
        settings_.reset();
        RegistryTest::TearDown();
    }

    TNotifierSettings& Settings() { return *settings_; }
    TDialogValues Current() { return UserSettingsOf(*settings_); }
    void Store(const TDialogValues& six) { ApplyUserSettings(*settings_, six); }

    std::unique_ptr<TNotifierSettings> settings_;
    TDialogDriver driver;
};
}  // namespace test
}  // namespace pellumo
