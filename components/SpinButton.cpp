#include "components/SpinButton.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

#include <cmath>

#include "components/DrawUtils.h"

namespace {

constexpr QRgb kGlyphTransparent = 0xFFFF00FF; // magenta, never part of an arrow

// An arrow 5 pixels wide and 3 high, with one transparent row beneath the
// up arrow and above the down arrow so the bottom-left pixel is transparent.
QImage ArrowGlyph(bool up)
{
    QImage image(5, 4, QImage::Format_RGB32);
    image.fill(kGlyphTransparent);
    for (int row = 0; row < 3; ++row) {
        const int half = up ? row : 2 - row;
        const int y = up ? row : row + 1;
        for (int x = 2 - half; x <= 2 + half; ++x)
            image.setPixel(x, y, qRgb(0, 0, 0));
    }
    return image;
}

int Nearest(double value)
{
    return int(std::nearbyint(value));
}

int PictureIndex(TSpinButtonState state)
{
    switch (state) {
    case TSpinButtonState::sbTopDown: return 0;
    case TSpinButtonState::sbBottomDown: return 1;
    case TSpinButtonState::sbNotDown: return 2;
    }
    return 2;
}

bool Inside(const QPoint& pos, const QSize& size)
{
    return pos.x() >= 0 && pos.x() <= size.width() && pos.y() >= 0 && pos.y() <= size.height();
}

std::unique_ptr<TRepeatTimer> MakeTimer(const TRepeatTimerFactory& factory)
{
    return factory ? factory() : MakeRepeatTimer();
}

} // namespace

// ---------------------------------------------------------------------------
// TQcSpinButton

TQcSpinButton::TQcSpinButton(QWidget* parent)
    : QWidget(parent), m_upGlyph(DefaultUpGlyph()), m_downGlyph(DefaultDownGlyph())
{
    resize(20, 20);
}

TQcSpinButton::~TQcSpinButton() = default;

QImage TQcSpinButton::DefaultUpGlyph()
{
    return ArrowGlyph(true);
}

QImage TQcSpinButton::DefaultDownGlyph()
{
    return ArrowGlyph(false);
}

void TQcSpinButton::setUpGlyph(const QImage& glyph)
{
    m_upGlyph = glyph.isNull() ? DefaultUpGlyph() : glyph;
    m_invalidate = true;
    update();
}

void TQcSpinButton::setDownGlyph(const QImage& glyph)
{
    m_downGlyph = glyph.isNull() ? DefaultDownGlyph() : glyph;
    m_invalidate = true;
    update();
}

void TQcSpinButton::setRepeatTimerFactory(TRepeatTimerFactory factory)
{
    m_timerFactory = std::move(factory);
    m_repeatTimer.reset();
}

bool TQcSpinButton::InTopHalf(const QPoint& pos, const QSize& size)
{
    // y <= h - h / w * x, multiplied out by w.
    const qint64 w = size.width();
    const qint64 h = size.height();
    return qint64(pos.y()) * w <= h * w - h * qint64(pos.x());
}

QPoint TQcSpinButton::UpGlyphPos(const QSize& size, const QSize& glyph, bool topPressed)
{
    const int shift = topPressed ? 2 : 1;
    return QPoint(Nearest(size.width() / 4.0 - glyph.width() / 2.0) + shift,
                  Nearest(size.height() / 4.0 - glyph.height() / 2.0) + shift);
}

QPoint TQcSpinButton::DownGlyphPos(const QSize& size, const QSize& glyph)
{
    return QPoint(Nearest(3.0 * size.width() / 4.0 - glyph.width() / 2.0) - 1,
                  Nearest(3.0 * size.height() / 4.0 - glyph.height() / 2.0) - 1);
}

bool TQcSpinButton::LeftButtonHeld() const
{
    return m_leftHeld || (QGuiApplication::mouseButtons() & Qt::LeftButton);
}

void TQcSpinButton::SetShown(TSpinButtonState state)
{
    if (state == m_down)
        return;
    m_down = state;
    repaint();
}

void TQcSpinButton::TopClick()
{
    Click(TSpinButtonState::sbTopDown);
}

void TQcSpinButton::BottomClick()
{
    Click(TSpinButtonState::sbBottomDown);
}

void TQcSpinButton::Click(TSpinButtonState half)
{
    const qv::TNotifyEvent& handler =
        half == TSpinButtonState::sbTopDown ? OnTopClick : OnBottomClick;
    if (handler)
        handler(this);
    if (!LeftButtonHeld()) {
        m_down = TSpinButtonState::sbNotDown;
        m_lastDown = TSpinButtonState::sbNotDown;
        update();
    }
}

