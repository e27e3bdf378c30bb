#include "components/ColorMemo.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include "components/QcConst.h"

namespace {

// The document's blocks as the lines the scan reads.
class DocumentLines : public TColorTextSource
{
public:
    explicit DocumentLines(const QTextDocument* document)
        : m_document(document)
    {
    }

    int LineCount() const override { return m_document->blockCount(); }
    QString LineText(int line) const override { return m_document->findBlockByNumber(line).text(); }
    int LineStart(int line) const override { return m_document->findBlockByNumber(line).position(); }

private:
    const QTextDocument* m_document;
};

bool IsNavigationKey(int key)
{
    switch (key) {
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_End:
    case Qt::Key_Home:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
        return true;
    default:
        return false;
    }
}

} // namespace

TColorMemo::TColorMemo(QWidget* parent)
    : QPlainTextEdit(parent)
{
    connect(document(), &QTextDocument::contentsChange, this, &TColorMemo::ContentsChanged);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { Scrolled(OnVScroll); });
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { Scrolled(OnHScroll); });
    m_lastLineCount = document()->blockCount();
    m_lastLength = document()->characterCount();
}

TColorMemo::~TColorMemo()
{
    // The document goes after this object; its last changes are nobody's.
    disconnect(document(), nullptr, this, nullptr);
}

void TColorMemo::setColorRules(const TDrawRules& rules)
{
    m_rules = rules;
    Recolor();
}

void TColorMemo::setColorLimMax(int entries)
{
    if (entries == m_colorLimMax)
        return;
    m_colorLimMax = qMax(0, entries);
    m_runs.shrink_to_fit();
    m_runs.reserve(size_t(m_colorLimMax));
}

void TColorMemo::setHotSpot(const THotSpot& hotSpot)
{
    m_hotSpot = hotSpot;
    // The hand shows over a hot spot without a button held.
    if (m_hotSpot.Active)
        viewport()->setMouseTracking(true);
    else
        viewport()->setCursor(Qt::IBeamCursor);
    Recolor();
}

void TColorMemo::Recolor()
{
    Schedule(Scope::Screen);
}

void TColorMemo::RecolorNow()
{
    m_pending = Scope::None;
    Colorize(Scope::Screen);
}

void TColorMemo::Schedule(Scope scope)
{
    if (scope > m_pending)
        m_pending = scope;
    if (m_posted)
        return;
    m_posted = true;
    // Changes, scrolls and appends that come together are coloured once.
    QMetaObject::invokeMethod(this, &TColorMemo::RunPending, Qt::QueuedConnection);
}

void TColorMemo::RunPending()
{
    m_posted = false;
    const Scope scope = m_pending;
    m_pending = Scope::None;
    if (scope != Scope::None)
        qv::runGuarded([&] { Colorize(scope); });
}

void TColorMemo::ContentsChanged(int position, int removed, int added)
{
    const int lines = document()->blockCount();
    const int length = document()->characterCount();
    // One character typed at the end of the last line changes nothing above it.
    const bool typedAtEnd = removed == 0 && added == 1 && lines == m_lastLineCount
        && length == m_lastLength + 1 && position == length - 2;
    m_lastLineCount = lines;
    m_lastLength = length;
    Schedule(typedAtEnd && !m_redrawAlways ? Scope::CaretLine : Scope::Screen);
}

void TColorMemo::Scrolled(const qv::TNotifyEvent& handler)
{
    if (handler)
        qv::runGuarded([&] { handler(this); });
    Schedule(Scope::Screen);
}

bool TColorMemo::Colours() const
{
    if (m_hotSpot.Active)
        return true;
    for (const TColorRule& rule : m_rules) {
        if (rule.Enabled() && rule.HasEntries())
            return true;
    }
    return false;
}

TColorRange TColorMemo::VisibleRange() const
{
    TColorRange range;
    QTextBlock block = firstVisibleBlock();
    if (!block.isValid())
        return range;
    range.firstLine = block.blockNumber();
    range.lastLine = range.firstLine;
    const int bottom = viewport()->height();
    QPointF offset = contentOffset();
    for (; block.isValid(); block = block.next()) {
        const QRectF r = blockBoundingRect(block).translated(offset);
        if (r.top() > bottom)
            break;
        if (block.isVisible())
            range.lastLine = block.blockNumber();
        offset.ry() += r.height();
    }
    return range;
}

void TColorMemo::Colorize(Scope scope)
{
    if (!Colours()) {
        if (!m_runs.empty()) {
            m_runs.clear();
            ApplyRuns();
        }
        return;
    }
    TColorRange range = VisibleRange();
    const DocumentLines lines(document());
    std::vector<TColorRun> kept;
    if (scope == Scope::CaretLine) {
        const int caretLine = textCursor().blockNumber();
        if (caretLine >= range.firstLine && caretLine <= range.lastLine) {
            // The lines above the caret keep their runs.
            const int from = lines.LineStart(caretLine);
            for (TColorRun run : m_runs) {
                if (run.start >= from)
                    break;
                run.length = qMin(run.length, from - run.start);
                kept.push_back(run);
            }
            range.firstLine = caretLine;
        }
    }
    std::vector<TColorRun> found = ScanColorRuns(lines, m_rules, m_hotSpot, range, &m_lastScan);
    ++m_passes;
    m_scannedChars += m_lastScan.chars;
    kept.insert(kept.end(), found.begin(), found.end());
    kept.reserve(size_t(m_colorLimMax));
    if (kept == m_runs)
        return;
    m_runs = std::move(kept);
    ApplyRuns();
}

