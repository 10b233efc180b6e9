// The settings object over the registry: defaults, fallbacks, saving, and
// the repair of wrongly typed values.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include "DbxWriter.h"
#include "app/NewMailSound.h"
#include "platform/Exception.h"
#include "settings/FolderChoices.h"
#include "settings/NotifierSettings.h"
#include "store/DbxFormat.h"
#include "settings/WindowLocation.h"
#include "unit/RegistryFixture.h"

namespace pellumo {
namespace test {
namespace {

const std::string kKey = TNotifierSettings::kKey;

class NotifierSettingsTest : public RegistryTest {
protected:
    static int32_t Stored(const std::string& name) { return Key(kKey)->ReadInteger(name); }
    static std::string StoredText(const std::string& name) { return Key(kKey)->ReadString(name); }
    // A list's strings joined by "|".
    static std::string StoredLines(const std::string& name) {
        std::string joined;
        for (const std::string& line : Key(kKey)->ReadStringsIfPresent(name).value_or(std::vector<std::string>()))
            joined += (joined.empty() ? "" : "|") + line;
        return joined;
    }
    static TRegDataType StoredType(const std::string& name) {
        TRegDataType type = rdNone;
        std::vector<uint8_t> data;
        Key(kKey)->GetValue(name, type, data);
        return type;
    }
    static std::string ConstructionError() {
        try {
            TNotifierSettings settings;
        } catch (const Exception& e) {
            return e.Message();
        }
        return "constructed";
    }
};

TEST_F(NotifierSettingsTest, FirstRunUsesDefaultsAndCreatesTheKeyAtExit) {
    {
        TNotifierSettings s;
        EXPECT_TRUE(s.AutoHideHint);
        EXPECT_TRUE(s.UseFading);
        EXPECT_TRUE(s.DisplayWhenOEActive);
        EXPECT_EQ(s.HintTime, 3);
        const TRect area = PrimaryWorkArea();
        EXPECT_EQ(s.WindowRect.Right, area.Right);
        EXPECT_EQ(s.WindowRect.Bottom, area.Bottom);
        EXPECT_EQ(s.WindowRect.Right - s.WindowRect.Left, 300);
        EXPECT_EQ(s.WindowRect.Bottom - s.WindowRect.Top, 200);
        EXPECT_EQ(s.BeginColor, 0x8000001Bu);
        EXPECT_EQ(s.EndColor, 0x00FFFFFFu);
        EXPECT_EQ(s.ShowAgainHotkey, 0x0378u) << "Ctrl+Shift+F9";
        EXPECT_EQ(s.AwayMinutes, 10);
        EXPECT_EQ(CurrentUserRegistry().OpenKey(kKey, false, TKeyAccess::Read), nullptr);
    }
    // Destroying the object saved it.
    EXPECT_EQ(Stored("AutoHideHint"), 1);
    EXPECT_EQ(Stored("UseFading"), 1);
    EXPECT_EQ(Stored("DisplayWhenOEActive"), 1);
    EXPECT_EQ(Stored("HintTime"), 3);
    EXPECT_EQ(StoredText("Window Location"), FormatWindowLocation(TNotifierSettings::DefaultRect()));
    EXPECT_EQ(StoredType("Window Location"), rdString);
    EXPECT_EQ(uint32_t(Stored("BeginColor")), 0x8000001Bu);
    EXPECT_EQ(uint32_t(Stored("EndColor")), 0x00FFFFFFu);
    EXPECT_EQ(Stored("ShowAgainHotkey"), 0x0378);
    for (const char* name : {"AutoHideHint", "HintTime", "BeginColor", "EndColor", "ShowAgainHotkey"})
        EXPECT_EQ(StoredType(name), rdInteger) << name;
    // No rules, but there for the user to fill in.
    for (const char* name : {kNeverAnnounceValue, kAlwaysAnnounceValue}) {
        EXPECT_EQ(StoredType(name), rdMultiString) << name;
        EXPECT_EQ(StoredLines(name), "") << name;
    }
    // Only a copy installed for every user keeps it.
    EXPECT_EQ(StoredType(kStartWithWindowsValue), rdNone);
}

TEST_F(NotifierSettingsTest, EmptyKeyGivesTheMissingValueFallbacks) {
    Key(kKey);
    TNotifierSettings s;
    EXPECT_FALSE(s.AutoHideHint);
    EXPECT_FALSE(s.UseFading);
    EXPECT_FALSE(s.DisplayWhenOEActive);
    EXPECT_EQ(s.HintTime, 1);
    EXPECT_EQ(s.WindowRect, TNotifierSettings::DefaultRect());
    EXPECT_EQ(s.BeginColor, 0x00EBB170u);
    EXPECT_EQ(s.EndColor, 0x00FFFFFFu);
    // Values added later keep their usual meaning in an older key.
    EXPECT_EQ(s.SummarizeAfter, 5);
    EXPECT_TRUE(s.PlaySound);
    EXPECT_TRUE(s.QuietFullScreen);
    EXPECT_EQ(s.ShowAgainHotkey, 0x0378u);
    EXPECT_EQ(s.AwayMinutes, 10);
}

TEST_F(NotifierSettingsTest, StoredValuesAreReadAndChangesWrittenBack) {
    PutInteger(kKey, "AutoHideHint", 0);
    PutInteger(kKey, "UseFading", 7);  // any non-zero is true
    PutInteger(kKey, "DisplayWhenOEActive", 0);
    PutInteger(kKey, "HintTime", 12);
    PutString(kKey, "Window Location", "10, 20, x, 220", rdExpandString);
    PutInteger(kKey, "BeginColor", 0x00123456);
    PutInteger(kKey, "EndColor", int32_t(0x80000018));
    PutString(kKey, "Unrelated", "kept");
    PutInteger(kKey, "SummarizeAfter", -3);  // as never
    PutInteger(kKey, "PlaySound", 0);
    PutInteger(kKey, "QuietFullScreen", 0);
    PutInteger(kKey, "ShowUnreadCount", 0);
    PutInteger(kKey, "ShowAgainHotkey", 0);  // none
    PutInteger(kKey, "AwayMinutes", 100000);  // past the dialog's range
    Key(kKey)->WriteQword("PausedUntil", 0x01DB0000AABBCCDDull);
    PutInteger(kKey, kStartWithWindowsValue, 0);
    // One rule a string, any script; an empty string inside the list is none.
    Put(kKey, kNeverAnnounceValue, rdMultiString,
        std::string("*@news.example.org") + '\0' + '\0' + u8"subject:Рассылка" + '\0' + '\0');
    Put(kKey, kAlwaysAnnounceValue, rdMultiString, std::string("boss@example.org", 16));  // no zero at all
    PutInteger(kKey, "SetupPage", 2);
    std::unique_ptr<TNotifierSettings> settings(new TNotifierSettings);
    TNotifierSettings& s = *settings;
    EXPECT_FALSE(s.AutoHideHint);
    EXPECT_TRUE(s.UseFading);
    EXPECT_EQ(s.HintTime, 12);
    EXPECT_EQ(s.WindowRect.Left, 10);
    EXPECT_EQ(s.WindowRect.Top, 20);
    EXPECT_EQ(s.WindowRect.Right, TNotifierSettings::DefaultRect().Right);
    EXPECT_EQ(s.WindowRect.Bottom, 220);
    EXPECT_EQ(s.BeginColor, 0x00123456u);
    EXPECT_EQ(s.EndColor, 0x80000018u);
    EXPECT_EQ(s.SummarizeAfter, 0);
    EXPECT_FALSE(s.PlaySound);
    EXPECT_FALSE(s.QuietFullScreen);
    EXPECT_FALSE(s.ShowUnreadCount);
    EXPECT_EQ(s.ShowAgainHotkey, 0u);
    EXPECT_EQ(s.AwayMinutes, 240);
    EXPECT_EQ(0x01DB0000AABBCCDDull, s.PausedUntil);
    EXPECT_EQ(std::optional<bool>(false), s.StartWithWindows);
    EXPECT_EQ((std::vector<std::string>{"*@news.example.org", u8"subject:Рассылка"}), s.NeverAnnounce);
    EXPECT_EQ(std::vector<std::string>{"boss@example.org"}, s.AlwaysAnnounce);
    EXPECT_EQ(2, s.SetupPage);

    s.SummarizeAfter = 12;
    s.SetupPage = 1;
    s.StartWithWindows = true;
    s.PausedUntil = 0;  // resumed
    s.WindowRect = {-1280, 0, -980, 200};
    s.HintTime = 1800;
    s.ShowAgainHotkey = 0x0541;  // Shift+Alt+A
    s.AwayMinutes = 0;  // never away
    s.Language = "pt-BR";
    s.AlwaysAnnounce = {"boss@example.org", "", u8"subject:請求書"};
    // Edited in the registry while the program runs: kept, being unchanged here.
    Put(kKey, kNeverAnnounceValue, rdMultiString, std::string("*@spam.example\0", 16));
    settings.reset();
    EXPECT_EQ(StoredLines(kAlwaysAnnounceValue), u8"boss@example.org|subject:請求書");
    EXPECT_EQ(StoredLines(kNeverAnnounceValue), "*@spam.example");
    EXPECT_EQ(StoredText("Window Location"), "-1280, 0, -980, 200");
    EXPECT_EQ(Stored("UseFading"), 1);
    EXPECT_EQ(Stored("HintTime"), 1800);
    EXPECT_EQ(Stored("SummarizeAfter"), 12);
    EXPECT_EQ(Stored("QuietFullScreen"), 0);
    EXPECT_EQ(StoredType("Window Location"), rdString);
    EXPECT_EQ(StoredText("Unrelated"), "kept");
    EXPECT_EQ(StoredType("PausedUntil"), rdNone);
    EXPECT_EQ(Stored(kStartWithWindowsValue), 1);
    EXPECT_EQ(Stored("ShowAgainHotkey"), 0x0541);
    EXPECT_EQ(Stored("AwayMinutes"), 0);
    EXPECT_EQ(StoredText("Language"), "pt-BR");
    EXPECT_EQ(Stored("SetupPage"), 1);
    const TRect back = TNotifierSettings().WindowRect;
    EXPECT_EQ(back.Left, -1280);
    EXPECT_EQ(back.Right, -980);
}

// A bad value (the registry is the user's to edit) costs that value alone:
// it is told once, repaired with its first-run default, and every other
// value, before it or after it in the key, keeps what the user set.
TEST_F(NotifierSettingsTest, BadValueIsRepairedAloneAndTheOthersKept) {
    struct {
        const char* Name;
        TRegDataType Type;
        std::string Bytes;
        const char* Error;
        std::string Repaired;  // the value afterwards, as Stored or StoredText gives it
    } const cases[] = {
        {"HintTime", rdString, std::string("abc", 4), "Invalid data type for 'HintTime'", "3"},
        {"HintTime", rdString, std::string("abcdef", 7), "Failed to get data for 'HintTime'", "3"},
        {"Window Location", rdInteger, std::string("\x05\0\0\0", 4), "Invalid data type for 'Window Location'",
         FormatWindowLocation(TNotifierSettings::DefaultRect())},
        {"EndColor", rdBinary, std::string("\x01\x02\x03\x04", 4), "Invalid data type for 'EndColor'",
         std::to_string(0x00FFFFFF)},
        {"ShowAgainHotkey", rdString, std::string("F9", 3), "Invalid data type for 'ShowAgainHotkey'",
         std::to_string(0x0378)},
        // A list of rules typed as one string: no rules, the list there to fill in.
        {"NeverAnnounce", rdString, std::string("*@spam.example\0", 15), "Invalid data type for 'NeverAnnounce'", ""},
        {"AlwaysAnnounce", rdInteger, std::string("\x01\0\0\0", 4), "Invalid data type for 'AlwaysAnnounce'", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Error);
        Clean();
        PutInteger(kKey, "AutoHideHint", 0);
        PutInteger(kKey, "HintTime", 7);
        PutInteger(kKey, "BeginColor", 0x00123456);
        PutInteger(kKey, "PlaySound", 0);
        Put(kKey, c.Name, c.Type, c.Bytes);
        {
            TNotifierSettings s;
            EXPECT_EQ(s.LoadError.English(), c.Error);
            // Repaired at once, before any save.
            const TRegDataType repairedType = StoredType(c.Name);
            EXPECT_EQ(repairedType == rdString        ? StoredText(c.Name)
                      : repairedType == rdMultiString ? StoredLines(c.Name)
                                                      : std::to_string(Stored(c.Name)),
                      c.Repaired);
            EXPECT_FALSE(s.AutoHideHint);
            EXPECT_FALSE(s.PlaySound);  // read after the bad value
            EXPECT_EQ(s.BeginColor, 0x00123456u);
            if (std::string(c.Name) != "HintTime") {
                EXPECT_EQ(s.HintTime, 7);
            }
            EXPECT_EQ(StoredType("UseFading"), rdNone) << "nothing but the repair is written before a save";
        }
        EXPECT_EQ(Stored("PlaySound"), 0);
        EXPECT_EQ(uint32_t(Stored("BeginColor")), 0x00123456u);
        EXPECT_TRUE(TNotifierSettings().LoadError.Empty());
    }
    // A pause's end that cannot be read is no pause, a start-with-Windows
    // setting none, decided again as on a first start, and the setup
    // dialog's page its first: no error box for any.
    Clean();
    PutInteger(kKey, "PausedUntil", 5);
    PutString(kKey, kStartWithWindowsValue, "1");
    PutString(kKey, "SetupPage", "2");
    TNotifierSettings s;
    EXPECT_EQ(0u, s.PausedUntil);
    EXPECT_EQ(std::nullopt, s.StartWithWindows);
    EXPECT_EQ(0, s.SetupPage);
    EXPECT_TRUE(s.LoadError.Empty());
}

// The stored hotkey is the hotkey control's value; the program registers it
// with the system's modifier flags, which are ordered otherwise. A number the
// setup dialog would not take (no Ctrl or Alt, both, no key, past the
// control's two bytes) is never registered: it is repaired with the default.
TEST_F(NotifierSettingsTest, ShowAgainHotkeyIsRegisteredAsStored) {
    const char* const refused = "Invalid value for 'ShowAgainHotkey'";
    const struct {
        int32_t Stored;
        uint32_t Loaded;
        std::optional<THotkeyRegistration> Registered;
        const char* Text;
        const char* Error;
    } cases[] = {
        {0x0378, 0x0378, THotkeyRegistration {0x2 | 0x4, 0x78}, "Ctrl+Shift+F9", ""},
        {0x0441, 0x0441, THotkeyRegistration {0x1, 'A'}, "Alt+A", ""},
        {0x0241, 0x0241, THotkeyRegistration {0x2, 'A'}, "Ctrl+A", ""},
        {0x0B2E, 0x0B2E, THotkeyRegistration {0x2 | 0x4, 0x2E}, "Ctrl+Shift+key 0x2E", ""},  // extended: Delete
        {0, 0, std::nullopt, "none", ""},
        {0x0041, 0x0378, std::nullopt, "none", refused},   // a plain A
        {0x0841, 0x0378, std::nullopt, "none", refused},   // extended, still no modifier
        {0x0141, 0x0378, std::nullopt, "none", refused},   // Shift+A
        {0x0635, 0x0378, std::nullopt, "none", refused},   // Ctrl+Alt+5: AltGr+5
        {0x0741, 0x0378, std::nullopt, "none", refused},   // Ctrl+Shift+Alt+A
        {0x0300, 0x0378, std::nullopt, "none", refused},   // modifiers without a key
        {0x10378, 0x0378, std::nullopt, "none", refused},  // past the control's two bytes
        {-1, 0x0378, std::nullopt, "none", refused},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Stored);
        Clean();
        PutInteger(kKey, "ShowAgainHotkey", c.Stored);
        TNotifierSettings s;
        EXPECT_EQ(s.ShowAgainHotkey, c.Loaded);
        EXPECT_EQ(uint32_t(Stored("ShowAgainHotkey")), c.Loaded) << "repaired at once";
        EXPECT_EQ(s.LoadError.English(), c.Error);
        EXPECT_EQ(HotkeyRegistration(static_cast<uint32_t>(c.Stored)), c.Registered);
        EXPECT_EQ(HotkeyText(static_cast<uint32_t>(c.Stored)), c.Text);
    }
}

// Which folders are watched: each folder's kind and file against what the
// user stored for it under the identity; a bad value counts as no choice.
TEST_F(NotifierSettingsTest, StoredFolderChoicesDecideWhatIsWatched) {
    const std::string identity = "{00000000-0000-0000-0000-0000000000A1}";
    const std::string key = FolderChoicesKey(identity);
    const std::string dword1("\x01\0\0\0", 4);
    const struct {
        const char* what;
        uint8_t kind;
        const char* file;
        const char* storeId;
        std::vector<std::pair<const char*, std::pair<TRegDataType, std::string>>> stored;
        const char* reason;
        uint32_t color;     // 0: none
        const char* sound;  // "": the user's sound
    } cases[] = {
        {"an inbox left alone", 1, "Inbox.dbx", "", {}, "inbox", 0, ""},
        {"an inbox unticked", 1, "Inbox2.dbx", "", {{"Watch", {rdInteger, std::string(4, '\0')}}}, "not chosen", 0, ""},
        {"a folder rules file into", 0, "Lists.dbx", "", {}, "not chosen", 0, ""},
        {"that folder ticked, in blue, with a sound of its own", 0, "Family.dbx", "",
         {{"Watch", {rdInteger, dword1}}, {"Color", {rdInteger, std::string("\x99\x66\x33\0", 4)}},
          {"Sound", {rdString, std::string("C:\\ding.wav\0", 12)}}},
         "chosen", 0x00336699, "C:\\ding.wav"},
        {"Sent Items ticked, silent", 3, "Sent Items.dbx", "",
         {{"Watch", {rdInteger, dword1}}, {"Sound", {rdString, std::string("-\0", 2)}}}, "chosen", 0, "-"},
        {"Watch as text on an inbox", 1, "Inbox3.dbx", "", {{"Watch", {rdString, std::string("0\0", 2)}}}, "inbox", 0, ""},
        {"Watch too long on a folder", 0, "Long.dbx", "", {{"Watch", {rdInteger, dword1 + dword1}}}, "not chosen", 0, ""},
        {"Color as binary, Sound as a number", 0, "Bin.dbx", "",
         {{"Watch", {rdInteger, dword1}}, {"Color", {rdBinary, "\x01\x02"}}, {"Sound", {rdInteger, dword1}}}, "chosen", 0,
         ""},
        {"an account ticked: no file", 0, "", "{ACCOUNT}", {{"Watch", {rdInteger, dword1}}}, "no file", 0, ""},
        {"a record naming no file", 1, "", "", {}, "no file", 0, ""},
    };
    uint32_t id = 0xA0;
    for (const auto& c : cases) {
        const std::string folderKey = key + "\\" + dbx::FormatId(++id);
        for (const auto& value : c.stored) Put(folderKey, value.first, value.second.first, value.second.second);
    }
    Key(key + "\\Not an Id");  // passed over
    PutInteger(FolderChoicesKey("{another identity}") + "\\0000A3", "Watch", 1);
    const TFolderChoices choices = LoadFolderChoices(identity);
    id = 0xA0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TDbxFolderRecord record;
        record.Id = dbx::FormatId(++id), record.Kind = c.kind, record.FileName = c.file, record.StoreId = c.storeId;
        EXPECT_EQ(c.reason, std::string(WatchReasonText(WatchReason(record, choices))));
        const TFolderChoice* choice = ChoiceFor(choices, record.Id);
        EXPECT_EQ(c.color, choice && choice->Color ? *choice->Color : 0u);
        EXPECT_EQ(c.sound, choice ? choice->Sound : "");
    }
    // Another identity's tick is its own (0000A3 above stayed unticked).
    EXPECT_NE(nullptr, ChoiceFor(LoadFolderChoices("{another identity}"), "0000a3"));
}

// What a folder's Sound plays: a file only when it is one to play, else the
// user's sound, the fall back said once a file.
TEST(FolderSound, PlaysTheFolderFileOnlyWhenItIsAWaveFile) {
    const std::string dir = (std::filesystem::temp_directory_path() / ("pellumo-sound-" + std::to_string(std::rand()))).string();
    std::filesystem::create_directories(dir);
    const auto write = [&dir](const char* name, const std::string& bytes) {
        std::ofstream(dir + "/" + name, std::ios::binary) << bytes;
        return dir + "/" + name;
    };
    const std::string wave = write("ding.wav", std::string("RIFF\x24\0\0\0WAVEfmt ", 16));
    const std::string text = write("notes.wav", "not a sound at all");
    const std::string empty = write("empty.wav", "");
    const struct { const char* what; std::string sound; TSoundToPlay::TKind kind; bool logged; } cases[] = {
        {"none set", "", TSoundToPlay::UserSound, false},
        {"silence", "-", TSoundToPlay::Silence, false},
        {"a wave file", wave, TSoundToPlay::File, false},
        {"a missing file", dir + "/gone.wav", TSoundToPlay::UserSound, true},
        {"a file of text", text, TSoundToPlay::UserSound, true},
        {"an empty file", empty, TSoundToPlay::UserSound, true},
        {"the missing file again", dir + "/gone.wav", TSoundToPlay::UserSound, false},
    };
    TNewMailSounds sounds;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const size_t logged = sounds.FallBacksLogged();
        const TSoundToPlay played = sounds.For(c.sound);
        EXPECT_EQ(c.kind, played.Kind);
        EXPECT_EQ(c.kind == TSoundToPlay::File ? c.sound : "", played.Path);
        EXPECT_EQ(c.logged, sounds.FallBacksLogged() > logged);
    }
    std::filesystem::remove_all(dir);
}

