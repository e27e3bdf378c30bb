#pragma once

// The "Window List" dialog: the open child windows, the active one
// selected. One instance lives from its first use to the end of the run and
// keeps the order of its entries between uses.

#include <QDialog>
#include <QList>
#include <QPointer>

class QListWidget;

class TWindowList : public QDialog
{
    Q_OBJECT
public:
    explicit TWindowList(QWidget* parent = nullptr);

    QListWidget* WinList() const { return m_winList; }

    // Drops entries of windows not in `windows`, appends the new ones (visited
    // from the last to the first) and selects the active one.
    void UpdateEntries(const QList<QWidget*>& windows, const QWidget* active);
    // The window of the selected entry, or none.
    QWidget* SelectedWindow() const;
    QList<QWidget*> EntryWindows() const;

private:
    QListWidget* m_winList;
    QList<QPointer<QWidget>> m_windows;   // one per row
};
