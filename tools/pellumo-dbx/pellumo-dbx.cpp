// pellumo-dbx: looks into an Outlook Express store with the program's own readers.
// The commands and options are in kUsage below. Output is UTF-8; errors are
// one line on stderr starting with the program's name.
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <stdexcept>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include <sys/stat.h>

#ifdef _WIN32
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#endif

#include "InspectorOutput.h"
#include "platform/Exception.h"
#include "platform/FileSystem.h"
#include "platform/MultiLanguage.h"
#include "platform/Registry.h"
#include "platform/Stream.h"
#include "app/MailScan.h"
#include "content/CharsetConverter.h"
#include "content/MimeMessage.h"
#include "settings/FolderChoices.h"
#include "settings/HintTimeValue.h"
#include "settings/NotifierSettings.h"
#include "settings/WindowLocation.h"
#include "store/StoreLocation.h"
#include "store/WatchedFolders.h"
#include "store/DbxFolderTree.h"
#include "store/DbxFormat.h"
#include "store/DbxMessageFolder.h"

#ifndef PELLUMO_VERSION
#define PELLUMO_VERSION "unknown"
#endif

using namespace pellumo;
using namespace pellumo::inspector;

namespace {

const char kProgram[] = "pellumo-dbx";

const char kUsage[] =
    "usage: pellumo-dbx list FILE.dbx              one line per message: Id, Flags, Priority,\n"
    "                                              BodyPos, SenderName, Subject\n"
    "       pellumo-dbx cat FILE.dbx ID            the raw message text, byte for byte\n"
    "       pellumo-dbx preview FILE.dbx ID        the body text the popup shows\n"
    "       pellumo-dbx preview-eml FILE.eml       the same for a raw message file\n"
    "       pellumo-dbx folders STOREDIR           the folder tree of a store, what is watched and why\n"
#ifdef _WIN32
    "       pellumo-dbx folders                    the same for the registry's store\n"
#endif
    "       pellumo-dbx scan STOREDIR [--test]     what a start (or a start with /test) announces\n"
    "       pellumo-dbx settings [--repair]        the settings as the program loads them;\n"
    "                                              --repair saves them back as the program does\n"
    "       pellumo-dbx --help | --version\n"
    "options:\n"
    "  --codepage N   read the store's index texts (names, subjects) in code page N\n"
    "                 instead of the system's (windows-1252 where there is none)\n"
    "ID is the message's hex number in any form: 2, 02, 0x2, 000002.\n"
#ifdef _WIN32
    "folders and scan follow the folders the user chose for the current identity.\n"
#else
    "folders and scan take every folder's default (an Inbox is watched): the\n"
    "user's choice of folders is in the Windows registry.\n"
#endif
    "Output is UTF-8.\n";

// --- Files, with the system's reason when they cannot be read -------------

std::string Reason(int error) { return std::strerror(error); }

// The path without trailing separators: the Windows C library cannot stat "dir\".
std::string StatPath(std::string path) {
    while (path.size() > 1 && (path.back() == '/' || path.back() == '\\') &&
           !(path.size() == 3 && path[1] == ':'))
        path.pop_back();
    return path;
}

// Throws "PATH: <reason>" unless the path is a file that can be opened for reading.
void CheckReadableFile(const std::string& path) {
    struct stat st;
    if (stat(StatPath(path).c_str(), &st) != 0) throw Exception(path + ": " + Reason(errno));
    if (S_ISDIR(st.st_mode)) throw Exception(path + ": " + Reason(EISDIR));
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) throw Exception(path + ": " + Reason(errno));
    std::fclose(file);
}

void CheckDirectory(const std::string& path) {
    if (path.empty()) throw UsageError("STOREDIR is empty");
    struct stat st;
    if (stat(StatPath(path).c_str(), &st) != 0) throw Exception(path + ": " + Reason(errno));
    if (!S_ISDIR(st.st_mode)) throw Exception(path + ": " + Reason(ENOTDIR));
}

