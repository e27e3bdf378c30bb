#pragma once

// The buttons of the spin edit. TQcSpinButton is one square split by its
// diagonal into an upper-left "up" and a lower-right "down" triangle; a
// held half clicks again after 400 ms and then every 100 ms. TQcUpDown is
// the plain pair of stacked arrow buttons.

#include <QImage>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>

#include "components/ComponentEvents.h"
#include "components/RepeatTimer.h"

enum class TSpinButtonState { sbNotDown, sbTopDown, sbBottomDown };

class TQcSpinButton : public QWidget
{
    Q_OBJECT

public:
    static constexpr int InitRepeatPause = 400;
    static constexpr int RepeatPause = 100;

    explicit TQcSpinButton(QWidget* parent = nullptr);
    ~TQcSpinButton() override;

    QImage UpGlyph() const { return m_upGlyph; }
    // A null image brings back the built-in arrow.
    void setUpGlyph(const QImage& glyph);
    QImage DownGlyph() const { return m_downGlyph; }
    void setDownGlyph(const QImage& glyph);
    // The control that takes the focus when the button is pressed; cleared
    // when it is destroyed.
    QWidget* FocusControl() const { return m_focusControl.data(); }
    void setFocusControl(QWidget* control) { m_focusControl = control; }

    // The half shown pressed.
    TSpinButtonState Down() const { return m_down; }
    bool Dragging() const { return m_dragging; }

    // Where the repeat timer comes from (made on the first press).
    void setRepeatTimerFactory(TRepeatTimerFactory factory);
    TRepeatTimer* RepeatTimer() const { return m_repeatTimer.get(); }

    // On or above the diagonal from the lower-left to the upper-right
    // corner. Compared without dividing, so a zero width or height is
    // no fault (everything is then the top half).
    static bool InTopHalf(const QPoint& pos, const QSize& size);
    // Where the glyphs go in a button of a size.
    static QPoint UpGlyphPos(const QSize& size, const QSize& glyph, bool topPressed);
    static QPoint DownGlyphPos(const QSize& size, const QSize& glyph);
    // The built-in arrows, with the bottom-left pixel as transparent colour.
    static QImage DefaultUpGlyph();
    static QImage DefaultDownGlyph();

    // Fire their event; the pressed state is cleared unless the left button
    // is still held. Whatever the event raises goes to the caller.
    void TopClick();
    void BottomClick();

    qv::TNotifyEvent OnTopClick;
    qv::TNotifyEvent OnBottomClick;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Click(TSpinButtonState half);
    void ClickGuarded(TSpinButtonState half);
    void TimerExpired();
    void EndDragging();
    void SetShown(TSpinButtonState state);
    bool LeftButtonHeld() const;
    QPixmap DrawPicture(TSpinButtonState state) const;

    TSpinButtonState m_down = TSpinButtonState::sbNotDown;
    QImage m_upGlyph;
    QImage m_downGlyph;
    bool m_dragging = false;
    bool m_leftHeld = false;
    bool m_invalidate = true;
    // Top pressed, bottom pressed, nothing pressed.
    std::array<QPixmap, 3> m_pictures;
    QSize m_pictureSize;
    TRepeatTimerFactory m_timerFactory;
    std::unique_ptr<TRepeatTimer> m_repeatTimer;
    TSpinButtonState m_lastDown = TSpinButtonState::sbNotDown;
    QPointer<QWidget> m_focusControl;
};

enum class TUDBtnType { btNext, btPrev };
using TUDClickEvent = std::function<void(QObject* Sender, TUDBtnType Button)>;

class TQcUpDown : public QWidget
{
    Q_OBJECT

public:
    explicit TQcUpDown(QWidget* parent = nullptr);
    ~TQcUpDown() override;

    // The width it always has: the scroll bar's, at most 15.
    static int DefaultWidth(const QWidget* widget);

    int Position() const { return m_position; }
    // Within -1..1.
    void setPosition(int position);
    // What a click of a half does: the position moves that way, then OnClick.
    void Click(TUDBtnType button);
    // The half held, if any.
    bool Pressed(TUDBtnType button) const { return m_pressed && m_pressedButton == button; }

    void setRepeatTimerFactory(TRepeatTimerFactory factory);
    TRepeatTimer* RepeatTimer() const { return m_repeatTimer.get(); }

    TUDClickEvent OnClick;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void TimerExpired();
    void Release();

    int m_position = 0;
    bool m_pressed = false;
    TUDBtnType m_pressedButton = TUDBtnType::btNext;
    TRepeatTimerFactory m_timerFactory;
    std::unique_ptr<TRepeatTimer> m_repeatTimer;
};
