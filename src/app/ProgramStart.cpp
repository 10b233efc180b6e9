#include "app/ProgramStart.h"

#include "content/AsciiText.h"

namespace pellumo {

const char* const kApplicationTitle = "Ostrivane Pellumo";

namespace {
// Switches count only as the first parameter, in any letter case.
bool FirstParameterIs(const std::string& commandLine, const char* switchText) {
    return ParamCount(commandLine) >= 1 && asciitext::EqualsI(ParamStr(commandLine, 1), switchText);
}
}  // namespace

bool IsTestRun(const std::string& commandLine) { return FirstParameterIs(commandLine, "/test"); }

bool IsAutostart(const std::string& commandLine) { return FirstParameterIs(commandLine, "/autostart"); }

std::string ErrorBoxText(const std::string& message) {
    if (message.empty() || static_cast<unsigned char>(message.back()) <= '.') return message;
    return message + ".";
}

}  // namespace pellumo
