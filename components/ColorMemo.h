#pragma once

// TColorMemo: a plain multi-line edit that shows parts of its text in other
// colours by its rules (keywords, blocks between markers, runs to the end of
// a line) and shows hot spots, text between two control characters, like
// links that report a click. Only the lines on screen are coloured: the
// colouring follows scrolling, resizing and editing, and its cost never
// grows with the length of the text, so long appended output stays fast.
//
// The coloured runs are handed to the edit as extra selections, so the
// edit's own painting draws them under the caret and the selection. A
// keyword of a rule drawn by its owner (dtEventDraw) is passed to
// OnDrawKey after each paint instead.

#include <QPlainTextEdit>

#include <functional>
#include <vector>

#include "components/ColorRules.h"
#include "components/ColorScan.h"
#include "components/ComponentEvents.h"

class QPainter;

using THotSpotClickEvent = std::function<void(QObject* Sender, const QString& Text)>;
// After each paint, with the painter of the edit's viewport.
using TDrawEvent = std::function<void(QObject* Sender, QPainter& Canvas)>;
// A keyword of a dtEventDraw rule, with the rectangle it takes on one line.
using TKeyDrawEvent =
    std::function<void(QObject* Sender, QPainter& Canvas, const QRect& Rect, const QString& Key)>;

class TColorMemo : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit TColorMemo(QWidget* parent = nullptr);
    ~TColorMemo() override;

    // Changes made through the non-const access show with the next Recolor.
    const TDrawRules& ColorRules() const { return m_rules; }
    TDrawRules& ColorRules() { return m_rules; }
    void setColorRules(const TDrawRules& rules);
    // How many runs the memo keeps room for between colourings; 0 none.
    int ColorLimMax() const { return m_colorLimMax; }
    void setColorLimMax(int entries);
    bool RedrawAlways() const { return m_redrawAlways; }
    void setRedrawAlways(bool always) { m_redrawAlways = always; }
    const THotSpot& HotSpot() const { return m_hotSpot; }
    void setHotSpot(const THotSpot& hotSpot);

    qv::TNotifyEvent OnVScroll;
    qv::TNotifyEvent OnHScroll;
    THotSpotClickEvent OnHotSpotClick;
    TDrawEvent OnDraw;
    TKeyDrawEvent OnDrawKey;

    // Colours the lines on screen again, once the pending events are through.
    void Recolor();
    // Colours them at once.
    void RecolorNow();

    // The lines on screen and the selection, as the colouring sees them.
    TColorRange VisibleRange() const;
    // What the last colouring produced and read, and how much all of them
    // read: for tests and benchmarks.
    const std::vector<TColorRun>& Runs() const { return m_runs; }
    const TColorScanStats& LastScan() const { return m_lastScan; }
    qint64 ColorPasses() const { return m_passes; }
    qint64 ScannedChars() const { return m_scannedChars; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    enum class Scope { None, CaretLine, Screen };

    void ContentsChanged(int position, int removed, int added);
    void Scrolled(const qv::TNotifyEvent& handler);
    void Schedule(Scope scope);
    void RunPending();
    void Colorize(Scope scope);
    void ApplyRuns();
    bool Colours() const;
    void DrawCustomRuns(QPainter& painter);
    QRect RunRectOnLine(const QTextBlock& block, int from, int to) const;
    std::optional<QString> HotSpotUnder(const QPoint& pos) const;

    TDrawRules m_rules;
    int m_colorLimMax = 0;
    bool m_redrawAlways = false;
    THotSpot m_hotSpot;

    std::vector<TColorRun> m_runs;
    Scope m_pending = Scope::None;
    bool m_posted = false;
    int m_lastLineCount = 1;
    int m_lastLength = 1;
    TColorScanStats m_lastScan;
    qint64 m_passes = 0;
    qint64 m_scannedChars = 0;
};
