// Finding the last identity's store directory and name in the registry.
#include <cstdlib>

#include "platform/Exception.h"
#include "platform/FileSystem.h"
#include "store/StoreLocation.h"
#include "unit/RegistryFixture.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/WideText_win.h"
#endif

namespace pellumo {
namespace test {
namespace {

const char kStoreKey[] = "Identities\\{ID-1}\\Software\\Microsoft\\Outlook Express\\5.0";

class GetStoreRootTest : public RegistryTest {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        PutString("Identities", "Last User ID", "{ID-1}");
    }
    static std::string RootOnNewThread() {
        std::string root;
        OnNewThread([&] { root = GetStoreRoot(); });
        return root;
    }
};

void SetEnv(const std::string& name, const std::string& value) {
#ifdef _WIN32
    // UTF-8, as all text in the program is.
    SetEnvironmentVariableW(WideFromUtf8(name).c_str(), WideFromUtf8(value).c_str());
#else
    setenv(name.c_str(), value.c_str(), 1);
#endif
}

const std::string kEnd(1, kPathDelimiter);

TEST_F(GetStoreRootTest, AddsTheTrailingBackslashOnce) {
    PutString(kStoreKey, "Store Root", "C:\\Data\\Store");
    EXPECT_EQ(RootOnNewThread(), "C:\\Data\\Store" + kEnd);
    PutString(kStoreKey, "Store Root", "C:\\Data\\Store" + kEnd);
    EXPECT_EQ(RootOnNewThread(), "C:\\Data\\Store" + kEnd);
}

TEST_F(GetStoreRootTest, ExpandsReferencesAfterAddingTheBackslash) {
    SetEnv("PELLUMO_MAILDRIVE", "Q:\\Users\\sam");
    PutString(kStoreKey, "Store Root", "%PELLUMO_MAILDRIVE%\\Mail", rdExpandString);
    EXPECT_EQ(RootOnNewThread(), "Q:\\Users\\sam\\Mail" + kEnd);
    // A reference whose expansion ends the path keeps the added backslash.
    PutString(kStoreKey, "Store Root", "%PELLUMO_MAILDRIVE%", rdExpandString);
    EXPECT_EQ(RootOnNewThread(), "Q:\\Users\\sam" + kEnd);
    // A profile folder in letters of no single code page.
    SetEnv("PELLUMO_MAILDRIVE", "C:\\Users\\J\u00fcrgen \u0418\u0432\u0430\u043d");
    PutString(kStoreKey, "Store Root", "%PELLUMO_MAILDRIVE%\\Mail", rdExpandString);
    EXPECT_EQ(RootOnNewThread(), "C:\\Users\\J\u00fcrgen \u0418\u0432\u0430\u043d\\Mail" + kEnd);
    PutString(kStoreKey, "Store Root", "%PELLUMO_NO_SUCH_VARIABLE%\\x");
    EXPECT_EQ(RootOnNewThread(), "%PELLUMO_NO_SUCH_VARIABLE%\\x" + kEnd);
}

TEST_F(GetStoreRootTest, LongExpansionIsNotCut) {
    const std::string longDir = "C:\\" + std::string(1500, 'd');
    SetEnv("PELLUMO_LONGDIR", longDir);
    PutString(kStoreKey, "Store Root", "%PELLUMO_LONGDIR%\\Store", rdExpandString);
    EXPECT_EQ(RootOnNewThread(), longDir + "\\Store" + kEnd);
}

TEST_F(GetStoreRootTest, MissingOrEmptyGivesEmpty) {
    EXPECT_EQ(RootOnNewThread(), "");  // no store key
    PutString(kStoreKey, "Store Root", "");
    EXPECT_EQ(RootOnNewThread(), "");  // not a lone backslash
    Clean();
    EXPECT_EQ(RootOnNewThread(), "");  // no Identities key at all
}

TEST_F(GetStoreRootTest, EachThreadKeepsWhatItFound) {
    OnNewThread([&] {
        EXPECT_EQ(GetStoreRoot(), "");
        // Not found yet: the next call looks again.
        PutString(kStoreKey, "Store Root", "C:\\First");
        EXPECT_EQ(GetStoreRoot(), "C:\\First" + kEnd);
        // Found: later changes are not seen by this thread ...
        PutString(kStoreKey, "Store Root", "C:\\Second");
        EXPECT_EQ(GetStoreRoot(), "C:\\First" + kEnd);
        Key(kStoreKey)->DeleteValue("Store Root");
        EXPECT_EQ(GetStoreRoot(), "C:\\First" + kEnd);
        // ... but another thread reads the registry afresh.
        PutString(kStoreKey, "Store Root", "C:\\Second");
        EXPECT_EQ(RootOnNewThread(), "C:\\Second" + kEnd);
        EXPECT_EQ(GetStoreRoot(), "C:\\First" + kEnd);
    });
}

TEST_F(GetStoreRootTest, WronglyTypedValueRaises) {
    PutInteger(kStoreKey, "Store Root", 7);
    try {
        RootOnNewThread();
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Invalid data type for 'Store Root'");
    }
    PutInteger("Identities", "Last User ID", 1);
    EXPECT_THROW(GetIdentityName(), Exception);
}

TEST_F(GetStoreRootTest, IdentityNameFromTheLastIdentity) {
    EXPECT_EQ(GetIdentityName(), "");
    PutString("Identities\\{ID-1}", "Username", "Main Identity");
    PutString("Identities\\{ID-2}", "Username", "Other");
    EXPECT_EQ(GetIdentityName(), "Main Identity");
    Clean();
    EXPECT_EQ(GetIdentityName(), "");
}

}  // namespace
}  // namespace test
}  // namespace pellumo