std::string StoreDirectory(std::string storeRoot) {
    if (!EndsWithPathDelimiter(storeRoot)) storeRoot += kPathDelimiter;
    return storeRoot;
}

// A store folder is a directory with a readable Folders.dbx.
std::string CheckStoreDirectory(const std::string& storeRoot) {
    CheckDirectory(storeRoot);
    const std::string dir = StoreDirectory(storeRoot);
    const std::string list = dir + "Folders.dbx";
    struct stat st;
    if (stat(list.c_str(), &st) != 0 && errno == ENOENT)
        throw Exception(storeRoot + ": no Folders.dbx here: not an Outlook Express store folder");
    CheckReadableFile(list);
    return dir;
}

std::string ReadFile(const std::string& path) {
    CheckReadableFile(path);
    TFileStream file(path);
    std::string bytes(static_cast<size_t>(file.Size()), '\0');
    bytes.resize(file.ReadAt(0, &bytes[0], bytes.size()));
    return bytes;
}

// --- Truncated store files --------------------------------------------------

const uint64_t kHeaderSize = 0x24BC;  // every store file starts with a header this long
const size_t kMaxIndexNodes = 1000000;  // far more than 4 GiB of nodes: ends any walk

// Where the file's header or index reaches past its end, or empty when all of
// it lies inside. The readers quietly stop at the end of the file; this says so.
std::string PastTheEnd(TStream& file, uint32_t rootOffset) {
    const uint64_t size = file.Size();
    if (size < kHeaderSize)
        return "the file has " + std::to_string(size) + " bytes, less than its header's " +
               std::to_string(kHeaderSize);
    std::vector<uint32_t> pending{dbx::ReadWordAt(file, rootOffset)};
    std::unordered_set<uint32_t> visited;
    std::vector<uint8_t> node(dbx::kNodeSize);
    while (!pending.empty() && visited.size() < kMaxIndexNodes) {
        const uint32_t position = pending.back();
        pending.pop_back();
        if (position == 0 || !visited.insert(position).second) continue;
        if (uint64_t(position) + dbx::kNodeSize > size)
            return "an index node at offset " + std::to_string(position) + " lies past the end (" +
                   std::to_string(size) + " bytes)";
        file.ReadAt(position, node.data(), node.size());
        const dbx::ByteView view(node.data(), node.size());
        pending.push_back(view.Le32At(dbx::kNodeTailChild));
        const unsigned count = std::min<unsigned>(view.ByteAt(dbx::kNodeEntryCount), dbx::kMaxEntries);
        for (unsigned i = 0; i < count; ++i) {
            const uint64_t entry = dbx::kNodeEntries + uint64_t(i) * dbx::kEntrySize;
            const uint32_t record = view.Le32At(entry);
            if (record != 0) {
                uint8_t header[dbx::kRecordHeaderSize];
                if (uint64_t(record) + sizeof header > size ||
                    file.ReadAt(record, header, sizeof header) < sizeof header ||
                    uint64_t(record) + sizeof header + dbx::Le32(header + dbx::kRecordLength) > size)
                    return "a record at offset " + std::to_string(record) + " lies past the end (" +
                           std::to_string(size) + " bytes)";
            }
            pending.push_back(view.Le32At(entry + 4));
        }
    }
    return std::string();
}

void CheckWhole(TStream& file, const std::string& path, uint32_t rootOffset) {
    const std::string problem = PastTheEnd(file, rootOffset);
    if (!problem.empty()) throw Exception("truncated store file: " + path + ": " + problem);
}

// --- Message folder files ----------------------------------------------------

void OpenMessages(TDbxMessageFolder& dbx, const std::string& path) {
    CheckReadableFile(path);
    try {
        dbx.Open(std::unique_ptr<TStream>(new TFileStream(path)));
    } catch (const Exception& e) {
        if (dbx.Stream() && dbx.FileType() == 1)
            throw Exception(path + ": a folder list, not a message folder: see " + kProgram +
                            " folders on its directory");
        throw Exception(path + ": " + e.Message());
    }
}

