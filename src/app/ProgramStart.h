#pragma once
// The program's start-up rules that need no window: the command line's
// "/test" and "/autostart" switches and the text of the error box shown for
// a failed start.
#include <string>

#include "platform/CommandLine.h"

namespace pellumo {

// The application title: the tray icon's tip and the error boxes' caption.
extern const char* const kApplicationTitle;  // "Ostrivane Pellumo"

// Whether the start-up scan announces every unread message: the first
// parameter is "/test" in any letter case. No other parameter counts.
bool IsTestRun(const std::string& commandLine);

// Whether Windows started the program from the machine's Run value, which
// setup writes as the quoted path and "/autostart": the first parameter, in
// any letter case.
bool IsAutostart(const std::string& commandLine);

// An error message as the error box shows it: a full stop is added unless the
// text is empty or ends in a full stop or in a character coded below it (an
// exclamation mark, a closing parenthesis, a blank...), or in East Asian
// text (ideographs, kana, their punctuation and full-width forms), whose
// sentences end with their own full stop.
std::string ErrorBoxText(const std::string& message);

}  // namespace pellumo
