#include "components/Splitter.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

namespace {

// The moving line: inverts what lies under it, as the old XOR line did.
class SizingLine : public QWidget
{
public:
    explicit SizingLine(QWidget* parent)
        : QWidget(parent)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setObjectName(QStringLiteral("SizingLine"));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setCompositionMode(QPainter::CompositionMode_Difference);
        painter.fillRect(rect(), Qt::white);
    }
};

bool IsEdgeAlign(TAlign align)
{
    return align == TAlign::alTop || align == TAlign::alBottom || align == TAlign::alLeft
        || align == TAlign::alRight;
}

} // namespace

TQcSplitter::TQcSplitter(QWidget* parent)
    : QFrame(parent)
{
    resize(185, 3);
    setFrameShape(QFrame::NoFrame);
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
}

TQcSplitter::~TQcSplitter()
{
    if (FSizing) {
        qApp->removeEventFilter(this);
        ReleaseLine();
    }
}

void TQcSplitter::ReleaseLine()
{
    QWidget* line = FLine.data();
    FLine = nullptr;
    if (!line)
        return;
    // A parent on its way out hides its children walking a copy of its child
    // list, and this may run from that walk: the line must outlive it. Out of
    // the list and hidden, it is gone from the window at once.
    line->hide();
    line->setParent(nullptr);
    line->deleteLater();
}

void TQcSplitter::setControlFirst(QWidget* control)
{
    if (control == this || (control && control->isWindow()))
        control = nullptr;
    FControlFirst = control;
    UpdateCursor();
}

void TQcSplitter::setControlSecond(QWidget* control)
{
    if (control == this || (control && control->isWindow()))
        control = nullptr;
    FControlSecond = control;
    UpdateCursor();
}

void TQcSplitter::setLimitOffset(int limit)
{
    FTopLeftLimit = limit;
    FBottomRightLimit = limit;
}

TAlign TQcSplitter::Align() const
{
    return AlignLayout::alignOf(this);
}

void TQcSplitter::setAlign(TAlign align)
{
    QWidget* owner = parentWidget();
    if (!owner)
        return;
    AlignLayout* layout = AlignLayout::of(owner);
    if (!layout) {
        if (owner->layout())
            return;
        layout = new AlignLayout(owner);
    }
    if (!IsEdgeAlign(Align())) {
        if (align == TAlign::alTop || align == TAlign::alBottom)
            resize(width(), 3);
        else if (align == TAlign::alLeft || align == TAlign::alRight)
            resize(3, height());
    }
    layout->setAlign(this, align);
    if (!FControlFirst && !FControlSecond && IsEdgeAlign(align))
        FControlFirst = ControlNextToBar(align);
    UpdateCursor();
}

QWidget* TQcSplitter::ControlNextToBar(TAlign align) const
{
    const QRect bar = geometry();
    QPoint probe;
    switch (align) {
    case TAlign::alTop:
        probe = QPoint(bar.x(), bar.y() - 1);
        break;
    case TAlign::alBottom:
        probe = QPoint(bar.x(), bar.y() + bar.height());
        break;
    case TAlign::alLeft:
        probe = QPoint(bar.x() - 1, bar.y());
        break;
    case TAlign::alRight:
        probe = QPoint(bar.x() + bar.width(), bar.y());
        break;
    default:
        return nullptr;
    }
    // The topmost sibling under the point, as the platform's hit test finds it.
    const QObjectList& siblings = parentWidget()->children();
    for (auto it = siblings.crbegin(); it != siblings.crend(); ++it) {
        QWidget* sibling = qobject_cast<QWidget*>(*it);
        if (!sibling || sibling == this || sibling->isWindow() || sibling->isHidden())
            continue;
        if (sibling->geometry().contains(probe))
            return sibling;
    }
    return nullptr;
}

void TQcSplitter::setBevelInner(TPanelBevel bevel)
{
    FBevelInner = bevel;
    update();
}

void TQcSplitter::setBevelOuter(TPanelBevel bevel)
{
    FBevelOuter = bevel;
    update();
}

void TQcSplitter::setBevelWidth(int width)
{
    FBevelWidth = qMax(1, width);
    update();
}

