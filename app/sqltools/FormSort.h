#pragma once

// The sort dialog of the data view: the dataset's columns in two lists,
// those available and those to sort by, each sort column with its direction.

#include "app/sqltools/DataViewSQL.h"

#include <QDialog>

class QKeyEvent;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class TDataSet;

class TFormSort : public QDialog
{
    Q_OBJECT
public:
    // The columns of the open dataset; those in `order` start in the sort list.
    TFormSort(TDataSet& dataSet, const QList<TDataViewSortField>& order, QWidget* parent = nullptr);

    // The sort list as it stands, top to bottom.
    QList<TDataViewSortField> SortFields() const;

    void AddAscClick() { AddSelected(false); }
    void AddDescClick() { AddSelected(true); }
    void RemoveClick();
    void RemoveAllClick();

    QTreeWidget* FromList;
    QTreeWidget* SortList;
    QPushButton* AddAsc;
    QPushButton* AddDesc;
    QPushButton* Remove;
    QPushButton* RemoveAll;
    QPushButton* OkBtn;
    QPushButton* CancelBtn;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void AddSelected(bool descending);
    // Back to the available list, in column order.
    void ReturnToFrom(QTreeWidgetItem* item);
};
