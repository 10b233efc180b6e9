#include "platform/CommandLine.h"

#include <vector>

namespace pellumo {

namespace {

bool IsBlank(char ch) { return static_cast<unsigned char>(ch) <= ' '; }

// Every word of the command line, the program's name first.
std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
    std::vector<std::string> words;
    size_t i = 0;
    const size_t n = commandLine.size();
    for (;;) {
        while (i < n && IsBlank(commandLine[i])) ++i;
        if (i >= n) break;
        std::string word;
        bool quoted = false;
        for (; i < n && (quoted || !IsBlank(commandLine[i])); ++i) {
            if (commandLine[i] == '"')
                quoted = !quoted;
            else
                word += commandLine[i];
        }
        words.push_back(word);
    }
    return words;
}

}  // namespace

std::string ParamStr(const std::string& commandLine, int index) {
    const std::vector<std::string> words = SplitCommandLine(commandLine);
    if (index < 0 || static_cast<size_t>(index) >= words.size()) return std::string();
    return words[index];
}

int ParamCount(const std::string& commandLine) {
    const size_t words = SplitCommandLine(commandLine).size();
    return words > 0 ? static_cast<int>(words - 1) : 0;
}

}  // namespace pellumo
