// The language tables the program carries, checked against English: every
// key, the same values put in, access keys a keyboard of that language
// reaches and none twice in one menu or dialog, nothing left in English;
// each language's own typography; and which language a user gets.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "texts/Language.h"

namespace pellumo {
namespace {

// Every name a table must write for a language: each plain key, each
// counted key in each of the language's plural forms.
std::set<std::string> NamesFor(const std::string& tag) {
    std::set<std::string> names;
    for (size_t i = 0; i < kTextKeyCount; ++i) {
        const TText key = static_cast<TText>(i);
        if (!IsCounted(key)) {
            names.insert(KeyName(key));
            continue;
        }
        for (const std::string& form : PluralForms(tag)) names.insert(std::string(KeyName(key)) + "." + form);
    }
    return names;
}

// English's text for a table's name: a plural form stands for "other".
std::string EnglishFor(const std::string& name) {
    const size_t dot = name.find('.');
    const std::map<std::string, std::string>& english = English().Entries();
    if (dot == std::string::npos) return english.at(name);
    return english.at(name.substr(0, dot) + ".other");
}

std::set<std::string> Placeholders(const std::string& text) {
    std::set<std::string> found;
    const std::regex placeholder("%[1-9]");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), placeholder); it != std::sregex_iterator(); ++it)
        found.insert(it->str());
    return found;
}

// A character's code point, folded to lower case where a keyboard has one
// key for both (ASCII, Latin-1 letters, Cyrillic).
uint32_t FoldedKey(const std::string& key) {
    uint32_t c = static_cast<unsigned char>(key[0]);
    if (key.size() == 2) c = (c & 0x1F) << 6 | (static_cast<unsigned char>(key[1]) & 0x3F);
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x410 && c <= 0x42F)) c += 0x20;
    if (c == 0x401) c = 0x451;
    return c;
}

// Whether a user presses the access key with one key on that language's
// keyboard: ASCII letters and digits everywhere, the letters the layout has
// keys of its own for, every Cyrillic letter on the Russian one; East Asian
// texts give a Latin letter in brackets at their end, "(&S)".
bool Reachable(const std::string& tag, const std::string& text, const std::string& key) {
    const bool ascii = key.size() == 1 && std::isalnum(static_cast<unsigned char>(key[0]));
    const std::string primary = tag.substr(0, 2);
    if (primary == "ja" || primary == "zh") return ascii && std::regex_search(text, std::regex("\\(&[A-Za-z0-9]\\)"));
    if (ascii) return true;
    const uint32_t c = FoldedKey(key);
    if (primary == "ru") return (c >= 0x430 && c <= 0x44F) || c == 0x451;
    static const std::map<std::string, std::u32string> kOwnKeys = {
        {"de", U"äöü"}, {"fr", U"éèàçù"}, {"es", U"ñç"}, {"it", U"àèéìòù"}, {"pt", U"ç"}};
    const auto own = kOwnKeys.find(primary);
    return own != kOwnKeys.end() && own->second.find(static_cast<char32_t>(c)) != std::u32string::npos;
}

// What must not be left in English: a word of three letters or more,
// beyond the program's and the mail client's names.
bool HasEnglishWords(const std::string& text) {
    const std::string bare = std::regex_replace(text, std::regex("%[1-9]|Pellumo|Folders\\.dbx|\\*\\.\\*|\\*\\.wav|OE\\b"), "");
    return std::regex_search(bare, std::regex("[A-Za-z]{3,}"));
}

