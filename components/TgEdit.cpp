#include "components/TgEdit.h"

#include "components/TgGrid.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>

#include <algorithm>
#include <limits>

QString FindSuggestion(const QStringList& items, const QString& text)
{
    const QString typed = text.trimmed().toUpper();
    if (typed.isEmpty())
        return {};
    for (const QString& item : items) {
        if (item.trimmed().toUpper().startsWith(typed))
            return item == text ? QString() : item;
    }
    return {};
}

// ---------------------------------------------------------------- TtgDropDownList

TtgDropDownList::TtgDropDownList(QWidget* owner)
    : QListWidget(owner)
{
    setWindowFlags(Qt::Popup | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setUniformItemSizes(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setMouseTracking(true);
    connect(this, &QListWidget::itemEntered, this, [this](QListWidgetItem* item) { setCurrentItem(item); });
}

TtgDropDownList::~TtgDropDownList()
{
    // Hidden while it goes: nobody is left to take an entry.
    OnCloseUp = nullptr;
}

void TtgDropDownList::SetLayout(int visibleRows, int itemHeight)
{
    m_visibleRows = visibleRows;
    m_itemHeight = itemHeight;
    for (int i = 0; i < count(); ++i)
        item(i)->setSizeHint(QSize(0, itemHeight));
}

void TtgDropDownList::Finish(bool take)
{
    if (m_finishing)
        return;
    m_finishing = true;
    hide();
    if (OnCloseUp)
        OnCloseUp(take);
    m_finishing = false;
}

void TtgDropDownList::keyPressEvent(QKeyEvent* event)
{
    const bool alt = event->modifiers() & Qt::AltModifier;
    switch (event->key()) {
    case Qt::Key_Escape:
        Finish(false);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        Finish(true);
        return;
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (alt) {
            Finish(true);
            return;
        }
        break;
    default:
        break;
    }
    QListWidget::keyPressEvent(event);
}

void TtgDropDownList::mouseReleaseEvent(QMouseEvent* event)
{
    QListWidget::mouseReleaseEvent(event);
    if (itemAt(event->position().toPoint()))
        Finish(true);
}

void TtgDropDownList::hideEvent(QHideEvent* event)
{
    QListWidget::hideEvent(event);
    // Closed by a click elsewhere: nothing is taken.
    Finish(false);
}

// ---------------------------------------------------------------- TTgInplaceEdit

TTgInplaceEdit::TTgInplaceEdit(TTypedGrid* grid)
    : TInplaceEdit(grid)
{
    m_hint = new TtgHintWindow(this);
}

TTgInplaceEdit::~TTgInplaceEdit() = default;

TTypedGrid* TTgInplaceEdit::TypedGrid() const
{
    return static_cast<TTypedGrid*>(Grid());
}

void TTgInplaceEdit::Prepare(const TtgColumn* column, bool readOnly)
{
    m_column = column;
    m_kind = ckNone;
    if (column) {
        if (column->ControlType().testFlag(tgctlButton))
            m_kind |= ckButton;
        if (column->ControlType().testFlag(tgctlComboBox))
            m_kind |= ckList;
    }
    m_readOnly = readOnly;
    setReadOnly(readOnly);
    // The limit holds for typing; a longer text already in the cell stays whole.
    const int limit = column ? column->MaxTextLength() : 0;
    setMaxLength(limit > 0 ? std::max(limit, int(text().size())) : std::numeric_limits<int>::max());
    if (column) {
        setFont(column->ColumnParentFont() ? Grid()->font() : column->ColumnFont());
        setAlignment(column->ColumnHAlignment() | Qt::AlignVCenter);
    }
    setTextMargins(0, 0, ButtonWidth(), 0);
    update();
}

int TTgInplaceEdit::ButtonWidth() const
{
    return m_kind == ckNone ? 0 : style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
}

QRect TTgInplaceEdit::ButtonRect() const
{
    const int width = ButtonWidth();
    if (width == 0)
        return {};
    return QRect(this->width() - width, 0, width, height());
}

// ---------------------------------------------------------------- list

bool TTgInplaceEdit::ListVisible() const
{
    return m_list && m_list->isVisible();
}

void TTgInplaceEdit::DropDown()
{
    if (!(m_kind & ckList) || !m_column || ListVisible())
        return;
    if (!m_list) {
        m_list = new TtgDropDownList(this);
        m_list->OnCloseUp = [this](bool take) { CloseUp(take); };
    }
    TtgDropDownList& list = *m_list;
    list.clear();
    list.setFont(font());
    list.setPalette(palette());
    const QStringList items = m_column->Items();
    list.addItems(items);
    const int itemHeight = std::max(11, QFontMetrics(font()).height() + 2);
    const int rows = std::min<int>(int(items.size()), m_column->DropDownCount());
    list.SetLayout(rows, itemHeight);
    const int frame = 2 * list.frameWidth();
    const bool scrolls = items.size() > rows;
    int width = this->width() - ButtonWidth();
    if (m_column->ComboMaxWidth()) {
        const QFontMetrics metrics(font());
        int widest = 0;
        for (const QString& item : items)
            widest = std::max(widest, metrics.horizontalAdvance(item) + 8);
        if (scrolls)
            widest += list.verticalScrollBar()->sizeHint().width();
        if (widest > width)
            widest += 4;
        width = widest;
    }
    const int height = rows * itemHeight + frame + 2;
    list.setVerticalScrollBarPolicy(scrolls ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    list.resize(width, height);
    QPoint pos = mapToGlobal(QPoint(0, this->height()));
    const QScreen* screen = this->screen();
    if (screen && pos.y() + height > screen->availableGeometry().bottom())
        pos = mapToGlobal(QPoint(0, -height));
    list.move(pos);
    const QString current = text().trimmed();
    for (int i = 0; i < list.count(); ++i)
        if (list.item(i)->text() == current) {
            list.setCurrentRow(i);
            list.scrollToItem(list.item(i));
            break;
        }
    HideSuggestion();
    list.show();
}

void TTgInplaceEdit::CloseUp(bool take)
{
    if (!m_list)
        return;
    const QListWidgetItem* chosen = m_list->currentItem();
    const QString entry = chosen && take ? chosen->text() : QString();
    if (m_list->isVisible())
        m_list->hide();
    if (take && chosen)
        TypedGrid()->TakeListEntry(entry);
}

// ---------------------------------------------------------------- suggestion

bool TTgInplaceEdit::SuggestionVisible() const
{
    return m_hint && m_hint->isVisible() && !m_suggestion.isEmpty();
}

void TTgInplaceEdit::ShowSuggestion(const QString& suggestion)
{
    m_suggestion = suggestion;
    if (suggestion.isEmpty() || !isVisible()) {
        HideSuggestion();
        return;
    }
    m_hint->setFont(font());
    m_hint->setText(suggestion);
    m_hint->adjustSize();
    m_hint->ActivateHint(mapToGlobal(QPoint(4, -m_hint->height())), suggestion);
}

void TTgInplaceEdit::HideSuggestion()
{
    m_suggestion.clear();
    if (m_hint)
        m_hint->ReleaseHint();
}

// ---------------------------------------------------------------- input

bool TTgInplaceEdit::IsGridKey(const QKeyEvent* event) const
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && SuggestionVisible() && !(event->modifiers() & Qt::ControlModifier))
        return false;
    if (enter && (event->modifiers() & Qt::ShiftModifier) && (m_kind & ckButton))
        return false;
    if ((event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) && (event->modifiers() & Qt::AltModifier)
        && (m_kind & ckList))
        return false;
    return TInplaceEdit::IsGridKey(event);
}

void TTgInplaceEdit::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && SuggestionVisible() && !(event->modifiers() & Qt::ControlModifier)) {
        TypedGrid()->TakeSuggestion();
        event->accept();
        return;
    }
    if (enter && (event->modifiers() & Qt::ShiftModifier) && (m_kind & ckButton)) {
        TypedGrid()->ButtonClicked();
        event->accept();
        return;
    }
    if ((event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) && (event->modifiers() & Qt::AltModifier)
        && (m_kind & ckList)) {
        DropDown();
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Escape)
        HideSuggestion();
    TInplaceEdit::keyPressEvent(event);
}

