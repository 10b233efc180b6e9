// The current user's hive of the Windows registry.
#include <windows.h>

#include "platform/Registry.h"
#include "platform/UniqueHandle_win.h"
#include "platform/WideText_win.h"

namespace pellumo {

namespace {

std::string Relative(const std::string& path) {
    size_t start = 0;
    while (start < path.size() && path[start] == '\\') ++start;
    return path.substr(start);
}

std::vector<std::string> SubKeyNamesOf(HKEY key) {
    std::vector<std::string> names;
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, length);
    }
    return names;
}

class WinKey : public TRegistryKey {
public:
    explicit WinKey(HKEY key) : key_(key) {}

    std::vector<std::string> SubKeyNames() override { return SubKeyNamesOf(key_.Get()); }

    bool DeleteValue(const std::string& name) override {
        return RegDeleteValueA(key_.Get(), name.c_str()) == ERROR_SUCCESS;
    }

    TValueRead GetValue(const std::string& name, TRegDataType& type, std::vector<uint8_t>& data) override {
        // The value may grow between asking its size and reading it.
        for (int attempt = 0; attempt < 4; ++attempt) {
            DWORD kind = 0, size = 0;
            LONG rc = RegQueryValueExA(key_.Get(), name.c_str(), nullptr, &kind, nullptr, &size);
            if (rc != ERROR_SUCCESS) return Outcome(rc);
            // A list of strings may hold any script: read as UTF-16, kept as UTF-8.
            if (kind == REG_MULTI_SZ) return GetMultiString(name, type, data);
            std::vector<uint8_t> bytes(size);
            rc = RegQueryValueExA(key_.Get(), name.c_str(), nullptr, &kind, bytes.data(), &size);
            if (rc == ERROR_MORE_DATA) continue;
            if (rc != ERROR_SUCCESS) return Outcome(rc);
            bytes.resize(size);
            data = std::move(bytes);
            type = static_cast<TRegDataType>(kind);
            return TValueRead::Read;
        }
        return TValueRead::Failed;
    }

    bool SetValue(const std::string& name, TRegDataType type, const std::vector<uint8_t>& data) override {
        if (type == rdMultiString) {
            const std::wstring wide = WideFromUtf8(std::string(data.begin(), data.end()));
            return RegSetValueExW(key_.Get(), WideFromUtf8(name).c_str(), 0, REG_MULTI_SZ,
                                  reinterpret_cast<const BYTE*>(wide.data()),
                                  static_cast<DWORD>(wide.size() * sizeof(wchar_t))) == ERROR_SUCCESS;
        }
        return RegSetValueExA(key_.Get(), name.c_str(), 0, type, data.data(), static_cast<DWORD>(data.size())) ==
               ERROR_SUCCESS;
    }

private:
    TValueRead GetMultiString(const std::string& name, TRegDataType& type, std::vector<uint8_t>& data) {
        const std::wstring wideName = WideFromUtf8(name);
        for (int attempt = 0; attempt < 4; ++attempt) {
            DWORD kind = 0, size = 0;
            LONG rc = RegQueryValueExW(key_.Get(), wideName.c_str(), nullptr, &kind, nullptr, &size);
            if (rc != ERROR_SUCCESS) return Outcome(rc);
            std::wstring wide(size / sizeof(wchar_t) + 1, L'\0');
            rc = RegQueryValueExW(key_.Get(), wideName.c_str(), nullptr, &kind, reinterpret_cast<BYTE*>(&wide[0]), &size);
            if (rc == ERROR_MORE_DATA) continue;
            if (rc != ERROR_SUCCESS) return Outcome(rc);
            // An odd last byte is no character.
            wide.resize(size / sizeof(wchar_t));
            const std::string utf8 = Utf8FromWide(wide);
            data.assign(utf8.begin(), utf8.end());
            type = static_cast<TRegDataType>(kind);
            return TValueRead::Read;
        }
        return TValueRead::Failed;
    }

    static TValueRead Outcome(LONG rc) {
        return rc == ERROR_FILE_NOT_FOUND ? TValueRead::Missing : TValueRead::Failed;
    }

    TRegistryKeyHandle key_;
};

// RegDeleteKey removes only keys without subkeys: empty the key first.
bool DeleteTree(HKEY parent, const std::string& name) {
    HKEY key;
    if (RegOpenKeyExA(parent, name.c_str(), 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS) return false;
    {
        const TRegistryKeyHandle handle(key);
        for (const auto& child : SubKeyNamesOf(key)) DeleteTree(key, child);
    }
    return RegDeleteKeyA(parent, name.c_str()) == ERROR_SUCCESS;
}

class WinRegistry : public TRegistry {
public:
    std::unique_ptr<TRegistryKey> OpenKey(const std::string& path, bool create, TKeyAccess access) override {
        const REGSAM sam = access == TKeyAccess::Read ? KEY_READ : KEY_READ | KEY_WRITE;
        HKEY key = nullptr;
        const LONG rc = create ? RegCreateKeyExA(HKEY_CURRENT_USER, Relative(path).c_str(), 0, nullptr, 0, sam,
                                                 nullptr, &key, nullptr)
                               : RegOpenKeyExA(HKEY_CURRENT_USER, Relative(path).c_str(), 0, sam, &key);
        if (rc != ERROR_SUCCESS) return nullptr;
        return std::unique_ptr<TRegistryKey>(new WinKey(key));
    }

    bool DeleteKey(const std::string& path) override { return DeleteTree(HKEY_CURRENT_USER, Relative(path)); }
};

}  // namespace

TRegistry& CurrentUserRegistry() {
    static WinRegistry registry;
    return registry;
}

}  // namespace pellumo
