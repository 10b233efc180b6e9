// pellumo-dbx: looks into an Outlook Express store with the program's own readers.
//   pellumo-dbx list FILE      one line per message record, in reader order
//   pellumo-dbx cat FILE ID    the raw message text of record ID, byte for byte
#include <cstdio>
#include <cctype>
#include <cstring>
#include <exception>
#include <memory>
#include <string>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "platform/Exception.h"
#include "platform/Stream.h"
#include "store/ZellFolderDbx.h"

using namespace pellumo;

namespace {

const char kUsage[] =
    "usage: pellumo-dbx list FILE\n"
    "       pellumo-dbx cat FILE ID\n";

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

void OpenMessages(TZellMessageDbx& dbx, const std::string& path) {
    dbx.Open(std::unique_ptr<TStream>(new TFileStream(path)));
}

int List(const std::string& path) {
    TZellMessageDbx dbx;
    OpenMessages(dbx, path);
    for (dbx.First(); !dbx.Eof(); dbx.Next()) {
        const TZellDbxMessageObject& m = *dbx.Current();
        std::printf("%s\t%08X\t%d\t%u\t%s\t%s\n", m.Id.c_str(), static_cast<unsigned>(m.Flags), m.Priority,
                    static_cast<unsigned>(m.BodyPos), Escape(m.SenderName).c_str(), Escape(m.Subject).c_str());
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

int Cat(const std::string& path, const std::string& id) {
    TZellMessageDbx dbx;
    OpenMessages(dbx, path);
    for (dbx.First(); !dbx.Eof(); dbx.Next()) {
        if (!SameId(dbx.Current()->Id, id)) continue;
        TMemoryStream text;
        dbx.ReadMessage(dbx.Current()->BodyPos, text);
#ifdef _WIN32
        _setmode(_fileno(stdout), _O_BINARY);
#endif
        if (!text.Bytes().empty()) std::fwrite(text.Bytes().data(), 1, text.Bytes().size(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    throw Exception("No message with Id " + id);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    try {
        if (command == "list" && argc == 3) return List(argv[2]);
        if (command == "cat" && argc == 4) return Cat(argv[2], argv[3]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    std::fputs(kUsage, stderr);
    return 2;
}