int TQcSplitter::SplitterKind() const
{
    if (!FControlFirst)
        return 0;
    const TAlign own = Align();
    const TAlign first = AlignLayout::alignOf(FControlFirst);
    const TAlign second =
        FControlSecond ? AlignLayout::alignOf(FControlSecond) : TAlign::alNone;
    const bool secondFree = second == TAlign::alNone || second == TAlign::alClient;
    if ((first == TAlign::alTop || first == TAlign::alBottom) && secondFree)
        return own == first ? 1 : 0;
    if (first == TAlign::alClient && (second == TAlign::alTop || second == TAlign::alBottom))
        return own == second ? 2 : 0;
    if ((first == TAlign::alLeft || first == TAlign::alRight) && secondFree)
        return own == first ? 3 : 0;
    if (first == TAlign::alClient && (second == TAlign::alLeft || second == TAlign::alRight))
        return own == second ? 4 : 0;
    return 0;
}

QCursor TQcSplitter::KindCursor() const
{
    switch (SplitterKind()) {
    case 1:
    case 2:
        return QCursor(Qt::SplitVCursor);
    case 3:
    case 4:
        return QCursor(Qt::SplitHCursor);
    default:
        return QCursor(Qt::ArrowCursor);
    }
}

void TQcSplitter::UpdateCursor()
{
    if (!FSizing)
        setCursor(KindCursor());
}

int TQcSplitter::LineThickness() const
{
    const int across = HorizontalLine() ? height() : width();
    return across < 4 ? 2 : across - 2;
}

QRect TQcSplitter::SizingLineRect() const
{
    const int thickness = LineThickness();
    if (HorizontalLine())
        return QRect(x(), FPrevOrg.y() - thickness / 2, width(), thickness);
    return QRect(FPrevOrg.x() - thickness / 2, y(), thickness, height());
}

void TQcSplitter::PosChanged()
{
    if (OnPosChanged)
        qv::runGuarded([this] { OnPosChanged(this); });
}

void TQcSplitter::Changing(int X, int Y, bool& AllowChange)
{
    if (!OnPosChanging)
        return;
    // A handler that fails refuses the move.
    if (!qv::runGuarded([&] { OnPosChanging(this, X, Y, AllowChange); }))
        AllowChange = false;
}

bool TQcSplitter::event(QEvent* event)
{
    // The controls' alignments may have changed since the cursor was set.
    if (event->type() == QEvent::Enter)
        UpdateCursor();
    return QFrame::event(event);
}

bool TQcSplitter::eventFilter(QObject* watched, QEvent* event)
{
    if (FSizing) {
        if (event->type() == QEvent::KeyPress
            && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            StopSizing(QPoint(), false);
            return true;
        }
        // Hints stay off while dragging.
        if (event->type() == QEvent::ToolTip)
            return true;
    }
    return QFrame::eventFilter(watched, event);
}

void TQcSplitter::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    QRect r = rect();
    DrawPanelBevel(painter, r, FBevelOuter, FBevelWidth, palette());
    DrawPanelBevel(painter, r, FBevelInner, FBevelWidth, palette());
}

void TQcSplitter::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        FPressed = true;
    if (event->button() == Qt::LeftButton && !FSizing && SplitterKind() != 0)
        StartSizing(event->position().toPoint());
    QFrame::mousePressEvent(event);
}

void TQcSplitter::mouseMoveEvent(QMouseEvent* event)
{
    if (FSizing)
        MoveSizing(event->position().toPoint());
    QFrame::mouseMoveEvent(event);
}

void TQcSplitter::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QFrame::mouseReleaseEvent(event);
        return;
    }
    const bool click = FPressed && rect().contains(event->position().toPoint());
    FPressed = false;
    if (FSizing)
        StopSizing(event->position().toPoint(), true);
    if (click && OnClick)
        qv::runGuarded([this] { OnClick(this); });
}

void TQcSplitter::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && OnDblClick)
        qv::runGuarded([this] { OnDblClick(this); });
    mousePressEvent(event);
}

void TQcSplitter::hideEvent(QHideEvent* event)
{
    // A bar that disappears under the mouse cannot finish its drag.
    if (FSizing)
        StopSizing(QPoint(), false);
    QFrame::hideEvent(event);
}

void TQcSplitter::StartSizing(const QPoint& pos)
{
    QWidget* owner = parentWidget();
    if (!owner)
        return;
    FSizing = true;
    FStyle = SplitterKind();
    QToolTip::hideText();
    qApp->installEventFilter(this);
    FOffset = pos;

    const QRect client = owner->contentsRect();
    const QPoint topLeft =
        QPoint(client.left() + FTopLeftLimit, client.top() + FTopLeftLimit) - this->pos();
    const QPoint bottomRight = QPoint(client.left() + client.width() - FBottomRightLimit,
                                      client.top() + client.height() - FBottomRightLimit)
        - this->pos();
    FLimitRect = LimitRect{topLeft.x(), topLeft.y(), bottomRight.x(), bottomRight.y()};

    FPrevOrg = this->pos() + QPoint(width() / 2, height() / 2);
    FNoDropCursor = false;
    FLine = new SizingLine(owner);
    FLine->setGeometry(SizingLineRect());
    FLine->raise();
    FLine->show();
}

