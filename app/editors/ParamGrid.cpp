#include "app/editors/ParamGrid.h"

#include "access/QvSqlText.h"
#include "access/QvTypeCatalog.h"
#include "app/shell/MyConst.h"
#include "app/shell/Options.h"
#include "components/TgGrid.h"
#include "components/TgHGrid.h"
#include "platform/Dialogs.h"

#include <QApplication>
#include <QKeyEvent>

namespace {

// While a check moves the current cell itself, leaving the old cell is not
// checked again.
class TCheckScope
{
public:
    explicit TCheckScope(bool& flag)
        : m_flag(flag), m_old(flag)
    {
        m_flag = true;
    }
    ~TCheckScope() { m_flag = m_old; }
    TCheckScope(const TCheckScope&) = delete;
    TCheckScope& operator=(const TCheckScope&) = delete;

private:
    bool& m_flag;
    bool m_old;
};

bool g_movingForCheck = false;

} // namespace

QStringList ParamTypeItems(bool withBlob, int dialect)
{
    return QvTypes::PickList(withBlob ? QvTypes::plVariable : QvTypes::plParameter, dialect);
}

// ---------------------------------------------------------------- TParamGrid

TParamGrid::TParamGrid(TTypedGrid* grid, const QString& nameTitle, const QStringList& typeItems, int dropDownRows,
                       QObject* parent)
    : QObject(parent)
    , m_grid(grid)
{
    m_grid->Columns().Clear();
    TtgColumn& name = m_grid->Columns().Add();
    name.SetCaption(nameTitle);
    name.SetWidth(130);
    TtgColumn& type = m_grid->Columns().Add();
    type.SetCaption(QStringLiteral("Type"));
    type.SetWidth(150);
    type.SetControlType(tgctlComboBox);
    type.SetItems(typeItems);
    type.SetAutoSuggest(true);
    type.SetDropDownCount(dropDownRows);
    m_grid->SetFixedCols(0);
    m_grid->SetRowCount(2);
    m_grid->SetFixedRows(1);
    m_grid->SetOptions(m_grid->Options() | goEditing | goTabs | goColSizing);
    m_group = {this};

    m_grid->OnExitCell = [this](QObject*, int col, int row, bool& allow) {
        if (!g_movingForCheck)
            allow = CheckCell(col, row);
    };
    m_grid->OnEnterCell = [this](QObject*, int, int row) { ShowDescriptionHint(row); };
    m_grid->OnCellEdited = [this](QObject*, int, int) { Modified(); };
    qApp->installEventFilter(this);
}

TParamGrid::~TParamGrid()
{
    qApp->removeEventFilter(this);
    delete m_hint.data();
    // A grid that outlives this object calls none of it any more.
    if (m_grid) {
        m_grid->OnExitCell = nullptr;
        m_grid->OnEnterCell = nullptr;
        m_grid->OnCellEdited = nullptr;
    }
}

void TParamGrid::Modified()
{
    if (OnModified)
        OnModified();
}

int TParamGrid::EntryCount() const
{
    return std::max(1, m_grid->RowCount() - 1);
}

TParamRow TParamGrid::Row(int row) const
{
    return {m_grid->Cells(ParamNameCol, row), m_grid->Cells(ParamTypeCol, row),
            m_grid->Cells(ParamDescriptionCol, row)};
}

void TParamGrid::SetRow(int row, const TParamRow& values)
{
    m_grid->SetCells(ParamNameCol, row, values.Name);
    m_grid->SetCells(ParamTypeCol, row, values.Type);
    m_grid->SetCells(ParamDescriptionCol, row, values.Description);
}

TParamRows TParamGrid::Rows() const
{
    TParamRows rows;
    for (int row = 1; row < m_grid->RowCount(); ++row)
        rows << Row(row);
    return rows;
}

TParamRows TParamGrid::NamedRows() const
{
    TParamRows rows;
    for (int row = 1; row < m_grid->RowCount(); ++row) {
        const TParamRow values = Row(row);
        if (values.Name.isEmpty())
            break;
        rows << values;
    }
    return rows;
}

