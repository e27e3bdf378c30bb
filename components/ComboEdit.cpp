#include "components/ComboEdit.h"

#include "platform/ScopeExit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionFrame>

#include <algorithm>

namespace {

constexpr int kDefaultButtonWidth = 21;

// The edit's frame as the style draws it.
int FrameWidth(const QLineEdit& edit)
{
    if (!edit.hasFrame())
        return 0;
    QStyleOptionFrame option;
    option.initFrom(&edit);
    option.lineWidth = edit.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &edit);
    return option.lineWidth;
}

// The down arrow of gkDropDown, one image.
QImage DropDownGlyph(int width)
{
    const int w = std::max(7, width - 6);
    QImage image(w, 4, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    const int left = (w - 7) / 2;
    for (int row = 0; row < 4; ++row)
        painter.fillRect(QRect(left + row, row, 7 - 2 * row, 1), Qt::black);
    // The bottom-left pixel names the transparent colour: keep it white.
    image.setPixel(0, 3, qRgb(255, 255, 255));
    return image;
}

bool IsInside(const QWidget* container, const QObject* object)
{
    for (const QObject* o = object; o; o = o->parent())
        if (o == container)
            return true;
    return false;
}

} // namespace

QPoint PopupOrigin(const QRect& editRect, const QSize& popupSize, const QRect& screen, TPopupAlign align)
{
    const int screenRight = screen.left() + screen.width();
    const int screenBottom = screen.top() + screen.height();
    const int widthDifference = popupSize.width() - editRect.width();
    int x = editRect.left();
    int y = editRect.top() + editRect.height();
    if (y + popupSize.height() > screenBottom)
        y = std::max(screen.top(), editRect.top() - popupSize.height());
    if (align == TPopupAlign::epaRight) {
        x -= widthDifference;
        if (x < screen.left())
            x += widthDifference;
    } else if (x + popupSize.width() > screenRight) {
        x -= widthDifference;
    }
    if (x < screen.left())
        x = screen.left();
    else if (x + popupSize.width() > screenRight)
        x = screenRight - popupSize.width();
    return {x, y};
}

QImage EllipsisGlyph(int buttonWidth)
{
    const int width = std::max(1, buttonWidth - 6);
    QImage image(width, 4, QImage::Format_RGB32);
    image.fill(Qt::white);
    const int gap = std::min(3, std::max(1, (width - 6) / 2));
    const int first = (width - 6 - 2 * gap) / 2;
    for (const int x : {first, first + gap + 2, first + 2 * gap + 4})
        for (int dx = 0; dx < 2; ++dx)
            for (int dy = 1; dy < 3; ++dy)
                if (x + dx >= 0 && x + dx < width)
                    image.setPixel(x + dx, dy, qRgb(0, 0, 0));
    return image;
}

// ---------------------------------------------------------------------------
// TPopupWindow

TPopupWindow::TPopupWindow(QWidget* editor)
    : QWidget(editor, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus)
    , m_editor(editor)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    hide();
}

void TPopupWindow::CloseUp(bool accept)
{
    if (OnCloseUp)
        OnCloseUp(this, accept);
}

void TPopupWindow::ShowAt(const QPoint& origin)
{
    move(origin);
    show();
}

void TPopupWindow::InvalidateEditor()
{
    if (m_editor)
        m_editor->repaint();
}

void TPopupWindow::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        CloseUp(rect().contains(event->position().toPoint()));
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

// ---------------------------------------------------------------------------
// TEditButton

TEditButton::TEditButton(TCustomComboEdit* edit, QWidget* parent)
    : TQcSpeedButton(parent)
    , m_edit(edit)
{
    setObjectName(QStringLiteral("Button"));
}

void TEditButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && m_edit) {
        m_noAction = m_edit->Popup() && m_edit->PopupVisible();
        if (m_edit->PopupVisible())
            m_edit->PopupCloseUp(m_edit, true);
        else if ((m_edit->focusPolicy() & Qt::TabFocus) && m_edit->isEnabled() && !m_edit->hasFocus())
            m_edit->setFocus(Qt::MouseFocusReason);
    }
    TQcSpeedButton::mousePressEvent(event);
}

