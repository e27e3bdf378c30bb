#pragma once

// The window that shows the selected object's description while
// descriptions are switched on in description mode 0. Created at start-up,
// shown and hidden by "Show Descriptions".

#include <QWidget>

#include <functional>

class QLabel;
class TFormPlacement;

class TShowDesc : public QWidget
{
    Q_OBJECT
public:
    explicit TShowDesc(QWidget* parent = nullptr);

    QLabel* Descr() const { return m_descr; }
    // Asked before the window closes; a true answer keeps it open.
    std::function<bool()> KeepOpen;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QLabel* m_descr;
    TFormPlacement* m_placement;
};

extern TShowDesc* ShowDesc;
