#include "components/SpeedButton.h"

#include "components/DrawUtils.h"
#include "platform/Timer.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcutEvent>
#include <QThread>

#include <map>
#include <utility>

namespace {

QImage MaskedBy(const QImage& source, QRgb transparent)
{
    QImage image = source.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = transparent & RGB_MASK;
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((line[x] & RGB_MASK) == key)
                line[x] = 0;
        }
    }
    return image;
}

// Every pixel other than the transparent and the face colour becomes grey.
QImage GreyedInactive(const QImage& cell, QRgb transparent, const QPalette& palette)
{
    QImage image = cell.convertToFormat(QImage::Format_RGB32);
    const QRgb key = transparent & RGB_MASK;
    const QRgb face = palette.color(QPalette::Button).rgb() & RGB_MASK;
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = line[x] & RGB_MASK;
            if (pixel == key || pixel == face)
                continue;
            const int grey = (qRed(pixel) * 77 + qGreen(pixel) * 150 + qBlue(pixel) * 29) / 256;
            line[x] = qRgb(grey, grey, grey);
        }
    }
    return MaskedBy(image, transparent);
}

// One checkered brush per colour pair, shared by all buttons.
const QPixmap& CheckeredBrush(const QColor& c1, const QColor& c2)
{
    static std::map<std::pair<QRgb, QRgb>, QPixmap> brushes;
    const auto key = std::make_pair(c1.rgb(), c2.rgb());
    auto it = brushes.find(key);
    if (it == brushes.end())
        it = brushes.emplace(key, QPixmap::fromImage(CreateCheckeredBrushBitmap(c1, c2))).first;
    return it->second;
}

// A one-pixel frame, top and left in one colour, bottom and right in the
// other; the rectangle shrinks by one.
void Frame3D(QPainter& painter, QRect& r, const QColor& topLeft, const QColor& bottomRight)
{
    if (r.width() <= 0 || r.height() <= 0)
        return;
    painter.fillRect(QRect(r.left(), r.top(), r.width(), 1), topLeft);
    painter.fillRect(QRect(r.left(), r.top(), 1, r.height()), topLeft);
    painter.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), bottomRight);
    painter.fillRect(QRect(r.right(), r.top(), 1, r.height()), bottomRight);
    r.adjust(1, 1, -1, -1);
}

void DrawDropDownArrow(QPainter& painter, const QPoint& at, const QColor& color)
{
    // Rows of 7, 5, 3 and 1 pixels.
    for (int row = 0; row < 4; ++row)
        painter.fillRect(QRect(at.x() + row, at.y() + row, 7 - 2 * row, 1), color);
}

constexpr int kMarkWidth = 7;
constexpr int kMarkRoom = 9;
constexpr int kMarkHeight = 4;
constexpr int kMaxCaption = 255;

} // namespace

// ---------------------------------------------------------------------------
// TQcButtonGlyph

void TQcButtonGlyph::setGlyph(const QImage& glyph)
{
    m_glyph = glyph;
    DropImages();
}

void TQcButtonGlyph::setNumGlyphs(int count)
{
    m_numGlyphs = qBound(1, count, MaxGlyphs);
    DropImages();
}

QSize TQcButtonGlyph::GlyphSize() const
{
    if (m_glyph.isNull())
        return QSize(0, 0);
    return QSize(m_glyph.width() / m_numGlyphs, m_glyph.height());
}

QColor TQcButtonGlyph::TransparentColor() const
{
    if (m_glyph.isNull())
        return QColor();
    return QColor(m_glyph.pixel(0, m_glyph.height() - 1));
}

void TQcButtonGlyph::DropImages() const
{
    for (auto& image : m_images)
        image.reset();
}

QImage TQcButtonGlyph::Cell(int index) const
{
    const QSize size = GlyphSize();
    return m_glyph.copy(index * size.width(), 0, size.width(), size.height());
}

QImage TQcButtonGlyph::Image(TButtonState state, const QPalette& palette) const
{
    if (m_glyph.isNull() || GlyphSize().width() == 0)
        return QImage();
    std::optional<QImage>& slot = m_images[size_t(state)];
    if (!slot)
        slot = Build(state, palette);
    return *slot;
}

