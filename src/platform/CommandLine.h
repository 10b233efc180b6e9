#pragma once
// The words of a Windows command line, as the system's programs split them.
#include <string>

namespace pellumo {

// Word Index of a command line (0 the program's own name, then its
// parameters; empty past the last), split as the system's programs do:
// separated by blanks and control characters, double quotes group and are
// removed. ParamCount: the number of parameters after the program's name.
std::string ParamStr(const std::string& commandLine, int index);
int ParamCount(const std::string& commandLine);

}  // namespace pellumo