void TEditButton::Click()
{
    if (std::exchange(m_noAction, false))
        return;
    TQcSpeedButton::Click();
}

// ---------------------------------------------------------------------------
// TCustomComboEdit

TCustomComboEdit::TCustomComboEdit(QWidget* parent)
    : QLineEdit(parent)
    , m_btnControl(new QWidget(this))
    , m_button(nullptr)
{
    m_btnControl->setObjectName(QStringLiteral("BtnControl"));
    m_btnControl->resize(kDefaultButtonWidth, 17);
    m_button = new TEditButton(this, m_btnControl);
    m_button->setGeometry(0, 0, m_btnControl->width(), m_btnControl->height());
    m_button->setFocusPolicy(Qt::NoFocus);
    m_button->setCursor(Qt::ArrowCursor);
    m_button->OnClick = [this](QObject*) { EditButtonClick(); };
    setFixedHeight(std::max(sizeHint().height(), 21));
    connect(this, &QLineEdit::textChanged, this, [this] { Change(); });
    UpdateButtonBounds();
}

TCustomComboEdit::~TCustomComboEdit()
{
    m_button->OnClick = nullptr;
    WatchOutsideClicks(false);
}

int TCustomComboEdit::ButtonWidth() const
{
    return m_buttonWidth;
}

void TCustomComboEdit::SetButtonWidth(int width)
{
    if (m_fixedButtonWidth)
        return;
    width = std::max(0, width);
    // Never wider than the edit once it is laid out.
    if (width != m_buttonWidth && (width < this->width() || !isVisible()))
        m_buttonWidth = width;
    m_button->setVisible(m_buttonWidth >= 2);
    UpdateButtonBounds();
}

QString TCustomComboEdit::ButtonHint() const
{
    return m_button->toolTip();
}

void TCustomComboEdit::SetButtonHint(const QString& hint)
{
    m_button->setToolTip(hint);
}

void TCustomComboEdit::SetDirectInput(bool direct)
{
    m_directInput = direct;
    UpdateEditReadOnly();
}

void TCustomComboEdit::SetReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    UpdateEditReadOnly();
}

void TCustomComboEdit::UpdateEditReadOnly()
{
    QLineEdit::setReadOnly(m_readOnly || !m_directInput);
}

void TCustomComboEdit::SetGlyphKind(TGlyphKind kind)
{
    if (kind == m_glyphKind)
        return;
    m_glyphKind = kind;
    RecreateGlyph();
}

QImage TCustomComboEdit::Glyph() const
{
    return m_button->Glyph();
}

void TCustomComboEdit::SetGlyph(const QImage& glyph)
{
    m_button->setGlyph(glyph);
}

int TCustomComboEdit::NumGlyphs() const
{
    return m_button->NumGlyphs();
}

void TCustomComboEdit::SetNumGlyphs(int count)
{
    switch (m_glyphKind) {
    case TGlyphKind::gkDropDown:
    case TGlyphKind::gkEllipsis:
        m_button->setNumGlyphs(1);
        break;
    case TGlyphKind::gkDefault:
        m_button->setNumGlyphs(m_defNumGlyphs);
        break;
    case TGlyphKind::gkCustom:
        m_button->setNumGlyphs(count);
        break;
    }
}

void TCustomComboEdit::RecreateGlyph()
{
    m_fixedButtonWidth = false;
    switch (m_glyphKind) {
    case TGlyphKind::gkDefault: {
        const QImage glyph = GetDefaultBitmap();
        m_button->setGlyph(glyph);
        m_button->setNumGlyphs(m_defNumGlyphs);
        if (!glyph.isNull())
            SetButtonWidth(std::max(glyph.width() / m_defNumGlyphs + 6, m_buttonWidth));
        break;
    }
    case TGlyphKind::gkDropDown: {
        const int width = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
        m_button->setGlyph(DropDownGlyph(width));
        m_button->setNumGlyphs(1);
        SetButtonWidth(width);
        m_fixedButtonWidth = true;
        break;
    }
    case TGlyphKind::gkEllipsis:
        m_button->setGlyph(EllipsisGlyph(m_buttonWidth));
        m_button->setNumGlyphs(1);
        break;
    case TGlyphKind::gkCustom:
        break;
    }
}

