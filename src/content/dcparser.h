#pragma once
// The table-driven tokenizer under HtmlToText. A parser is in one of a few
// states; each state has a 256-entry table indexed by the current byte whose
// entries are scanning routines (or empty: the byte is skipped). A routine
// consumes one token from the current line, may change the state, and returns
// the token's kind. Lines end at a NUL; a routine never reads past it, and the
// state carries over from one line to the next.
//
//   TCustomDCParser  the dispatch engine over a current line
//   TStringsParser   feeds it a list of lines split from a text
//   THTMLParser      text (0), HTML comment (2) and tag (3) states
//   TModParser       adds the script (129) and script comment (130) states
#include <array>
#include <cstddef>
#include <map>
#include <string>
#include <vector>

namespace pellumo {

enum TTokenKind {
    tkEof = 0,
    tkString = 1,
    tkComment = 2,
    tkIdent = 3,
    tkInteger = 4,
    tkFloat = 5,
    tkReserved = 6,
    tkChar = 7,
    tkText = 8,
    tkScriptComment = 9,
    tkTag = 10,
    tkTagAttr = 11,
};

// Parser states used by THTMLParser and TModParser.
enum TParserState {
    psText = 0,
    psComment = 2,
    psTag = 3,
    psScript = 129,
    psScriptComment = 130,
};

class TCustomDCParser {
public:
    using TScanProc = TTokenKind (TCustomDCParser::*)();
    using TDispatchTable = std::array<TScanProc, 256>;

    TCustomDCParser();
    virtual ~TCustomDCParser() = default;
    TCustomDCParser(const TCustomDCParser&) = delete;
    TCustomDCParser& operator=(const TCustomDCParser&) = delete;

    // Skips to the next token and returns its kind; tkEof after the last line.
    TTokenKind NextToken();

    TTokenKind TokenKind() const { return kind_; }
    const char* TokenStart() const { return tokenStart_; }
    size_t TokenLength() const { return static_cast<size_t>(p_ - tokenStart_); }
    std::string TokenString() const { return std::string(tokenStart_, TokenLength()); }
    // True when the search for the current token skipped a byte or passed a
    // line end while in the text state: the words on either side were apart.
    bool BlankBefore() const { return blankBefore_; }

    int State() const { return state_; }
    void SetState(int state);

protected:
    // Moves P to the start of the next line; false after the last one.
    virtual bool NextLine() = 0;
    void StartLine(const char* line) { p_ = line; }

    // The table of STATE, made empty on first use.
    TDispatchTable& Table(int state);
    template <class T>
    void SetProc(int state, unsigned char byte, TTokenKind (T::*proc)()) {
        Table(state)[byte] = static_cast<TScanProc>(proc);
    }
    template <class T>
    void SetProcs(int state, int first, int last, TTokenKind (T::*proc)()) {
        for (int c = first; c <= last; ++c) SetProc(state, static_cast<unsigned char>(c), proc);
    }

    const char* p_;           // scan position in the current line
    const char* tokenStart_;  // where the current token began

private:
    std::map<int, TDispatchTable> tables_;  // node addresses stay put, so table_ may point in
    TDispatchTable* table_;
    int state_;
    TTokenKind kind_;
    bool blankBefore_;
};

class TStringsParser : public TCustomDCParser {
public:
    // Splits TEXT at CR LF, CR and LF (a final line end makes no empty line;
    // a NUL ends the text) and starts over at the first line in state 0.
    void SetText(const std::string& text);
    const std::vector<std::string>& Lines() const { return lines_; }

protected:
    bool NextLine() override;

private:
    std::vector<std::string> lines_;
    size_t line_ = 0;
};

class THTMLParser : public TStringsParser {
public:
    THTMLParser();

protected:
    // The state after the tag opener token [start, start+length).
    virtual int StateAfterTag(const char* start, size_t length);

    TTokenKind ScanTagOpen();
    TTokenKind ScanTagClose();
    TTokenKind ScanComment();
    TTokenKind ScanTextQuote();
    TTokenKind ScanTextWord();
    TTokenKind ScanTextNumber();
    TTokenKind ScanAttrQuote();
    TTokenKind ScanAttrName();
    TTokenKind ScanNumber();
    TTokenKind ScanChar();

    void SkipName();
    void SkipDoubleQuoted();
    bool SkipNumber();  // true for a real number
};

class TModParser : public THTMLParser {
public:
    TModParser();

protected:
    int StateAfterTag(const char* start, size_t length) override;

    TTokenKind ScanScriptLess();
    TTokenKind ScanScriptString();
    TTokenKind ScanScriptWord();
    TTokenKind ScanScriptZero();
    TTokenKind ScanScriptSlash();
    TTokenKind ScanScriptComment();
};

}  // namespace pellumo
