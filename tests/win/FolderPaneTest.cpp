// The setup dialog's folder tree, driven as a user would: what it lists and
// ticks, what space does, and what OK and Cancel write of the folder choices.
// Needs a display (under Wine: Xvfb, see window-tests.sh); skipped without one.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "settings/FolderChoices.h"
#include "settings/NotifierSettings.h"
#include "unit/RegistryFixture.h"
#include "win/Display.h"
#include "win/SetupDialogDriver.h"

namespace pellumo {
namespace test {
namespace {

const char kIdentity[] = "{00000000-7E57-0000-0000-0000000000F0}";

// Every item of the tree, depth first: "  Name [x]" (ticked), "[ ]" (not),
// nothing (no check box), two blanks a level.
void Collect(HWND tree, HTREEITEM item, int depth, std::vector<std::string>& out) {
    for (; item; item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)))) {
        char text[128] = {};
        TVITEMA query {};
        query.mask = TVIF_TEXT | TVIF_STATE;
        query.stateMask = TVIS_STATEIMAGEMASK;
        query.hItem = item;
        query.pszText = text;
        query.cchTextMax = sizeof text;
        SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query));
        const UINT image = (query.state & TVIS_STATEIMAGEMASK) >> 12;
        out.push_back(std::string(2 * depth, ' ') + text + (image == 2 ? " [x]" : image == 1 ? " [ ]" : ""));
        Collect(tree, reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item))),
                depth + 1, out);
    }
}
std::vector<std::string> Items(HWND dialog) {
    std::vector<std::string> out;
    const HWND tree = Ctl(dialog, Setup::idFolderTree);
    Collect(tree, reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0)), 0, out);
    return out;
}

// Selects the item of that name, as a click on it does.
HWND Select(HWND dialog, const std::string& name) {
    const HWND tree = Ctl(dialog, Setup::idFolderTree);
    std::vector<HTREEITEM> pending {reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0))};
    while (!pending.empty()) {
        HTREEITEM item = pending.back();
        pending.pop_back();
        for (; item; item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)))) {
            char text[128] = {};
            TVITEMA query {};
            query.mask = TVIF_TEXT;
            query.hItem = item;
            query.pszText = text;
            query.cchTextMax = sizeof text;
            SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query));
            if (name == text) {
                SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
                return tree;
            }
            pending.push_back(reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item))));
        }
    }
    ADD_FAILURE() << "no folder " << name;
    return nullptr;
}

// Selects the item of that name and presses space on the tree, as a user does.
void TickOrUntick(HWND dialog, const std::string& name) {
    if (const HWND tree = Select(dialog, name)) {
        Focus(dialog, Setup::idFolderTree);
        PostKey(tree, VK_SPACE);
    }
}

// The open-file dialog the setup dialog opened, if it is up.
struct TOwnedDialog {
    HWND Owner, Found;
};
BOOL CALLBACK FindOwnedDialog(HWND window, LPARAM param) {
    auto* find = reinterpret_cast<TOwnedDialog*>(param);
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    if (GetWindow(window, GW_OWNER) == find->Owner && std::string(name) == "#32770" && IsWindowVisible(window))
        find->Found = window;
    return find->Found ? FALSE : TRUE;
}
HWND OpenFileDialog(HWND owner) {
    TOwnedDialog find {owner, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), FindOwnedDialog, reinterpret_cast<LPARAM>(&find));
    return find.Found;
}

class FolderPaneTest : public RegistryTest {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        if (!DisplayUsable()) GTEST_SKIP() << "no display to show windows on";
        PutString("Identities", "Last User ID", kIdentity);
        settings_.reset(new TNotifierSettings);
        settings_->FolderTree = SampleFolderTree();
        // Family ticked before, in a colour of its own.
        PutInteger(Folder("000021"), "Watch", 1);
        PutInteger(Folder("000021"), "Color", 0x00336699);
    }
    void TearDown() override {
        settings_.reset();
        RegistryTest::TearDown();
    }
    static std::string Folder(const std::string& id) { return FolderChoicesKey(kIdentity) + "\\" + id; }
    // Every folder key with its values, as regedit lists them.
    static std::vector<std::string> Stored() {
        std::vector<std::string> out;
        const auto key = CurrentUserRegistry().OpenKey(FolderChoicesKey(kIdentity), false, TKeyAccess::Read);
        if (!key) return out;
        for (const std::string& id : key->SubKeyNames()) {
            const auto folder = CurrentUserRegistry().OpenKey(Folder(id), false, TKeyAccess::Read);
            std::string line = id;
            for (const char* name : {"Watch", "Color"})
                if (const auto value = folder->ReadIntegerIfPresent(name)) line += std::string(" ") + name + "=" + std::to_string(*value);
            if (const std::string sound = folder->ReadString("Sound"); !sound.empty()) line += " Sound=" + sound;
            out.push_back(line + " " + folder->ReadString("Name"));
        }
        return out;
    }

    std::unique_ptr<TNotifierSettings> settings_;
    TDialogDriver driver;
};

using Lines = std::vector<std::string>;

