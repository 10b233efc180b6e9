#pragma once
// pellumo-dbx's output: every byte through one checked writer, the texts
// escaped to one record a line, the index texts read in the code page the
// user names, and the errors that end a command.
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

#include "platform/MultiLanguage.h"

namespace pellumo {
namespace inspector {

// A wrong command, option or argument: usage on stderr, status 2.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A failed write to standard output; a closed pipe ends the program quietly.
struct OutputError : std::runtime_error {
    OutputError();
    bool ReaderGone;
};

// Every byte of output goes through here, so a full disk is an error and not a success.
void Emit(const std::string& bytes);
void FinishOutput();

std::string Hex8(uint32_t value);

// Tabs and line breaks would break the one-record-per-line output. Paths keep
// their backslashes as they are, so they can be pasted; other texts double them
// so that an escape can be told from the text.
std::string Escape(const std::string& text, bool doubleBackslashes = true);
inline std::string PathText(const std::string& path) { return Escape(path, false); }

// Index texts (names, subjects) as UTF-8: in the system's code page, or in
// the one the user named (0: the system's).
class TIndexText {
public:
    explicit TIndexText(uint32_t codePage);
    std::string operator()(const std::string& text) const;

private:
    uint32_t codePage_;
    std::unique_ptr<IMultiLanguageService> service_;
};

}  // namespace inspector
}  // namespace pellumo
