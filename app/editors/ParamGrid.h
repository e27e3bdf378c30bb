#pragma once

// The parameter and variable grids of the procedure and trigger editors.
// A grid shows the name (column 0) and the type (column 1, a drop-down list
// of type names); the description is kept beside them in column 2, which
// is never shown. Row 0 holds the titles; there is always at least one
// entry row, and an empty grid is one row with empty cells.
//
// TParamGrid puts the shared behaviour on a grid: reading and writing its
// rows, adding, removing and swapping rows, the checks of its cells (a name
// the server accepts, no name twice in the editor's grids, a known type),
// the keys of the grids and the description hint.

#include "app/editors/ProcSource.h"
#include "components/TgGrid.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>

class TtgHintWindow;

// Grid columns.
inline constexpr int ParamNameCol = 0;
inline constexpr int ParamTypeCol = 1;
inline constexpr int ParamDescriptionCol = 2;

// The types the type column offers: the procedure editor's list, and with
// blobs the trigger editor's; a dialect-3 database's newer types with them.
QStringList ParamTypeItems(bool withBlob, int dialect = 3);

class TParamGrid : public QObject
{
    Q_OBJECT
public:
    // How the keys of the grid behave beyond the shared ones.
    struct TKeys
    {
        // Enter moves from the name to the type and from the type to a new row.
        bool EnterMoves = true;
        // Ctrl+Up and Ctrl+Down swap a row with its neighbour.
        bool SwapRows = true;
    };

    // Puts the columns on the grid ("nameTitle", "Type" with the items).
    TParamGrid(TTypedGrid* grid, const QString& nameTitle, const QStringList& typeItems, int dropDownRows,
               QObject* parent = nullptr);
    ~TParamGrid() override;

    TTypedGrid* Grid() const { return m_grid; }
    void SetKeys(const TKeys& keys) { m_keys = keys; }

    // The SQL dialect of the database the names are typed for.
    void SetDialect(int dialect) { m_dialect = dialect; }
    int Dialect() const { return m_dialect; }

    // The grids of one editor: names must differ across all of them.
    void SetGroup(const QList<TParamGrid*>& group) { m_group = group; }
    const QList<TParamGrid*>& Group() const { return m_group; }

    // Something changed in the grid (editing a cell, adding, removing or
    // moving rows, the description dialog).
    std::function<void()> OnModified;
    // The user asked to remove a row by a key: the editor asks and removes.
    std::function<void(int row)> OnRemoveRequest;

    // The entry rows, empty ones included.
    TParamRows Rows() const;
    // The rows up to the first without a name (the debugger's variables).
    TParamRows NamedRows() const;
    // Replaces the rows; none gives one empty row.
    void SetRows(const TParamRows& rows);
    TParamRow Row(int row) const;
    void SetRow(int row, const TParamRow& values);
    int EntryCount() const;
    // The grid holds only its one empty row.
    bool IsEmpty() const;

    // A row after the last, when the last has a name; true when added.
    bool AddRow();
    // Removes an entry row, the rows below moving up with their
    // descriptions; the only row is emptied instead.
    void RemoveRow(int row);
    // Swaps two entry rows with their descriptions and selects the second.
    void SwapRows(int row, int other);
    // Takes the text of an open cell editor into its cell.
    void CommitEditor();

    // Empty cells: true when every row has a name and a type, or the grid
    // is its one empty row. Otherwise the first row lacking one is shown
    // with "Empty parameter name is not allowed !" or "Empty parameter type
    // is not allowed !" and false is returned.
    bool CheckEmptyCells();
    // The check of a cell being left: a name the server accepts and no
    // other row of the group with the same name ("Duplicate Identifier !"),
    // or a known type. False keeps the user in the cell.
    bool CheckCell(int col, int row);
    // Every name and type of every row, as saving needs them: the first
    // refused cell is selected and its message shown.
    bool CheckAllCells();
    // Another row of the group names the same variable (as the server
    // reads the typed names: "x" and X are one, "x" and "X" two).
    bool IsDuplicate(int row, const QString& name) const;

    // Keys of the grid or its cell editor; true when taken.
    bool KeyDown(int key, Qt::KeyboardModifiers modifiers);

    // The description of a row near the grid, while the option to show
    // them is on; a row without one hides it.
    void ShowDescriptionHint(int row);
    void HideDescriptionHint();
    bool DescriptionHintShowing() const;
    QString DescriptionHintText() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Modified();
    void FocusCellOf(int col, int row);

    QPointer<TTypedGrid> m_grid;
    TKeys m_keys;
    int m_dialect = 3;
    QList<TParamGrid*> m_group;
    QPointer<TtgHintWindow> m_hint;
};
