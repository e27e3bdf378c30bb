#include "components/TgHGrid.h"

#include "components/ComponentEvents.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTimer>

// ---------------------------------------------------------------- TtgHintWindow

TtgHintWindow::TtgHintWindow(QWidget* owner)
    : QLabel(owner, Qt::ToolTip | Qt::FramelessWindowHint)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setForegroundRole(QPalette::ToolTipText);
    setBackgroundRole(QPalette::ToolTipBase);
    setAutoFillBackground(true);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setMargin(2);
    setTextFormat(Qt::PlainText);
    hide();
}

void TtgHintWindow::ActivateHint(const QPoint& globalPos, const QString& text)
{
    setText(text);
    adjustSize();
    move(globalPos);
    show();
    raise();
}

// ---------------------------------------------------------------- TTgHintGrid

TTgHintGrid::TTgHintGrid(QWidget* parent)
    : TStringGrid(parent)
    , m_hintTimer(new QTimer(this))
{
    m_hintTimer->setInterval(HintTickMs);
    connect(m_hintTimer, &QTimer::timeout, this, &TTgHintGrid::HintTimerTick);
    m_hintWindow = new TtgHintWindow(this);
    connect(qApp, &QGuiApplication::applicationStateChanged, this, &TTgHintGrid::ApplicationStateChanged);
}

TTgHintGrid::~TTgHintGrid() = default;

void TTgHintGrid::SetHintFollowsMouse(bool follows)
{
    if (follows == m_hintFollowsMouse)
        return;
    m_hintFollowsMouse = follows;
    HideCellHint();
    m_hintCol = m_hintRow = -1;
    if (!follows)
        ArmHint(Col(), Row());
}

bool TTgHintGrid::HintShowing() const
{
    return m_hintWindow && m_hintWindow->isVisible();
}

QString TTgHintGrid::HintText() const
{
    return m_hintWindow ? m_hintWindow->text() : QString();
}

void TTgHintGrid::SetManualHintTicks(bool manual)
{
    m_manualTicks = manual;
    if (manual)
        m_hintTimer->stop();
    else if (m_armed)
        m_hintTimer->start();
}

void TTgHintGrid::StartCounting()
{
    m_ticks = 0;
    m_armed = true;
    if (!m_manualTicks)
        m_hintTimer->start();
}

void TTgHintGrid::StopCounting()
{
    m_armed = false;
    m_hintTimer->stop();
}

void TTgHintGrid::ArmHint(int col, int row)
{
    if (col != m_hintCol || row != m_hintRow)
        HideCellHint();
    m_hintCol = col;
    m_hintRow = row;
    if (col >= 0 && row >= 0 && !HintShowing())
        StartCounting();
    else
        StopCounting();
}

void TTgHintGrid::HideCellHint()
{
    if (m_hintWindow)
        m_hintWindow->ReleaseHint();
}

bool TTgHintGrid::MayShowHint() const
{
    if (!isVisible() || !window()->isActiveWindow())
        return false;
    if (m_hintCol < 0 || m_hintRow < 0 || m_hintCol >= ColCount() || m_hintRow >= RowCount())
        return false;
    if (CellRect(m_hintCol, m_hintRow).isEmpty())
        return false;
    return m_hintFollowsMouse || HasGridFocus();
}

void TTgHintGrid::HintTimerTick()
{
    // A menu or list popped up over the window: no hint while it is open,
    // and the count starts afresh once it is gone.
    QWidget* popup = QApplication::activePopupWidget();
    if (popup && popup->window() != window()) {
        HideCellHint();
        m_ticks = 0;
        return;
    }
    if (!m_armed || ++m_ticks < HintTicks)
        return;
    StopCounting();
    m_ticks = 0;
    if (!MayShowHint())
        return;
    QString text;
    const int col = m_hintCol;
    const int row = m_hintRow;
    if (OnShowCellHint && !qv::runGuarded([&] { OnShowCellHint(this, col, row, text); }))
        return;
    text = text.trimmed();
    if (text.isEmpty() || col != m_hintCol || row != m_hintRow)
        return;
    const QRect cell = CellRect(col, row);
    if (cell.isEmpty())
        return;
    m_hintWindow->ActivateHint(viewport()->mapToGlobal(cell.bottomLeft() + QPoint(0, 1)), text);
}

void TTgHintGrid::CurrentCellChanged()
{
    TStringGrid::CurrentCellChanged();
    if (!m_hintFollowsMouse)
        ArmHint(Col(), Row());
}

void TTgHintGrid::TopLeftChanged()
{
    TStringGrid::TopLeftChanged();
    HideCellHint();
    if (m_hintCol >= 0)
        ArmHint(m_hintCol, m_hintRow);
}

void TTgHintGrid::mouseMoveEvent(QMouseEvent* event)
{
    TStringGrid::mouseMoveEvent(event);
    if (!m_hintFollowsMouse)
        return;
    int col = -1;
    int row = -1;
    MouseToCell(event->position().toPoint(), col, row);
    if (col != m_hintCol || row != m_hintRow)
        ArmHint(col, row);
}

void TTgHintGrid::leaveEvent(QEvent* event)
{
    TStringGrid::leaveEvent(event);
    if (m_hintFollowsMouse) {
        StopCounting();
        HideCellHint();
        m_hintCol = m_hintRow = -1;
    }
}

void TTgHintGrid::focusInEvent(QFocusEvent* event)
{
    TStringGrid::focusInEvent(event);
    if (!m_hintFollowsMouse && !HintShowing())
        ArmHint(Col(), Row());
}

void TTgHintGrid::focusOutEvent(QFocusEvent* event)
{
    TStringGrid::focusOutEvent(event);
    if (!m_hintFollowsMouse && !HasGridFocus())
        HideCellHint();
}

void TTgHintGrid::changeEvent(QEvent* event)
{
    TStringGrid::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && !window()->isActiveWindow())
        HideCellHint();
}

void TTgHintGrid::ApplicationStateChanged(Qt::ApplicationState state)
{
    if (state == Qt::ApplicationActive) {
        if (m_hintCol >= 0)
            ArmHint(m_hintCol, m_hintRow);
    } else {
        StopCounting();
        HideCellHint();
    }
}