QImage TQcButtonGlyph::Build(TButtonState state, const QPalette& palette) const
{
    const QRgb transparent = TransparentColor().rgb();
    const int index = int(state);
    if (state == TButtonState::bsDisabled && m_numGlyphs < 2) {
        // Embossed on the face colour, which then lets the background through.
        const QColor face = palette.color(QPalette::Button);
        return MaskedBy(CreateDisabledBitmapColors(Cell(0), QColor(transparent), face,
                                                   palette.color(QPalette::Light),
                                                   palette.color(QPalette::Dark), false),
                        face.rgb());
    }
    if (state == TButtonState::bsInactive && m_numGlyphs < 5)
        return GreyedInactive(Cell(0), transparent, palette);
    return MaskedBy(Cell(index < m_numGlyphs ? index : 0), transparent);
}

// ---------------------------------------------------------------------------
// TQcSpeedButton

TQcSpeedButton::TQcSpeedButton(QWidget* parent)
    : QWidget(parent)
{
    resize(25, 25);
}

TQcSpeedButton::~TQcSpeedButton() = default;

void TQcSpeedButton::setCaption(const QString& caption)
{
    m_caption = caption.left(kMaxCaption);
    UpdateMnemonic();
    update();
}

void TQcSpeedButton::setAlignment(Qt::Alignment alignment)
{
    m_alignment = alignment & Qt::AlignHorizontal_Mask;
    update();
}

void TQcSpeedButton::setGroupIndex(int index)
{
    if (m_groupIndex == index)
        return;
    m_groupIndex = index;
    UpdateExclusive();
}

void TQcSpeedButton::setDown(bool down)
{
    if (m_groupIndex == 0)
        down = false;
    if (down == m_down)
        return;
    if (m_down && !m_allowAllUp)
        return;
    m_down = down;
    if (isEnabled())
        m_state = down ? TButtonState::bsExclusive : TButtonState::bsUp;
    update();
    if (down)
        UpdateExclusive();
}

void TQcSpeedButton::UpdateExclusive()
{
    QWidget* owner = parentWidget();
    if (m_groupIndex == 0 || !m_down || !owner)
        return;
    // Every button of the same group under the same parent hears of it.
    const QList<TQcSpeedButton*> siblings =
        owner->findChildren<TQcSpeedButton*>(Qt::FindDirectChildrenOnly);
    for (TQcSpeedButton* sibling : siblings) {
        if (sibling != this)
            sibling->ButtonPressedInGroup(this);
    }
}

void TQcSpeedButton::ButtonPressedInGroup(TQcSpeedButton* sender)
{
    if (sender->m_groupIndex != m_groupIndex || !m_down)
        return;
    m_down = false;
    if (isEnabled())
        m_state = TButtonState::bsUp;
    update();
}

void TQcSpeedButton::setAllowTimer(bool allow)
{
    m_allowTimer = allow;
    if (!allow && m_repeatTimer) {
        m_repeatTimer->stop();
        delete m_repeatTimer;
        m_repeatTimer = nullptr;
    }
}

void TQcSpeedButton::setDropDownMenu(QMenu* menu)
{
    m_dropDownMenu = menu;
    update();
}

void TQcSpeedButton::setMarkDropDown(bool mark)
{
    m_markDropDown = mark;
    update();
}

void TQcSpeedButton::setFlat(bool flat)
{
    m_flat = flat;
    update();
}

void TQcSpeedButton::setGrayedInactive(bool grayed)
{
    m_grayedInactive = grayed;
    update();
}

void TQcSpeedButton::setGlyph(const QImage& glyph)
{
    m_glyph.setGlyph(glyph);
    update();
}

void TQcSpeedButton::setNumGlyphs(int count)
{
    m_glyph.setNumGlyphs(count);
    update();
}

void TQcSpeedButton::setLayout(TButtonLayout layout)
{
    m_layout = layout;
    update();
}

void TQcSpeedButton::setMargin(int margin)
{
    m_margin = qMax(-1, margin);
    update();
}

void TQcSpeedButton::setSpacing(int spacing)
{
    m_spacing = qMax(-1, spacing);
    update();
}

void TQcSpeedButton::setStyle(TButtonStyle style)
{
    m_style = style;
    update();
}

void TQcSpeedButton::setTransparent(bool transparent)
{
    m_transparent = transparent;
    update();
}

void TQcSpeedButton::setWordWrap(bool wrap)
{
    m_wordWrap = wrap;
    update();
}