void TQcSpinButton::ClickGuarded(TSpinButtonState half)
{
    if (!qv::runGuarded([&] { Click(half); }) && m_repeatTimer)
        m_repeatTimer->Stop();
}

void TQcSpinButton::mousePressEvent(QMouseEvent* event)
{
    QWidget::mousePressEvent(event);
    if (event->button() != Qt::LeftButton || !isEnabled())
        return;
    QWidget* focus = m_focusControl.data();
    if (focus && (focus->focusPolicy() & Qt::TabFocus) && focus->isEnabled()
        && focus->isVisible() && !focus->hasFocus())
        focus->setFocus(Qt::MouseFocusReason);
    m_leftHeld = true;
    if (m_down == TSpinButtonState::sbNotDown) {
        const TSpinButtonState half = InTopHalf(event->position().toPoint(), size())
            ? TSpinButtonState::sbTopDown
            : TSpinButtonState::sbBottomDown;
        m_lastDown = half;
        SetShown(half);
        if (!m_repeatTimer) {
            m_repeatTimer = MakeTimer(m_timerFactory);
            m_repeatTimer->OnTimer = [this] { TimerExpired(); };
        }
        m_repeatTimer->Start(InitRepeatPause);
        m_dragging = true;
        ClickGuarded(half);
        return;
    }
    m_dragging = true;
}

void TQcSpinButton::mouseMoveEvent(QMouseEvent* event)
{
    QWidget::mouseMoveEvent(event);
    if (!m_dragging)
        return;
    const QPoint pos = event->position().toPoint();
    if (!Inside(pos, size())) {
        SetShown(TSpinButtonState::sbNotDown);
        return;
    }
    // Only the half the press went to is ever shown pressed.
    const TSpinButtonState under =
        InTopHalf(pos, size()) ? TSpinButtonState::sbTopDown : TSpinButtonState::sbBottomDown;
    SetShown(under == m_lastDown ? under : TSpinButtonState::sbNotDown);
}

void TQcSpinButton::mouseReleaseEvent(QMouseEvent* event)
{
    QWidget::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    m_leftHeld = false;
    if (m_dragging)
        EndDragging();
}

void TQcSpinButton::EndDragging()
{
    // Wherever the button is released, nothing stays pressed: a half left
    // shown pressed would refuse the next press.
    m_dragging = false;
    if (m_repeatTimer)
        m_repeatTimer->Stop();
    m_lastDown = TSpinButtonState::sbNotDown;
    m_down = TSpinButtonState::sbNotDown;
    update();
}

void TQcSpinButton::TimerExpired()
{
    if (!m_repeatTimer)
        return;
    m_repeatTimer->SetInterval(RepeatPause);
    if (m_down != TSpinButtonState::sbNotDown && m_dragging)
        ClickGuarded(m_down);
}

void TQcSpinButton::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange && !isEnabled() && m_dragging)
        EndDragging();
    if (event->type() == QEvent::PaletteChange) {
        m_invalidate = true;
        update();
    }
}

QPixmap TQcSpinButton::DrawPicture(TSpinButtonState state) const
{
    const int w = width();
    const int h = height();
    QPixmap picture(w, h);
    const QPalette& pal = palette();
    const QColor face = pal.color(QPalette::Button);
    const QColor frame = pal.color(QPalette::Shadow);
    const QColor light = pal.color(QPalette::Light);
    const QColor shadow = pal.color(QPalette::Dark);
    picture.fill(face);
    QPainter painter(&picture);

    // Each half: its edges facing up and left lit when raised, in shadow
    // when pressed; those facing down and right in shadow when raised.
    const bool topDown = state == TSpinButtonState::sbTopDown;
    const bool bottomDown = state == TSpinButtonState::sbBottomDown;
    painter.setPen(topDown ? shadow : light);
    painter.drawLine(1, 1, w - 2, 1);
    painter.drawLine(1, 1, 1, h - 2);
    painter.setPen(topDown ? face : shadow);
    painter.drawLine(-1, h - 1, w - 1, -1);
    painter.setPen(bottomDown ? shadow : light);
    painter.drawLine(0, h, w, 0);
    painter.setPen(bottomDown ? face : shadow);
    painter.drawLine(w - 2, 1, w - 2, h - 2);
    painter.drawLine(1, h - 2, w - 2, h - 2);

    painter.setPen(frame);
    painter.drawLine(-1, h, w, -1);
    painter.drawRect(0, 0, w - 1, h - 1);

    const QColor upKey(m_upGlyph.pixel(0, m_upGlyph.height() - 1));
    const QColor downKey(m_downGlyph.pixel(0, m_downGlyph.height() - 1));
    const QPoint up = UpGlyphPos(size(), m_upGlyph.size(), topDown);
    DrawTransparentBitmap(painter, up.x(), up.y(), m_upGlyph, upKey);
    const QPoint down = DownGlyphPos(size(), m_downGlyph.size());
    DrawTransparentBitmap(painter, down.x(), down.y(), m_downGlyph, downKey);
    return picture;
}

