// mkstore: builds Outlook Express store directories and files for tests,
// benchmarks and the demo.
//
// The commands and options are in kUsage below.
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "DbxWriter.h"

#ifndef PELLUMO_VERSION
#define PELLUMO_VERSION "unknown"
#endif

namespace fs = std::filesystem;

namespace {

const char* const kUsage =
    "usage: mkstore build OUTDIR SRCDIR [--force] [--per-node N] [--scatter] [--gap BYTES]\n"
    "           a store from SRCDIR's folders of .eml files (file name words: read, high, low,\n"
    "           headers: the record alone, its text not downloaded);\n"
    "           OUTDIR must be new or empty unless --force\n"
    "       mkstore add FILE.dbx EML...\n"
    "           adds messages to a folder file in place, as the mail client does\n"
    "       mkstore bulk FILE.dbx COUNT [--per-node N]\n"
    "           a folder file of COUNT generated messages\n"
    "       mkstore repeat FILE.dbx COUNT [--per-node N]\n"
    "           a damaged folder file: COUNT index entries all naming one record,\n"
    "           whose property table is long\n"
    "       mkstore --help | --version\n";

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The mail client's special-folder numbers.
const uint8_t kKindInbox = 1, kKindOutbox = 2, kKindSent = 3, kKindDeleted = 4, kKindDrafts = 5;
const uint8_t kLocalFoldersAccount = 3;  // what the mail client writes for its local folders

std::string Lower(std::string s) {
    for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// A whole decimal number within Max; anything else is a usage fault.
uint64_t ParseNumber(const std::string& text, uint64_t max, const std::string& what) {
    if (text.empty() || text.size() > 20 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        throw UsageError(what + " must be a number: " + text);
    uint64_t value = 0;
    for (char c : text) {
        value = value * 10 + uint64_t(c - '0');
        if (value > max) throw UsageError(what + " is too large: " + text);
    }
    return value;
}

// The system's reason for the last failed file operation.
std::string Reason() { return errno ? std::strerror(errno) : "failed"; }

std::string ReadFile(const fs::path& path) {
    std::error_code ec;
    if (fs::is_directory(path, ec)) throw std::runtime_error("cannot open " + path.u8string() + ": " + std::strerror(EISDIR));
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path.u8string() + ": " + Reason());
    std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw std::runtime_error("cannot read " + path.u8string() + ": " + Reason());
    return data;
}

void WriteFile(const fs::path& path, const std::vector<uint8_t>& data) {
    errno = 0;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error("cannot create " + path.u8string() + ": " + Reason());
    out.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
    out.close();
    if (!out) throw std::runtime_error("cannot write " + path.u8string() + ": " + Reason());
}

// True when the text starts with a header block: "Name: value" fields (a
// field continued on lines that start with a space or tab) up to an empty
// line or the end. Anything else is not a message the mail client would store.
bool HasHeaderBlock(const std::string& text) {
    size_t fields = 0;
    for (size_t pos = 0; pos < text.size();) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) break;
        if (line[0] == ' ' || line[0] == '\t') {
            if (fields == 0) return false;
        } else {
            const size_t colon = line.find(':');
            if (colon == std::string::npos || colon == 0) return false;
            for (size_t i = 0; i < colon; ++i)
                if (static_cast<unsigned char>(line[i]) <= ' ' || static_cast<unsigned char>(line[i]) >= 127)
                    return false;
            ++fields;
        }
        pos = end + 1;
    }
    return fields > 0;
}

// Flags from the dot-separated words of an .eml file name: read, high, low;
// headers keeps the record alone, as for a message not downloaded yet.
mkstore::Message MessageFromFile(const fs::path& path) {
    mkstore::Message m = mkstore::MessageFromEml(ReadFile(path));
    std::stringstream words(path.stem().u8string());
    std::string word;
    while (std::getline(words, word, '.')) {
        word = Lower(word);
        if (word == "read") m.flags |= 0x80;
        else if (word == "high") m.priority = 1;
        else if (word == "low") m.priority = 5;
        else if (word == "headers") m.text.clear();
    }
    return m;
}

bool IsEml(const fs::directory_entry& e) {
    return e.is_regular_file() && Lower(e.path().extension().u8string()) == ".eml";
}

std::vector<fs::path> Sorted(std::vector<fs::path> paths) {
    std::sort(paths.begin(), paths.end(),
              [](const fs::path& a, const fs::path& b) { return a.filename().u8string() < b.filename().u8string(); });
    return paths;
}

// Folder subdirectories in name order; hidden ones (".git" and the like) are not folders.
std::vector<fs::path> FolderDirectories(const fs::path& dir) {
    std::vector<fs::path> out;
    for (const auto& e : fs::directory_iterator(dir)) {
        if (e.is_directory() && e.path().filename().u8string().rfind('.', 0) != 0) out.push_back(e.path());
    }
    return Sorted(out);
}