void TParamGrid::SetRows(const TParamRows& rows)
{
    m_grid->HideEditor();
    m_grid->SetRowCount(1);
    m_grid->SetRowCount(std::max<int>(2, int(rows.size()) + 1));
    for (int i = 0; i < rows.size(); ++i)
        SetRow(i + 1, rows.at(i));
}

bool TParamGrid::IsEmpty() const
{
    if (m_grid->RowCount() > 2)
        return false;
    const TParamRow row = Row(1);
    return row.Name.isEmpty() && row.Type.isEmpty();
}

bool TParamGrid::AddRow()
{
    CommitEditor();
    const int last = m_grid->RowCount() - 1;
    if (m_grid->Cells(ParamNameCol, last).isEmpty())
        return false;
    m_grid->SetRowCount(last + 2);
    SetRow(last + 1, {});
    FocusCellOf(ParamNameCol, last + 1);
    Modified();
    return true;
}

void TParamGrid::RemoveRow(int row)
{
    m_grid->HideEditor();
    const int last = m_grid->RowCount() - 1;
    if (row < 1 || row > last)
        return;
    if (last == 1) {
        SetRow(1, {});
    } else {
        for (int r = row; r < last; ++r)
            SetRow(r, Row(r + 1));
        SetRow(last, {});
        const TCheckScope scope(g_movingForCheck);
        if (m_grid->Row() >= last)
            m_grid->FocusCell(m_grid->Col(), last - 1);
        m_grid->SetRowCount(last);
    }
    m_grid->viewport()->update();
    Modified();
}

void TParamGrid::SwapRows(int row, int other)
{
    const int last = m_grid->RowCount() - 1;
    if (row < 1 || row > last || other < 1 || other > last || row == other)
        return;
    CommitEditor();
    const TParamRow values = Row(row);
    SetRow(row, Row(other));
    SetRow(other, values);
    FocusCellOf(m_grid->Col(), other);
    m_grid->viewport()->update();
    Modified();
}

void TParamGrid::CommitEditor()
{
    // Hiding the editor takes a suggestion showing and reports the edit.
    if (m_grid->EditorMode() || m_grid->InplaceEditor())
        m_grid->HideEditor();
}

void TParamGrid::FocusCellOf(int col, int row)
{
    const TCheckScope scope(g_movingForCheck);
    m_grid->FocusCell(col, row);
}

bool TParamGrid::CheckEmptyCells()
{
    CommitEditor();
    if (IsEmpty())
        return true;
    for (int row = 1; row < m_grid->RowCount(); ++row) {
        const TParamRow values = Row(row);
        if (!values.Name.isEmpty() && !values.Type.isEmpty())
            continue;
        m_grid->setFocus();
        const bool typeMissing = !values.Name.isEmpty();
        qv::messageDlg(typeMissing ? QStringLiteral("Empty parameter type is not allowed !")
                                   : QStringLiteral("Empty parameter name is not allowed !"),
                       qv::mtError, qv::mbOK);
        FocusCellOf(typeMissing ? ParamTypeCol : ParamNameCol, row);
        return false;
    }
    return true;
}

bool TParamGrid::IsDuplicate(int row, const QString& name) const
{
    const QString stored = QvSql::NameFromTyped(name, m_dialect);
    for (const TParamGrid* grid : m_group) {
        for (int r = 1; r < grid->m_grid->RowCount(); ++r) {
            if (grid == this && r == row)
                continue;
            const QString other = grid->m_grid->Cells(ParamNameCol, r);
            if (!other.trimmed().isEmpty() && QvSql::NameFromTyped(other, m_dialect) == stored)
                return true;
        }
    }
    return false;
}