TEST_F(FolderPaneTest, ListsTheFoldersTicksWhatIsWatchedAndOkWritesOnlyWhatChanged) {
    const Lines before = Stored();
    std::vector<TDialogDriver::TStep> steps;
    steps.push_back([&](HWND dialog) {
        // The mail client's order (the special folders first, then by
        // name), accounts without a check box, the Inbox ticked by default,
        // Family as chosen.
        EXPECT_EQ(Items(dialog), (Lines{"Local Folders", "  Inbox [x]", "  Outbox [ ]", "  Sent Items [ ]", "  Family [x]",
                                        "  Lists [ ]", "Mail account"}));
        TickOrUntick(dialog, "Lists");
    });
    steps.push_back([&](HWND dialog) { TickOrUntick(dialog, "Mail account"); });
    steps.push_back([&](HWND dialog) {
        const Lines items = Items(dialog);
        EXPECT_NE(std::find(items.begin(), items.end(), "  Lists [x]"), items.end()) << "space ticks";
        EXPECT_NE(std::find(items.begin(), items.end(), "Mail account"), items.end()) << "an account gets no box";
        // Family's own colour shows as Custom; back to the Start colour.
        TickOrUntick(dialog, "Family");
    });
    steps.push_back([&](HWND dialog) { TickOrUntick(dialog, "Family"); });  // and ticked again
    steps.push_back([&](HWND dialog) {
        EXPECT_EQ("Custom", ComboText(dialog, Setup::idFolderColor));
        Pick(dialog, Setup::idFolderColor, "Default");
        Click(dialog, IDOK);
    });
    driver.Run(*settings_, steps);
    EXPECT_TRUE(driver.Ok);
    ASSERT_EQ(before, (Lines{"000021 Watch=1 Color=3368601 "}));
    EXPECT_EQ(Stored(), (Lines{"000020 Watch=1 Lists", "000021 Watch=1 Family"}));
}

TEST_F(FolderPaneTest, CancelWritesNothing) {
    const Lines before = Stored();
    driver.Run(*settings_, {[](HWND dialog) { TickOrUntick(dialog, "Inbox"); },
                            [](HWND dialog) {
                                EXPECT_EQ("Default", ComboText(dialog, Setup::idFolderColor));
                                Click(dialog, IDCANCEL);
                            }});
    EXPECT_FALSE(driver.Ok);
    EXPECT_EQ(Stored(), before);
}

// A folder's sound: none, or a .wav file picked in the standard open-file
// dialog; OK stores it beside the folder's colour.
TEST_F(FolderPaneTest, AFolderSoundIsPickedInTheOpenFileDialogAndStoredBesideItsColour) {
    char temp[MAX_PATH] = {};
    ASSERT_NE(0u, GetTempPathA(MAX_PATH, temp));
    const std::string wave = std::string(temp) + "lists.wav";
    const HANDLE file = CreateFileA(wave.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    DWORD written = 0;
    WriteFile(file, "RIFF\x04\0\0\0WAVE", 12, &written, nullptr);
    CloseHandle(file);
    std::vector<TDialogDriver::TStep> steps;
    steps.push_back([&](HWND dialog) {
        Select(dialog, "Lists");
        EXPECT_EQ("Default sound", ComboText(dialog, Setup::idFolderSound));
        // Posted: the open-file dialog's own loop then runs the next step.
        const HWND combo = Ctl(dialog, Setup::idFolderSound);
        SendMessageA(combo, CB_SETCURSEL, SendMessageA(combo, CB_GETCOUNT, 0, 0) - 1, 0);
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(Setup::idFolderSound, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    });
    steps.push_back([&](HWND dialog) {
        const HWND open = OpenFileDialog(dialog);
        ASSERT_NE(nullptr, open) << "no open-file dialog";
        EXPECT_EQ("Choose the folder's sound", TextOf(open));
        // The file name field: edt1 in the older dialog, cmb13 in the newer.
        const HWND name = GetDlgItem(open, 0x480) ? GetDlgItem(open, 0x480) : GetDlgItem(open, 0x47c);
        SetWindowTextA(name, wave.c_str());
        PostMessageA(open, WM_COMMAND, IDOK, 0);
    });
    steps.push_back([&](HWND dialog) {
        EXPECT_EQ("lists.wav", ComboText(dialog, Setup::idFolderSound));
        Select(dialog, "Family");
        EXPECT_EQ("Default sound", ComboText(dialog, Setup::idFolderSound));
        Pick(dialog, Setup::idFolderSound, "No sound");
        Select(dialog, "Lists");
        EXPECT_EQ("lists.wav", ComboText(dialog, Setup::idFolderSound));
        Click(dialog, IDOK);
    });
    driver.Run(*settings_, steps);
    EXPECT_TRUE(driver.Ok);
    EXPECT_EQ(Stored(), (Lines{"000020 Sound=" + wave + " Lists", "000021 Watch=1 Color=3368601 Sound=- Family"}));
    DeleteFileA(wave.c_str());
}

// A damaged folder list may nest folders thousands deep: the dialog still
// opens, listing the first levels of them.
TEST_F(FolderPaneTest, AFolderListNestedThousandsDeepIsListedToASaneDepth) {
    std::vector<mkstore::Folder> chain;
    for (uint32_t level = 0; level < 12000; ++level) {
        mkstore::Folder f;
        f.id = 0x100 + level, f.parentId = level ? 0x100 + level - 1 : 0, f.name = "Level " + std::to_string(level);
        f.fileName = f.name + ".dbx";
        chain.push_back(f);
    }
    TMemoryStream stream(mkstore::WriteFolderFile(chain));
    TDbxFolderListFile dbx;
    dbx.Open(stream);
    TDbxFolderTreeBuilder builder(dbx);
    builder.StoreRoot = "C:\\store\\";
    settings_->FolderTree.reset(new TDbxFolderNode("Main Identity", nullptr));
    builder.Build(*settings_->FolderTree);
    int depth = 0;
    driver.Run(*settings_, {[&](HWND dialog) {
        const HWND tree = Ctl(dialog, Setup::idFolderTree);
        for (auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0)); item;
             item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item))))
            ++depth;
        Click(dialog, IDCANCEL);
    }});
    EXPECT_GE(depth, 32);
    EXPECT_LE(depth, 256);
}

}  // namespace
}  // namespace test
}  // namespace pellumo
