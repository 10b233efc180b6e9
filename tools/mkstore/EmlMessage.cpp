// Messages from .eml files as the mail client indexes them: the subject,
// the first sender's name and address and the Message-ID from the header,
// decoded into the system's ANSI code page.
#include <cctype>
#include <cstring>
#include <memory>
#include <string>

#include "DbxWriter.h"
#include "content/MimePartReader.h"
#include "platform/MultiLanguage.h"

namespace mkstore {

namespace {

// UTF-8 text in the system's ANSI code page, as the mail client writes its
// index; what the code page lacks becomes "?", as it does there.
std::string SystemText(const std::string& utf8) {
    std::unique_ptr<pellumo::IMultiLanguageService> service = pellumo::CreateMultiLanguageService();
    std::string out(utf8.size() * 2 + 16, '\0');
    size_t size = out.size();
    if (!service ||
        !service->ConvertString(pellumo::cpUtf8, service->SystemCodePage(), utf8.data(), utf8.size(), &out[0], size))
        return utf8;
    out.resize(size);
    return out;
}

std::string Trim(const std::string& s) {
    const size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return std::string();
    return s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1);
}

bool SameName(const std::string& a, const char* b) {
    const size_t n = std::strlen(b);
    if (a.size() != n) return false;
    for (size_t i = 0; i < n; ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

// Where Stop first stands outside quoted strings and comments (and, with
// SkipAngles, outside angle brackets); npos when it does not.
size_t FindOutside(const std::string& text, char stop, bool skipAngles) {
    bool quoted = false;
    int comment = 0, angle = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '\\') ++i;
            else if (c == '"') quoted = false;
        } else if (c == '\\' && comment) {
            ++i;
        } else if (c == '"' && !comment) {
            quoted = true;
        } else if (c == '(') {
            ++comment;
        } else if (c == ')' && comment) {
            --comment;
        } else if (comment) {
            continue;
        } else if (c == stop && angle == 0) {
            return i;
        } else if (skipAngles && c == '<') {
            ++angle;
        } else if (skipAngles && c == '>' && angle) {
            --angle;
        }
    }
    return std::string::npos;
}

// The first mailbox of an address list: up to a comma outside quotes,
// comments and angle brackets.
std::string FirstMailbox(const std::string& list) {
    return list.substr(0, FindOutside(list, ',', true));
}

// A display name with its quoting removed; encoded words and everything else as written.
std::string Unquote(const std::string& phrase) {
    std::string out;
    bool quoted = false;
    for (size_t i = 0; i < phrase.size(); ++i) {
        const char c = phrase[i];
        if (c == '"') {
            quoted = !quoted;
        } else if (c == '\\' && quoted && i + 1 < phrase.size()) {
            out += phrase[++i];
        } else {
            out += c;
        }
    }
    return Trim(out);
}

void ParseMailbox(const std::string& mailbox, std::string& name, std::string& address) {
    // "Name <addr>": the angle bracket outside quotes and comments.
    const size_t open = FindOutside(mailbox, '<', false);
    if (open != std::string::npos) {
        const size_t close = mailbox.find('>', open + 1);
        address = Trim(mailbox.substr(open + 1, close == std::string::npos ? std::string::npos : close - open - 1));
        name = Unquote(mailbox.substr(0, open));
        return;
    }
    // "addr (Name)" or a bare address: the first comment is the name.
    std::string bare, remark;
    int depth = 0, comments = 0;
    for (size_t i = 0; i < mailbox.size(); ++i) {
        const char c = mailbox[i];
        if (depth == 0) {
            if (c == '(') {
                depth = 1;
                ++comments;
            } else {
                bare += c;
            }
            continue;
        }
        if (c == '\\' && i + 1 < mailbox.size()) {
            if (comments == 1) remark += mailbox[i + 1];
            ++i;
            continue;
        }
        if (c == '(') ++depth;
        else if (c == ')' && --depth == 0) continue;
        if (comments == 1) remark += c;
    }
    address = Trim(bare);
    name = Trim(remark);
}

}  // namespace

Message MessageFromEml(const std::string& emlText) {
    Message m;
    m.text = emlText;

    // Header fields up to the first empty line; folded lines joined by
    // dropping the line break only.
    std::string subject, from, messageId;
    bool haveSubject = false, haveFrom = false, haveMessageId = false;
    std::string* current = nullptr;
    size_t at = 0;
    while (at < emlText.size()) {
        size_t end = emlText.find('\n', at);
        if (end == std::string::npos) end = emlText.size();
        std::string line = emlText.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) break;
        if (line[0] == ' ' || line[0] == '\t') {
            if (current) *current += line;
            continue;
        }
        current = nullptr;
        const size_t colon = line.find(':');
        if (colon == std::string::npos) continue;
        const std::string name = Trim(line.substr(0, colon));
        const std::string value = line.substr(colon + 1);
        if (!haveSubject && SameName(name, "Subject")) {
            haveSubject = true;
            subject = value;
            current = &subject;
        } else if (!haveFrom && SameName(name, "From")) {
            haveFrom = true;
            from = value;
            current = &from;
        } else if (!haveMessageId && SameName(name, "Message-ID")) {
            haveMessageId = true;
            messageId = value;
            current = &messageId;
        }
    }
    // The mail client keeps index texts decoded, in the ANSI code page.
    m.subject = SystemText(pellumo::DecodeEncodedWords(Trim(subject)));
    m.messageId = Trim(messageId);
    ParseMailbox(Trim(FirstMailbox(from)), m.senderName, m.senderAddress);
    m.senderName = SystemText(pellumo::DecodeEncodedWords(m.senderName));
    return m;
}

}  // namespace mkstore
