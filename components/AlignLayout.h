#pragma once

// The old platform's alignment of child controls, as a Qt layout: controls are
// placed in order, each aligned control takes its edge of the rectangle that is
// left, and the client control fills what remains. Every window of the program
// can use it; splitters rely on it to move the rest after a resize.

#include <QLayout>
#include <QList>
#include <QString>

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

// "alNone" ... "alClient"; the stored form of an alignment.
QString alignName(TAlign align);
// Case-insensitive; false (and align untouched) for a name that is no alignment.
bool alignFromName(const QString& name, TAlign& align);

class AlignLayout : public QLayout
{
    Q_OBJECT

public:
    explicit AlignLayout(QWidget* parent = nullptr);
    ~AlignLayout() override;

    // Adds a child of the layout's widget. Within one alignment the control
    // added first lies nearest its edge. alNone controls keep their geometry.
    void addWidget(QWidget* widget, TAlign align);
    // Changes the alignment of a control (adding it when it is not yet in the
    // layout) and realigns at once, as the old platform did.
    void setAlign(QWidget* widget, TAlign align);
    // alNone for a control that is not in the layout.
    TAlign align(const QWidget* widget) const;
    bool contains(const QWidget* widget) const;

    // Places every control now, whether or not the window is shown yet.
    void realign();
    // Holds realignment (the old DisableAlign/EnableAlign); nested holds count.
    void disableAlign();
    void enableAlign();

    // The layout of a control's parent when it is an AlignLayout.
    static AlignLayout* of(const QWidget* parent);
    // The alignment of a control in its parent's AlignLayout (alNone otherwise).
    static TAlign alignOf(const QWidget* widget);

    // QLayout
    void addItem(QLayoutItem* item) override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    int count() const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;
    Qt::Orientations expandingDirections() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Entry
    {
        QLayoutItem* item;
        TAlign align;
    };

    int indexOf(const QWidget* widget) const override;
    QList<const Entry*> placementOrder() const;

    QList<Entry> m_entries;
    int m_alignDisabled = 0;
    bool m_placing = false;
};
