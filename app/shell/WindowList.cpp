#include "app/shell/WindowList.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TWindowList::TWindowList(QWidget* parent)
    : QDialog(parent, Qt::Tool)
    , m_winList(new QListWidget(this))
{
    setObjectName(QStringLiteral("WindowList"));
    setWindowTitle(QStringLiteral("Window List"));
    m_winList->setObjectName(QStringLiteral("WinList"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OkBtn"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("CancelBtn"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_winList, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_winList);
    layout->addWidget(buttons);
    resize(300, 260);
}

void TWindowList::UpdateEntries(const QList<QWidget*>& windows, const QWidget* active)
{
    for (int row = int(m_windows.size()) - 1; row >= 0; --row) {
        const QPointer<QWidget>& window = m_windows.at(row);
        if (!window || !windows.contains(window.data())) {
            delete m_winList->takeItem(row);
            m_windows.removeAt(row);
        }
    }
    for (int i = int(windows.size()) - 1; i >= 0; --i) {
        QWidget* window = windows.at(i);
        bool known = false;
        for (const QPointer<QWidget>& entry : std::as_const(m_windows))
            known = known || entry.data() == window;
        if (!known) {
            m_winList->addItem(window->windowTitle());
            m_windows.append(window);
        }
    }
    for (int row = 0; row < m_windows.size(); ++row)
        if (m_windows.at(row).data() == active)
            m_winList->setCurrentRow(row);
}

QWidget* TWindowList::SelectedWindow() const
{
    const int row = m_winList->currentRow();
    return row >= 0 && row < m_windows.size() ? m_windows.at(row).data() : nullptr;
}

QList<QWidget*> TWindowList::EntryWindows() const
{
    QList<QWidget*> list;
    for (const QPointer<QWidget>& window : m_windows)
        list << window.data();
    return list;
}