void TCustomComboEdit::UpdateButtonBounds()
{
    const int frame = FrameWidth(*this);
    const int width = m_button->isHidden() ? 0 : m_buttonWidth;
    m_btnControl->setGeometry(this->width() - width - frame, frame, width, std::max(0, height() - 2 * frame));
    m_button->setGeometry(0, 0, m_btnControl->width(), m_btnControl->height());
    setTextMargins(0, 0, width > 0 ? width + 2 : 0, 0);
}

void TCustomComboEdit::SetPopup(TPopupWindow* popup)
{
    if (m_popup == popup)
        return;
    if (m_popupVisible)
        PopupCloseUp(this, false);
    m_popup = popup;
    if (m_popup)
        m_popup->OnCloseUp = [this](QObject* sender, bool accept) { PopupCloseUp(sender, accept); };
}

void TCustomComboEdit::EditButtonClick()
{
    if (m_readOnly)
        return;
    ButtonClick();
}

void TCustomComboEdit::ButtonClick()
{
    if (OnButtonClick)
        qv::runGuarded([this] { OnButtonClick(this); });
    if (!m_popup)
        return;
    if (m_popupVisible)
        PopupCloseUp(this, true);
    else
        PopupDropDown(true);
}

void TCustomComboEdit::PopupDropDown(bool disableEdit)
{
    if (!m_popup || m_readOnly || m_popupVisible)
        return;
    // The edit's own screen, which need not be the primary one.
    QScreen* screen = this->screen();
    const QRect screenRect = screen ? screen->geometry() : QRect(0, 0, 1 << 16, 1 << 16);
    const QRect editRect(mapToGlobal(QPoint(0, 0)), size());
    const QPoint origin = PopupOrigin(editRect, m_popup->size(), screenRect, m_popupAlign);
    SetPopupValue(text().isEmpty() ? QVariant() : QVariant(text()));
    if (isEnabled() && focusPolicy() != Qt::NoFocus)
        setFocus(Qt::PopupFocusReason);
    ShowPopup(origin);
    m_popupVisible = true;
    if (disableEdit)
        QLineEdit::setReadOnly(true);
    WatchOutsideClicks(true);
}

void TCustomComboEdit::ShowPopup(const QPoint& origin)
{
    m_popup->ShowAt(origin);
}

void TCustomComboEdit::HidePopup()
{
    m_popup->Hide();
}

void TCustomComboEdit::PopupCloseUp(QObject*, bool accept)
{
    if (!m_popup || !m_popupVisible)
        return;
    const ScopeExit closed([this] {
        m_popupVisible = false;
        WatchOutsideClicks(false);
    });
    QVariant value = GetPopupValue();
    HidePopup();
    if (isEnabled() && focusPolicy() != Qt::NoFocus && isVisible())
        setFocus(Qt::PopupFocusReason);
    UpdateEditReadOnly();
    update();
    if (accept) {
        // The accept handlers are the user's code: whatever they raise is shown, not passed on.
        qv::runGuarded([&] {
            if (AcceptPopup(value) && !m_readOnly) {
                AcceptValue(value);
                if (hasFocus())
                    selectAll();
            }
        });
    }
}

bool TCustomComboEdit::AcceptPopup(QVariant&)
{
    return true;
}

void TCustomComboEdit::AcceptValue(const QVariant& value)
{
    const QString text = value.toString();
    if (this->text() == text)
        return;
    RefreshPopupVisible();
    setText(text);
    setModified(true);
}

void TCustomComboEdit::SetPopupValue(const QVariant& value)
{
    if (m_popup)
        m_popup->SetValue(value);
}

QVariant TCustomComboEdit::GetPopupValue() const
{
    return m_popup ? m_popup->GetValue() : QVariant(QString());
}

void TCustomComboEdit::Change()
{
    if (m_popupVisible) {
        PopupChange();
        return;
    }
    if (OnChange)
        qv::runGuarded([this] { OnChange(this); });
}

