#include "platform/Registry.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>

#include "platform/Exception.h"

namespace pellumo {

bool TRegistryKey::ValueExists(const std::string& name) {
    TRegDataType type = rdNone;
    std::vector<uint8_t> data;
    return GetValue(name, type, data) != TValueRead::Missing;
}

std::optional<int32_t> TRegistryKey::ReadIntegerIfPresent(const std::string& name) {
    TRegDataType type = rdNone;
    std::vector<uint8_t> data;
    const TValueRead read = GetValue(name, type, data);
    if (read == TValueRead::Missing) return std::nullopt;
    // The data must fit the four bytes asked for before its type is looked at.
    if (read == TValueRead::Failed || data.size() > 4)
        throw Exception(TText::FailedToGetData, {name});
    if (type != rdInteger) throw Exception(TText::InvalidDataType, {name});
    uint8_t bytes[4] = {0, 0, 0, 0};
    std::copy(data.begin(), data.end(), bytes);
    return static_cast<int32_t>(uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
                                uint32_t(bytes[3]) << 24);
}

std::optional<std::vector<uint8_t>> TRegistryKey::ReadTypedIfPresent(const std::string& name, TRegDataType wanted) {
    TRegDataType type = rdNone;
    std::vector<uint8_t> data;
    const TValueRead read = GetValue(name, type, data);
    if (read == TValueRead::Missing) return std::nullopt;
    if (read == TValueRead::Failed) throw Exception(TText::FailedToGetData, {name});
    if (type != wanted) throw Exception(TText::InvalidDataType, {name});
    return data;
}

std::optional<uint64_t> TRegistryKey::ReadQwordIfPresent(const std::string& name) {
    const std::optional<std::vector<uint8_t>> read = ReadTypedIfPresent(name, rdQword);
    if (!read) return std::nullopt;
    const std::vector<uint8_t>& data = *read;
    if (data.size() != 8) throw Exception(TText::FailedToGetData, {name});
    uint64_t value = 0;
    for (size_t i = 8; i > 0; --i) value = value << 8 | data[i - 1];
    return value;
}

std::optional<std::vector<std::string>> TRegistryKey::ReadStringsIfPresent(const std::string& name) {
    const std::optional<std::vector<uint8_t>> data = ReadTypedIfPresent(name, rdMultiString);
    if (!data) return std::nullopt;
    std::vector<std::string> strings;
    std::string current;
    // A last string without its zero counts all the same.
    for (const uint8_t byte : *data) {
        if (byte != 0) {
            current += static_cast<char>(byte);
        } else if (!current.empty()) {
            strings.push_back(current);
            current.clear();
        }
    }
    if (!current.empty()) strings.push_back(current);
    return strings;
}

void TRegistryKey::WriteStrings(const std::string& name, const std::vector<std::string>& strings) {
    std::vector<uint8_t> data;
    for (const std::string& text : strings) {
        if (text.empty()) continue;
        data.insert(data.end(), text.begin(), text.end());
        data.push_back(0);
    }
    data.push_back(0);
    if (!SetValue(name, rdMultiString, data)) throw Exception(TText::FailedToSetData, {name});
}

void TRegistryKey::WriteQword(const std::string& name, uint64_t value) {
    std::vector<uint8_t> data(8);
    for (size_t i = 0; i < 8; ++i) data[i] = static_cast<uint8_t>(value >> (8 * i));
    if (!SetValue(name, rdQword, data)) throw Exception(TText::FailedToSetData, {name});
}

int32_t TRegistryKey::ReadInteger(const std::string& name) {
    const std::optional<int32_t> value = ReadIntegerIfPresent(name);
    if (!value) throw Exception(TText::FailedToGetData, {name});
    return *value;
}

std::string TRegistryKey::ReadString(const std::string& name) {
    TRegDataType type = rdNone;
    std::vector<uint8_t> data;
    const TValueRead read = GetValue(name, type, data);
    if (read == TValueRead::Missing) return std::string();
    if (read == TValueRead::Failed) throw Exception(TText::FailedToGetData, {name});
    if (data.empty()) return std::string();
    if (type != rdString && type != rdExpandString) throw Exception(TText::InvalidDataType, {name});
    const auto end = std::find(data.begin(), data.end(), uint8_t(0));
    return std::string(data.begin(), end);
}

void TRegistryKey::WriteInteger(const std::string& name, int32_t value) {
    const uint32_t v = static_cast<uint32_t>(value);
    const std::vector<uint8_t> data = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    if (!SetValue(name, rdInteger, data)) throw Exception(TText::FailedToSetData, {name});
}

void TRegistryKey::WriteString(const std::string& name, const std::string& value) {
    std::vector<uint8_t> data(value.begin(), value.end());
    data.push_back(0);
    if (!SetValue(name, rdString, data)) throw Exception(TText::FailedToSetData, {name});
}

// In-memory registry.

namespace {
struct NoCase {
    bool operator()(const std::string& a, const std::string& b) const {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
            return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
        });
    }
};

std::vector<std::string> SplitPath(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : path + "\\") {
        if (c != '\\') {
            part += c;
        } else if (!part.empty()) {
            parts.push_back(part);
            part.clear();
        }
    }
    return parts;
}
}  // namespace

struct TMemoryRegistry::Node {
    std::map<std::string, std::unique_ptr<Node>, NoCase> keys;
    std::map<std::string, std::pair<TRegDataType, std::vector<uint8_t>>, NoCase> values;
};

namespace {
class MemoryKey : public TRegistryKey {
public:
    MemoryKey(TMemoryRegistry::Node& node, bool writable) : node_(node), writable_(writable) {}
    std::vector<std::string> SubKeyNames() override {
        std::vector<std::string> names;
        for (const auto& k : node_.keys) names.push_back(k.first);
        return names;
    }
    bool DeleteValue(const std::string& name) override { return writable_ && node_.values.erase(name) != 0; }
    TValueRead GetValue(const std::string& name, TRegDataType& type, std::vector<uint8_t>& data) override {
        const auto it = node_.values.find(name);
        if (it == node_.values.end()) return TValueRead::Missing;
        type = it->second.first;
        data = it->second.second;
        return TValueRead::Read;
    }
    bool SetValue(const std::string& name, TRegDataType type, const std::vector<uint8_t>& data) override {
        if (!writable_) return false;
        node_.values[name] = {type, data};
        return true;
    }

private:
    TMemoryRegistry::Node& node_;
    bool writable_;
};
}  // namespace

TMemoryRegistry::TMemoryRegistry() : root_(new Node) {}
TMemoryRegistry::~TMemoryRegistry() = default;

std::unique_ptr<TRegistryKey> TMemoryRegistry::OpenKey(const std::string& path, bool create, TKeyAccess access) {
    Node* node = root_.get();
    for (const auto& part : SplitPath(path)) {
        auto& child = node->keys[part];
        if (!child) {
            if (!create) {
                node->keys.erase(part);
                return nullptr;
            }
            child.reset(new Node);
        }
        node = child.get();
    }
    return std::unique_ptr<TRegistryKey>(new MemoryKey(*node, access == TKeyAccess::ReadWrite));
}

bool TMemoryRegistry::DeleteKey(const std::string& path) {
    const auto parts = SplitPath(path);
    if (parts.empty()) return false;
    Node* node = root_.get();
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
        const auto it = node->keys.find(parts[i]);
        if (it == node->keys.end()) return false;
        node = it->second.get();
    }
    return node->keys.erase(parts.back()) != 0;
}

}  // namespace pellumo