// A message id in any hex form: 2, 02, 0x2, 000002, either case.
bool ParseId(std::string text, uint32_t& value) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.erase(0, 2);
    return dbx::ParseId(text, value);
}

uint32_t MessageId(const std::string& text) {
    uint32_t id = 0;
    if (!ParseId(text, id)) throw UsageError("not a message id (hex, as list shows them): " + text);
    return id;
}

int List(const std::string& path, const TIndexText& indexText) {
    TDbxMessageFolder dbx;
    OpenMessages(dbx, path);
    for (dbx.First(); !dbx.Eof(); dbx.Next()) {
        const TDbxMessageRecord& m = *dbx.Current();
        Emit(m.Id + "\t" + Hex8(uint32_t(m.Flags)) + "\t" + std::to_string(m.Priority) + "\t" +
             std::to_string(m.BodyPos) + "\t" + Escape(indexText(m.SenderName)) + "\t" +
             Escape(indexText(m.Subject)) + "\n");
    }
    FinishOutput();
    CheckWhole(*dbx.Stream(), path, dbx::kOffsetMessageRoot);
    return 0;
}

// The raw text of message ID; Complete is false when its text runs past the
// end of the file or into a block not written yet.
std::string MessageText(const std::string& path, uint32_t id, bool& complete) {
    TDbxMessageFolder dbx;
    OpenMessages(dbx, path);
    for (dbx.First(); !dbx.Eof(); dbx.Next()) {
        uint32_t recordId = 0;
        if (!ParseId(dbx.Current()->Id, recordId) || recordId != id) continue;
        TMemoryStream text;
        dbx.ReadMessage(dbx.Current()->BodyPos, text, &complete);
        return text.Text();
    }
    CheckWhole(*dbx.Stream(), path, dbx::kOffsetMessageRoot);
    throw Exception(path + ": no message with Id " + dbx::FormatId(id));
}

// Bytes to standard output exactly as they are.
void SetBinaryOutput() {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
#endif
}

// Text the popup shows, as UTF-8 with the line ends of the system.
std::string SystemLines(const std::string& text) {
#ifdef _WIN32
    return text;
#else
    std::string lines;
    lines.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) lines += text[i];
    return lines;
#endif
}

int ShowMessage(const std::string& path, const std::string& idText, bool preview) {
    const uint32_t id = MessageId(idText);
    bool complete = true;
    const std::string text = MessageText(path, id, complete);
    SetBinaryOutput();
    Emit(preview ? SystemLines(PreviewRawMessage(text)) : text);
    FinishOutput();
    if (!complete)
        throw Exception("truncated store file: " + path + ": the text of message " + dbx::FormatId(id) +
                        " ends early (or is still being written)");
    return 0;
}

int PreviewEml(const std::string& path) {
    const std::string text = ReadFile(path);
    SetBinaryOutput();
    Emit(SystemLines(PreviewRawMessage(text)));
    FinishOutput();
    return 0;
}

// --- Folder trees, the scan, the settings ------------------------------------

// The folders the user chose, as the program reads them: the current
// identity's on Windows; elsewhere there is no user's registry, and every
// folder takes its default.
TFolderChoices UserFolderChoices() {
#ifdef _WIN32
    return LoadFolderChoices(GetIdentityId());
#else
    return TFolderChoices();
#endif
}