bool TCustomComboEdit::ForwardToPopup(QKeyEvent*)
{
    return false;
}

void TCustomComboEdit::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (m_popupVisible && ForwardToPopup(event)) {
        event->accept();
        return;
    }
    if (m_popupVisible && (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape)) {
        PopupCloseUp(this, key != Qt::Key_Escape);
        event->accept();
        return;
    }
    if (!m_clickKey.isEmpty() && QKeySequence(event->keyCombination()) == m_clickKey) {
        if (ButtonWidth() > 0) {
            EditButtonClick();
            event->accept();
            return;
        }
    }
    // Enter and Esc are left to the window (its default and cancel buttons).
    QLineEdit::keyPressEvent(event);
}

void TCustomComboEdit::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && m_popup) {
        if (isEnabled() && focusPolicy() != Qt::NoFocus)
            setFocus(Qt::MouseFocusReason);
        if (m_popupVisible)
            PopupCloseUp(this, false);
    }
    QLineEdit::mousePressEvent(event);
}

void TCustomComboEdit::focusInEvent(QFocusEvent* event)
{
    m_focused = true;
    QLineEdit::focusInEvent(event);
}

void TCustomComboEdit::focusOutEvent(QFocusEvent* event)
{
    m_focused = false;
    QLineEdit::focusOutEvent(event);
    if (m_popupVisible)
        PopupCloseUp(this, false);
}

void TCustomComboEdit::resizeEvent(QResizeEvent* event)
{
    QLineEdit::resizeEvent(event);
    UpdateButtonBounds();
}

void TCustomComboEdit::changeEvent(QEvent* event)
{
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        m_button->setEnabled(isEnabled());
    else if (event->type() == QEvent::StyleChange)
        UpdateButtonBounds();
}

void TCustomComboEdit::WatchOutsideClicks(bool watch)
{
    if (watch == m_watching || !qApp)
        return;
    m_watching = watch;
    if (watch)
        qApp->installEventFilter(this);
    else
        qApp->removeEventFilter(this);
}

bool TCustomComboEdit::eventFilter(QObject* watched, QEvent* event)
{
    // A press anywhere but on the edit, its button or its popup cancels the popup.
    if (m_popupVisible && event->type() == QEvent::MouseButtonPress && watched->isWidgetType()
        && !IsInside(this, watched) && !(m_popup && IsInside(m_popup, watched)))
        PopupCloseUp(this, false);
    return QLineEdit::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------

bool PaintComboEdit(const TCustomComboEdit& editor, const QString& text, Qt::Alignment alignment,
                    bool standardPaint, QPainter& painter)
{
    if (standardPaint)
        return false;
    const QPalette& palette = editor.palette();
    QRect client = editor.rect();
    const int inner = editor.hasFrame() ? 1 : 0;
    painter.fillRect(client, palette.color(editor.isEnabled() ? QPalette::Active : QPalette::Disabled,
                                           QPalette::Base));
    QColor textColor = palette.color(QPalette::Text);
    if (!editor.isEnabled())
        textColor = palette.color(QPalette::Disabled, QPalette::Text);
    painter.setPen(textColor);
    painter.setFont(editor.font());
    const QFontMetrics metrics(editor.font());
    const int leftMargin = editor.textMargins().left() + inner + FrameWidth(editor);
    const int buttonWidth = editor.ButtonWidth();
    const int textWidth = metrics.horizontalAdvance(text) + (buttonWidth > 0 ? 1 : 0);
    int x = leftMargin;
    if (!editor.PopupVisible()) {
        if (alignment & Qt::AlignRight)
            x = client.width() - buttonWidth - textWidth - leftMargin - 2;
        else if (alignment & Qt::AlignHCenter)
            x = (client.width() - buttonWidth - textWidth) / 2;
    }
    const int top = inner + FrameWidth(editor);
    painter.save();
    painter.setClipRect(client.adjusted(0, 0, -buttonWidth, 0));
    painter.drawText(QRect(x, top, client.width() - x, client.height() - 2 * top),
                     Qt::AlignLeft | Qt::AlignVCenter, text);
    painter.restore();
    return true;
}