// A value that is there but cannot be read is an error, never a default.
TEST(RegistryKeyReads, MissingIsAnAnswerFailedIsAnError) {
    class TScriptedKey : public TRegistryKey {
    public:
        TValueRead Answer = TValueRead::Missing;
        TValueRead GetValue(const std::string&, TRegDataType& type, std::vector<uint8_t>& data) override {
            if (Answer == TValueRead::Read) {
                type = rdInteger;
                data = {7, 0, 0, 0};
            }
            return Answer;
        }
        bool SetValue(const std::string&, TRegDataType, const std::vector<uint8_t>&) override { return false; }
        std::vector<std::string> SubKeyNames() override { return {}; }
        bool DeleteValue(const std::string&) override { return false; }
    };
    struct {
        TValueRead Answer;
        bool Exists;
        std::string Integer;  // what ReadIntegerIfPresent gives, or the error it throws
    } const cases[] = {
        {TValueRead::Read, true, "7"},
        {TValueRead::Missing, false, "none"},
        {TValueRead::Failed, true, "Failed to get data for 'v'"},
    };
    for (const auto& c : cases) {
        TScriptedKey key;
        key.Answer = c.Answer;
        EXPECT_EQ(key.ValueExists("v"), c.Exists);
        std::string integer;
        try {
            const std::optional<int32_t> value = key.ReadIntegerIfPresent("v");
            integer = value ? std::to_string(*value) : "none";
        } catch (const Exception& e) {
            integer = e.Message();
        }
        EXPECT_EQ(integer, c.Integer);
    }
}

