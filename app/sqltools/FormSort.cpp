#include "app/sqltools/FormSort.h"

#include "platform/Dialogs.h"
#include "platform/db/DataSet.h"
#include "platform/db/Field.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTreeWidget>

#include <algorithm>

namespace {

constexpr int PositionRole = Qt::UserRole;
constexpr int DescendingRole = Qt::UserRole + 1;

// Image 0 (ascending) and 1 (descending) of the dialog's image list.
QIcon DirectionIcon(bool descending)
{
    QPixmap pixmap(12, 12);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(descending ? QColor(160, 0, 0) : QColor(0, 110, 0));
    painter.setPen(Qt::NoPen);
    if (descending)
        painter.drawPolygon(QPolygon({QPoint(1, 3), QPoint(11, 3), QPoint(6, 10)}));
    else
        painter.drawPolygon(QPolygon({QPoint(1, 9), QPoint(11, 9), QPoint(6, 2)}));
    return QIcon(pixmap);
}

QTreeWidget* MakeList(QWidget* parent, const char* name)
{
    auto* list = new QTreeWidget(parent);
    list->setObjectName(QLatin1String(name));
    list->setHeaderHidden(true);
    list->setColumnCount(1);
    list->setColumnWidth(0, 175);
    list->setRootIsDecorated(false);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    return list;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, const QString& hint)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setToolTip(hint);
    return button;
}

} // namespace

TFormSort::TFormSort(TDataSet& dataSet, const QList<TDataViewSortField>& order, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FormSort"));
    setWindowTitle(QStringLiteral("Select Sort Fields and there order"));
    FromList = MakeList(this, "FromList");
    SortList = MakeList(this, "SortList");
    AddAsc = MakeButton(this, "AddAsc", QStringLiteral(">"), QStringLiteral("Sort with Ascending order (Ctrl - Right)"));
    AddDesc = MakeButton(this, "AddDesc", QStringLiteral(">>"), QStringLiteral("Sort with Descending order (Alt - Right)"));
    Remove = MakeButton(this, "Remove", QStringLiteral("<"), QStringLiteral("Remove from Sort List"));
    RemoveAll = MakeButton(this, "RemoveAll", QStringLiteral("<<"), QStringLiteral("Remove All From Sort List"));
    OkBtn = MakeButton(this, "OkBtn", QStringLiteral("OK"), QString());
    CancelBtn = MakeButton(this, "CancelBtn", QStringLiteral("Cancel"), QString());
    OkBtn->setDefault(true);

    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Available Fields:"), this), 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("Sort Fields:"), this), 0, 2);
    layout->addWidget(FromList, 1, 0, 6, 1);
    layout->addWidget(SortList, 1, 2, 6, 1);
    layout->addWidget(AddAsc, 1, 1);
    layout->addWidget(AddDesc, 2, 1);
    layout->addWidget(Remove, 3, 1);
    layout->addWidget(RemoveAll, 4, 1);
    layout->setRowStretch(5, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OkBtn);
    buttons->addWidget(CancelBtn);
    layout->addLayout(buttons, 7, 0, 1, 3);

    connect(AddAsc, &QPushButton::clicked, this, &TFormSort::AddAscClick);
    connect(AddDesc, &QPushButton::clicked, this, &TFormSort::AddDescClick);
    connect(Remove, &QPushButton::clicked, this, &TFormSort::RemoveClick);
    connect(RemoveAll, &QPushButton::clicked, this, &TFormSort::RemoveAllClick);
    connect(OkBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    FromList->installEventFilter(this);

    for (int i = 0; i < dataSet.FieldCount(); ++i) {
        const QString name = dataSet.Fields(i).FieldName();
        auto* item = new QTreeWidgetItem({name});
        item->setData(0, PositionRole, i);
        const auto sorted = std::find_if(order.begin(), order.end(),
                                         [&name](const TDataViewSortField& field) { return field.Name == name; });
        if (sorted != order.end()) {
            item->setData(0, DescendingRole, sorted->Descending);
            item->setIcon(0, DirectionIcon(sorted->Descending));
            SortList->addTopLevelItem(item);
        } else {
            FromList->addTopLevelItem(item);
        }
    }
    if (FromList->topLevelItemCount() > 0)
        FromList->setCurrentItem(FromList->topLevelItem(0));
}

QList<TDataViewSortField> TFormSort::SortFields() const
{
    QList<TDataViewSortField> fields;
    for (int i = 0; i < SortList->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = SortList->topLevelItem(i);
        fields.append({item->text(0), item->data(0, DescendingRole).toBool()});
    }
    return fields;
}

void TFormSort::AddSelected(bool descending)
{
    QTreeWidgetItem* item = FromList->currentItem();
    if (!item || !item->isSelected())
        return;
    const int place = FromList->indexOfTopLevelItem(item);
    FromList->takeTopLevelItem(place);
    item->setData(0, DescendingRole, descending);
    item->setIcon(0, DirectionIcon(descending));
    SortList->addTopLevelItem(item);
    const int count = FromList->topLevelItemCount();
    if (count > 0) {
        QTreeWidgetItem* next = FromList->topLevelItem(std::min(place, count - 1));
        FromList->setCurrentItem(next);
        next->setSelected(true);
    } else {
        FromList->setCurrentItem(nullptr);
        FromList->clearSelection();
    }
}

void TFormSort::ReturnToFrom(QTreeWidgetItem* item)
{
    SortList->takeTopLevelItem(SortList->indexOfTopLevelItem(item));
    item->setIcon(0, QIcon());
    item->setData(0, DescendingRole, QVariant());
    const int position = item->data(0, PositionRole).toInt();
    int at = 0;
    while (at < FromList->topLevelItemCount() && FromList->topLevelItem(at)->data(0, PositionRole).toInt() < position)
        ++at;
    FromList->insertTopLevelItem(at, item);
}

void TFormSort::RemoveClick()
{
    QTreeWidgetItem* item = SortList->currentItem();
    if (item && item->isSelected())
        ReturnToFrom(item);
}

void TFormSort::RemoveAllClick()
{
    if (qv::messageDlg(QStringLiteral("Remove ALL Fields from sort list ?"), qv::mtWarning, qv::mbYes | qv::mbNo)
        != qv::mrYes)
        return;
    while (SortList->topLevelItemCount() > 0)
        ReturnToFrom(SortList->topLevelItem(0));
}

bool TFormSort::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == FromList && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Right && key->modifiers() == Qt::ControlModifier) {
            AddAscClick();
            return true;
        }
        if (key->key() == Qt::Key_Right && key->modifiers() == Qt::AltModifier) {
            AddDescClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
