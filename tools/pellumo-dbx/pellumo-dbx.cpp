// pellumo-dbx: looks into an Outlook Express store with the program's own readers.
//   pellumo-dbx list FILE      one line per message record, in reader order
//   pellumo-dbx cat FILE ID    the raw message text of record ID, byte for byte
//   pellumo-dbx folders STOREDIR  the folder tree of a store, one line per node
//   pellumo-dbx folders           (Windows) the same for the registry's store
//   pellumo-dbx preview FILE ID   the body text the popup shows for record ID
//   pellumo-dbx preview-eml FILE  the same for a raw message file
//   pellumo-dbx scan STOREDIR [--test]  the start-up scan of a store and what it queues
//   pellumo-dbx settings          the settings as the program loads them, saved back
//                                 as the program does at its end
#include <cstdio>
#include <cctype>
#include <cstring>
#include <exception>
#include <memory>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "platform/Exception.h"
#include "platform/FileSystem.h"
#include "platform/Stream.h"
#include "app/MailScan.h"
#include "content/CharsetConverter.h"
#include "content/MimeMessage.h"
#include "settings/NotifierSettings.h"
#include "settings/WindowLocation.h"
#include "store/StoreLocation.h"
#include "store/WatchedFolders.h"
#include "store/DbxFolderTree.h"
#include "store/DbxMessageFolder.h"

using namespace pellumo;

namespace {

const char kUsage[] =
    "usage: pellumo-dbx list FILE\n"
    "       pellumo-dbx cat FILE ID\n"
    "       pellumo-dbx folders STOREDIR\n"
    "       pellumo-dbx preview FILE ID\n"
    "       pellumo-dbx preview-eml FILE\n"
    "       pellumo-dbx scan STOREDIR [--test]\n"
#ifdef _WIN32
    "       pellumo-dbx folders\n"
#endif
    "       pellumo-dbx settings\n";

// Tabs and line breaks would break the one-record-per-line output.
std::string Escape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        case '\\': out += "\\\\"; break;
        default: out += c;
        }
    }
    return out;
}

void OpenMessages(TDbxMessageFolder& dbx, const std::string& path) {
    dbx.Open(std::unique_ptr<TStream>(new TFileStream(path)));
}

int List(const std::string& path) {
    TDbxMessageFolder dbx;
    OpenMessages(dbx, path);
    for (dbx.First(); !dbx.Eof(); dbx.Next()) {
        const TDbxMessageRecord& m = *dbx.Current();
        std::printf("%s\t%08X\t%d\t%u\t%s\t%s\n", m.Id.c_str(), static_cast<unsigned>(m.Flags), m.Priority,
                    static_cast<unsigned>(m.BodyPos), Escape(SystemTextToUtf8(m.SenderName)).c_str(),
                    Escape(SystemTextToUtf8(m.Subject)).c_str());
    }
    return 0;
}

