#include "content/dcparser.h"

#include <algorithm>
#include <cstring>

namespace pellumo {

namespace {

// Every line ends at a NUL, so each of these is false there and a scan that
// stops on them never runs off the line.
bool IsIdentStart(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsNameChar(unsigned char c) { return IsIdentStart(c) || IsDigit(c); }
bool IsHexDigit(unsigned char c) { return IsDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }
// Below 32 and not a tab; the NUL at the line end is one too.
bool IsControl(unsigned char c) { return c < 32 && c != '\t'; }

unsigned char LowerAscii(unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c; }

// LOWER is lower case; compares byte by byte, so a mismatch at the line's
// NUL stops it before it reads further.
bool StartsWithNoCase(const char* p, const char* lower) {
    for (; *lower; ++p, ++lower)
        if (LowerAscii(static_cast<unsigned char>(*p)) != static_cast<unsigned char>(*lower)) return false;
    return true;
}

bool EqualsNoCase(const char* p, size_t length, const char* lower) {
    return std::strlen(lower) == length && StartsWithNoCase(p, lower);
}

// Script words reported as reserved; which words are listed does not change
// what reaches the text.
const char* const kScriptKeywords[] = {
    "break", "case",   "catch", "continue", "do",  "else",  "false", "for",  "function", "if",
    "in",    "new",    "null",  "return",   "switch", "this", "true", "typeof", "var", "while",
};

bool IsScriptKeyword(const char* p, size_t length) {
    for (const char* word : kScriptKeywords)
        if (std::strlen(word) == length && std::memcmp(word, p, length) == 0) return true;
    return false;
}

const char kEmptyLine[] = "";

}  // namespace

// ---------------------------------------------------------------- engine

TCustomDCParser::TCustomDCParser()
    : p_(kEmptyLine), tokenStart_(kEmptyLine), table_(nullptr), state_(psText), kind_(tkEof), blankBefore_(false) {
    SetState(psText);
}

TCustomDCParser::TDispatchTable& TCustomDCParser::Table(int state) {
    auto found = tables_.find(state);
    if (found == tables_.end()) {
        TDispatchTable empty;
        empty.fill(nullptr);
        found = tables_.emplace(state, empty).first;
    }
    return found->second;
}

void TCustomDCParser::SetState(int state) {
    state_ = state;
    table_ = &Table(state);
}

TTokenKind TCustomDCParser::NextToken() {
    blankBefore_ = false;
    for (;;) {
        const unsigned char c = static_cast<unsigned char>(*p_);
        if (c == 0) {
            if (!NextLine()) {
                tokenStart_ = p_;
                return kind_ = tkEof;
            }
            if (state_ == psText) blankBefore_ = true;
            continue;
        }
        const TScanProc proc = (*table_)[c];
        if (!proc) {
            if (state_ == psText) blankBefore_ = true;
            ++p_;
            continue;
        }
        tokenStart_ = p_;
        kind_ = (this->*proc)();
        // Each routine consumes at least its first byte; this keeps a slip in
        // one from stalling the walk.
        if (p_ == tokenStart_) ++p_;
        return kind_;
    }
}

// ---------------------------------------------------------------- lines

void TStringsParser::SetText(const std::string& text) {
    lines_.clear();
    const size_t end = std::min(text.size(), text.find('\0'));  // a NUL ends the text
    size_t start = 0;
    while (start < end) {
        size_t stop = start;
        while (stop < end && text[stop] != '\r' && text[stop] != '\n') ++stop;
        lines_.push_back(text.substr(start, stop - start));
        if (stop < end) stop += (text[stop] == '\r' && stop + 1 < end && text[stop + 1] == '\n') ? 2 : 1;
        start = stop;
    }
    line_ = 0;
    SetState(psText);
    StartLine(lines_.empty() ? kEmptyLine : lines_[0].c_str());
}

bool TStringsParser::NextLine() {
    if (line_ + 1 >= lines_.size()) {
        p_ = kEmptyLine;
        line_ = lines_.size();
        return false;
    }
    ++line_;
    StartLine(lines_[line_].c_str());
    return true;
}

// ---------------------------------------------------------------- HTML

THTMLParser::THTMLParser() {
    // Text: a tag opener, quoted text, words, numbers; any other printable
    // byte stands alone. Codes 1 to 32 are skipped.
    SetProcs(psText, 33, 255, &THTMLParser::ScanChar);
    SetProc(psText, '<', &THTMLParser::ScanTagOpen);
    SetProc(psText, '"', &THTMLParser::ScanTextQuote);
    SetProcs(psText, 'A', 'Z', &THTMLParser::ScanTextWord);
    SetProcs(psText, 'a', 'z', &THTMLParser::ScanTextWord);
    SetProc(psText, '_', &THTMLParser::ScanTextWord);
    SetProcs(psText, '0', '9', &THTMLParser::ScanTextNumber);

    // Inside a tag only names, values, numbers and the closing ">" are
    // tokens; "=", "/", "'" and the like are skipped.
    SetProc(psTag, '"', &THTMLParser::ScanAttrQuote);
    SetProcs(psTag, 'A', 'Z', &THTMLParser::ScanAttrName);
    SetProcs(psTag, 'a', 'z', &THTMLParser::ScanAttrName);
    SetProc(psTag, '_', &THTMLParser::ScanAttrName);
    SetProcs(psTag, '0', '9', &THTMLParser::ScanNumber);
    SetProc(psTag, '>', &THTMLParser::ScanTagClose);

    SetProc(psComment, '\t', &THTMLParser::ScanComment);
    SetProcs(psComment, 32, 255, &THTMLParser::ScanComment);
}

int THTMLParser::StateAfterTag(const char*, size_t) { return psTag; }

void THTMLParser::SkipName() {
    while (IsNameChar(static_cast<unsigned char>(*p_))) ++p_;
}

// From the opening quote to the closing one, a doubled quote going on;
// stops early at a control character or the line end.
void THTMLParser::SkipDoubleQuoted() {
    ++p_;
    for (;;) {
        while (*p_ != '"' && !IsControl(static_cast<unsigned char>(*p_))) ++p_;
        if (*p_ != '"') return;
        ++p_;
        if (*p_ != '"') return;
        ++p_;
    }
}

// Digits, then "." and digits when a digit follows the ".", then an exponent
// when digits follow the "E" and its optional sign.
bool THTMLParser::SkipNumber() {
    bool real = false;
    while (IsDigit(static_cast<unsigned char>(*p_))) ++p_;
    if (p_[0] == '.' && IsDigit(static_cast<unsigned char>(p_[1]))) {
        real = true;
        p_ += 2;
        while (IsDigit(static_cast<unsigned char>(*p_))) ++p_;
    }
    if (p_[0] == 'E' || p_[0] == 'e') {
        const char* digits = p_ + 1;
        if (*digits == '+' || *digits == '-') ++digits;
        if (IsDigit(static_cast<unsigned char>(*digits))) {
            real = true;
            p_ = digits;
            while (IsDigit(static_cast<unsigned char>(*p_))) ++p_;
        }
    }
    return real;
}

TTokenKind THTMLParser::ScanTagOpen() {
    if (p_[1] == '!' && p_[2] == '-' && p_[3] == '-') {
        p_ += 2;  // the comment scan starts on the first "-"
        SetState(psComment);
        return ScanComment();
    }
    ++p_;
    SkipName();
    SetState(StateAfterTag(tokenStart_, TokenLength()));
    return tkTag;
}

TTokenKind THTMLParser::ScanTagClose() {
    ++p_;
    SetState(psText);
    return tkTag;
}

// Up to the next "-": past "-->" the comment is over, past any other "-" it
// goes on.
TTokenKind THTMLParser::ScanComment() {
    while (*p_ != '-' && !IsControl(static_cast<unsigned char>(*p_))) ++p_;
    if (*p_ == '-') {
        if (p_[1] == '-' && p_[2] == '>') {
            p_ += 3;
            SetState(psText);
        } else {
            ++p_;
        }
    }
    return tkComment;
}

TTokenKind THTMLParser::ScanTextQuote() {
    SkipDoubleQuoted();
    return tkText;
}

TTokenKind THTMLParser::ScanTextWord() {
    ++p_;
    SkipName();
    return tkText;
}

TTokenKind THTMLParser::ScanTextNumber() {
    SkipNumber();
    return tkText;
}

TTokenKind THTMLParser::ScanAttrQuote() {
    SkipDoubleQuoted();
    return tkString;
}

TTokenKind THTMLParser::ScanAttrName() {
    ++p_;
    SkipName();
    return tkTagAttr;
}

TTokenKind THTMLParser::ScanNumber() { return SkipNumber() ? tkFloat : tkInteger; }

TTokenKind THTMLParser::ScanChar() {
    ++p_;
    return tkChar;
}

// ---------------------------------------------------------------- script

TModParser::TModParser() {
    // Words, numbers, strings and comments of a script are tokens of their
    // own kinds; every other printable byte is a single character.
    SetProcs(psScript, 33, 255, &TModParser::ScanChar);
    SetProc(psScript, '<', &TModParser::ScanScriptLess);
    SetProc(psScript, '"', &TModParser::ScanScriptString);
    SetProc(psScript, '\'', &TModParser::ScanScriptString);
    SetProcs(psScript, 'A', 'Z', &TModParser::ScanScriptWord);
    SetProcs(psScript, 'a', 'z', &TModParser::ScanScriptWord);
    SetProc(psScript, '_', &TModParser::ScanScriptWord);
    SetProc(psScript, '0', &TModParser::ScanScriptZero);
    SetProcs(psScript, '1', '9', &TModParser::ScanNumber);
    SetProc(psScript, '/', &TModParser::ScanScriptSlash);

    SetProc(psScriptComment, '\t', &TModParser::ScanScriptComment);
    SetProcs(psScriptComment, 32, 255, &TModParser::ScanScriptComment);
}

int TModParser::StateAfterTag(const char* start, size_t length) {
    return EqualsNoCase(start, length, "<script") ? psScript : THTMLParser::StateAfterTag(start, length);
}

// Only "</script>" written exactly (any letter case) ends the script.
TTokenKind TModParser::ScanScriptLess() {
    if (StartsWithNoCase(p_, "</script>")) {
        p_ += 9;
        SetState(psText);
        return tkTag;
    }
    if (StartsWithNoCase(p_, "<script")) {
        p_ += 7;
        return tkTag;
    }
    ++p_;
    return tkChar;
}

// Up to the same quote when not escaped by a backslash, or the line end.
TTokenKind TModParser::ScanScriptString() {
    const char quote = *p_++;
    while (*p_ && *p_ != quote) p_ += (*p_ == '\\' && p_[1]) ? 2 : 1;
    if (*p_ == quote) ++p_;
    return tkString;
}

TTokenKind TModParser::ScanScriptWord() {
    ++p_;
    SkipName();
    return IsScriptKeyword(tokenStart_, TokenLength()) ? tkReserved : tkIdent;
}

TTokenKind TModParser::ScanScriptZero() {
    if (p_[1] == 'x') {
        if (!IsHexDigit(static_cast<unsigned char>(p_[2]))) {
            ++p_;
            return tkChar;
        }
        p_ += 2;
        while (IsHexDigit(static_cast<unsigned char>(*p_))) ++p_;
        return tkInteger;
    }
    return ScanNumber();
}

TTokenKind TModParser::ScanScriptSlash() {
    if (p_[1] == '*') {
        p_ += 2;
        SetState(psScriptComment);
        return ScanScriptComment();
    }
    if (p_[1] == '/') {
        p_ += std::strlen(p_);
        return tkScriptComment;
    }
    ++p_;
    return tkChar;
}

// On to just past the next "*/", or to the line end with the comment still open.
TTokenKind TModParser::ScanScriptComment() {
    for (; *p_; ++p_) {
        if (p_[0] == '*' && p_[1] == '/') {
            p_ += 2;
            SetState(psScript);
            break;
        }
    }
    return tkScriptComment;
}

}  // namespace pellumo
