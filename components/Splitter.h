#pragma once

// TQcSplitter: a thin bar the user drags to resize the control beside it.
// While dragging an inverted line shows where the bar will go; on release the
// control's height or width changes and the parent's AlignLayout moves the
// rest. Esc ends a drag without resizing.

#include <QFrame>
#include <QPoint>
#include <QPointer>

#include <functional>

#include "components/AlignLayout.h"
#include "components/ComponentEvents.h"
#include "components/PanelBevel.h"

using TSplitterMoveEvent = std::function<void(QObject* Sender, int X, int Y, bool& AllowChange)>;

class TQcSplitter : public QFrame
{
    Q_OBJECT

public:
    explicit TQcSplitter(QWidget* parent = nullptr);
    ~TQcSplitter() override;

    // Neither may be the splitter itself or a window (such a value becomes
    // none); both clear themselves when their control is destroyed.
    QWidget* ControlFirst() const { return FControlFirst.data(); }
    void setControlFirst(QWidget* control);
    QWidget* ControlSecond() const { return FControlSecond.data(); }
    void setControlSecond(QWidget* control);

    int TopLeftLimit() const { return FTopLeftLimit; }
    void setTopLeftLimit(int limit) { FTopLeftLimit = limit; }
    int BottomRightLimit() const { return FBottomRightLimit; }
    void setBottomRightLimit(int limit) { FBottomRightLimit = limit; }
    // The obsolete stored form of the limits: read into both, written from the first.
    int LimitOffset() const { return FTopLeftLimit; }
    void setLimitOffset(int limit);

    // Alignment in the parent's AlignLayout (one is made when the parent has
    // no layout yet).
    TAlign Align() const;
    void setAlign(TAlign align);

    TPanelBevel BevelInner() const { return FBevelInner; }
    void setBevelInner(TPanelBevel bevel);
    TPanelBevel BevelOuter() const { return FBevelOuter; }
    void setBevelOuter(TPanelBevel bevel);
    int BevelWidth() const { return FBevelWidth; }
    void setBevelWidth(int width);

    // 0 (the bar does nothing), or 1..4: which control's height (1, 2) or
    // width (3, 4) a drag changes.
    int SplitterKind() const;
    bool Sizing() const { return FSizing; }
    // Where the moving line is drawn, in the parent's coordinates; only
    // meaningful while Sizing().
    QPoint SizingLineOrigin() const { return FPrevOrg; }
    QRect SizingLineRect() const;

    qv::TNotifyEvent OnPosChanged;
    TSplitterMoveEvent OnPosChanging;
    qv::TNotifyEvent OnClick;
    qv::TNotifyEvent OnDblClick;

protected:
    virtual void PosChanged();
    virtual void Changing(int X, int Y, bool& AllowChange);

    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    struct LimitRect
    {
        int left = 0;
        int top = 0;
        int right = 0;
        int bottom = 0;
    };

    void UpdateCursor();
    QCursor KindCursor() const;
    QWidget* ControlNextToBar(TAlign align) const;
    void StartSizing(const QPoint& pos);
    void MoveSizing(const QPoint& pos);
    void StopSizing(const QPoint& pos, bool apply);
    void CheckPosition(QPoint& pos) const;
    void MoveLine(const QPoint& clipped);
    void ReleaseLine();
    void ApplyResize(QPoint pos);
    int LineThickness() const;
    bool HorizontalLine() const { return FStyle == 1 || FStyle == 2; }
    bool EitherAligned(TAlign align) const;

    QPointer<QWidget> FControlFirst;
    QPointer<QWidget> FControlSecond;
    bool FSizing = false;
    int FStyle = 0;
    QPoint FPrevOrg;
    QPoint FOffset;
    bool FNoDropCursor = false;
    LimitRect FLimitRect;
    int FTopLeftLimit = 20;
    int FBottomRightLimit = 20;
    // The moving line, drawn over the parent; the parent owns it.
    QPointer<QWidget> FLine;
    TPanelBevel FBevelInner = TPanelBevel::bvNone;
    TPanelBevel FBevelOuter = TPanelBevel::bvRaised;
    int FBevelWidth = 1;
    bool FPressed = false;
};
