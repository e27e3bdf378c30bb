// Painting of the editor control: text through the highlighter, selection,
// right edge, gutter with its glyphs, and the caret.
#include "editor/qeCustomEdit.h"
#include "editor/qeGeneralSyn.h"
#include "editor/qeHighlighter.h"
#include "platform/Dialogs.h"

#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QPalette>
#include <QTimer>
#include <algorithm>
#include <climits>

namespace {

// Gives the highlighter its canvas for the time of one paint.
class CanvasScope
{
public:
    CanvasScope(TqeCustomHighLighter* highlighter, TqeCanvas* canvas) : m_highlighter(highlighter)
    {
        m_highlighter->SetCanvas(canvas);
    }
    ~CanvasScope() { m_highlighter->SetCanvas(nullptr); }
    CanvasScope(const CanvasScope&) = delete;
    CanvasScope& operator=(const CanvasScope&) = delete;

private:
    TqeCustomHighLighter* m_highlighter;
};

bool isPlainAscii(QStringView text)
{
    for (QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() > 0x7E)
            return false;
    return true;
}

bool isAllBlank(QStringView text)
{
    for (QChar c : text)
        if (c.unicode() != u' ')
            return false;
    return true;
}

} // namespace

void TqeCustomEdit::MakeGlyphs()
{
    // The ten bookmark glyphs: a small tag with the bookmark's digit.
    QFont digitFont;
    digitFont.setPixelSize(9);
    digitFont.setBold(true);
    for (int i = 0; i < 10; ++i) {
        QPixmap pm(11, 14);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(QColor(0, 0, 128));
        p.setBrush(QColor(0, 128, 192));
        const QPoint tag[] = {{0, 0}, {10, 0}, {10, 13}, {5, 9}, {0, 13}};
        p.drawPolygon(tag, 5);
        p.setPen(Qt::white);
        p.setFont(digitFont);
        p.drawText(QRect(0, 0, 11, 10), Qt::AlignCenter, QString::number(i));
        p.end();
        m_glyphs[static_cast<size_t>(i)] = pm;
    }
}

void TqeCustomEdit::FirstAndLastRow(const QRect& clip, int& first, int& last) const
{
    // 0-based line indexes of the lines that reach into the clip rectangle.
    const int top = TopLine() - 1;
    first = top + std::max(0, clip.top()) / m_lineHeight;
    last = std::min(m_lines->Count() - 1, top + std::max(0, clip.bottom()) / m_lineHeight);
    last = std::min(last, top + LinesInWindow());
}

void TqeCustomEdit::paintEvent(QPaintEvent* event)
{
    if (m_updateLock > 0) {
        // Painted in one go when the outermost update ends.
        m_pendingFull = true;
        return;
    }
    QPainter canvas(viewport());
    ++m_paintCount;
    m_linesPainted = 0;
    try {
        // Separate dirty rectangles (a changed line and the caret elsewhere)
        // are painted each for itself, not as their bounding rectangle.
        const QRegion region = event->region();
        if (region.rectCount() <= 8) {
            for (const QRect& rect : region)
                PaintRect(canvas, rect);
        } else {
            PaintRect(canvas, region.boundingRect());
        }
        if (OnPaint)
            OnPaint(this, canvas);
        PaintCaret(canvas);
    } catch (const std::exception& e) {
        // Not from inside the paint: a message box would paint again.
        const QString message = QString::fromUtf8(e.what());
        QTimer::singleShot(0, [message] { qv::showException(message); });
    }
}

void TqeCustomEdit::PaintRect(QPainter& canvas, const QRect& clip)
{
    canvas.setClipRect(clip);
    canvas.fillRect(clip, m_color);
    if (!m_lines->IsEmpty()) {
        if (m_highlighter)
            PaintHighlightedText(canvas, clip);
        else
            PaintPlainText(canvas, clip);
    }
    const int edge = RightEdgeX();
    if (edge >= clip.left() && edge <= clip.right()) {
        canvas.setPen(QColor(0xC0, 0xC0, 0xC0));
        canvas.drawLine(edge, 0, edge, viewport()->height());
    }
    if (clip.left() < m_gutterWidth + 2)
        PaintGutter(canvas, clip);
    canvas.setClipping(false);
}

void TqeCustomEdit::PaintHighlightedText(QPainter& canvas, const QRect& clip)
{
    TqeCustomHighLighter* hl = m_highlighter;
    auto* general = qobject_cast<TqeGeneralSyn*>(hl);
    TqeCanvas colours;
    const CanvasScope scope(hl, &colours);
    int first = 0;
    int last = 0;
    FirstAndLastRow(clip, first, last);
    const int leftIndex = LeftChar() - 1;
    const int rightLimit = leftIndex + CharsInWindow() + 1;
    std::vector<Segment> segments;
    for (int i = first; i <= last; ++i) {
        if (general)
            general->SetLineNumber(i);
        const int range = m_lines->Objects(i);
        if (i == 0 || range == TqeEditList::kUnscanned)
            hl->ResetRange();
        else
            hl->SetRange(range);
        const QString& text = m_lines->Strings(i);
        hl->SetLine(text);
        segments.clear();
        while (!hl->GetEol()) {
            const int start = hl->GetTokenPos();
            const int length = hl->GetTokenLen();
            if (start > rightLimit)
                break;
            if (start + length >= leftIndex)
                segments.push_back({start, length, colours.BrushColor, colours.FontColor, colours.FontStyle.toInt()});
            hl->Next();
        }
        PaintLine(canvas, i + 1, text, segments);
    }
}

