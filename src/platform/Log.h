#pragma once
// The program's log: one line for every error caught at a boundary (window
// procedures, the watcher, the settings save) and for every change in what
// is watched, so that a notifier that went quiet can say why afterwards.
// On Windows it is a file under the user's application data folder
// (Ostrivane\Pellumo\pellumo.log, kept under 256 KB by moving the full file
// to pellumo.log.1 once) and the debugger's output; elsewhere standard error.
#include <string>

namespace pellumo {

// Writes one line with the local time in front. Safe from any thread; never
// throws, since a log that cannot be written is no reason to stop.
void LogLine(const std::string& text);

}  // namespace pellumo