void TQcSplitter::CheckPosition(QPoint& pos) const
{
    if (pos.x() - FOffset.x() < FLimitRect.left)
        pos.setX(FLimitRect.left + FOffset.x());
    else if (pos.x() - FOffset.x() + width() > FLimitRect.right)
        pos.setX(FLimitRect.right - width() + FOffset.x());
    if (pos.y() - FOffset.y() < FLimitRect.top)
        pos.setY(FLimitRect.top + FOffset.y());
    else if (pos.y() - FOffset.y() + height() > FLimitRect.bottom)
        pos.setY(FLimitRect.bottom - height() + FOffset.y());
}

void TQcSplitter::MoveSizing(const QPoint& pos)
{
    bool allow = true;
    Changing(pos.x(), pos.y(), allow);
    if (!FSizing)
        return; // the handler ended the drag
    if (!allow) {
        FNoDropCursor = true;
        setCursor(Qt::ForbiddenCursor);
        return;
    }
    QPoint clipped = pos;
    CheckPosition(clipped);
    FNoDropCursor = HorizontalLine() ? clipped.y() != pos.y() : clipped.x() != pos.x();
    setCursor(FNoDropCursor ? QCursor(Qt::ForbiddenCursor) : KindCursor());
    MoveLine(clipped);
}

void TQcSplitter::MoveLine(const QPoint& clipped)
{
    QWidget* owner = parentWidget();
    if (!owner)
        return;
    QPoint origin = clipped - FOffset + QPoint(width() / 2, height() / 2) + this->pos();
    const QRect client = owner->contentsRect();
    origin.setX(qBound(client.left(), origin.x(), client.left() + client.width() - 1));
    origin.setY(qBound(client.top(), origin.y(), client.top() + client.height() - 1));
    if (origin == FPrevOrg)
        return;
    FPrevOrg = origin;
    if (FLine)
        FLine->setGeometry(SizingLineRect());
}

void TQcSplitter::StopSizing(const QPoint& pos, bool apply)
{
    if (!FSizing)
        return;
    bool allow = true;
    if (apply)
        Changing(pos.x(), pos.y(), allow);
    ReleaseLine();

    if (apply) {
        QPoint at = pos;
        if (!allow)
            at = FPrevOrg - this->pos() - QPoint(width() / 2, height() / 2) + FOffset;
        ApplyResize(at);
    }

    FSizing = false;
    FNoDropCursor = false;
    qApp->removeEventFilter(this);
    setCursor(KindCursor());
    if (apply)
        PosChanged();
}

bool TQcSplitter::EitherAligned(TAlign align) const
{
    return (FControlFirst && AlignLayout::alignOf(FControlFirst) == align)
        || (FControlSecond && AlignLayout::alignOf(FControlSecond) == align);
}

void TQcSplitter::ApplyResize(QPoint pos)
{
    QWidget* owner = parentWidget();
    if (!owner)
        return;
    CheckPosition(pos);
    int x = pos.x();
    int y = pos.y();
    int offsetX = FOffset.x();
    int offsetY = FOffset.y();
    if (EitherAligned(TAlign::alRight)) {
        x = -x;
        offsetX = -offsetX;
    }
    if (EitherAligned(TAlign::alBottom)) {
        y = -y;
        offsetY = -offsetY;
    }

    // The control may have gone while the line was being dragged.
    QWidget* const resized = (FStyle == 1 || FStyle == 3) ? FControlFirst.data()
                                                          : FControlSecond.data();
    if (!resized)
        return;
    const QRect client = owner->contentsRect();
    auto bounded = [](int size, int room) {
        if (size < 1)
            size = 1;
        if (size >= room)
            size = room - 3;
        return size;
    };

    AlignLayout* layout = AlignLayout::of(owner);
    if (layout)
        layout->disableAlign();
    if (HorizontalLine()) {
        const int room = client.height() - height();
        resized->resize(resized->width(), bounded(resized->height() + (y - offsetY), room));
    } else {
        const int room = client.width() - width();
        resized->resize(bounded(resized->width() + (x - offsetX), room), resized->height());
    }
    if (layout)
        layout->enableAlign();
}
