#pragma once

#include "editor/qeHighlighter.h"
#include "editor/qeWordList.h"

#include <QFlags>
#include <QList>
#include <array>

// Comment forms the scanner knows.
enum TCommentStyle : int {
    csAnsiStyle = 0x1,  // (* ... *)
    csPasStyle = 0x2,   // { ... }
    csCStyle = 0x4,     // /* ... */
    csAsmStyle = 0x8,   // ; to the end of the line
    csBasStyle = 0x10,  // ; to the end of the line
};
Q_DECLARE_FLAGS(CommentStyles, TCommentStyle)
Q_DECLARE_OPERATORS_FOR_FLAGS(CommentStyles)

// Token kinds (GetTokenKind).
enum TqeTokenKind : int {
    tkComment = 0,
    tkIdentifier = 1,
    tkKey = 2,
    tkNull = 3,  // end of line
    tkNumber = 4,
    tkSpace = 5,
    tkString = 6,
    tkSymbol = 7,
    tkLink = 8,
    tkUnknown = 9,
};

// Range states: what is still open at the end of a line.
enum TqeRangeState : int {
    rsAnsi = 1,       // inside "(*"
    rsPasStyle = 2,   // inside "{"
    rsCStyle = 3,     // inside "/*"
    rsUnKnown = 4,    // nothing open
    rsAlternativeString = 5,  // inside q'...': see AlternativeStringRange
};

// The state of a line that begins inside a q'...' literal. The literal ends
// only at its own closing character, so that character is part of the state
// (above the low byte): lines inside q'{...}' and q'[...]' differ.
constexpr int AlternativeStringRange(char16_t closer)
{
    return rsAlternativeString | (static_cast<int>(closer) << 8);
}

// Lines painted in the execution-point or breakpoint colours. Lines are
// 0-based indexes; records do not follow edits (their owner resets them).
class TLineColorMark
{
public:
    enum Kind : quint8 { ExecutionPoint = 1, BreakPoint = 2 };
    struct Record
    {
        int Line = 0;
        quint8 Kind = 0;
    };

    void Add(int line, quint8 kind) { m_records.append({line, kind}); }
    // Removes the first record of that line and kind, if any.
    void Delete(int line, quint8 kind);
    // The kind of the first record of the line, in insertion order.
    bool Find(int line, int& kind) const;
    int Count() const { return static_cast<int>(m_records.size()); }
    const Record& Items(int index) const { return m_records.at(index); }
    void Clear() { m_records.clear(); }

private:
    QList<Record> m_records;
};

// The SQL highlighter: keywords, link words, comments, strings and numbers.
class TqeGeneralSyn : public TqeCustomHighLighter
{
    Q_OBJECT
public:
    explicit TqeGeneralSyn(QObject* parent = nullptr);
    ~TqeGeneralSyn() override;

    QString GetLanguageName() const override { return QStringLiteral("General"); }
    int GetAttribCount() const override { return 7; }
    TqeHighLightAttributes* GetAttribute(int index) const override;
    bool GetEol() const override { return m_tokenKind == tkNull; }
    int GetRange() const override
    {
        return m_range == rsAlternativeString ? AlternativeStringRange(m_closer) : m_range;
    }
    QString GetToken() const override;
    int GetTokenPos() const override { return m_tokenPos; }
    int GetTokenLen() const override { return m_run - m_tokenPos; }
    void Next() override;
    void SetCanvas(TqeCanvas* canvas) override { m_canvas = canvas; }
    void SetLine(const QString& text) override;
    void SetRange(int range) override;
    void ResetRange() override { m_range = rsUnKnown; }
    bool LoadFromRegistry(const QvRegistry& rootKey, const QString& key) override;
    bool SaveToRegistry(const QvRegistry& rootKey, const QString& key) const override;

    int GetTokenKind() const { return m_tokenKind; }
    // 0-based index of the line being painted (line colour marks).
    void SetLineNumber(int line) { m_lineNumber = line; }

    bool IsKeyword(QStringView word) const;
    bool IsLinkWord(QStringView word) const;

    // Whether the text is in a character set where some characters take more
    // than one byte: the server then opens a q'...' literal only on an ASCII
    // character, and reads "q" before a quote and any other character as a
    // name and an ordinary string.
    bool MultiByteText() const { return m_multiByteText; }
    void SetMultiByteText(bool multiByte);

    CommentStyles Comments() const { return m_comments; }
    void SetComments(CommentStyles comments);

