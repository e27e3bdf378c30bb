#pragma once

// The data-aware grid: the rows of a data source's dataset in a table view
// (TDataSetModel fetches as the view scrolls), edited in place, with small
// pictures instead of text in blob, memo, picture, OLE and cursor columns
// (which get no in-place editor), a new record kept open until the user
// leaves its row (Enter only ends a cell's edit there), Esc giving back the
// cell being edited and, with no cell open, cancelling the record, a confirmed delete of the current record
// with Ctrl+Delete, and Ctrl+Home / Ctrl+End to the dataset's first and last
// record.

#include "platform/db/DataSetModel.h"
#include "platform/db/DbTypes.h"

#include <QFlags>
#include <QPixmap>
#include <QTableView>

#include <functional>

class TDataSource;

enum TDBGridOption : unsigned {
    dgEditing = 0x1,
    dgAlwaysShowEditor = 0x2,
    dgTitles = 0x4,
    dgIndicator = 0x8,
    dgColumnResize = 0x10,
    dgColLines = 0x20,
    dgRowLines = 0x40,
    dgTabs = 0x80,
    dgRowSelect = 0x100,
    dgAlwaysShowSelection = 0x200,
    dgConfirmDelete = 0x400,
    dgCancelOnExit = 0x800,
};
Q_DECLARE_FLAGS(TDBGridOptions, TDBGridOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TDBGridOptions)

// The picture a column of this type shows ("DBG_BLOB", "DBG_MEMO",
// "DBG_PICT", "DBG_OLE", "DBG_DATA"), or "" for text.
QString GridGlyphName(TFieldType type);
// The picture itself, made once on first use; null for an unknown name.
const QPixmap& GridGlyph(const QString& name);

// Each column of a view on a dataset as wide as its field's display width
// (and its title).
void SizeColumnsToFields(QTableView& view, const TDataSetModel& model);
// Puts the view's current cell on the row the dataset moved to, in the same
// column; following is up meanwhile, so the view does not move the dataset
// back.
void FollowDataSetRow(QTableView& view, const TDataSetModel& model, int row, bool& following);

class TQcDBGrid : public QTableView
{
    Q_OBJECT

public:
    static constexpr TDBGridOptions DefaultOptions = TDBGridOptions(
        dgEditing | dgTitles | dgIndicator | dgColumnResize | dgColLines | dgRowLines | dgConfirmDelete | dgCancelOnExit);

    explicit TQcDBGrid(QWidget* parent = nullptr);
    ~TQcDBGrid() override;

    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* source);
    TDataSetModel* Model() const { return m_model; }

    TDBGridOptions Options() const { return m_options; }
    void SetOptions(TDBGridOptions options);
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly);
    bool ShowGlyphs() const { return m_showGlyphs; }
    void SetShowGlyphs(bool show);
    bool DefaultDrawing() const { return m_defaultDrawing; }
    void SetDefaultDrawing(bool on);

    // The picture of a grid column ("" when it shows text): none while
    // ShowGlyphs is off or the column has no field.
    QString ColumnGlyph(int column) const;
    // A cell's in-place editor is open.
    bool Editing() const { return state() == QAbstractItemView::EditingState; }
    // The field of the current column; nullptr when there is none.
    TField* SelectedField() const;
    // Ctrl+Delete: asks "Delete record?" and deletes the current record on Yes.
    void DeleteCurrentRecord();
    // Writes the text of an open cell editor to its field and closes the
    // editor; the record is not posted.
    void CommitEdit();
    // Failures its owner handles itself, found by the grid's keys or by its
    // rows (see TDataSetModel::setErrorTaker); the rest are shown.
    void SetErrorTaker(TDataSetModel::ErrorTaker taker);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    class Delegate;

    void ApplyOptions();
    void FollowDataSet(int row);
    void SizeColumns();
    void ShowError(const QString& message);
    // Runs a dataset action from a key: its error is shown, not thrown.
    void Attempt(const std::function<void()>& action);

    TDataSetModel* m_model;
    TDBGridOptions m_options = DefaultOptions;
    bool m_readOnly = false;
    bool m_showGlyphs = true;
    bool m_defaultDrawing = true;
    bool m_following = false;
};