// One line per node, root first, depth first: Id, ParentId, Kind, Name,
// FileName, whether the folder is watched, and why.
int PrintTree(const std::unique_ptr<TDbxFolderNode>& root, const TIndexText& indexText) {
    const TFolderChoices choices = UserFolderChoices();

    std::vector<std::pair<const TTreeNode*, size_t>> pending{{root.get(), 0}};
    while (!pending.empty()) {
        const TTreeNode* node = pending.back().first;
        const size_t depth = pending.back().second;
        pending.pop_back();
        const auto* folder = dynamic_cast<const TDbxFolderNode*>(node);
        const TDbxFolderRecord* r = folder ? folder->Record.get() : nullptr;
        const std::string indent(2 * depth, ' ');
        if (r) {
            const TWatchReason reason = WatchReason(*r, choices);
            Emit(indent + Escape(r->Id) + "\t" + Escape(r->ParentId) + "\t" + std::to_string(unsigned(r->Kind)) +
                 "\t" + Escape(indexText(r->Name)) + "\t" + PathText(r->FileName) + "\t" +
                 (IsWatched(reason) ? "watched" : "-") + "\t" + WatchReasonText(reason) + "\n");
        } else {
            Emit(indent + "\t\t\t" + Escape(indexText(node->Text)) + "\t\t-\n");
        }
        for (size_t i = node->Count(); i > 0; --i) pending.push_back({node->Items(i - 1), depth + 1});
    }
    FinishOutput();
    return 0;
}

// Folders.dbx read whole, or an error saying where it ends.
void CheckFolderList(const std::string& storeDir) {
    const std::string path = storeDir + "Folders.dbx";
    TFileStream file(path);
    if (dbx::ReadHeaderWords(file).signature != dbx::kSignature) return;  // the tree builder says why
    CheckWhole(file, path, dbx::kOffsetFolderRoot);
}

int Folders(const std::string& storeRoot, const TIndexText& indexText) {
    const std::string dir = CheckStoreDirectory(storeRoot);
    PrintTree(BuildFolderTree(dir, std::string()), indexText);
    CheckFolderList(dir);
    return 0;
}