    // The lists themselves: filling them directly repaints nothing.
    TqeWordList& KeyWords() { return m_keyWords; }
    const TqeWordList& KeyWords() const { return m_keyWords; }
    TqeWordList& LinkWords() { return m_linkWords; }
    const TqeWordList& LinkWords() const { return m_linkWords; }
    // The writers: take an upper-cased copy of the words (the caller's list is
    // left alone) and repaint the linked editors.
    void SetKeyWords(const QStringList& words);
    void SetLinkWords(const QStringList& words);

    TqeHighLightAttributes* CommentAttri() const { return m_commentAttri; }
    TqeHighLightAttributes* IdentifierAttri() const { return m_identifierAttri; }
    TqeHighLightAttributes* KeyAttri() const { return m_keyAttri; }
    TqeHighLightAttributes* NumberAttri() const { return m_numberAttri; }
    TqeHighLightAttributes* SpaceAttri() const { return m_spaceAttri; }
    TqeHighLightAttributes* StringAttri() const { return m_stringAttri; }
    TqeHighLightAttributes* SymbolAttri() const { return m_symbolAttri; }
    TqeHighLightAttributes* HyperLinkAttri() const { return m_hyperLinkAttri; }
    TqeHighLightAttributes* BreakPointAttri() const { return m_breakPointAttri; }
    TqeHighLightAttributes* ExecutionPointAttri() const { return m_executionPointAttri; }

    TLineColorMark& LineColors() { return m_lineColors; }
    const TLineColorMark& LineColors() const { return m_lineColors; }

private:
    enum Handler : quint8 {
        hNull, hLF, hCR, hSpace, hString, hAsciiChar, hInteger, hRoundOpen,
        hSlash, hNumber, hPointComma, hBraceOpen, hIdent, hUnknown,
    };

    // The character at a position; 0 past the end of the line, so every
    // look-ahead is bounded. A NUL inside the text reads as a control
    // character (a blank), so it never hides the rest of the line.
    char16_t At(int pos) const
    {
        if (pos >= m_len)
            return 0;
        const char16_t c = m_text[pos].unicode();
        return c == 0 ? 1 : c;
    }
    static bool IsIdentChar(char16_t c);
    static bool IsSpaceChar(char16_t c) { return c >= 1 && c <= 32 && c != 10 && c != 13; }

    void NullProc();
    void LFProc();
    void CRProc();
    void SpaceProc();
    void StringProc();
    void AsciiCharProc();
    void IntegerProc();
    void RoundOpenProc();
    void SlashProc();
    void NumberProc();
    void PointCommaProc();
    void BraceOpenProc();
    void IdentProc();
    // Firebird 3's q'{...}' at the run: a string token that may go on over
    // the following lines, or false.
    bool AlternativeStringProc();
    void UnknownProc();
    // A line's end or a line break met inside an open range: its token, and
    // true; false on any other character.
    bool LineEndInRangeProc();
    void AnsiProc();
    void PasStyleProc();
    void CStyleProc();
    void AlternativeStringContinueProc();
    // Runs the body of a comment or q'...' literal to its closing pair, which
    // ends the range, or to the line's end, which keeps it.
    void RunToClosingPair(char16_t first, char16_t second);
    void PaintToken();

    TqeHighLightAttributes* MakeAttribute(const QString& name);

    std::array<Handler, 256> m_dispatch {};
    CommentStyles m_comments;
    TqeWordList m_keyWords;
    TqeWordList m_linkWords;
    TLineColorMark m_lineColors;

    TqeHighLightAttributes* m_commentAttri;
    TqeHighLightAttributes* m_identifierAttri;
    TqeHighLightAttributes* m_keyAttri;
    TqeHighLightAttributes* m_numberAttri;
    TqeHighLightAttributes* m_spaceAttri;
    TqeHighLightAttributes* m_stringAttri;
    TqeHighLightAttributes* m_symbolAttri;
    TqeHighLightAttributes* m_hyperLinkAttri;
    TqeHighLightAttributes* m_breakPointAttri;
    TqeHighLightAttributes* m_executionPointAttri;

    TqeCanvas* m_canvas = nullptr;
    int m_lineNumber = 0;
    QString m_text;
    int m_len = 0;
    int m_run = 0;
    int m_tokenPos = 0;
    int m_tokenKind = tkNull;
    int m_range = rsUnKnown;
    char16_t m_closer = 0;  // of an open q'...' literal
    bool m_multiByteText = false;
};

// The highlighter of an SQL text, named "Syntax": /* */ comments and the
// given key words.
TqeGeneralSyn* NewSQLSyntax(QObject* parent, const QStringList& keyWords);