void TTgInplaceEdit::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && ButtonRect().contains(event->position().toPoint())) {
        const bool listPart = (m_kind & ckList) && (!(m_kind & ckButton) || m_column->ButtonStyle() == tgbstDropDown);
        if (listPart) {
            if (ListVisible())
                CloseUp(false);
            else
                DropDown();
        } else {
            TypedGrid()->ButtonClicked();
        }
        event->accept();
        return;
    }
    TInplaceEdit::mousePressEvent(event);
}

void TTgInplaceEdit::mouseMoveEvent(QMouseEvent* event)
{
    setCursor(ButtonRect().contains(event->position().toPoint()) ? Qt::ArrowCursor : Qt::IBeamCursor);
    TInplaceEdit::mouseMoveEvent(event);
}

void TTgInplaceEdit::hideEvent(QHideEvent* event)
{
    HideSuggestion();
    if (ListVisible())
        m_list->hide();
    TInplaceEdit::hideEvent(event);
}

// ---------------------------------------------------------------- painting

void TTgInplaceEdit::paintEvent(QPaintEvent* event)
{
    TInplaceEdit::paintEvent(event);
    if (m_kind != ckNone) {
        QPainter painter(this);
        PaintButton(painter);
    }
}

void TTgInplaceEdit::PaintButton(QPainter& painter)
{
    const QRect rect = ButtonRect();
    if (rect.isEmpty() || !m_column)
        return;
    const bool drawFace = m_column->DrawButtonface();
    if (drawFace) {
        QStyleOptionButton face;
        face.initFrom(this);
        face.rect = rect;
        face.state |= ListVisible() ? QStyle::State_Sunken : QStyle::State_Raised;
        style()->drawPrimitive(QStyle::PE_PanelButtonCommand, &face, &painter, this);
    } else {
        painter.fillRect(rect, palette().color(QPalette::Base));
    }
    const TtgButtonStyle buttonStyle = (m_kind & ckList) && !(m_kind & ckButton) ? tgbstDropDown : m_column->ButtonStyle();
    painter.setPen(palette().color(QPalette::ButtonText));
    switch (buttonStyle) {
    case tgbstDropDown: {
        QStyleOption arrow;
        arrow.initFrom(this);
        arrow.rect = rect.adjusted(3, 3, -3, -3);
        style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrow, &painter, this);
        break;
    }
    case tgbstCustom: {
        const QImage picture = m_column->ButtonPicture();
        if (picture.isNull())
            break;
        const int x = rect.left() + (rect.width() - picture.width()) / 2;
        int y = rect.top() + (rect.height() - picture.height()) / 2;
        if (m_column->ButtonVAlignment() == tgvaTop)
            y = rect.top() + 1;
        else if (m_column->ButtonVAlignment() == tgvaBottom)
            y = rect.bottom() - picture.height();
        painter.drawImage(x, y, picture);
        break;
    }
    case tgbstEllipsis: {
        const int y = rect.center().y() + 1;
        for (int i = -1; i <= 1; ++i)
            painter.fillRect(QRect(rect.center().x() + i * 4 - 1, y, 2, 2), palette().color(QPalette::ButtonText));
        break;
    }
    }
}
