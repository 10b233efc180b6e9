#include "app/ProgramStart.h"

#include "platform/AsciiText.h"
#include "platform/Utf8Text.h"

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
    // East Asian text, which ends its sentences with its own full stop.
    const size_t start = Utf8CharacterStart(message, message.size() - 1);
    if (message.size() - start == 3) {
        const auto byte = [&](size_t i) { return static_cast<uint32_t>(static_cast<unsigned char>(message[start + i])); };
        const uint32_t last = (byte(0) & 0x0F) << 12 | (byte(1) & 0x3F) << 6 | (byte(2) & 0x3F);
        if ((last >= 0x3000 && last <= 0x9FFF) || (last >= 0xFF00 && last <= 0xFFEF)) return message;
    }
    return message + ".";
}

}  // namespace pellumo