void TQcSpinButton::paintEvent(QPaintEvent*)
{
    if (!isEnabled() && m_dragging)
        EndDragging();
    if (width() <= 0 || height() <= 0)
        return;
    if (m_invalidate || m_pictureSize != size()) {
        for (const TSpinButtonState state :
             {TSpinButtonState::sbTopDown, TSpinButtonState::sbBottomDown,
              TSpinButtonState::sbNotDown})
            m_pictures[size_t(PictureIndex(state))] = DrawPicture(state);
        m_pictureSize = size();
        m_invalidate = false;
    }
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_pictures[size_t(PictureIndex(m_down))]);
}

// ---------------------------------------------------------------------------
// TQcUpDown

TQcUpDown::TQcUpDown(QWidget* parent)
    : QWidget(parent)
{
    resize(DefaultWidth(this), 20);
}

TQcUpDown::~TQcUpDown() = default;

int TQcUpDown::DefaultWidth(const QWidget* widget)
{
    const QStyle* style = widget ? widget->style() : QApplication::style();
    return qMin(style->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, widget), 15);
}

void TQcUpDown::setPosition(int position)
{
    m_position = qBound(-1, position, 1);
}

void TQcUpDown::setRepeatTimerFactory(TRepeatTimerFactory factory)
{
    m_timerFactory = std::move(factory);
    m_repeatTimer.reset();
}

void TQcUpDown::Click(TUDBtnType button)
{
    setPosition(m_position + (button == TUDBtnType::btNext ? 1 : -1));
    if (OnClick)
        OnClick(this, button);
}

void TQcUpDown::mousePressEvent(QMouseEvent* event)
{
    QWidget::mousePressEvent(event);
    if (event->button() != Qt::LeftButton || !isEnabled())
        return;
    m_pressed = true;
    m_pressedButton = event->position().y() < height() / 2.0 ? TUDBtnType::btNext
                                                             : TUDBtnType::btPrev;
    update();
    if (!m_repeatTimer) {
        m_repeatTimer = MakeTimer(m_timerFactory);
        m_repeatTimer->OnTimer = [this] { TimerExpired(); };
    }
    m_repeatTimer->Start(TQcSpinButton::InitRepeatPause);
    if (!qv::runGuarded([&] { Click(m_pressedButton); }))
        m_repeatTimer->Stop();
}

void TQcUpDown::mouseReleaseEvent(QMouseEvent* event)
{
    QWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton)
        Release();
}

void TQcUpDown::Release()
{
    m_pressed = false;
    if (m_repeatTimer)
        m_repeatTimer->Stop();
    update();
}

void TQcUpDown::TimerExpired()
{
    if (!m_repeatTimer)
        return;
    m_repeatTimer->SetInterval(TQcSpinButton::RepeatPause);
    if (m_pressed && !qv::runGuarded([&] { Click(m_pressedButton); }))
        m_repeatTimer->Stop();
}

void TQcUpDown::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange && !isEnabled() && m_pressed)
        Release();
}

void TQcUpDown::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int fixed = DefaultWidth(this);
    if (width() != fixed)
        resize(fixed, height());
}

void TQcUpDown::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const int half = height() / 2;
    const std::array<std::pair<QRect, TUDBtnType>, 2> halves{{
        {QRect(0, 0, width(), half), TUDBtnType::btNext},
        {QRect(0, half, width(), height() - half), TUDBtnType::btPrev},
    }};
    for (const auto& [rect, button] : halves) {
        QStyleOption option;
        option.initFrom(this);
        option.rect = rect;
        option.state |= Pressed(button) ? QStyle::State_Sunken : QStyle::State_Raised;
        style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &option, &painter, this);
        option.rect = rect.adjusted(2, 1, -2, -1);
        style()->drawPrimitive(button == TUDBtnType::btNext ? QStyle::PE_IndicatorArrowUp
                                                            : QStyle::PE_IndicatorArrowDown,
                               &option, &painter, this);
    }
}
