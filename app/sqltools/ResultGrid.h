#pragma once

// The read-only grid of a result set: shows a dataset through TDataSetModel,
// keeps its current cell on the dataset's active record and moves the
// dataset when the user moves the cell. Ctrl+Home and Ctrl+End go to the
// first and the last record as the platform's data-aware grid does; the
// owner does the work (the last record means fetching them all).

#include <QTableView>

#include <functional>

class TDataSetModel;

class TResultGrid : public QTableView
{
    Q_OBJECT
public:
    explicit TResultGrid(QWidget* parent = nullptr);

    void setResultModel(TDataSetModel* model);
    TDataSetModel* resultModel() const { return m_model; }

    std::function<void()> OnFirst;
    std::function<void()> OnLast;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    void followDataSet(int row);
    // Each column as wide as its field's display width (and its title), as
    // the platform's grid lays out a dataset's columns.
    void sizeColumns();

    TDataSetModel* m_model = nullptr;
    bool m_following = false;
};
