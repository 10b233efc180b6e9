#include "texts/Language.h"

#include <algorithm>
#include <atomic>
#include <cctype>

#include "platform/AsciiText.h"
#include "texts/LanguageSources.h"

namespace pellumo {

namespace {

struct TKeyInfo {
    const char* Name;
    bool Counted;
};
const TKeyInfo kKeys[] = {
#define PELLUMO_PLAIN(key) {#key, false},
#define PELLUMO_PLURAL(key) {#key, true},
    PELLUMO_TEXT_KEYS(PELLUMO_PLAIN, PELLUMO_PLURAL)
#undef PELLUMO_PLAIN
#undef PELLUMO_PLURAL
};
static_assert(sizeof kKeys / sizeof kKeys[0] == kTextKeyCount, "kTextKeyCount names the last key");

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// "\s", "\n" and "\\"; any other backslash stays.
std::string Unescaped(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            const char next = text[i + 1];
            if (next == 's' || next == 'n' || next == '\\') {
                out += next == 's' ? ' ' : next == 'n' ? '\n' : '\\';
                ++i;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

std::string Filled(const std::string& pattern, const std::vector<std::string>& args) {
    std::string out;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size()) {
            const char next = pattern[i + 1];
            if (next == '%') {
                out += '%';
                ++i;
                continue;
            }
            if (next >= '1' && next <= '9') {
                const size_t n = static_cast<size_t>(next - '1');
                if (n < args.size()) out += args[n];
                ++i;
                continue;
            }
        }
        out += pattern[i];
    }
    return out;
}

// "pt-BR": "pt".
std::string Primary(const std::string& tag) {
    std::string primary = tag.substr(0, tag.find('-'));
    for (char& c : primary) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return primary;
}

// A Windows LANGID as a language tag: its region only where the program
// tells regions apart (Brazilian Portuguese; Simplified and Traditional
// Chinese, each table named for one region).
std::string TagOfLanguageId(uint16_t id) {
    struct TPrimary {
        uint16_t Id;
        const char* Tag;
    };
    static const TPrimary kPrimaries[] = {{0x09, "en"}, {0x07, "de"}, {0x0C, "fr"}, {0x0A, "es"},
                                          {0x10, "it"}, {0x13, "nl"}, {0x16, "pt"}, {0x19, "ru"},
                                          {0x15, "pl"}, {0x11, "ja"}, {0x04, "zh"}};
    const uint16_t primary = id & 0x3FF, sub = id >> 10;
    for (const TPrimary& p : kPrimaries) {
        if (p.Id != primary) continue;
        const std::string tag = p.Tag;
        if (tag == "pt") return sub == 1 ? "pt-BR" : "pt-PT";
        // Simplified in the People's Republic and Singapore, Traditional in
        // Taiwan, Hong Kong and Macao.
        if (tag == "zh") return sub == 2 || sub == 4 ? "zh-CN" : "zh-TW";
        return tag;
    }
    return std::string();
}

std::atomic<const TLanguage*> userLanguage {nullptr};

}  // namespace

const char* KeyName(TText key) { return kKeys[static_cast<size_t>(key)].Name; }
bool IsCounted(TText key) { return kKeys[static_cast<size_t>(key)].Counted; }

std::vector<std::string> PluralForms(const std::string& tag) {
    const std::string primary = Primary(tag);
    if (primary == "ru" || primary == "pl") return {"one", "few", "many"};
    if (primary == "ja" || primary == "zh") return {"other"};
    return {"one", "other"};
}

std::string PluralForm(const std::string& tag, uint64_t n) {
    const std::string primary = Primary(tag);
    const uint64_t last = n % 10, lastTwo = n % 100;
    const bool few = last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14);
    if (primary == "ru") return last == 1 && lastTwo != 11 ? "one" : few ? "few" : "many";
    if (primary == "pl") return n == 1 ? "one" : few ? "few" : "many";
    if (primary == "ja" || primary == "zh") return "other";
    // French and Portuguese count none as one too.
    if (primary == "fr" || primary == "pt") return n <= 1 ? "one" : "other";
    return n == 1 ? "one" : "other";
}

