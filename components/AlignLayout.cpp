#include "components/AlignLayout.h"

#include <QEvent>
#include <QWidget>

#include <algorithm>
#include <array>

namespace {

constexpr std::array<const char*, 6> kAlignNames = {"alNone",  "alTop",   "alBottom",
                                                    "alLeft",  "alRight", "alClient"};

// The old platform aligns in this order whatever the order of the controls.
constexpr std::array<TAlign, 5> kPlacementOrder = {TAlign::alTop, TAlign::alBottom, TAlign::alLeft,
                                                   TAlign::alRight, TAlign::alClient};

} // namespace

QString alignName(TAlign align)
{
    return QString::fromLatin1(kAlignNames[static_cast<size_t>(align)]);
}

bool alignFromName(const QString& name, TAlign& align)
{
    for (size_t i = 0; i < kAlignNames.size(); ++i) {
        if (name.compare(QLatin1String(kAlignNames[i]), Qt::CaseInsensitive) == 0) {
            align = static_cast<TAlign>(i);
            return true;
        }
    }
    return false;
}

AlignLayout::AlignLayout(QWidget* parent)
    : QLayout(parent)
{
    setContentsMargins(0, 0, 0, 0);
    setSpacing(0);
}

AlignLayout::~AlignLayout()
{
    while (QLayoutItem* item = takeAt(0))
        delete item;
}

void AlignLayout::addWidget(QWidget* widget, TAlign align)
{
    if (!widget || contains(widget))
        return;
    addChildWidget(widget);
    m_entries.append(Entry{new QWidgetItem(widget), align});
    widget->installEventFilter(this);
    invalidate();
}

void AlignLayout::setAlign(QWidget* widget, TAlign align)
{
    if (!widget)
        return;
    const int index = indexOf(widget);
    if (index < 0)
        addWidget(widget, align);
    else
        m_entries[index].align = align;
    realign();
}

TAlign AlignLayout::align(const QWidget* widget) const
{
    const int index = indexOf(widget);
    return index < 0 ? TAlign::alNone : m_entries[index].align;
}

bool AlignLayout::contains(const QWidget* widget) const
{
    return indexOf(widget) >= 0;
}

void AlignLayout::realign()
{
    if (QWidget* owner = parentWidget())
        setGeometry(owner->contentsRect());
}

void AlignLayout::disableAlign()
{
    ++m_alignDisabled;
}

void AlignLayout::enableAlign()
{
    if (m_alignDisabled > 0 && --m_alignDisabled == 0)
        realign();
}

AlignLayout* AlignLayout::of(const QWidget* parent)
{
    return parent ? qobject_cast<AlignLayout*>(parent->layout()) : nullptr;
}

TAlign AlignLayout::alignOf(const QWidget* widget)
{
    if (!widget)
        return TAlign::alNone;
    const AlignLayout* layout = of(widget->parentWidget());
    return layout ? layout->align(widget) : TAlign::alNone;
}

void AlignLayout::addItem(QLayoutItem* item)
{
    if (!item)
        return;
    m_entries.append(Entry{item, TAlign::alNone});
    if (QWidget* widget = item->widget())
        widget->installEventFilter(this);
    invalidate();
}

QLayoutItem* AlignLayout::itemAt(int index) const
{
    return index >= 0 && index < m_entries.size() ? m_entries[index].item : nullptr;
}

QLayoutItem* AlignLayout::takeAt(int index)
{
    if (index < 0 || index >= m_entries.size())
        return nullptr;
    QLayoutItem* item = m_entries.takeAt(index).item;
    if (QWidget* widget = item->widget())
        widget->removeEventFilter(this);
    invalidate();
    return item;
}

int AlignLayout::count() const
{
    return int(m_entries.size());
}

QList<const AlignLayout::Entry*> AlignLayout::placementOrder() const
{
    QList<const Entry*> order;
    for (const TAlign align : kPlacementOrder) {
        for (const Entry& entry : m_entries) {
            if (entry.align == align && entry.item->widget() && !entry.item->isEmpty())
                order.append(&entry);
        }
    }
    return order;
}

QSize AlignLayout::sizeHint() const
{
    // Built from the inside out: the client's wish, then each aligned control
    // around it, the last placed first.
    int width = 0;
    int height = 0;
    const QList<const Entry*> order = placementOrder();
    for (auto it = order.crbegin(); it != order.crend(); ++it) {
        const QWidget* widget = (*it)->item->widget();
        const QSize hint = (*it)->item->sizeHint();
        switch ((*it)->align) {
        case TAlign::alTop:
        case TAlign::alBottom:
            height += widget->height();
            width = std::max(width, hint.width());
            break;
        case TAlign::alLeft:
        case TAlign::alRight:
            width += widget->width();
            height = std::max(height, hint.height());
            break;
        case TAlign::alClient:
            width = std::max(width, hint.width());
            height = std::max(height, hint.height());
            break;
        case TAlign::alNone:
            break;
        }
    }
    const QMargins margins = contentsMargins();
    return QSize(width + margins.left() + margins.right(), height + margins.top() + margins.bottom());
}

QSize AlignLayout::minimumSize() const
{
    // The old platform let a window shrink below its aligned controls.
    const QMargins margins = contentsMargins();
    return QSize(margins.left() + margins.right(), margins.top() + margins.bottom());
}

Qt::Orientations AlignLayout::expandingDirections() const
{
    return Qt::Horizontal | Qt::Vertical;
}

void AlignLayout::setGeometry(const QRect& rect)
{
    QLayout::setGeometry(rect);
    if (m_alignDisabled > 0)
        return;
    const QMargins margins = contentsMargins();
    // Edges of what is left, right and bottom exclusive.
    int left = rect.left() + margins.left();
    int top = rect.top() + margins.top();
    int right = rect.left() + rect.width() - margins.right();
    int bottom = rect.top() + rect.height() - margins.bottom();

    m_placing = true;
    for (const Entry* entry : placementOrder()) {
        QWidget* widget = entry->item->widget();
        const int spanX = std::max(0, right - left);
        const int spanY = std::max(0, bottom - top);
        switch (entry->align) {
        case TAlign::alTop: {
            const int h = widget->height();
            widget->setGeometry(left, top, spanX, h);
            top += h;
            break;
        }
        case TAlign::alBottom: {
            const int h = widget->height();
            widget->setGeometry(left, bottom - h, spanX, h);
            bottom -= h;
            break;
        }
        case TAlign::alLeft: {
            const int w = widget->width();
            widget->setGeometry(left, top, w, spanY);
            left += w;
            break;
        }
        case TAlign::alRight: {
            const int w = widget->width();
            widget->setGeometry(right - w, top, w, spanY);
            right -= w;
            break;
        }
        case TAlign::alClient:
            widget->setGeometry(left, top, spanX, spanY);
            break;
        case TAlign::alNone:
            break;
        }
    }
    m_placing = false;
}

bool AlignLayout::eventFilter(QObject* watched, QEvent* event)
{
    // A control resized by its owner (a splitter, a window's code) moves the
    // rest, as the old platform realigned on every size change.
    if (event->type() == QEvent::Resize && !m_placing && watched->isWidgetType()
        && contains(static_cast<QWidget*>(watched)))
        invalidate();
    return QLayout::eventFilter(watched, event);
}

int AlignLayout::indexOf(const QWidget* widget) const
{
    for (int i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].item->widget() == widget)
            return i;
    }
    return -1;
}
