#include "editor/qeGeneralSyn.h"

#include <QGuiApplication>
#include <QPalette>

void TLineColorMark::Delete(int line, quint8 kind)
{
    for (qsizetype i = 0; i < m_records.size(); ++i) {
        if (m_records.at(i).Line == line && m_records.at(i).Kind == kind) {
            m_records.removeAt(i);
            return;
        }
    }
}

bool TLineColorMark::Find(int line, int& kind) const
{
    for (const Record& r : m_records) {
        if (r.Line == line) {
            kind = r.Kind;
            return true;
        }
    }
    return false;
}

TqeGeneralSyn::TqeGeneralSyn(QObject* parent)
    : TqeCustomHighLighter(parent)
    , m_commentAttri(MakeAttribute(QStringLiteral("comment")))
    , m_identifierAttri(MakeAttribute(QStringLiteral("identifier")))
    , m_keyAttri(MakeAttribute(QStringLiteral("reserved word")))
    , m_numberAttri(MakeAttribute(QStringLiteral("number")))
    , m_spaceAttri(MakeAttribute(QStringLiteral("space")))
    , m_stringAttri(MakeAttribute(QStringLiteral("string")))
    , m_symbolAttri(MakeAttribute(QStringLiteral("symbol")))
    , m_hyperLinkAttri(MakeAttribute(QStringLiteral("Link")))
    , m_breakPointAttri(MakeAttribute(QStringLiteral("Breakpoint")))
    , m_executionPointAttri(MakeAttribute(QStringLiteral("ExecutionPoint")))
{
    m_commentAttri->SetStyle(fsItalic);
    m_keyAttri->SetStyle(fsBold);

    for (int c = 0; c < 256; ++c) {
        Handler h = hUnknown;
        if (c == 0)
            h = hNull;
        else if (c == 10)
            h = hLF;
        else if (c == 13)
            h = hCR;
        else if (c <= 32)
            h = hSpace;
        else if (c == '"' || c == '\'')
            h = hString;
        else if (c == '#')
            h = hAsciiChar;
        else if (c == '$')
            h = hInteger;
        else if (c == '(')
            h = hRoundOpen;
        else if (c == '/')
            h = hSlash;
        else if (c >= '0' && c <= '9')
            h = hNumber;
        else if (c == ';')
            h = hPointComma;
        else if (c == '{')
            h = hBraceOpen;
        else if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_')
            h = hIdent;
        m_dispatch[static_cast<size_t>(c)] = h;
    }
}

TqeGeneralSyn::~TqeGeneralSyn() = default;

TqeHighLightAttributes* TqeGeneralSyn::MakeAttribute(const QString& name)
{
    auto* attr = new TqeHighLightAttributes(name, this);
    connect(attr, &TqeHighLightAttributes::Changed, this, &TqeGeneralSyn::DefHighlightChange);
    return attr;
}

TqeHighLightAttributes* TqeGeneralSyn::GetAttribute(int index) const
{
    switch (index) {
    case 0: return m_commentAttri;
    case 1: return m_identifierAttri;
    case 2: return m_numberAttri;
    case 3: return m_keyAttri;
    case 4: return m_spaceAttri;
    case 5: return m_stringAttri;
    case 6: return m_symbolAttri;
    case 7: return m_hyperLinkAttri;
    default: return nullptr;
    }
}

void TqeGeneralSyn::SetComments(CommentStyles comments)
{
    if (m_comments == comments)
        return;
    m_comments = comments;
    emit ScanRulesChanged();
    DefHighlightChange();
}

void TqeGeneralSyn::SetMultiByteText(bool multiByte)
{
    if (m_multiByteText == multiByte)
        return;
    m_multiByteText = multiByte;
    emit ScanRulesChanged();
    DefHighlightChange();
}

namespace {

QStringList upperCased(const QStringList& words)
{
    QStringList copy;
    copy.reserve(words.size());
    for (const QString& w : words)
        copy.append(w.toUpper());
    return copy;
}

} // namespace

void TqeGeneralSyn::SetKeyWords(const QStringList& words)
{
    m_keyWords.Assign(upperCased(words));
    DefHighlightChange();
}

void TqeGeneralSyn::SetLinkWords(const QStringList& words)
{
    m_linkWords.Assign(upperCased(words));
    DefHighlightChange();
}

bool TqeGeneralSyn::IsKeyword(QStringView word) const
{
    return m_keyWords.Contains(word);
}

bool TqeGeneralSyn::IsLinkWord(QStringView word) const
{
    return !word.isEmpty() && m_linkWords.Contains(word);
}

QString TqeGeneralSyn::GetToken() const
{
    return m_text.mid(m_tokenPos, m_run - m_tokenPos);
}

void TqeGeneralSyn::SetRange(int range)
{
    const int closer = range >> 8;
    if ((range & 0xFF) == rsAlternativeString && closer > 0 && closer <= 0xFFFF && closer != 10 && closer != 13) {
        m_range = rsAlternativeString;
        m_closer = static_cast<char16_t>(closer);
    } else {
        m_range = (range >= rsAnsi && range <= rsUnKnown) ? range : rsUnKnown;
    }
}