bool TParamGrid::CheckCell(int col, int row)
{
    if (col == ParamNameCol) {
        const QString name = m_grid->Cells(ParamNameCol, row);
        if (!name.isEmpty()) {
            if (!CheckIdentifier(name, m_dialect))
                return false;
            if (IsDuplicate(row, name)) {
                qv::messageDlg(QStringLiteral("Duplicate Identifier !"), qv::mtError, qv::mbOK);
                return false;
            }
        }
    } else if (col == ParamTypeCol) {
        if (!CheckTypeName(m_grid->Cells(ParamTypeCol, row)))
            return false;
    }
    HideDescriptionHint();
    return true;
}

bool TParamGrid::CheckAllCells()
{
    CommitEditor();
    for (int row = 1; row < m_grid->RowCount(); ++row) {
        for (const int col : {ParamNameCol, ParamTypeCol}) {
            if (!CheckCell(col, row)) {
                m_grid->setFocus();
                FocusCellOf(col, row);
                return false;
            }
        }
    }
    return true;
}

bool TParamGrid::KeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    const int row = m_grid->Row();
    const int last = m_grid->RowCount() - 1;
    const Qt::KeyboardModifiers shifts = modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    const bool ctrlOnly = shifts == Qt::ControlModifier;
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        if (!m_keys.EnterMoves)
            return false;
        CommitEditor();
        const TParamRow values = Row(row);
        if (m_grid->Col() == ParamNameCol && values.Type.isEmpty()) {
            m_grid->FocusCell(ParamTypeCol, row);
        } else if (m_grid->Col() == ParamTypeCol && !values.Type.isEmpty()) {
            if (m_grid->FocusCell(ParamNameCol, row))
                AddRow();
        }
        return true;
    }
    case Qt::Key_Down:
        if (ctrlOnly) {
            if (!m_keys.SwapRows)
                return false;
            if (row < last)
                SwapRows(row, row + 1);
            return true;
        }
        if (shifts != Qt::NoModifier)
            return false;
        if (row == last && !Row(row).Name.isEmpty() && !Row(row).Type.isEmpty()) {
            // The new row is entered by the key itself.
            m_grid->SetRowCount(last + 2);
            SetRow(last + 1, {});
        }
        Modified();
        return false;
    case Qt::Key_Up:
        if (ctrlOnly) {
            if (!m_keys.SwapRows)
                return false;
            if (row > 1)
                SwapRows(row, row - 1);
            return true;
        }
        if (shifts != Qt::NoModifier || row <= 1 || !Row(row).Name.isEmpty())
            return false;
        if (row == last) {
            m_grid->HideEditor();
            SetRow(row, {});
            FocusCellOf(m_grid->Col(), row - 1);
            m_grid->SetRowCount(last);
            Modified();
        } else if (OnRemoveRequest) {
            OnRemoveRequest(row);
        }
        return true;
    case Qt::Key_Delete:
        if (!ctrlOnly)
            return false;
        if (OnRemoveRequest)
            OnRemoveRequest(row);
        return true;
    default:
        return false;
    }
}

bool TParamGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType() || !m_grid)
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    // Only the first delivery, to the grid or its cell editor.
    if (widget != QApplication::focusWidget() || !(widget == m_grid || m_grid->isAncestorOf(widget)))
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    return KeyDown(key->key(), key->modifiers());
}

void TParamGrid::ShowDescriptionHint(int row)
{
    if (!Options().ShowProcParameterDescription)
        return;
    if (m_hint) {
        m_hint->ReleaseHint();
    } else {
        m_hint = new TtgHintWindow(m_grid);
        m_hint->setWordWrap(true);
        m_hint->setMaximumWidth(200);
    }
    const QString description = m_grid->Cells(ParamDescriptionCol, row);
    if (description.isEmpty())
        return;
    const QPoint at = m_grid->mapToGlobal(QPoint(0, 0)) + QPoint(10, (row + 1) * m_grid->DefaultRowHeight());
    m_hint->ActivateHint(at, description);
}

void TParamGrid::HideDescriptionHint()
{
    if (m_hint)
        m_hint->ReleaseHint();
}

bool TParamGrid::DescriptionHintShowing() const
{
    return m_hint && m_hint->isVisible();
}

QString TParamGrid::DescriptionHintText() const
{
    return m_hint ? m_hint->text() : QString();
}
