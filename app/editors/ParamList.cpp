#include "app/editors/ParamList.h"

#include "components/MemoryData.h"
#include "editor/qeCustomEdit.h"
#include "platform/db/DataSetModel.h"
#include "platform/db/DataSource.h"
#include "platform/db/Field.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

QList<TPickEntry> PickListEntries(const TParamRows& inputs, const TParamRows& outputs, const TParamRows& locals)
{
    QList<TPickEntry> entries;
    const auto addNamed = [&entries](const TParamRows& rows) {
        bool any = false;
        for (const TParamRow& row : rows) {
            if (row.Name.isEmpty())
                continue;
            entries << TPickEntry{QLatin1Char(':') + row.Name, row.Type};
            any = true;
        }
        return any;
    };
    if (addNamed(inputs))
        entries << TPickEntry{QString(54, u'-'), QString(54, u'-')};
    if (addNamed(outputs))
        entries << TPickEntry{QString(30, u'-'), QString(30, u'-')};
    if (!addNamed(locals) && !entries.isEmpty() && IsSeparatorEntry(entries.last().Name))
        entries.removeLast();
    return entries;
}

bool BodyEditorKey(int key, Qt::KeyboardModifiers modifiers, TqeCustomEdit& body, QLabel& modePanel,
                   const std::function<void()>& pickList)
{
    if (modifiers != Qt::NoModifier)
        return false;
    if (key == Qt::Key_Insert) {
        body.SetInsertMode(!body.InsertMode());
        modePanel.setText(body.InsertMode() ? QStringLiteral("Insert") : QStringLiteral("Overwrite"));
        return true;
    }
    if (key == Qt::Key_F4) {
        pickList();
        return true;
    }
    return false;
}

bool IsSeparatorEntry(const QString& name)
{
    return name.startsWith(QStringLiteral("---"));
}

QString InsertNameAt(const QString& line, int column, const QString& name, bool pad)
{
    const qsizetype at = std::max(0, column - 1);
    if (at > line.size())
        return pad ? line + QString(at - line.size(), u' ') + name : line + name;
    QString result = line;
    result.insert(at, name);
    return result;
}

QRect ParamListGeometry(const QPoint& editorOrigin, int textOrigin, int charWidth, int lineHeight, int caretColumn,
                        int caretLine, int topLine, int entries, int entryHeight, int width, const QRect& screen)
{
    const int left = editorOrigin.x() + textOrigin + charWidth * (caretColumn + 1);
    int top = editorOrigin.y() + (caretLine - topLine) * lineHeight;
    const int height = std::min(entries * entryHeight, screen.height() - 20);
    const int lowest = screen.bottom() + 1 - 20;
    if (top + height > lowest)
        top = lowest - height;
    return {left, top, width, height};
}

// ---------------------------------------------------------------- TParamList

TParamList::TParamList(QWidget* parent)
    : QDialog(parent, Qt::Popup | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("ParamList"));
    setWindowTitle(QStringLiteral("Parameters List"));

    MT = new TQcMemoryData(this);
    MT->setObjectName(QStringLiteral("MT"));
    MTParamname = &MT->AddField(std::make_unique<TStringField>(QStringLiteral("Paramname"), 32));
    MTParamname->SetDisplayWidth(20);
    MTParamtype = &MT->AddField(std::make_unique<TStringField>(QStringLiteral("Paramtype"), 32));
    MTParamtype->SetDisplayWidth(15);
    DataSource1 = new TDataSource(this);
    DataSource1->setObjectName(QStringLiteral("DataSource1"));
    DataSource1->SetDataSet(MT);
    DataSource1->SetAutoEdit(false);
    Model = new TDataSetModel(this);
    Model->setDataSource(DataSource1);

    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setModel(Model);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->setFrameShape(QFrame::NoFrame);
    DBGrid1->horizontalHeader()->hide();
    DBGrid1->verticalHeader()->hide();
    DBGrid1->setShowGrid(false);
    DBGrid1->setBackgroundRole(QPalette::ToolTipBase);
    DBGrid1->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    DBGrid1->installEventFilter(this);
    connect(DBGrid1, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        SetCurrentEntry(index.row());
        ChooseCurrent();
    });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->addWidget(DBGrid1);
    MT->Open();
}

TParamList::~TParamList() = default;

void TParamList::Fill(const QList<TPickEntry>& entries)
{
    for (const TPickEntry& entry : entries) {
        MT->Append();
        MTParamname->SetAsString(entry.Name);
        MTParamtype->SetAsString(entry.Type);
        MT->Post();
    }
    if (!entries.isEmpty())
        SetCurrentEntry(0);
    const int charWidth = fontMetrics().horizontalAdvance(u'A');
    DBGrid1->setColumnWidth(0, charWidth * MTParamname->DisplayWidth());
    DBGrid1->setColumnWidth(1, charWidth * MTParamtype->DisplayWidth());
}

int TParamList::EntryCount() const
{
    return MT->RecordCount();
}

QString TParamList::CurrentName() const
{
    return MT->IsEmpty() ? QString() : MTParamname->AsString();
}

void TParamList::SetCurrentEntry(int index)
{
    if (index < 0 || index >= EntryCount())
        return;
    MT->SetRecNo(index + 1);
    DBGrid1->setCurrentIndex(Model->index(index, 0));
}

void TParamList::ChooseCurrent()
{
    const QModelIndex current = DBGrid1->currentIndex();
    if (current.isValid())
        SetCurrentEntry(current.row());
    if (EntryCount() == 0 || IsSeparatorEntry(CurrentName()))
        return;
    accept();
}

bool TParamList::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == DBGrid1 && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            ChooseCurrent();
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            reject();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