void TQcSpeedButton::UpdateMnemonic()
{
    if (m_mnemonicId != 0) {
        releaseShortcut(m_mnemonicId);
        m_mnemonicId = 0;
    }
    const QKeySequence mnemonic = QKeySequence::mnemonic(m_caption);
    if (!mnemonic.isEmpty())
        m_mnemonicId = grabShortcut(mnemonic);
}

bool TQcSpeedButton::UsesNewLook() const
{
    // The toolkit always draws in the newer control style.
    return m_style != TButtonStyle::bsWin31;
}

bool TQcSpeedButton::Inside(const QPoint& pos, const QSize& size)
{
    return pos.x() >= 0 && pos.x() < size.width() && pos.y() >= 0 && pos.y() <= size.height();
}

// ---------------------------------------------------------------------------
// Clicking

void TQcSpeedButton::Click()
{
    // The dialog closes after the handler, which may still take the result back.
    QPointer<QDialog> dialog = qobject_cast<QDialog*>(window());
    const int modalResult = m_modalResult;
    if (dialog && modalResult != 0)
        dialog->setResult(modalResult);
    if (OnClick)
        qv::runGuarded([this] { OnClick(this); });
    if (dialog && modalResult != 0 && dialog->result() != 0)
        dialog->done(dialog->result());
}

void TQcSpeedButton::ButtonClick()
{
    if (!isEnabled() || m_menuTracking || m_dropDownMenu)
        return;
    QPointer<TQcSpeedButton> self(this);
    if (m_state == TButtonState::bsUp) {
        m_state = TButtonState::bsDown;
        repaint();
    }
    QThread::msleep(20);
    if (m_groupIndex == 0) {
        Click();
        if (!self)
            return;
        m_state = TButtonState::bsUp;
        repaint();
    } else {
        setDown(!m_down);
        Click();
    }
}

// ---------------------------------------------------------------------------
// Mouse

void TQcSpeedButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        PressLeft();
        return;
    }
    UpdateMouseInControl();
    QWidget::mousePressEvent(event);
}

void TQcSpeedButton::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseDoubleClickEvent(event);
        return;
    }
    QPointer<TQcSpeedButton> self(this);
    PressLeft();
    if (self && m_down && OnDblClick)
        qv::runGuarded([this] { OnDblClick(this); });
}

void TQcSpeedButton::PressLeft()
{
    if (!isEnabled() || m_menuTracking)
        return;
    if (!m_mouseInControl)
        m_mouseInControl = true;
    if (!m_down) {
        m_state = TButtonState::bsDown;
        repaint();
    }
    m_dragging = true;
    m_menuTracking = true;
    if (m_dropDownMenu) {
        QPointer<TQcSpeedButton> self(this);
        ShowDropDownMenu();
        // A menu command may have closed the button's window.
        if (!self)
            return;
    }
    m_menuTracking = false;
    if (m_allowTimer && m_dragging) {
        if (!m_repeatTimer) {
            m_repeatTimer = new qv::Timer(this);
            connect(m_repeatTimer, &qv::Timer::timeout, this, &TQcSpeedButton::TimerExpired);
        }
        m_repeatTimer->start(m_initPause);
    }
}

void TQcSpeedButton::ShowDropDownMenu()
{
    QMenu* menu = m_dropDownMenu.data();
    const int menuWidth = menu->sizeHint().width();
    QPoint at;
    if (m_menuPosition == TQcDropDownMenuPos::dmpBottom) {
        switch (m_menuAlignment) {
        case TPopupAlignment::paLeft:
            at = QPoint(-1, height());
            break;
        case TPopupAlignment::paRight:
            at = QPoint(width() + 1, height());
            break;
        case TPopupAlignment::paCenter:
            at = QPoint(width() / 2, height());
            break;
        }
    } else {
        switch (m_menuAlignment) {
        case TPopupAlignment::paLeft:
            at = QPoint(width(), -1);
            break;
        case TPopupAlignment::paRight:
            at = QPoint(-1, -1);
            break;
        case TPopupAlignment::paCenter:
            at = QPoint(width() / 2, height());
            break;
        }
    }
    at = mapToGlobal(at);
    if (m_menuAlignment == TPopupAlignment::paRight)
        at.rx() -= menuWidth;
    else if (m_menuAlignment == TPopupAlignment::paCenter)
        at.rx() -= menuWidth / 2;

    QPointer<TQcSpeedButton> self(this);
    menu->setProperty("PopupComponent", QVariant::fromValue<QObject*>(this));
    // The press that closes the menu over this button must not come back
    // to it as a new press.
    menu->installEventFilter(this);
    menu->exec(at);
    if (!self)
        return;
    if (m_dropDownMenu)
        m_dropDownMenu->removeEventFilter(this);

    ReleaseLeft(mapFromGlobal(QCursor::pos()));
    // A click already queued for the button when the menu closed is the one
    // that closed it.
    QCoreApplication::removePostedEvents(this, QEvent::MouseButtonPress);
    QCoreApplication::removePostedEvents(this, QEvent::MouseButtonDblClick);
    QCoreApplication::removePostedEvents(this, QEvent::MouseButtonRelease);
}