void TColorMemo::ApplyRuns()
{
    const QColor base = palette().color(QPalette::Base);
    const auto colorOf = [&base](TColor color) {
        return color == clWindow ? base : ColorToQColor(color);
    };
    QList<QTextEdit::ExtraSelection> selections;
    selections.reserve(qsizetype(m_runs.size()));
    for (const TColorRun& run : m_runs) {
        if (run.kind == TColorRunKind::CustomDraw)
            continue;
        QTextEdit::ExtraSelection selection;
        selection.cursor = QTextCursor(document());
        selection.cursor.setPosition(run.start);
        selection.cursor.setPosition(run.end(), QTextCursor::KeepAnchor);
        selection.format.setForeground(colorOf(run.color));
        // Always a background: the layout skips a selection with text only
        // where it touches one drawn before it.
        selection.format.setBackground(colorOf(run.background));
        if (run.kind == TColorRunKind::HotSpotText && m_hotSpot.Underlined)
            selection.format.setFontUnderline(true);
        selections.append(selection);
    }
    setExtraSelections(selections);
    viewport()->update();
}

QRect TColorMemo::RunRectOnLine(const QTextBlock& block, int from, int to) const
{
    const QTextLayout* layout = block.layout();
    const QPointF origin = blockBoundingGeometry(block).translated(contentOffset()).topLeft()
        + layout->position();
    QRectF rect;
    for (int i = 0; i < layout->lineCount(); ++i) {
        const QTextLine line = layout->lineAt(i);
        const int start = qMax(from, line.textStart());
        const int end = qMin(to, line.textStart() + line.textLength());
        if (start >= end)
            continue;
        const qreal x1 = line.cursorToX(start);
        const qreal x2 = line.cursorToX(end);
        rect |= QRectF(qMin(x1, x2), line.y(), qAbs(x2 - x1), line.height());
    }
    return rect.translated(origin).toAlignedRect();
}

void TColorMemo::DrawCustomRuns(QPainter& painter)
{
    for (const TColorRun& run : m_runs) {
        if (run.kind != TColorRunKind::CustomDraw)
            continue;
        // Keywords never span lines.
        const QTextBlock block = document()->findBlock(run.start);
        if (!block.isValid() || !block.isVisible())
            continue;
        const int from = run.start - block.position();
        const QRect rect = RunRectOnLine(block, from, from + run.length);
        if (rect.isEmpty() || !rect.intersects(viewport()->rect()))
            continue;
        const QString key = block.text().mid(from, run.length);
        OnDrawKey(this, painter, rect, key);
    }
}

void TColorMemo::paintEvent(QPaintEvent* event)
{
    QPlainTextEdit::paintEvent(event);
    if (!OnDraw && !OnDrawKey)
        return;
    QPainter painter(viewport());
    qv::runGuarded([&] {
        if (OnDrawKey)
            DrawCustomRuns(painter);
        if (OnDraw)
            OnDraw(this, painter);
    });
}

void TColorMemo::resizeEvent(QResizeEvent* event)
{
    QPlainTextEdit::resizeEvent(event);
    Schedule(Scope::Screen);
}

void TColorMemo::changeEvent(QEvent* event)
{
    QPlainTextEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange) {
        // Runs in the window's colour follow the palette.
        m_runs.clear();
        Schedule(Scope::Screen);
    }
}

void TColorMemo::keyPressEvent(QKeyEvent* event)
{
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    if (IsNavigationKey(event->key()) && !shift && textCursor().hasSelection()) {
        QTextCursor cursor = textCursor();
        cursor.setPosition(cursor.selectionEnd());
        setTextCursor(cursor);
        Schedule(Scope::Screen);
    }
    QPlainTextEdit::keyPressEvent(event);
}

void TColorMemo::keyReleaseEvent(QKeyEvent* event)
{
    QPlainTextEdit::keyReleaseEvent(event);
    if (event->key() == Qt::Key_Shift)
        Schedule(Scope::Screen);
}

void TColorMemo::mousePressEvent(QMouseEvent* event)
{
    QPlainTextEdit::mousePressEvent(event);
    if (event->button() == Qt::LeftButton)
        Schedule(Scope::Screen);
}

std::optional<QString> TColorMemo::HotSpotUnder(const QPoint& pos) const
{
    const QTextCursor cursor = cursorForPosition(pos);
    return HotSpotTextAt(cursor.block().text(), cursor.positionInBlock(), m_hotSpot);
}

void TColorMemo::mouseMoveEvent(QMouseEvent* event)
{
    QPlainTextEdit::mouseMoveEvent(event);
    if (!m_hotSpot.Active)
        return;
    const bool over = HotSpotUnder(event->position().toPoint()).has_value();
    viewport()->setCursor(over ? CursorById(crHand) : QCursor(Qt::IBeamCursor));
}

void TColorMemo::mouseReleaseEvent(QMouseEvent* event)
{
    QPlainTextEdit::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    Schedule(Scope::Screen);
    if (!m_hotSpot.Active || !OnHotSpotClick)
        return;
    // A click without both delimiters around it is no hot-spot click.
    const std::optional<QString> text = HotSpotUnder(event->position().toPoint());
    if (text)
        qv::runGuarded([&] { OnHotSpotClick(this, *text); });
}
