#pragma once
// The current user's registry hive through a small key interface: the real
// Windows registry, or an in-memory one for tests and non-Windows builds.
// Both raise the same errors for the same misuse.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pellumo {

enum TRegDataType : uint32_t { rdNone = 0, rdString = 1, rdExpandString = 2, rdBinary = 3, rdInteger = 4, rdMultiString = 7, rdQword = 11 };

enum class TKeyAccess { Read, ReadWrite };

// What reading a value gave: a value that is not there is an answer, not an
// error; one that is there but cannot be read (no access, a failing hive) is.
enum class TValueRead { Read, Missing, Failed };

class TRegistryKey {
public:
    virtual ~TRegistryKey() = default;

    // True unless the value is missing: one that cannot be read counts as
    // there, so that reading it throws instead of passing for a default.
    bool ValueExists(const std::string& name);
    // Reads a REG_DWORD; empty when the value is missing. Throws "Failed to
    // get data for '%s'" when it cannot be read or is longer than four bytes,
    // "Invalid data type for '%s'" when it is of another type.
    std::optional<int32_t> ReadIntegerIfPresent(const std::string& name);
    // The same, raising "Failed to get data for '%s'" also when it is missing.
    int32_t ReadInteger(const std::string& name);
    // Reads a REG_SZ or REG_EXPAND_SZ up to its terminating zero; empty when the
    // value is missing or empty. Throws "Failed to get data for '%s'" when it
    // cannot be read, "Invalid data type for '%s'" when it is of another type.
    std::string ReadString(const std::string& name);
    // Reads a REG_QWORD; empty when the value is missing. Throws "Failed to
    // get data for '%s'" when it cannot be read or is not eight bytes,
    // "Invalid data type for '%s'" when it is of another type.
    std::optional<uint64_t> ReadQwordIfPresent(const std::string& name);
    // Reads a REG_MULTI_SZ, its strings in order (UTF-8; the empty ones,
    // which the format cannot hold inside a list, left out); empty when the
    // value is missing. Throws "Failed to get data for '%s'" when it cannot
    // be read, "Invalid data type for '%s'" when it is of another type.
    std::optional<std::vector<std::string>> ReadStringsIfPresent(const std::string& name);
    // Throw "Failed to set data for '%s'" when the value cannot be written.
    // WriteStrings leaves out the empty strings.
    void WriteStrings(const std::string& name, const std::vector<std::string>& strings);
    void WriteQword(const std::string& name, uint64_t value);
    void WriteInteger(const std::string& name, int32_t value);
    void WriteString(const std::string& name, const std::string& value);

    virtual std::vector<std::string> SubKeyNames() = 0;
    virtual bool DeleteValue(const std::string& name) = 0;

    // The raw value; Type and Data are set only when it was read. A
    // REG_MULTI_SZ's data is UTF-8, each string ended by a zero byte and the
    // list by another.
    virtual TValueRead GetValue(const std::string& name, TRegDataType& type, std::vector<uint8_t>& data) = 0;
    virtual bool SetValue(const std::string& name, TRegDataType type, const std::vector<uint8_t>& data) = 0;

private:
    // A value's data when it is there and of the type wanted; an error when
    // it cannot be read or is of another type.
    std::optional<std::vector<uint8_t>> ReadTypedIfPresent(const std::string& name, TRegDataType wanted);
};

class TRegistry {
public:
    virtual ~TRegistry() = default;
    // Opens a key below HKEY_CURRENT_USER ("A\B", a leading backslash
    // allowed); with Create, makes it and its parents. Null when the key does
    // not exist or cannot be opened (its values then read as missing).
    virtual std::unique_ptr<TRegistryKey> OpenKey(const std::string& path, bool create, TKeyAccess access) = 0;
    // Removes a key with everything below it; false when there was none.
    virtual bool DeleteKey(const std::string& path) = 0;
};

// The registry the program uses: the user's real one on Windows, a
// process-wide in-memory one elsewhere.
TRegistry& CurrentUserRegistry();

// An in-memory registry; key and value names compare without regard to case.
class TMemoryRegistry : public TRegistry {
public:
    TMemoryRegistry();
    ~TMemoryRegistry() override;
    std::unique_ptr<TRegistryKey> OpenKey(const std::string& path, bool create, TKeyAccess access) override;
    bool DeleteKey(const std::string& path) override;

    struct Node;

private:
    std::unique_ptr<Node> root_;
};

}  // namespace pellumo
