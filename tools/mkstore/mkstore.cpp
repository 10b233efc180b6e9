// mkstore: builds Outlook Express store directories and files for tests,
// benchmarks and the demo.
//
//   mkstore build OUTDIR SRCDIR [--per-node N] [--scatter] [--gap BYTES]
//   mkstore add FILE.dbx EML...
//   mkstore bulk FILE.dbx COUNT [--per-node N]
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
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

namespace fs = std::filesystem;

namespace {

const char* const kUsage =
    "usage: mkstore build OUTDIR SRCDIR [--per-node N] [--scatter] [--gap BYTES]\n"
    "       mkstore add FILE.dbx EML...\n"
    "       mkstore bulk FILE.dbx COUNT [--per-node N]\n";

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

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path.u8string());
    std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw std::runtime_error("cannot read " + path.u8string());
    return data;
}

void WriteFile(const fs::path& path, const std::vector<uint8_t>& data) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error("cannot create " + path.u8string());
    out.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
    out.close();
    if (!out) throw std::runtime_error("cannot write " + path.u8string());
}

// Flags from the dot-separated words of an .eml file name: read, high, low.
mkstore::Message MessageFromFile(const fs::path& path) {
    mkstore::Message m = mkstore::MessageFromEml(ReadFile(path));
    std::stringstream words(path.stem().u8string());
    std::string word;
    while (std::getline(words, word, '.')) {
        word = Lower(word);
        if (word == "read") m.flags |= 0x80;
        else if (word == "high") m.priority = 1;
        else if (word == "low") m.priority = 5;
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

// Options after the positional arguments; Allowed names those the command takes.
mkstore::Options ParseOptions(const std::vector<std::string>& args, size_t from, const std::set<std::string>& allowed) {
    mkstore::Options o;
    for (size_t i = from; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (!allowed.count(a)) throw UsageError("unknown option: " + a);
        if (a == "--scatter") {
            o.scatterBlocks = true;
            continue;
        }
        if (i + 1 >= args.size()) throw UsageError(a + " needs a value");
        const std::string& v = args[++i];
        if (a == "--per-node") {
            o.entriesPerNode = unsigned(ParseNumber(v, 51, "--per-node"));
            if (o.entriesPerNode == 0) throw UsageError("--per-node must be 1 to 51");
        } else if (a == "--gap") {
            o.bodyGap = uint32_t(ParseNumber(v, 0xFFFFFFFFu, "--gap"));
        }
    }
    return o;
}

int Build(const std::vector<std::string>& args) {
    if (args.size() < 3) throw UsageError("build needs OUTDIR and SRCDIR");
    const mkstore::Options options = ParseOptions(args, 3, {"--per-node", "--scatter", "--gap"});
    const fs::path out = fs::u8path(args[1]);
    const fs::path source = fs::u8path(args[2]);
    if (!fs::is_directory(source)) throw std::runtime_error("not a directory: " + args[2]);
    fs::create_directories(out);
    StoreBuilder(out, options).Run(source);
    return 0;
}

// Grows the file in place, as the mail client does: the new bytes first, the
// header (count and root) last, so the old index stays valid until then.
int Add(const std::vector<std::string>& args) {
    if (args.size() < 3) throw UsageError("add needs FILE.dbx and at least one EML");
    const fs::path path = fs::u8path(args[1]);
    std::vector<mkstore::Message> added;
    for (size_t i = 2; i < args.size(); ++i) added.push_back(MessageFromFile(fs::u8path(args[i])));

    const std::string old = ReadFile(path);
    std::vector<uint8_t> grown;
    try {
        grown = mkstore::AddMessages(std::vector<uint8_t>(old.begin(), old.end()), added);
    } catch (const std::exception& e) {
        throw std::runtime_error(args[1] + ": " + e.what());
    }
    const size_t headerSize = 0x24BC;  // AddMessages checked the file holds at least that

    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    if (!file) throw std::runtime_error("cannot open " + args[1] + " for update");
    file.seekp(std::streamoff(old.size()));
    file.write(reinterpret_cast<const char*>(grown.data() + old.size()), std::streamsize(grown.size() - old.size()));
    file.flush();
    file.seekp(0);
    file.write(reinterpret_cast<const char*>(grown.data()), std::streamsize(headerSize));
    file.close();
    if (!file) throw std::runtime_error("cannot write " + args[1]);
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

int Bulk(const std::vector<std::string>& args) {
    if (args.size() < 3) throw UsageError("bulk needs FILE.dbx and COUNT");
    const uint64_t count = ParseNumber(args[2], 10000000, "COUNT");
    const mkstore::Options options = ParseOptions(args, 3, {"--per-node"});
    WriteFile(fs::u8path(args[1]), mkstore::WriteMessageFile(Generate(count), options));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (args.empty()) throw UsageError("no command");
        if (args[0] == "build") return Build(args);
        if (args[0] == "add") return Add(args);
        if (args[0] == "bulk") return Bulk(args);
        throw UsageError("unknown command: " + args[0]);
    } catch (const UsageError& e) {
        std::cerr << "mkstore: " << e.what() << "\n" << kUsage;
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "mkstore: " << e.what() << "\n";
        return 1;
    }
}
