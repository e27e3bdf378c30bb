#include "app/editors/ParamDescription.h"

#include "app/editors/FormControls.h"
#include "app/editors/ParamGrid.h"
#include "components/TgGrid.h"
#include "platform/Dialogs.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int DescriptionColumn = 2;

// Only the description cells can be entered.
class TDescriptionGrid : public TTypedGrid
{
public:
    using TTypedGrid::TTypedGrid;

protected:
    bool SelectCell(int col, int row) override { return col == DescriptionColumn && TTypedGrid::SelectCell(col, row); }
};

} // namespace

TParamDescription::TParamDescription(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ParamDescription"));
    setWindowTitle(QStringLiteral("Parameters Descriptions"));

    ParamGrid = new TDescriptionGrid(this);
    ParamGrid->setObjectName(QStringLiteral("ParamGrid"));
    ParamGrid->Columns().Clear();
    const QStringList titles{QStringLiteral("Parameter name"), QStringLiteral("Parameter type"),
                             QStringLiteral("Parameter description")};
    const int widths[] = {100, 100, 360};
    for (int i = 0; i < 3; ++i) {
        TtgColumn& column = ParamGrid->Columns().Add();
        column.SetCaption(titles.at(i));
        column.SetWidth(widths[i]);
        if (i < DescriptionColumn) {
            column.SetReadOnly(true);
            column.SetColumnColor(clBtnFace);
        }
    }
    ParamGrid->SetFixedCols(0);
    ParamGrid->SetRowCount(2);
    ParamGrid->SetFixedRows(1);
    ParamGrid->SetOptions(ParamGrid->Options() | goEditing | goColSizing);

    OkBtn = MakeButton(this, QStringLiteral("OkBtn"), QStringLiteral("OK"));
    CancelBtn = MakeButton(this, QStringLiteral("CancelBtn"), QStringLiteral("Cancel"));
    connect(OkBtn, &QPushButton::clicked, this, [this] {
        ParamGrid->HideEditor();
        accept();
    });
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OkBtn);
    buttons->addWidget(CancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ParamGrid);
    layout->addLayout(buttons);
    resize(600, 300);
}

TParamDescription::~TParamDescription() = default;

void TParamDescription::SetRows(const TParamRows& rows)
{
    ParamGrid->SetRowCount(std::max<int>(2, int(rows.size()) + 1));
    for (int i = 0; i < rows.size(); ++i) {
        ParamGrid->SetCells(0, i + 1, rows.at(i).Name);
        ParamGrid->SetCells(1, i + 1, rows.at(i).Type);
        ParamGrid->SetCells(DescriptionColumn, i + 1, rows.at(i).Description);
    }
    ParamGrid->FocusCell(DescriptionColumn, 1);
}

TParamRows TParamDescription::Rows() const
{
    TParamRows rows;
    for (int row = 1; row < ParamGrid->RowCount(); ++row)
        rows << TParamRow{ParamGrid->Cells(0, row), ParamGrid->Cells(1, row), ParamGrid->Cells(DescriptionColumn, row)};
    return rows;
}

void TParamDescription::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        reject();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool EditParamDescriptions(QWidget* parent, TParamRows& rows, const QString& caption, const QStringList& headings)
{
    TParamDescription dialog(parent);
    if (!caption.isEmpty())
        dialog.setWindowTitle(caption);
    for (int i = 0; i < headings.size() && i < dialog.ParamGrid->ColCount(); ++i)
        dialog.ParamGrid->GetColumn(i).SetCaption(headings.at(i));
    dialog.SetRows(rows);
    if (qv::showModal(dialog) != qv::mrOk)
        return false;
    const TParamRows edited = dialog.Rows();
    for (int i = 0; i < rows.size() && i < edited.size(); ++i)
        rows[i].Description = edited.at(i).Description;
    return true;
}