void TqeGeneralSyn::SetLine(const QString& text)
{
    m_text = text;
    m_len = static_cast<int>(text.size());
    m_run = 0;
    Next();
}

bool TqeGeneralSyn::IsIdentChar(char16_t c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z')
           || c == u'_' || c == u'$';
}

void TqeGeneralSyn::Next()
{
    m_tokenPos = m_run;
    switch (m_range) {
    case rsAnsi:
        AnsiProc();
        break;
    case rsPasStyle:
        PasStyleProc();
        break;
    case rsCStyle:
        CStyleProc();
        break;
    case rsAlternativeString:
        AlternativeStringContinueProc();
        break;
    default: {
        const char16_t c = At(m_run);
        const Handler h = c < 256 ? m_dispatch[c] : hUnknown;
        switch (h) {
        case hNull: NullProc(); break;
        case hLF: LFProc(); break;
        case hCR: CRProc(); break;
        case hSpace: SpaceProc(); break;
        case hString: StringProc(); break;
        case hAsciiChar: AsciiCharProc(); break;
        case hInteger: IntegerProc(); break;
        case hRoundOpen: RoundOpenProc(); break;
        case hSlash: SlashProc(); break;
        case hNumber: NumberProc(); break;
        case hPointComma: PointCommaProc(); break;
        case hBraceOpen: BraceOpenProc(); break;
        case hIdent: IdentProc(); break;
        case hUnknown: UnknownProc(); break;
        }
    }
    }
    if (m_canvas)
        PaintToken();
}

void TqeGeneralSyn::PaintToken()
{
    const TqeHighLightAttributes* attr = nullptr;
    int mark = 0;
    if (m_lineColors.Find(m_lineNumber, mark) && (mark == TLineColorMark::ExecutionPoint || mark == TLineColorMark::BreakPoint)) {
        attr = mark == TLineColorMark::ExecutionPoint ? m_executionPointAttri : m_breakPointAttri;
    } else {
        switch (m_tokenKind) {
        case tkComment: attr = m_commentAttri; break;
        case tkIdentifier: attr = m_identifierAttri; break;
        case tkKey: attr = m_keyAttri; break;
        case tkNumber: attr = m_numberAttri; break;
        case tkSpace: attr = m_spaceAttri; break;
        case tkString: attr = m_stringAttri; break;
        case tkSymbol:
        case tkUnknown: attr = m_symbolAttri; break;
        case tkLink: attr = m_hyperLinkAttri; break;
        default: break;
        }
    }
    if (!attr)
        return;
    m_canvas->BrushColor = attr->Background();
    m_canvas->FontColor = attr->Foreground();
    m_canvas->FontStyle = attr->Style();
}

void TqeGeneralSyn::NullProc()
{
    m_tokenKind = tkNull;
}

void TqeGeneralSyn::LFProc()
{
    m_tokenKind = tkSpace;
    ++m_run;
}

void TqeGeneralSyn::CRProc()
{
    m_tokenKind = tkSpace;
    ++m_run;
    if (At(m_run) == 10)
        ++m_run;
}

void TqeGeneralSyn::SpaceProc()
{
    m_tokenKind = tkSpace;
    ++m_run;
    while (IsSpaceChar(At(m_run)))
        ++m_run;
}

void TqeGeneralSyn::StringProc()
{
    // The two quote characters are interchangeable: a string opened by one
    // ends at the next of either.
    auto isQuote = [](char16_t c) { return c == u'"' || c == u'\''; };
    m_tokenKind = tkString;
    if (isQuote(At(m_run + 1)) && isQuote(At(m_run + 2)))
        m_run += 2;
    for (;;) {
        const char16_t c = At(m_run);
        if (c == 0 || c == 10 || c == 13)
            break;
        ++m_run;
        if (isQuote(At(m_run)))
            break;
    }
    if (At(m_run) != 0)
        ++m_run;
}

void TqeGeneralSyn::AsciiCharProc()
{
    m_tokenKind = tkString;
    ++m_run;
    while (At(m_run) >= u'0' && At(m_run) <= u'9')
        ++m_run;
}