TEST_F(NotifierSettingsTest, LoadWithoutTheKeyChangesNothing) {
    TNotifierSettings s;
    s.HintTime = 99;
    CurrentUserRegistry().DeleteKey(kKey);
    EXPECT_FALSE(s.Load());
    EXPECT_EQ(s.HintTime, 99);
    s.Save();
    EXPECT_TRUE(s.Load());
    EXPECT_EQ(s.HintTime, 99);
}

// A store directory registered as the last identity's, holding Folders.dbx.
class SettingsWithStoreTest : public NotifierSettingsTest {
protected:
    void SetUp() override {
        NotifierSettingsTest::SetUp();
        dir_ = std::filesystem::temp_directory_path() / ("pellumo-settings-" + std::to_string(std::rand()));
        std::filesystem::create_directories(dir_);
        PutString("Identities", "Last User ID", "{ID-1}");
        PutString("Identities\\{ID-1}\\Software\\Microsoft\\Outlook Express\\5.0", "Store Root", dir_.string());
    }
    void TearDown() override {
        NotifierSettingsTest::TearDown();
        std::filesystem::remove_all(dir_);
    }
    void WriteFolders(const std::vector<uint8_t>& bytes) {
        std::ofstream(dir_ / "Folders.dbx", std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                                     bytes.size());
    }
    std::filesystem::path dir_;
};