TLanguage::TLanguage(std::string tag, const std::string& table) : tag_(std::move(tag)) {
    size_t start = 0;
    while (start < table.size()) {
        size_t end = table.find('\n', start);
        if (end == std::string::npos) end = table.size();
        const std::string line = Trimmed(table.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == '#') continue;
        const size_t equals = line.find(" = ");
        if (equals == std::string::npos) {
            problems_.push_back(line);
            continue;
        }
        const std::string name = Trimmed(line.substr(0, equals));
        const std::string text = Unescaped(Trimmed(line.substr(equals + 3)));
        if (name == "@Name")
            name_ = text;
        else if (!entries_.emplace(name, text).second)
            problems_.push_back(line + " (twice)");
    }
}

const std::string* TLanguage::Find(const std::string& name) const {
    const auto found = entries_.find(name);
    if (found != entries_.end()) return &found->second;
    if (this == &English()) return nullptr;
    return English().Find(name);
}

std::string TLanguage::Text(TText key, std::initializer_list<std::string> args) const {
    const std::string* pattern = Find(KeyName(key));
    return pattern ? Filled(*pattern, args) : std::string();
}

std::string TLanguage::Counted(TText key, uint64_t count, std::initializer_list<std::string> more) const {
    std::vector<std::string> args {std::to_string(count)};
    args.insert(args.end(), more.begin(), more.end());
    // A form the table lacks falls back to English's form for the count.
    const auto own = entries_.find(std::string(KeyName(key)) + "." + PluralForm(tag_, count));
    const std::string* pattern = own != entries_.end() ? &own->second
                                                       : English().Find(std::string(KeyName(key)) + "." + PluralForm("en", count));
    return pattern ? Filled(*pattern, args) : std::string();
}

const std::vector<TLanguage>& Languages() {
    static const std::vector<TLanguage> languages = [] {
        std::vector<TLanguage> all;
        for (size_t i = 0; i < kLanguageSourceCount; ++i)
            all.emplace_back(kLanguageSources[i].Tag, std::string(kLanguageSources[i].Table, kLanguageSources[i].Size));
        std::sort(all.begin(), all.end(), [](const TLanguage& a, const TLanguage& b) {
            return std::make_pair(a.Tag() != "en", a.Tag()) < std::make_pair(b.Tag() != "en", b.Tag());
        });
        return all;
    }();
    return languages;
}

const TLanguage& English() { return Languages().front(); }

const TLanguage* FindLanguage(const std::string& tag) {
    for (const TLanguage& language : Languages())
        if (asciitext::EqualsI(language.Tag(), tag)) return &language;
    return nullptr;
}

const TLanguage* MatchLanguage(const std::string& tag) {
    if (tag.empty()) return nullptr;
    if (const TLanguage* exact = FindLanguage(tag)) return exact;
    for (const TLanguage& language : Languages())
        if (Primary(language.Tag()) == Primary(tag)) return &language;
    return nullptr;
}

std::string ChooseLanguage(const std::string& setting, uint16_t uiLanguage) {
    if (const TLanguage* chosen = MatchLanguage(Trimmed(setting))) return chosen->Tag();
    if (const TLanguage* users = MatchLanguage(TagOfLanguageId(uiLanguage))) return users->Tag();
    return English().Tag();
}

const TLanguage& UserLanguage() {
    const TLanguage* language = userLanguage.load();
    return language ? *language : English();
}

void SetUserLanguage(const std::string& tag) {
    const TLanguage* language = FindLanguage(tag);
    userLanguage.store(language ? language : &English());
}

std::string AccessKeyOf(const std::string& text) {
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&') continue;
        if (text[i + 1] == '&') {
            ++i;
            continue;
        }
        const unsigned char lead = static_cast<unsigned char>(text[i + 1]);
        if (lead < 0x80) return std::string(1, static_cast<char>(std::tolower(lead)));
        size_t length = 1;
        while (i + 1 + length < text.size() && (static_cast<unsigned char>(text[i + 1 + length]) & 0xC0) == 0x80) ++length;
        return text.substr(i + 1, length);
    }
    return std::string();
}

}  // namespace pellumo
