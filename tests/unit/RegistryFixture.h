#pragma once
// Tests that use the program's registry: the in-memory one natively, the
// real one under Wine. The keys the program touches are removed before and
// after each test.
#include <gtest/gtest.h>

#include <exception>
#include <functional>
#include <string>
#include <thread>

#include "platform/Registry.h"

namespace pellumo {
namespace test {

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }
    static void Clean() {
        CurrentUserRegistry().DeleteKey("Software\\Ostrivane");
        CurrentUserRegistry().DeleteKey("Identities");
    }

    static std::unique_ptr<TRegistryKey> Key(const std::string& path) {
        return CurrentUserRegistry().OpenKey(path, true, TKeyAccess::ReadWrite);
    }
    static void Put(const std::string& path, const std::string& name, TRegDataType type, const std::string& bytes) {
        ASSERT_TRUE(Key(path)->SetValue(name, type, std::vector<uint8_t>(bytes.begin(), bytes.end())));
    }
    static void PutString(const std::string& path, const std::string& name, const std::string& value,
                          TRegDataType type = rdString) {
        Put(path, name, type, value + std::string(1, '\0'));
    }
    static void PutInteger(const std::string& path, const std::string& name, int32_t value) {
        Key(path)->WriteInteger(name, value);
    }

    // Runs Body on a thread of its own (the store root is cached per thread),
    // passing on an exception it threw.
    static void OnNewThread(const std::function<void()>& body) {
        std::exception_ptr error;
        std::thread worker([&] {
            try {
                body();
            } catch (...) {
                error = std::current_exception();
            }
        });
        worker.join();
        if (error) std::rethrow_exception(error);
    }
};

}  // namespace test
}  // namespace pellumo