bool TQcSpeedButton::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_dropDownMenu.data() && event->type() == QEvent::MouseButtonPress) {
        auto* menu = static_cast<QMenu*>(watched);
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint global = mouse->globalPosition().toPoint();
        if (!menu->rect().contains(mouse->position().toPoint())
            && rect().contains(mapFromGlobal(global)))
            menu->setAttribute(Qt::WA_NoMouseReplay);
    }
    return QWidget::eventFilter(watched, event);
}

void TQcSpeedButton::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging) {
        const TButtonState inside = m_down ? TButtonState::bsExclusive : TButtonState::bsDown;
        const TButtonState outside = m_down ? TButtonState::bsExclusive : TButtonState::bsUp;
        const TButtonState state =
            Inside(event->position().toPoint(), size()) ? inside : outside;
        if (state != m_state) {
            m_state = state;
            repaint();
        }
    }
    QWidget::mouseMoveEvent(event);
}

void TQcSpeedButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        if (m_dragging)
            ReleaseLeft(event->position().toPoint());
        return;
    }
    UpdateMouseInControl();
    QWidget::mouseReleaseEvent(event);
}

void TQcSpeedButton::ReleaseLeft(const QPoint& pos)
{
    if (!m_dragging)
        return;
    m_dragging = false;
    if (m_repeatTimer)
        m_repeatTimer->stop();
    const bool inside = Inside(pos, size());
    if (m_groupIndex == 0) {
        m_state = TButtonState::bsUp;
        m_mouseInControl = false;
        repaint();
    } else if (inside) {
        setDown(!m_down);
    } else {
        m_state = m_down ? TButtonState::bsExclusive : TButtonState::bsUp;
        repaint();
    }
    if (inside && !m_menuTracking)
        Click();
}

void TQcSpeedButton::TimerExpired()
{
    if (!m_repeatTimer)
        return;
    m_repeatTimer->setInterval(m_repeatInterval);
    if (m_state == TButtonState::bsDown && m_dragging)
        Click();
}

void TQcSpeedButton::enterEvent(QEnterEvent* event)
{
    QWidget::enterEvent(event);
    if (QGuiApplication::applicationState() != Qt::ApplicationActive || m_mouseInControl
        || !isEnabled())
        return;
    m_mouseInControl = true;
    if (m_flat)
        repaint();
    if (OnMouseEnter)
        qv::runGuarded([this] { OnMouseEnter(this); });
}

void TQcSpeedButton::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    if (m_dragging || !m_mouseInControl)
        return;
    m_mouseInControl = false;
    if (m_flat)
        repaint();
    if (OnMouseLeave)
        qv::runGuarded([this] { OnMouseLeave(this); });
}

void TQcSpeedButton::UpdateMouseInControl()
{
    const bool over = isVisible() && rect().contains(mapFromGlobal(QCursor::pos()));
    if (over != m_mouseInControl) {
        m_mouseInControl = over;
        if (m_flat)
            update();
    }
}

void TQcSpeedButton::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    UpdateMouseInControl();
}

void TQcSpeedButton::changeEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::EnabledChange:
        if (!isEnabled()) {
            m_state = TButtonState::bsDisabled;
            m_dragging = false;
            if (m_repeatTimer)
                m_repeatTimer->stop();
        } else {
            m_state = (m_down && m_groupIndex != 0) ? TButtonState::bsExclusive
                                                    : TButtonState::bsUp;
        }
        update();
        break;
    case QEvent::PaletteChange:
        m_glyph.DropImages();
        break;
    default:
        break;
    }
    QWidget::changeEvent(event);
}

