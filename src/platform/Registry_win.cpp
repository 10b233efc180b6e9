// The current user's hive of the Windows registry.
#include <windows.h>

#include "platform/Registry.h"

namespace pellumo {

namespace {

class KeyHandle {
public:
    explicit KeyHandle(HKEY key) : key_(key) {}
    ~KeyHandle() { RegCloseKey(key_); }
    KeyHandle(const KeyHandle&) = delete;
    KeyHandle& operator=(const KeyHandle&) = delete;
    HKEY get() const { return key_; }

private:
    HKEY key_;
};

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

    bool ValueExists(const std::string& name) override {
        return RegQueryValueExA(key_.get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    }

    std::vector<std::string> SubKeyNames() override { return SubKeyNamesOf(key_.get()); }

    bool DeleteValue(const std::string& name) override {
        return RegDeleteValueA(key_.get(), name.c_str()) == ERROR_SUCCESS;
    }

    bool GetValue(const std::string& name, TRegDataType& type, std::vector<uint8_t>& data) override {
        // The value may grow between asking its size and reading it.
        for (int attempt = 0; attempt < 4; ++attempt) {
            DWORD kind = 0, size = 0;
            if (RegQueryValueExA(key_.get(), name.c_str(), nullptr, &kind, nullptr, &size) != ERROR_SUCCESS)
                return false;
            data.resize(size);
            const LONG rc = RegQueryValueExA(key_.get(), name.c_str(), nullptr, &kind, data.data(), &size);
            if (rc == ERROR_MORE_DATA) continue;
            if (rc != ERROR_SUCCESS) return false;
            data.resize(size);
            type = static_cast<TRegDataType>(kind);
            return true;
        }
        return false;
    }

    bool SetValue(const std::string& name, TRegDataType type, const std::vector<uint8_t>& data) override {
        return RegSetValueExA(key_.get(), name.c_str(), 0, type, data.data(), static_cast<DWORD>(data.size())) ==
               ERROR_SUCCESS;
    }

private:
    KeyHandle key_;
};

// RegDeleteKey removes only keys without subkeys: empty the key first.
bool DeleteTree(HKEY parent, const std::string& name) {
    HKEY key;
    if (RegOpenKeyExA(parent, name.c_str(), 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS) return false;
    {
        KeyHandle handle(key);
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