void TqeCustomEdit::PaintPlainText(QPainter& canvas, const QRect& clip)
{
    int first = 0;
    int last = 0;
    FirstAndLastRow(clip, first, last);
    std::vector<Segment> segments(1);
    for (int i = first; i <= last; ++i) {
        const QString& text = m_lines->Strings(i);
        segments[0] = {0, static_cast<int>(text.size()), m_color, m_fontColor, 0};
        PaintLine(canvas, i + 1, text, segments);
    }
}

void TqeCustomEdit::PaintLine(QPainter& canvas, int line, const QString& text, const std::vector<Segment>& segments)
{
    const int y = (line - TopLine()) * m_lineHeight;
    const int baseline = y + m_ascent;
    const int origin = TextOrigin();
    const int visibleFrom = std::max(0, LeftChar() - 2);
    const int visibleTo = LeftChar() - 1 + CharsInWindow() + 2;
    TqeEditView::LineSelection sel;
    if (SelectionShown())
        sel = m_view->SelectionOnLine(line);
    const QColor selBack = m_selectedColor->Background();
    const QColor selFore = m_selectedColor->Foreground();

    auto drawPart = [&](int from, int to, const Segment& seg, bool selected) {
        if (from >= to)
            return;
        const int x = origin + from * m_charWidth;
        canvas.fillRect(QRect(x, y, (to - from) * m_charWidth, m_lineHeight), selected ? selBack : seg.background);
        const QStringView part = QStringView(text).mid(from, to - from);
        if (isAllBlank(part))
            return;
        canvas.setFont(m_styleFonts[static_cast<size_t>(seg.style & 0xF)]);
        canvas.setPen(selected ? selFore : seg.foreground);
        DrawCells(canvas, x, baseline, part);
    };

    for (const Segment& seg : segments) {
        const int from = std::max(seg.start, visibleFrom);
        const int to = std::min(seg.start + seg.length, visibleTo);
        if (from >= to)
            continue;
        if (!sel.any) {
            drawPart(from, to, seg, false);
            continue;
        }
        drawPart(from, std::min(to, sel.from), seg, false);
        drawPart(std::max(from, sel.from), std::min(to, sel.to), seg, true);
        drawPart(std::max(from, sel.to), to, seg, false);
    }
    if (sel.any && sel.fillRest) {
        const int from = std::max(static_cast<int>(text.size()), sel.from);
        const int x = std::max(origin + from * m_charWidth, m_gutterWidth + 2);
        canvas.fillRect(QRect(x, y, std::max(0, viewport()->width() - x), m_lineHeight), selBack);
    }
    ++m_linesPainted;
}

void TqeCustomEdit::DrawCells(QPainter& canvas, int x, int baseline, QStringView text)
{
    // The letter spacing of the style fonts puts printable ASCII into its
    // cells in one call; anything else (tabs, other scripts, characters a
    // fallback font draws wider) is drawn cell by cell.
    if (isPlainAscii(text)) {
        canvas.drawText(QPointF(x, baseline), text.toString());
        return;
    }
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const int cellX = x + static_cast<int>(i) * m_charWidth;
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            canvas.drawText(QPointF(cellX, baseline), text.mid(i, 2).toString());
            ++i;
            continue;
        }
        if (c.unicode() <= u' ' || c.unicode() == 0x7F)
            continue;
        canvas.drawText(QPointF(cellX, baseline), QString(c));
    }
}

void TqeCustomEdit::PaintGutter(QPainter& canvas, const QRect&)
{
    const int height = viewport()->height();
    const QPalette palette = QGuiApplication::palette();
    if (m_gutterWidth > 0)
        canvas.fillRect(QRect(0, 0, m_gutterWidth, height), m_gutterColor);
    if (m_gutterWidth >= 2) {
        canvas.fillRect(QRect(m_gutterWidth - 2, 0, 1, height), palette.color(QPalette::Light));
        canvas.fillRect(QRect(m_gutterWidth - 1, 0, 1, height), palette.color(QPalette::Dark));
    }
    canvas.fillRect(QRect(m_gutterWidth, 0, 2, height), m_color);
    if (!m_bookMarkOptions->GlyphsVisible())
        return;

    const int top = TopLine();
    const int rows = LinesInWindow();
    std::vector<int> offsets(static_cast<size_t>(std::max(0, rows)), 0);
    for (const bool bookmarks : {true, false}) {
        for (int i = 0; i < m_marks->Count(); ++i) {
            const TMark* mark = m_marks->Items(i);
            if (mark->IsBookmark() != bookmarks || !mark->Visible())
                continue;
            const int row = mark->Line() - top;
            if (row < 0 || row >= rows)
                continue;
            const QPixmap* image = nullptr;
            if (m_bookmarkImages && !mark->InternalImage()) {
                if (mark->ImageIndex() >= 0 && mark->ImageIndex() < m_bookmarkImages->Count())
                    image = &m_bookmarkImages->Images(mark->ImageIndex());
            } else if (mark->ImageIndex() >= 0 && mark->ImageIndex() <= 9) {
                image = &m_glyphs[static_cast<size_t>(mark->ImageIndex())];
            }
            int& offset = offsets[static_cast<size_t>(row)];
            if (image)
                canvas.drawPixmap(m_bookMarkOptions->LeftMargin() + offset, row * m_lineHeight, *image);
            offset += m_bookMarkOptions->Xoffset();
        }
    }
}

void TqeCustomEdit::PaintCaret(QPainter& canvas)
{
    if (!m_caretBlinkOn)
        return;
    const QRect r = CaretRect();
    if (r.isEmpty())
        return;
    canvas.setCompositionMode(QPainter::CompositionMode_Difference);
    canvas.fillRect(r, Qt::white);
    canvas.setCompositionMode(QPainter::CompositionMode_SourceOver);
}