std::vector<fs::path> EmlFiles(const fs::path& dir) {
    std::vector<fs::path> out;
    for (const auto& e : fs::directory_iterator(dir)) {
        if (IsEml(e)) out.push_back(e.path());
    }
    return Sorted(out);
}

class StoreBuilder {
public:
    StoreBuilder(const fs::path& out, const mkstore::Options& options) : out_(out), options_(options) {
        used_.insert("folders.dbx");
    }

    void Run(const fs::path& source) {
        mkstore::Folder local;
        local.id = 1;
        local.name = "Local Folders";
        local.storeId = "LocalStore";
        local.accountType = kLocalFoldersAccount;
        folders_.push_back(local);
        Visit(source, 1, true);
        WriteFile(out_ / "Folders.dbx", mkstore::WriteFolderFile(folders_, options_));
    }

private:
    void Visit(const fs::path& dir, uint32_t parentId, bool top) {
        for (const fs::path& sub : FolderDirectories(dir)) {
            mkstore::Folder f;
            f.id = uint32_t(folders_.size()) + 1;
            f.parentId = parentId;
            f.name = sub.filename().u8string();
            f.fileName = UniqueFileName(f.name);
            f.kind = Kind(sub, f.name, top);
            f.accountType = kLocalFoldersAccount;
            folders_.push_back(f);

            std::vector<mkstore::Message> messages;
            for (const fs::path& eml : EmlFiles(sub)) messages.push_back(MessageFromFile(eml));
            WriteFile(out_ / fs::u8path(f.fileName), mkstore::WriteMessageFile(messages, options_));

            Visit(sub, f.id, false);
        }
    }

    // Two folders of one name (in different parents) must not share a file.
    std::string UniqueFileName(const std::string& name) {
        std::string candidate = name + ".dbx";
        for (int n = 2; !used_.insert(Lower(candidate)).second; ++n)
            candidate = name + " (" + std::to_string(n) + ").dbx";
        return candidate;
    }

    // Special folders exist only at the top; a file `kind` overrides the name.
    static uint8_t Kind(const fs::path& dir, const std::string& name, bool top) {
        const fs::path file = dir / "kind";
        if (fs::is_regular_file(file)) {
            std::string text = ReadFile(file);
            const size_t b = text.find_first_not_of(" \t\r\n");
            text = b == std::string::npos ? std::string() : text.substr(b, text.find_last_not_of(" \t\r\n") - b + 1);
            try {
                return uint8_t(ParseNumber(text, 255, "kind"));
            } catch (const UsageError& e) {
                throw std::runtime_error(file.u8string() + ": " + e.what());
            }
        }
        if (!top) return 0;
        if (name == "Inbox") return kKindInbox;
        if (name == "Outbox") return kKindOutbox;
        if (name == "Sent Items") return kKindSent;
        if (name == "Deleted Items") return kKindDeleted;
        if (name == "Drafts") return kKindDrafts;
        return 0;
    }

    fs::path out_;
    mkstore::Options options_;
    std::vector<mkstore::Folder> folders_;
    std::set<std::string> used_;
};

// The command line: the command and its arguments, and the options, which
// may stand anywhere ("--" ends them).
struct CommandLine {
    std::vector<std::string> words;
    std::vector<std::pair<std::string, std::string>> options;  // name, value ("" for a flag)
    bool help = false, version = false;
};

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    static const std::set<std::string> kFlags = {"--scatter", "--force"};
    static const std::set<std::string> kValued = {"--per-node", "--gap"};
    CommandLine line;
    bool options = true;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (options && a == "--") options = false;
        else if (options && (a == "--help" || a == "-h")) line.help = true;
        else if (options && a == "--version") line.version = true;
        else if (options && kFlags.count(a)) line.options.push_back({a, std::string()});
        else if (options && kValued.count(a)) {
            if (i + 1 >= args.size()) throw UsageError(a + " needs a value");
            line.options.push_back({a, args[++i]});
        } else if (options && a.size() > 1 && a[0] == '-') throw UsageError("unknown option: " + a);
        else line.words.push_back(a);
    }
    return line;
}

// The writer's options from the command line; Allowed names those the command takes.
mkstore::Options WriterOptions(const CommandLine& line, const std::set<std::string>& allowed) {
    mkstore::Options o;
    for (const auto& option : line.options) {
        const std::string& a = option.first;
        const std::string& v = option.second;
        if (!allowed.count(a)) throw UsageError(a + " is not an option of " + line.words[0]);
        if (a == "--scatter") {
            o.scatterBlocks = true;
        } else if (a == "--per-node") {
            o.entriesPerNode = unsigned(ParseNumber(v, 51, "--per-node"));
            if (o.entriesPerNode == 0) throw UsageError("--per-node must be 1 to 51");
        } else if (a == "--gap") {
            o.bodyGap = uint32_t(ParseNumber(v, 0xFFFFFFFFu, "--gap"));
        }
    }
    return o;
}