std::string Plural(size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// The user's rule lists as the program reads them: a list of the wrong type
// is none, as the program's repair leaves it (said on standard error).
void ReadRuleLists(std::vector<std::string>& never, std::vector<std::string>& always) {
    const auto key = CurrentUserRegistry().OpenKey(TNotifierSettings::kKey, false, TKeyAccess::Read);
    if (!key) return;
    for (auto list : {std::make_pair(kNeverAnnounceValue, &never), std::make_pair(kAlwaysAnnounceValue, &always)}) {
        try {
            *list.second = key->ReadStringsIfPresent(list.first).value_or(std::vector<std::string>());
        } catch (const Exception& e) {
            std::fprintf(stderr, "%s: %s; no rules taken from it, as the program repairs it\n", kProgram,
                         e.Message().c_str());
        }
    }
}

// The start-up scan of a store: a baseline queues nothing; with --test every
// unread message is queued, as the program announces them, under the user's
// rules: what is told, in the order it is told, then what a NeverAnnounce
// rule keeps quiet, each with the rule that decided.
int Scan(const std::string& storeRoot, bool test) {
    const std::string dir = CheckStoreDirectory(storeRoot);
    const std::unique_ptr<TDbxFolderNode> tree = BuildFolderTree(dir, std::string());
    CheckFolderList(dir);
    TFolderList folders;
    AddWatchedFolders(*tree, folders, UserFolderChoices());
    TMailScan scan(folders);
    std::vector<std::string> never, always;
    ReadRuleLists(never, always);
    scan.UseRules(never, always);
    const TAnnounceRules rules = ParseAnnounceRules(never, always);
    static const char* const kPriorities[] = {"mpHigh", "mpNormal", "mpLow"};
    const auto row = [](const TNotification& info, const TRuleMatch& rule) {
        return Escape(info.Folder) + "\t" + Escape(info.Sender) + "\t" + Escape(info.Subject) + "\t" +
               kPriorities[info.Priority] + "\t" + Escape(info.Body) + "\t" + RuleName(rule) + "\n";
    };
    std::string notAnnounced;
    scan.NotAnnounced = [&](const TNotification& info, const TRuleMatch& rule) { notAnnounced += row(info, rule); };
    const std::vector<TSkippedFolder> skipped = scan.ScanFolders(!test);
    while (std::unique_ptr<TNotification> info = scan.Queue.Take())
        Emit(row(*info, MatchAnnounceRules(rules, info->SenderAddress, info->Subject)));
    Emit(notAnnounced);
    FinishOutput();
    // The program passes over a folder file it cannot read; so does this, but says so.
    for (const TSkippedFolder& folder : skipped)
        std::fprintf(stderr, "%s: %s: %s\n", kProgram, PathText(folder.FileName).c_str(), folder.Message.English().c_str());
    // A plain start announces nothing; this tells the user the scan did run.
    if (!test)
        std::fprintf(stderr, "scan: %s watched, %s seen, nothing announced (--test lists what a test start announces)\n",
                     Plural(folders.size(), "folder", "folders").c_str(),
                     Plural(scan.SeenIds.Count(), "message", "messages").c_str());
    return skipped.empty() ? 0 : 1;
}

void PrintSettings(const TUserSettings& s, const TRect& windowRect, TFolderList& folders, const TIndexText& indexText) {
    std::string out;
    out += "AutoHideHint\t" + std::to_string(int(s.AutoHideHint)) + "\n";
    out += "UseFading\t" + std::to_string(int(s.UseFading)) + "\n";
    out += "DisplayWhenOEActive\t" + std::to_string(int(s.DisplayWhenOEActive)) + "\n";
    out += "HintTime\t" + std::to_string(s.HintTime) + "\n";
    out += "Window Location\t" + FormatWindowLocation(windowRect) + "\n";
    out += "BeginColor\t" + Hex8(s.BeginColor) + "\n";
    out += "EndColor\t" + Hex8(s.EndColor) + "\n";
    out += "Store\t" + PathText(GetStoreRoot()) + "\n";
    for (const TFolderListEntry& entry : folders)
        out += "Watched\t" + entry.FolderId + "\t" + Escape(indexText(entry.Info->Record->Name)) + "\t" +
               PathText(entry.Info->Record->FileName) + "\n";
    Emit(out);
    FinishOutput();
}

// The settings as the program loads them, without writing anything: the
// same values, defaults and limits as the settings object, read-only.
int Settings(const TIndexText& indexText) {
    TUserSettings s;
    TRect windowRect = TNotifierSettings::DefaultRect();
    if (const auto key = CurrentUserRegistry().OpenKey(TNotifierSettings::kKey, false, TKeyAccess::Read)) {
        try {
            auto number = [&](const TStoredValue& value) {
                return key->ReadIntegerIfPresent(value.Name).value_or(value.WhenMissing);
            };
            s.AutoHideHint = number(kAutoHideHintValue) != 0;
            s.UseFading = number(kUseFadingValue) != 0;
            s.DisplayWhenOEActive = number(kDisplayWhenOEActiveValue) != 0;
            s.HintTime = ClampHintTime(number(kHintTimeValue));
            if (key->ValueExists("Window Location"))
                windowRect = ParseWindowLocation(key->ReadString("Window Location"), windowRect);
            s.BeginColor = static_cast<uint32_t>(number(kBeginColorValue));
            s.EndColor = static_cast<uint32_t>(number(kEndColorValue));
        } catch (const Exception& e) {
            throw Exception(e.Message() + " (settings --repair saves what the program would)");
        }
    }
    const std::unique_ptr<TDbxFolderNode> tree = BuildFolderTree();
    TFolderList folders;
    AddWatchedFolders(*tree, folders, UserFolderChoices());
    PrintSettings(s, windowRect, folders, indexText);
    return 0;
}

// The settings loaded and saved back as the program does at its start (a
// value of the wrong type) and at its end (every value).
int RepairSettings(const TIndexText& indexText) {
    std::string error;
    {
        // Loading repairs a bad value at once; destroying the settings object
        // writes every value back.
        TNotifierSettings s;
        error = !s.LoadError.Empty() ? s.LoadError.English() : s.FolderListError;
        if (error.empty()) PrintSettings(s, s.WindowRect, s.FolderList(), indexText);
    }
    if (!error.empty()) throw Exception(error);
    return 0;
}

// --- The command line ----------------------------------------------------------

struct TCommandLine {
    std::vector<std::string> Words;  // the command and its arguments
    bool Help = false, Version = false, Test = false, Repair = false;
    uint32_t CodePage = 0;
};

uint32_t ParseCodePage(const std::string& text) {
    uint64_t value = 0;
    if (text.empty() || text.size() > 5) throw UsageError("--codepage needs a code page number: " + text);
    for (char c : text) {
        if (c < '0' || c > '9') throw UsageError("--codepage needs a code page number: " + text);
        value = value * 10 + unsigned(c - '0');
    }
    if (value == 0 || value > 65535) throw UsageError("--codepage needs a code page number: " + text);
    return uint32_t(value);
}

// Options may stand anywhere; "--" ends them.
TCommandLine ParseCommandLine(int argc, char** argv) {
    TCommandLine line;
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (options && a == "--") options = false;
        else if (options && (a == "--help" || a == "-h")) line.Help = true;
        else if (options && a == "--version") line.Version = true;
        else if (options && a == "--test") line.Test = true;
        else if (options && a == "--repair") line.Repair = true;
        else if (options && (a == "--codepage" || a.rfind("--codepage=", 0) == 0)) {
            std::string value;
            if (a.size() > 10) value = a.substr(11);
            else if (i + 1 < argc) value = argv[++i];
            else throw UsageError("--codepage needs a code page number");
            line.CodePage = ParseCodePage(value);
        } else if (options && a.size() > 1 && a[0] == '-') throw UsageError("unknown option: " + a);
        else line.Words.push_back(a);
    }
    return line;
}