void TqeGeneralSyn::IntegerProc()
{
    m_tokenKind = tkNumber;
    ++m_run;
    for (;;) {
        const char16_t c = At(m_run);
        if ((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f'))
            ++m_run;
        else
            break;
    }
}

void TqeGeneralSyn::NumberProc()
{
    m_tokenKind = tkNumber;
    ++m_run;
    for (;;) {
        const char16_t c = At(m_run);
        if (!((c >= u'0' && c <= u'9') || c == u'.' || c == u'e' || c == u'E'))
            break;
        if (c == u'.' && At(m_run + 1) == u'.')
            break;
        ++m_run;
    }
}

void TqeGeneralSyn::RunToClosingPair(char16_t first, char16_t second)
{
    for (;;) {
        const char16_t c = At(m_run);
        if (c == 0 || c == 10 || c == 13)
            return;
        if (c == first && At(m_run + 1) == second) {
            m_range = rsUnKnown;
            m_run += 2;
            return;
        }
        ++m_run;
    }
}

void TqeGeneralSyn::RoundOpenProc()
{
    ++m_run;
    m_tokenKind = tkSymbol;
    if (!(m_comments & csAnsiStyle))
        return;
    if (At(m_run) == u'*') {
        m_tokenKind = tkComment;
        m_range = rsAnsi;
        ++m_run;
        RunToClosingPair(u'*', u')');
    } else if (At(m_run) == u'.') {
        ++m_run;
    }
}

void TqeGeneralSyn::SlashProc()
{
    const char16_t next = At(m_run + 1);
    if (next == u'/') {
        m_tokenKind = tkComment;
        m_run += 2;
        for (;;) {
            const char16_t c = At(m_run);
            if (c == 0 || c == 10 || c == 13)
                break;
            ++m_run;
        }
    } else if (next == u'*' && (m_comments & csCStyle)) {
        m_tokenKind = tkComment;
        m_range = rsCStyle;
        // The search for the closing pair starts on the opening star, so
        // "/*/" is a closed comment.
        ++m_run;
        RunToClosingPair(u'*', u'/');
    } else {
        m_tokenKind = tkSymbol;
        ++m_run;
    }
}

void TqeGeneralSyn::PointCommaProc()
{
    if (m_comments & (csAsmStyle | csBasStyle)) {
        m_tokenKind = tkComment;
        m_range = rsUnKnown;
        m_run = m_len;
    } else {
        m_tokenKind = tkSymbol;
        ++m_run;
    }
}

void TqeGeneralSyn::BraceOpenProc()
{
    if (!(m_comments & csPasStyle)) {
        m_tokenKind = tkSymbol;
        ++m_run;
        return;
    }
    m_tokenKind = tkComment;
    m_range = rsPasStyle;
    ++m_run;
    for (;;) {
        const char16_t c = At(m_run);
        if (c == 0 || c == 10 || c == 13)
            return;
        ++m_run;
        if (c == u'}') {
            m_range = rsUnKnown;
            return;
        }
    }
}

bool TqeGeneralSyn::AlternativeStringProc()
{
    const char16_t c = At(m_run);
    const char16_t opener = At(m_run + 2);
    if ((c != u'q' && c != u'Q') || At(m_run + 1) != u'\'' || opener == 0 || opener == 10 || opener == 13)
        return false;
    if (m_multiByteText && opener >= 0x80)
        return false;
    // Brackets close with their partner, any other character with itself.
    static const QStringView pairs = u"(){}[]<>";
    const qsizetype pair = pairs.indexOf(QChar(opener));
    const char16_t closer = pair >= 0 && pair % 2 == 0 ? pairs[pair + 1].unicode() : opener;
    // Unlike a quoted string it goes on over line breaks, as the server reads it.
    m_tokenKind = tkString;
    m_range = rsAlternativeString;
    m_closer = closer;
    m_run += 3;
    RunToClosingPair(closer, u'\'');
    return true;
}

void TqeGeneralSyn::IdentProc()
{
    if (AlternativeStringProc())
        return;
    while (IsIdentChar(At(m_run)))
        ++m_run;
    const QStringView word = QStringView(m_text).mid(m_tokenPos, m_run - m_tokenPos);
    if (IsKeyword(word))
        m_tokenKind = tkKey;
    else if (IsLinkWord(word))
        m_tokenKind = tkLink;
    else
        m_tokenKind = tkIdentifier;
}

void TqeGeneralSyn::UnknownProc()
{
    m_tokenKind = tkUnknown;
    ++m_run;
}

bool TqeGeneralSyn::LineEndInRangeProc()
{
    switch (At(m_run)) {
    case 0: NullProc(); return true;
    case 10: LFProc(); return true;
    case 13: CRProc(); return true;
    default: return false;
    }
}

void TqeGeneralSyn::AnsiProc()
{
    if (LineEndInRangeProc())
        return;
    m_tokenKind = tkComment;
    RunToClosingPair(u'*', u')');
}

void TqeGeneralSyn::PasStyleProc()
{
    if (LineEndInRangeProc())
        return;
    m_tokenKind = tkComment;
    for (;;) {
        const char16_t d = At(m_run);
        if (d == 0 || d == 10 || d == 13)
            return;
        ++m_run;
        if (d == u'}') {
            m_range = rsUnKnown;
            return;
        }
    }
}

void TqeGeneralSyn::CStyleProc()
{
    if (LineEndInRangeProc())
        return;
    m_tokenKind = tkComment;
    RunToClosingPair(u'*', u'/');
}

void TqeGeneralSyn::AlternativeStringContinueProc()
{
    if (LineEndInRangeProc())
        return;
    m_tokenKind = tkString;
    RunToClosingPair(m_closer, u'\'');
}

TqeGeneralSyn* NewSQLSyntax(QObject* parent, const QStringList& keyWords)
{
    auto* syntax = new TqeGeneralSyn(parent);
    syntax->setObjectName(QStringLiteral("Syntax"));
    syntax->SetComments(csCStyle);
    syntax->SetKeyWords(keyWords);
    return syntax;
}