bool HasOption(const CommandLine& line, const std::string& name) {
    for (const auto& option : line.options)
        if (option.first == name) return true;
    return false;
}

int Build(const CommandLine& line) {
    const std::vector<std::string>& args = line.words;
    if (args.size() != 3) throw UsageError("build needs OUTDIR and SRCDIR");
    const mkstore::Options options = WriterOptions(line, {"--per-node", "--scatter", "--gap", "--force"});
    const fs::path out = fs::u8path(args[1]);
    const fs::path source = fs::u8path(args[2]);
    if (!fs::is_directory(source)) throw std::runtime_error("not a directory: " + args[2]);
    // A store written over another would mix with what was there.
    std::error_code ec;
    if (fs::exists(out, ec) && !fs::is_directory(out, ec)) throw std::runtime_error("not a directory: " + args[1]);
    if (fs::is_directory(out, ec) && !fs::is_empty(out, ec) && !HasOption(line, "--force"))
        throw std::runtime_error(args[1] + " is not empty (--force writes the store into it all the same)");
    fs::create_directories(out);
    StoreBuilder(out, options).Run(source);
    return 0;
}

// Grows the file in place, as the mail client does: the new bytes first, the
// header (count and root) last, so the old index stays valid until then.
int Add(const CommandLine& line) {
    const std::vector<std::string>& args = line.words;
    if (args.size() < 3) throw UsageError("add needs FILE.dbx and at least one EML");
    WriterOptions(line, {});
    const fs::path path = fs::u8path(args[1]);
    std::vector<mkstore::Message> added;
    for (size_t i = 2; i < args.size(); ++i) {
        const fs::path eml = fs::u8path(args[i]);
        if (!HasHeaderBlock(ReadFile(eml)))
            throw std::runtime_error(args[i] + ": not a message: it does not start with header fields");
        added.push_back(MessageFromFile(eml));
    }

    const std::string old = ReadFile(path);
    std::vector<uint8_t> grown;
    try {
        grown = mkstore::AddMessages(std::vector<uint8_t>(old.begin(), old.end()), added);
    } catch (const std::exception& e) {
        throw std::runtime_error(args[1] + ": " + e.what());
    }
    const size_t headerSize = 0x24BC;  // AddMessages checked the file holds at least that

    errno = 0;
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    if (!file) throw std::runtime_error("cannot open " + args[1] + " for update: " + Reason());
    file.seekp(std::streamoff(old.size()));
    file.write(reinterpret_cast<const char*>(grown.data() + old.size()), std::streamsize(grown.size() - old.size()));
    file.flush();
    file.seekp(0);
    file.write(reinterpret_cast<const char*>(grown.data()), std::streamsize(headerSize));
    file.close();
    if (!file) throw std::runtime_error("cannot write " + args[1] + ": " + Reason());
    return 0;
}

// FILETIME of a civil UTC time, and the RFC 5322 date of the same instant.
const uint64_t kFileTimeTicksPerSecond = 10000000;
const int64_t kFileTimeEpochTo1970 = 11644473600;  // seconds

int64_t DaysFromCivil(int y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return int64_t(era) * 146097 + int64_t(doe) - 719468;
}