// Keys shown together, whose access keys must differ.
const std::vector<std::vector<TText>> kTogether = {
    {TText::MenuSettings, TText::MenuRecentMail, TText::MenuResume, TText::MenuPause, TText::MenuExit},
    {TText::MenuPause30Minutes, TText::MenuPauseOneHour, TText::MenuPauseUntilTomorrow, TText::MenuPauseUntilResumed},
    // The setup dialog's pages, each with the language below them.
    {TText::SetupAutoHideHint, TText::SetupUseFading, TText::SetupHintTime, TText::SetupDisplayWhenOEActive,
     TText::SetupStartColor, TText::SetupEndColor, TText::SetupShowSample, TText::SetupLanguage},
    {TText::SetupSummarizeBursts, TText::SetupPlaySound, TText::SetupQuietFullScreen, TText::SetupStartWithWindows,
     TText::SetupShowUnreadCount, TText::SetupShowAgain, TText::SetupHoldWhileAway, TText::SetupLanguage},
    {TText::SetupFolderColor, TText::SetupFolderSound, TText::SetupLanguage},
    {TText::SetupRule, TText::SetupNeverAnnounce, TText::SetupNeverAdd, TText::SetupNeverChange,
     TText::SetupNeverRemove, TText::SetupAlwaysAnnounce, TText::SetupAlwaysAdd, TText::SetupAlwaysChange,
     TText::SetupAlwaysRemove, TText::SetupLanguage},
    {TText::PopupMenuNeverAddress, TText::PopupMenuNeverDomain, TText::PopupMenuAlwaysAddress},
};

TEST(LanguageTables, EveryTableHasEveryTextWithItsValuesAndReachableAccessKeys) {
    ASSERT_EQ("en", English().Tag());
    std::set<std::string> names;
    for (const TLanguage& language : Languages()) {
        SCOPED_TRACE(language.Tag());
        EXPECT_TRUE(names.insert(language.Name()).second) << "its own name, told apart from the others";
        EXPECT_FALSE(language.Name().empty());
        EXPECT_TRUE(language.Problems().empty()) << language.Problems().front();
        const std::map<std::string, std::string>& entries = language.Entries();
        std::istringstream declared(entries.count("@SameAsEnglish") ? entries.at("@SameAsEnglish") : "");
        const std::set<std::string> same {std::istream_iterator<std::string>(declared), {}};
        std::set<std::string> written;
        for (const auto& [name, text] : entries)
            if (name[0] != '@') written.insert(name);
        EXPECT_EQ(NamesFor(language.Tag()), written);
        for (const auto& [name, text] : entries) {
            if (name[0] == '@' || !NamesFor(language.Tag()).count(name)) continue;
            SCOPED_TRACE(name);
            const std::string english = EnglishFor(name);
            EXPECT_EQ(Placeholders(english), Placeholders(text)) << text;
            const std::string key = AccessKeyOf(text);
            EXPECT_EQ(AccessKeyOf(english).empty(), key.empty()) << text;
            if (!key.empty()) {
                EXPECT_TRUE(Reachable(language.Tag(), text, key)) << text;
            }
            if (language.Tag() != "en" && text == english && !same.count(name.substr(0, name.find('.')))) {
                EXPECT_FALSE(HasEnglishWords(text)) << "left in English: " << text;
            }
        }
        for (const std::vector<TText>& group : kTogether) {
            std::map<uint32_t, std::string> taken;
            for (TText key : group) {
                const std::string text = language.Text(key);
                const std::string access = AccessKeyOf(text);
                if (access.empty()) continue;
                const auto [at, added] = taken.emplace(FoldedKey(access), text);
                EXPECT_TRUE(added) << "\"" << text << "\" and \"" << at->second << "\" share their access key";
            }
        }
    }
}

// Whether every Mark in Text has Before right before it and After right
// after it.
bool EveryMarkFlanked(const std::string& text, const std::string& mark, const std::string& before,
                      const std::string& after) {
    for (size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + mark.size())) {
        if (at < before.size() || text.compare(at - before.size(), before.size(), before) != 0) return false;
        if (text.compare(at + mark.size(), after.size(), after) != 0) return false;
    }
    return true;
}

// A language's own typography, held in every text of its table.
struct TTypography {
    const char* Primary;  // the languages it holds for, by their first part
    const char* Rule;
    std::function<bool(const std::string&)> Holds;
};
const std::vector<TTypography> kTypography = {
    {"fr", "a no-break space before : ; ! ? and inside \u00AB \u00BB",
     [](const std::string& text) {
         const std::string nbsp = "\u00A0";
         for (const char* mark : {":", ";", "!", "?", "\u00BB"})
             if (!EveryMarkFlanked(text, mark, nbsp, "")) return false;
         return EveryMarkFlanked(text, "\u00AB", "", nbsp);
     }},
    {"zh", "running text takes the full-width colon \uFF1A; an ASCII one only ends a label, after its \"(&X)\"",
     [](const std::string& text) {
         const size_t colon = text.find(':');
         return colon == std::string::npos || (colon + 1 == text.size() && colon > 0 && text[colon - 1] == ')');
     }},
    {"ru", "\u0435 for \u0451, as Windows' Russian writes it (and setup's, installer/lang/Russian.nsh)",
     [](const std::string& text) {
         return text.find("\u0451") == std::string::npos && text.find("\u0401") == std::string::npos;
     }},
};