bool TQcSpeedButton::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::Shortcut:
        if (static_cast<QShortcutEvent*>(event)->shortcutId() == m_mnemonicId) {
            if (isEnabled())
                Click();
            return true;
        }
        break;
    case QEvent::ApplicationPaletteChange:
        m_glyph.DropImages();
        update();
        break;
    case QEvent::HideToParent:
    case QEvent::ShowToParent:
        UpdateMouseInControl();
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

// ---------------------------------------------------------------------------
// Painting

TQcSpeedButton::ContentLayout TQcSpeedButton::CalcLayout(const QRect& client,
                                                          const QPoint& offset) const
{
    ContentLayout result;
    const QSize glyph = m_glyph.GlyphSize();
    const bool mark = HasDropDownMark();
    const bool beside =
        m_layout == TButtonLayout::blGlyphLeft || m_layout == TButtonLayout::blGlyphRight;
    int margin = m_margin;
    int spacing = m_spacing;

    QSize textRoom;
    if (beside) {
        int w = client.width() - glyph.width();
        if (margin != -1)
            w -= margin;
        if (spacing != -1)
            w -= spacing;
        if (mark)
            w -= kMarkRoom;
        textRoom = QSize(w, client.height());
    } else {
        int h = client.height() - glyph.height();
        if (margin != -1)
            h -= margin;
        if (spacing != -1)
            h -= spacing;
        textRoom = QSize(client.width(), h);
    }

    const QFontMetrics metrics(font());
    QSize textSize(0, 0);
    if (!m_caption.isEmpty()) {
        if (m_wordWrap) {
            result.text = m_caption;
            const QRect bounds =
                metrics.boundingRect(QRect(0, 0, qMax(1, textRoom.width()), 0),
                                     Qt::AlignHCenter | Qt::TextWordWrap | Qt::TextShowMnemonic,
                                     result.text);
            textSize = bounds.size();
        } else {
            result.text = ShortenTextToWidth(m_caption, metrics, qMax(0, textRoom.width()));
            textSize = metrics.size(Qt::TextShowMnemonic, result.text);
        }
        textSize.setWidth(qMin(textSize.width(), qMax(0, textRoom.width())));
    }
    const int markRoom = mark && !m_caption.isEmpty() ? kMarkRoom : 0;
    const int textAlong = beside ? textSize.width() + markRoom : textSize.height();
    const int glyphAlong = beside ? glyph.width() : glyph.height();
    const int clientAlong = beside ? client.width() : client.height();

    if (glyph.isEmpty() || textSize.isEmpty())
        spacing = 0;
    if (margin == -1) {
        if (spacing == -1) {
            margin = (clientAlong - (glyphAlong + textAlong)) / 3;
            spacing = margin;
        } else {
            margin = (clientAlong - (glyphAlong + spacing + textAlong) + 1) / 2;
        }
    } else if (spacing == -1) {
        spacing = (clientAlong - (margin + glyphAlong) - textAlong) / 2;
    }

    QPoint glyphPos;
    QPoint textPos;
    if (beside) {
        glyphPos.setY((client.height() - glyph.height() + 1) / 2);
        textPos.setY((client.height() - textSize.height() + 1) / 2);
        if (m_layout == TButtonLayout::blGlyphLeft) {
            glyphPos.setX(margin);
            textPos.setX(glyphPos.x() + glyph.width() + spacing);
        } else {
            glyphPos.setX(client.width() - margin - glyph.width());
            textPos.setX(glyphPos.x() - spacing - textSize.width() - markRoom);
        }
    } else {
        glyphPos.setX((client.width() - glyph.width() + 1) / 2);
        textPos.setX((client.width() - textSize.width() + 1) / 2);
        if (m_layout == TButtonLayout::blGlyphTop) {
            glyphPos.setY(margin);
            textPos.setY(glyphPos.y() + glyph.height() + spacing);
        } else {
            glyphPos.setY(client.height() - margin - glyph.height());
            textPos.setY(glyphPos.y() - spacing - textSize.height());
        }
    }
    const QPoint origin = client.topLeft() + offset;
    result.glyph = QRect(origin + glyphPos, glyph);
    result.caption = QRect(origin + textPos, textSize);

    result.mark = QPoint(-1, -1);
    if (mark) {
        const int centreY = client.top() + offset.y() + (client.height() - kMarkHeight) / 2;
        if (m_caption.isEmpty()) {
            result.mark = QPoint((client.left() + client.left() + client.width() - kMarkWidth) / 2
                                     + offset.x(),
                                 centreY);
        } else if (!glyph.isEmpty() && !beside) {
            result.mark = QPoint(result.glyph.left() + result.glyph.width() + 1,
                                 result.glyph.top() + (glyph.height() - kMarkHeight) / 2);
        } else {
            result.mark = QPoint(result.caption.left() + result.caption.width() + 3, centreY);
        }
    }
    return result;
}

void TQcSpeedButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QPalette& pal = palette();
    const QColor face = pal.color(QPalette::Button);
    const QColor highlight = pal.color(QPalette::Light);
    const QColor shadow = pal.color(QPalette::Dark);
    const QColor windowFrame = pal.color(QPalette::Shadow);

    if (!isEnabled()) {
        m_state = TButtonState::bsDisabled;
    } else if (m_state == TButtonState::bsDisabled) {
        m_state = (m_down && m_groupIndex != 0) ? TButtonState::bsExclusive : TButtonState::bsUp;
    }
    const bool exclusive = m_state == TButtonState::bsExclusive;
    const bool inactive = m_flat && !m_mouseInControl;
    const TButtonState paintState = inactive ? TButtonState::bsInactive : m_state;
    const bool down = m_state == TButtonState::bsDown || exclusive;

    if (!m_transparent)
        painter.fillRect(rect(), face);

    QRect client = rect();
    if (paintState != TButtonState::bsInactive || exclusive) {
        if (UsesNewLook()) {
            if (!down) {
                if (!m_flat)
                    Frame3D(painter, client, highlight, windowFrame);
                Frame3D(painter, client, m_flat ? highlight : face, shadow);
            } else {
                Frame3D(painter, client, windowFrame, highlight);
                if (!m_flat)
                    Frame3D(painter, client, shadow, face);
            }
        } else {
            if (!down) {
                if (!m_flat) {
                    Frame3D(painter, client, windowFrame, windowFrame);
                    Frame3D(painter, client, highlight, shadow);
                } else {
                    Frame3D(painter, client, highlight, windowFrame);
                }
            } else if (!m_flat) {
                Frame3D(painter, client, windowFrame, windowFrame);
                painter.fillRect(QRect(client.left(), client.top(), client.width(), 1), shadow);
                painter.fillRect(QRect(client.left(), client.top(), 1, client.height()), shadow);
                client.adjust(1, 1, 0, 0);
            } else {
                Frame3D(painter, client, windowFrame, highlight);
            }
        }
        client.adjust(1, 1, -1, -1);
    } else {
        client.adjust(2, 2, -2, -2);
    }

    if (exclusive && !m_transparent && (!m_flat || !m_mouseInControl))
        painter.fillRect(client, QBrush(CheckeredBrush(face, highlight)));

    const QPoint offset = down ? QPoint(1, 1) : QPoint(0, 0);
    const ContentLayout layout = CalcLayout(client, offset);

    TButtonState glyphState = paintState;
    if (paintState == TButtonState::bsInactive && !m_grayedInactive)
        glyphState = exclusive ? TButtonState::bsExclusive : TButtonState::bsUp;
    const QImage glyph = m_glyph.Image(glyphState, pal);
    if (!glyph.isNull())
        painter.drawImage(layout.glyph.topLeft(), glyph);

    const bool disabled = m_state == TButtonState::bsDisabled;
    if (!layout.text.isEmpty()) {
        painter.setFont(font());
        const int flags = int(m_alignment) | Qt::AlignVCenter | Qt::TextShowMnemonic
            | (m_wordWrap ? Qt::TextWordWrap : 0);
        if (disabled) {
            painter.setPen(highlight);
            painter.drawText(layout.caption.translated(1, 1), flags, layout.text);
            painter.setPen(shadow);
        } else {
            painter.setPen(pal.color(QPalette::ButtonText));
        }
        painter.drawText(layout.caption, flags, layout.text);
    }
    if (layout.mark != QPoint(-1, -1)) {
        if (disabled) {
            DrawDropDownArrow(painter, layout.mark + QPoint(1, 1), highlight);
            DrawDropDownArrow(painter, layout.mark, shadow);
        } else {
            DrawDropDownArrow(painter, layout.mark, pal.color(QPalette::ButtonText));
        }
    }
}