std::string RfcDate(int64_t unixSeconds) {
    static const char* const kDays[] = {"Thu", "Fri", "Sat", "Sun", "Mon", "Tue", "Wed"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const int64_t days = unixSeconds / 86400;
    const int64_t secs = unixSeconds % 86400;
    // civil_from_days
    const int64_t z = days + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = unsigned(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    const int64_t y = int64_t(yoe) + era * 400 + (m <= 2);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%s, %u %s %lld %02d:%02d:%02d +0000", kDays[days % 7], d, kMonths[m - 1],
                  static_cast<long long>(y), int(secs / 3600), int(secs / 60 % 60), int(secs % 60));
    return buf;
}

// Generated mail: the same COUNT always gives the same file.
std::vector<mkstore::Message> Generate(uint64_t count) {
    static const char* const kNames[] = {"Alice Martin", "Bob Keller", "Carla Rossi", "Dev Patel",
                                         "Elena Novak", "Frank O'Neill", "Grace Liu", "Hugo Berg"};
    static const char* const kUsers[] = {"alice", "bob.keller", "carla", "dev", "elena.n", "frank", "grace", "hugo"};
    static const char* const kDomains[] = {"example.com", "example.org", "mail.example.com"};
    static const char* const kTopics[] = {"Quarterly report", "Lunch on Friday", "Build failure", "Invoice",
                                          "Meeting notes", "Holiday plans", "Re: Project status",
                                          "Server maintenance", "Fw: Photos", "Question about the contract"};
    static const char* const kLines[] = {
        "Please find the details below.",
        "Let me know what you think when you have a moment.",
        "The numbers look better than last month, but we should double-check the totals.",
        "I will be out of the office until Monday.",
        "Thanks again for your help with this.",
        "Could you forward this to the rest of the team?",
        "The meeting has moved to room 4 at half past two.",
        "See you there."};
    const int64_t start = DaysFromCivil(2004, 3, 1) * 86400;

    std::vector<mkstore::Message> out;
    out.reserve(size_t(count));
    uint32_t state = 12345;
    auto next = [&state]() {
        state = state * 1103515245u + 12345u;
        return (state >> 16) & 0x7FFF;
    };
    for (uint64_t i = 0; i < count; ++i) {
        mkstore::Message m;
        const unsigned who = next() % 8;
        m.senderName = kNames[who];
        m.senderAddress = std::string(kUsers[who]) + "@" + kDomains[next() % 3];
        m.subject = std::string(kTopics[next() % 10]) + " #" + std::to_string(i + 1);
        m.messageId = "<" + std::to_string(i + 1) + "." + std::to_string(next()) + "@bulk.example.com>";
        const int64_t sent = start + int64_t(i) * 97 + next() % 60;
        const int64_t received = sent + 5 + next() % 300;
        m.sentTime = uint64_t(sent + kFileTimeEpochTo1970) * kFileTimeTicksPerSecond;
        m.receivedTime = uint64_t(received + kFileTimeEpochTo1970) * kFileTimeTicksPerSecond;
        if (i % 3 == 1) m.flags = 0x80;
        if (i % 17 == 5) m.priority = 1;
        else if (i % 23 == 7) m.priority = 5;

        std::string body;
        const unsigned lines = 1 + next() % 12;  // some texts need more than one block
        for (unsigned l = 0; l < lines; ++l) body += std::string(kLines[next() % 8]) + "\r\n";
        std::string text;
        text += "From: \"" + m.senderName + "\" <" + m.senderAddress + ">\r\n";
        text += "To: reader@example.org\r\n";
        text += "Subject: " + m.subject + "\r\n";
        text += "Date: " + RfcDate(sent) + "\r\n";
        text += "Message-ID: " + m.messageId + "\r\n";
        text += "MIME-Version: 1.0\r\n";
        text += "Content-Type: text/plain; charset=\"us-ascii\"\r\n";
        text += "Content-Transfer-Encoding: 7bit\r\n";
        if (m.priority != 3) text += "X-Priority: " + std::to_string(m.priority) + "\r\n";
        text += "\r\n" + body;
        m.text = std::move(text);
        out.push_back(std::move(m));
    }
    return out;
}

int Bulk(const CommandLine& line) {
    const std::vector<std::string>& args = line.words;
    if (args.size() != 3) throw UsageError("bulk needs FILE.dbx and COUNT");
    const uint64_t count = ParseNumber(args[2], 10000000, "COUNT");
    const mkstore::Options options = WriterOptions(line, {"--per-node"});
    WriteFile(fs::u8path(args[1]), mkstore::WriteMessageFile(Generate(count), options));
    return 0;
}

int Repeat(const CommandLine& line) {
    const std::vector<std::string>& args = line.words;
    if (args.size() != 3) throw UsageError("repeat needs FILE.dbx and COUNT");
    const uint64_t count = ParseNumber(args[2], 10000000, "COUNT");
    const mkstore::Options options = WriterOptions(line, {"--per-node"});
    WriteFile(fs::u8path(args[1]), mkstore::WriteRepeatedRecordFile(uint32_t(count), options));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const CommandLine line = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
        if (line.help || line.version) {
            std::cout << (line.help ? std::string(kUsage) : std::string("mkstore " PELLUMO_VERSION "\n"));
            std::cout.flush();
            if (!std::cout) {
                std::cerr << "mkstore: cannot write the output\n";
                return 1;
            }
            return 0;
        }
        if (line.words.empty()) throw UsageError("no command");
        const std::string& command = line.words[0];
        if (command == "build") return Build(line);
        if (command == "add") return Add(line);
        if (command == "bulk") return Bulk(line);
        if (command == "repeat") return Repeat(line);
        throw UsageError("unknown command: " + command);
    } catch (const UsageError& e) {
        std::cerr << "mkstore: " << e.what() << "\n" << kUsage;
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "mkstore: " << e.what() << "\n";
        return 1;
    }
}