mkstore::Folder Folder(uint32_t id, uint32_t parent, const std::string& name, uint8_t kind) {
    mkstore::Folder f;
    f.id = id;
    f.parentId = parent;
    f.name = name;
    f.fileName = name + ".dbx";
    f.kind = kind;
    return f;
}

TEST_F(SettingsWithStoreTest, ConstructionListsTheWatchedFolders) {
    WriteFolders(mkstore::WriteFolderFile(
        {Folder(1, 0, "Local Folders", 0), Folder(2, 1, "Inbox", 1), Folder(3, 2, "Lists", 1), Folder(4, 1, "Sent", 3)}));
    // The store root is kept per thread: build on a thread of its own.
    OnNewThread([] {
        TNotifierSettings s;
        ASSERT_NE(s.FolderTree, nullptr);
        ASSERT_EQ(s.FolderList().size(), 2u);
        EXPECT_EQ(s.FolderList()[0].FolderId, "000002");
        EXPECT_EQ(s.FolderList()[1].FolderId, "000003");
        EXPECT_EQ(s.FolderList()[1].Info->Record->Name, "Lists");
        EXPECT_TRUE(s.FolderList()[0].Info->Enabled);
    });
}

TEST_F(SettingsWithStoreTest, BrokenFolderListListsNoFolderAndFailsNothing) {
    WriteFolders(mkstore::WriteMessageFile({}));
    PutInteger(kKey, "HintTime", 42);
    OnNewThread([] {
        TNotifierSettings s;
        EXPECT_EQ(s.FolderListError, "Folders.dbx signature is not found");
        EXPECT_TRUE(s.FolderList().empty());
        EXPECT_EQ(s.HintTime, 42);
    });
}

}  // namespace
}  // namespace test
}  // namespace pellumo