TEST(LanguageTables, EachKeepsItsLanguagesTypography) {
    for (const TTypography& typography : kTypography) {
        bool checked = false;
        for (const TLanguage& language : Languages()) {
            if (language.Tag().substr(0, language.Tag().find('-')) != typography.Primary) continue;
            checked = true;
            SCOPED_TRACE(language.Tag());
            for (const auto& [name, text] : language.Entries()) {
                if (name[0] == '@') continue;
                EXPECT_TRUE(typography.Holds(text)) << typography.Rule << ": " << name << " = " << text;
            }
        }
        EXPECT_TRUE(checked) << "no table for " << typography.Primary;
    }
}

TEST(LanguageTables, CountedTextsTakeTheFormTheirNumberAsks) {
    const struct { const char* tag; uint64_t count; const char* form; } cases[] = {
        {"en", 1, "one"},   {"en", 0, "other"},  {"en", 21, "other"}, {"de", 2, "other"},
        {"fr", 0, "one"},   {"fr", 1, "one"},    {"fr", 2, "other"},  {"pt-BR", 0, "one"},
        {"ru", 1, "one"},   {"ru", 21, "one"},   {"ru", 11, "many"},  {"ru", 2, "few"},
        {"ru", 24, "few"},  {"ru", 12, "many"},  {"ru", 5, "many"},   {"ru", 111, "many"},
        {"pl", 1, "one"},   {"pl", 21, "many"},  {"pl", 22, "few"},   {"pl", 14, "many"},
        {"pl", 0, "many"},  {"ja", 1, "other"},  {"zh-CN", 2, "other"}, {"zh-TW", 1, "other"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.form, PluralForm(c.tag, c.count)) << c.tag << " " << c.count;
        // The form the table writes for it, with the number in.
        if (const TLanguage* language = FindLanguage(c.tag)) {
            std::string expected = language->Entries().at("NewMessages." + std::string(c.form));
            expected.replace(expected.find("%1"), 2, std::to_string(c.count));
            EXPECT_EQ(expected, language->Counted(TText::NewMessages, c.count));
        }
    }
    EXPECT_EQ("1 new message", English().Counted(TText::NewMessages, 1));
    EXPECT_EQ("7 new messages", English().Counted(TText::NewMessages, 7));
}

// The setting first, exactly or by its first part; else the user's UI
// language (a LANGID) likewise; else English.
TEST(LanguageChoice, SettingThenTheUsersLanguageThenEnglish) {
    const struct { const char* setting; uint16_t ui; const char* chosen; } cases[] = {
        {"", 0x0409, "en"},      {"", 0x0407, "de"},     {"", 0x0C07, "de"},        {"", 0x0416, "pt-BR"},
        {"", 0x0816, "pt-BR"},   {"", 0x0804, "zh-CN"},  {"", 0x1004, "zh-CN"},     {"", 0x0404, "zh-TW"},
        {"", 0x0C04, "zh-TW"},   {"", 0x1404, "zh-TW"},  {"", 0x0411, "ja"},        {"", 0x0419, "ru"},
        {"", 0x041F, "en"},      {"", 0, "en"},          {"fr", 0x0407, "fr"},      {"de-CH", 0x0409, "de"},
        {"xx", 0x0413, "nl"},    {"PT-br", 0x0409, "pt-BR"}, {" en ", 0x0411, "en"}, {"zh-TW", 0x0804, "zh-TW"},
        {"zh-cn", 0x0404, "zh-CN"}, {"tlh", 0x0409, "en"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.chosen, ChooseLanguage(c.setting, c.ui)) << "'" << c.setting << "' " << std::hex << c.ui;
    SetUserLanguage("no such");
    EXPECT_EQ("en", UserLanguage().Tag());
}

}  // namespace
}  // namespace pellumo