bool SameId(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// Bytes to standard output exactly as they are.
int WriteOut(const std::string& bytes) {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

// Text the popup shows, as UTF-8 with the line ends of the system.
int WriteText(const std::string& text) {
#ifdef _WIN32
    return WriteOut(text);
#else
    std::string lines;
    lines.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) lines += text[i];
    return WriteOut(lines);
#endif
}

// The raw text of record ID.
std::string MessageText(const std::string& path, const std::string& id) {
    TDbxMessageFolder dbx;
    OpenMessages(dbx, path);
    for (dbx.First(); !dbx.Eof(); dbx.Next()) {
        if (!SameId(dbx.Current()->Id, id)) continue;
        TMemoryStream text;
        dbx.ReadMessage(dbx.Current()->BodyPos, text);
        return text.Text();
    }
    throw Exception("No message with Id " + id);
}

std::string ReadFile(const std::string& path) {
    TFileStream file(path);
    std::string bytes(static_cast<size_t>(file.Size()), '\0');
    bytes.resize(file.ReadAt(0, &bytes[0], bytes.size()));
    return bytes;
}

// One line per node, root first, depth first: Id, ParentId, Kind, Name,
// FileName, and whether the folder is watched.
int PrintTree(const std::unique_ptr<TDbxFolderNode>& root) {
    TFolderList watchedList;
    AddWatchedFolders(*root, watchedList);
    std::unordered_set<const TDbxFolderRecord*> watched;
    for (const TFolderListEntry& entry : watchedList) watched.insert(entry.Info->Record);

    std::vector<std::pair<const TTreeNode*, size_t>> pending{{root.get(), 0}};
    while (!pending.empty()) {
        const TTreeNode* node = pending.back().first;
        const size_t depth = pending.back().second;
        pending.pop_back();
        const auto* folder = dynamic_cast<const TDbxFolderNode*>(node);
        const TDbxFolderRecord* r = folder ? folder->Record.get() : nullptr;
        const std::string indent(2 * depth, ' ');
        if (r) {
            std::printf("%s%s\t%s\t%u\t%s\t%s\t%s\n", indent.c_str(), Escape(r->Id).c_str(),
                        Escape(r->ParentId).c_str(), static_cast<unsigned>(r->Kind), Escape(SystemTextToUtf8(r->Name)).c_str(),
                        Escape(r->FileName).c_str(), watched.count(r) ? "watched" : "-");
        } else {
            std::printf("%s\t\t\t%s\t\t-\n", indent.c_str(), Escape(node->Text).c_str());
        }
        for (size_t i = node->Count(); i > 0; --i) pending.push_back({node->Items(i - 1), depth + 1});
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}

std::string StoreDirectory(std::string storeRoot) {
    if (!EndsWithPathDelimiter(storeRoot)) storeRoot += kPathDelimiter;
    return storeRoot;
}

int Folders(const std::string& storeRoot) { return PrintTree(BuildFolderTree(StoreDirectory(storeRoot), std::string())); }

// The start-up scan of a store: a baseline queues nothing; with --test every
// unread message is queued, as the program announces them.
int Scan(const std::string& storeRoot, bool test) {
    const std::unique_ptr<TDbxFolderNode> tree = BuildFolderTree(StoreDirectory(storeRoot), std::string());
    TFolderList folders;
    AddWatchedFolders(*tree, folders);
    TMailScan scan(folders);
    const std::vector<TSkippedFolder> skipped = scan.ScanFolders(!test);
    static const char* const kPriorities[] = {"mpHigh", "mpNormal", "mpLow"};
    while (std::unique_ptr<TNotification> info = scan.Queue.Take())
        std::printf("%s\t%s\t%s\t%s\t%s\n", Escape(info->Folder).c_str(), Escape(info->Sender).c_str(),
                    Escape(info->Subject).c_str(), kPriorities[info->Priority], Escape(info->Body).c_str());
    // The program passes over a folder file it cannot read; so does this, but says so.
    for (const TSkippedFolder& folder : skipped)
        std::fprintf(stderr, "%s: %s\n", folder.FileName.c_str(), folder.Message.c_str());
    return std::fflush(stdout) == 0 && skipped.empty() ? 0 : 1;
}

int Settings() {
    const TNotifierSettings& s = NotifierSettings();
    std::printf("AutoHideHint\t%d\nUseFading\t%d\nDisplayWhenOEActive\t%d\nHintTime\t%d\n", s.AutoHideHint,
                s.UseFading, s.DisplayWhenOEActive, static_cast<int>(s.HintTime));
    std::printf("Window Location\t%s\nBeginColor\t%08X\nEndColor\t%08X\n", FormatWindowLocation(s.WindowRect).c_str(),
                static_cast<unsigned>(s.BeginColor), static_cast<unsigned>(s.EndColor));
    std::printf("Store\t%s\n", Escape(GetStoreRoot()).c_str());
    for (const TFolderListEntry& entry : NotifierSettings().FolderList())
        std::printf("Watched\t%s\t%s\t%s\n", entry.FolderId.c_str(), Escape(entry.Info->Record->Name).c_str(),
                    Escape(entry.Info->Record->FileName).c_str());
    FreeNotifierSettings();
    return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    try {
        if (command == "list" && argc == 3) return List(argv[2]);
        if (command == "cat" && argc == 4) return WriteOut(MessageText(argv[2], argv[3]));
        if (command == "preview" && argc == 4) return WriteText(PreviewRawMessage(MessageText(argv[2], argv[3])));
        if (command == "preview-eml" && argc == 3) return WriteText(PreviewRawMessage(ReadFile(argv[2])));
        if (command == "folders" && argc == 3 && argv[2][0] != '\0') return Folders(argv[2]);
#ifdef _WIN32
        if (command == "folders" && argc == 2) return PrintTree(BuildFolderTree());
#endif
        if (command == "settings" && argc == 2) return Settings();
        if (command == "scan" && (argc == 3 || (argc == 4 && std::strcmp(argv[3], "--test") == 0)) && argv[2][0])
            return Scan(argv[2], argc == 4);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    std::fputs(kUsage, stderr);
    return 2;
}
