#pragma once

// TTgHintGrid: a string grid that shows a hint for one cell after the mouse
// (or, without HintFollowsMouse, the current cell) has rested on it for a
// while. The text comes from OnShowCellHint. TtgHintWindow is the small
// window such hints, and the typed grid's suggestions, are shown in.

#include "components/StringGrid.h"

#include <QLabel>
#include <QPointer>

#include <functional>

class QTimer;

class TtgHintWindow : public QLabel
{
    Q_OBJECT

public:
    explicit TtgHintWindow(QWidget* owner);

    // Shows text with its top-left corner at a global point.
    void ActivateHint(const QPoint& globalPos, const QString& text);
    void ReleaseHint() { hide(); }
};

class TTgHintGrid : public TStringGrid
{
    Q_OBJECT

public:
    // The timer ticks every 10 ms; the hint shows on the 60th tick.
    static constexpr int HintTickMs = 10;
    static constexpr int HintTicks = 60;

    explicit TTgHintGrid(QWidget* parent = nullptr);
    ~TTgHintGrid() override;

    bool HintFollowsMouse() const { return m_hintFollowsMouse; }
    void SetHintFollowsMouse(bool follows);

    // The hint's text for a cell; an empty (or blank) one shows none.
    std::function<void(QObject* Sender, int ACol, int ARow, QString& text)> OnShowCellHint;

    // The cell whose hint is counting or showing; -1 for none.
    int HintCol() const { return m_hintCol; }
    int HintRow() const { return m_hintRow; }
    bool HintShowing() const;
    QString HintText() const;
    TtgHintWindow* HintWindow() const { return m_hintWindow; }
    // One tick of the hint timer, as the timer runs it.
    void HintTimerTick();
    // Counting towards a hint.
    bool HintTimerActive() const { return m_armed; }
    // Ticks come from HintTimerTick alone, not from the timer (tests drive
    // the clock themselves).
    void SetManualHintTicks(bool manual);

protected:
    // Starts counting for a cell (hiding a hint of another one).
    void ArmHint(int col, int row);
    void HideCellHint();

    void CurrentCellChanged() override;
    void TopLeftChanged() override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    bool MayShowHint() const;
    void StartCounting();
    void StopCounting();
    void ApplicationStateChanged(Qt::ApplicationState state);

    bool m_hintFollowsMouse = true;
    QTimer* m_hintTimer = nullptr;
    QPointer<TtgHintWindow> m_hintWindow;
    int m_ticks = 0;
    bool m_armed = false;
    bool m_manualTicks = false;
    int m_hintCol = -1;
    int m_hintRow = -1;
};
