#pragma once

// The description dialog of the procedure and trigger editors: the rows of
// one grid with their names and types shown read-only and their
// descriptions editable.

#include "app/editors/ProcSource.h"

#include <QDialog>

class QPushButton;
class TTypedGrid;

class TParamDescription : public QDialog
{
    Q_OBJECT
public:
    explicit TParamDescription(QWidget* parent = nullptr);
    ~TParamDescription() override;

    // One grid row per row, in the same order; opens on row 1, column 2.
    void SetRows(const TParamRows& rows);
    // The rows with the descriptions as edited.
    TParamRows Rows() const;

    TTypedGrid* ParamGrid;
    QPushButton* OkBtn;
    QPushButton* CancelBtn;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// Shows the dialog for the rows (the caption and column headings given, or
// the dialog's own when empty); true when the user pressed OK, the rows then
// carrying the edited descriptions.
bool EditParamDescriptions(QWidget* parent, TParamRows& rows, const QString& caption = QString(),
                           const QStringList& headings = QStringList());