int Run(const TCommandLine& line) {
    if (line.Words.empty()) throw UsageError("no command");
    const std::string& command = line.Words[0];
    const size_t args = line.Words.size() - 1;
    auto arg = [&](size_t i) { return line.Words[i]; };
    auto expect = [&](size_t count, const char* what) {
        if (args != count) throw UsageError(command + " takes " + what);
    };
    if (line.Test && command != "scan") throw UsageError("--test is for scan");
    if (line.Repair && command != "settings") throw UsageError("--repair is for settings");
    if (line.CodePage && command != "list" && command != "folders" && command != "settings")
        throw UsageError("--codepage is for list, folders and settings (" + command +
                         " reads texts as the program does)");
    const TIndexText indexText(line.CodePage);

    if (command == "list") {
        expect(1, "FILE.dbx");
        return List(arg(1), indexText);
    }
    if (command == "cat" || command == "preview") {
        expect(2, "FILE.dbx and ID");
        return ShowMessage(arg(1), arg(2), command == "preview");
    }
    if (command == "preview-eml") {
        expect(1, "FILE.eml");
        return PreviewEml(arg(1));
    }
    if (command == "folders") {
#ifdef _WIN32
        if (args == 0) {
            if (GetStoreRoot().empty())
                throw Exception("no Outlook Express store in the registry (Store Root of the last identity)");
            return PrintTree(BuildFolderTree(), indexText);
        }
#endif
        expect(1, "STOREDIR");
        return Folders(arg(1), indexText);
    }
    if (command == "scan") {
        expect(1, "STOREDIR");
        return Scan(arg(1), line.Test);
    }
    if (command == "settings") {
        expect(0, "no arguments");
        return line.Repair ? RepairSettings(indexText) : Settings(indexText);
    }
    throw UsageError("unknown command: " + command);
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const TCommandLine line = ParseCommandLine(argc, argv);
        if (line.Help) {
            Emit(kUsage);
            FinishOutput();
            return 0;
        }
        if (line.Version) {
            Emit(std::string(kProgram) + " " + PELLUMO_VERSION + "\n");
            FinishOutput();
            return 0;
        }
        return Run(line);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "%s: %s\n%s", kProgram, e.what(), kUsage);
        return 2;
    } catch (const OutputError& e) {
        if (e.ReaderGone) return 1;  // the reader has gone: nothing to tell
        std::fprintf(stderr, "%s: cannot write the output: %s\n", kProgram, e.what());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", kProgram, e.what());
        return 1;
    }
}
