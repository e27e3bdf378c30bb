#include "components/DBGrid.h"

#include "components/DataSetUtils.h"
#include "platform/Dialogs.h"
#include "platform/db/DataSet.h"
#include "platform/db/DataSetModel.h"
#include "platform/db/DataSource.h"
#include "platform/db/DatabaseError.h"
#include "platform/db/Field.h"

#include <QHash>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {

// Olive stands for "transparent" in the pictures, as in the bitmaps they
// were drawn after.
const QColor Olive(128, 128, 0);

QPixmap DrawGlyph(const QString& name)
{
    QImage image(16, 12, QImage::Format_ARGB32);
    image.fill(Olive);
    QPainter painter(&image);
    painter.setPen(Qt::black);
    if (name == QLatin1String("DBG_BLOB")) {
        painter.setBrush(QColor(0, 0, 128));
        painter.drawRect(1, 1, 13, 9);
        painter.setPen(Qt::white);
        for (int x = 3; x < 13; x += 3)
            painter.drawLine(x, 3, x, 8);
    } else if (name == QLatin1String("DBG_MEMO")) {
        painter.setBrush(Qt::white);
        painter.drawRect(2, 0, 11, 11);
        for (int y = 3; y < 10; y += 2)
            painter.drawLine(4, y, 11, y);
    } else if (name == QLatin1String("DBG_PICT")) {
        painter.setBrush(QColor(0, 128, 255));
        painter.drawRect(1, 1, 13, 9);
        painter.setBrush(QColor(0, 128, 0));
        painter.drawPolygon(QPolygon({QPoint(2, 10), QPoint(6, 4), QPoint(10, 10)}));
        painter.setBrush(Qt::yellow);
        painter.drawEllipse(QPoint(11, 4), 1, 1);
    } else if (name == QLatin1String("DBG_OLE")) {
        painter.setBrush(Qt::lightGray);
        painter.drawRect(1, 1, 13, 9);
        painter.drawText(QRect(1, 1, 14, 10), Qt::AlignCenter, QStringLiteral("O"));
    } else if (name == QLatin1String("DBG_DATA")) {
        painter.setBrush(QColor(255, 255, 192));
        painter.drawRect(1, 1, 13, 9);
        painter.drawLine(1, 4, 14, 4);
        painter.drawLine(6, 1, 6, 10);
    } else {
        return {};
    }
    painter.end();
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setMask(pixmap.createMaskFromColor(Olive));
    return pixmap;
}

} // namespace

void SizeColumnsToFields(QTableView& view, const TDataSetModel& model)
{
    constexpr int widestField = 64; // characters; longer texts are cut in the cell
    const QFontMetrics cell(view.font());
    const QFontMetrics title(view.horizontalHeader()->font());
    const int padding = 2 * cell.horizontalAdvance(QLatin1Char(' ')) + 4;
    // Numbers and dates are digits, wider than the average character of a
    // proportional font: a column sized by the average cuts them.
    const int character = qMax(cell.averageCharWidth(), cell.horizontalAdvance(QLatin1Char('0')));
    for (int column = 0; column < model.columnCount(); ++column) {
        const TField* field = model.fieldAt(column);
        const int characters = field ? qBound(1, field->DisplayWidth(), widestField) : 10;
        const int width = qMax(character * characters,
                               title.horizontalAdvance(model.headerData(column, Qt::Horizontal).toString()));
        view.setColumnWidth(column, width + padding);
    }
}

void FollowDataSetRow(QTableView& view, const TDataSetModel& model, int row, bool& following)
{
    if (row < 0 || row >= model.rowCount())
        return;
    const int column = view.currentIndex().isValid() ? view.currentIndex().column() : 0;
    if (column >= model.columnCount())
        return;
    following = true;
    view.setCurrentIndex(model.index(row, column));
    following = false;
    view.scrollTo(view.currentIndex());
}

QString GridGlyphName(TFieldType type)
{
    switch (type) {
    case ftBytes:
    case ftVarBytes:
    case ftBlob:
    case ftTypedBinary: return QStringLiteral("DBG_BLOB");
    case ftMemo:
    case ftFmtMemo: return QStringLiteral("DBG_MEMO");
    case ftGraphic: return QStringLiteral("DBG_PICT");
    case ftParadoxOle:
    case ftDBaseOle: return QStringLiteral("DBG_OLE");
    case ftCursor: return QStringLiteral("DBG_DATA");
    default: return {};
    }
}

const QPixmap& GridGlyph(const QString& name)
{
    static QHash<QString, QPixmap> glyphs;
    static const QPixmap none;
    auto found = glyphs.find(name);
    if (found == glyphs.end()) {
        QPixmap glyph = DrawGlyph(name);
        if (glyph.isNull())
            return none;
        found = glyphs.insert(name, glyph);
    }
    return *found;
}

// Draws a picture column's cell as its picture on the cell's background.
class TQcDBGrid::Delegate : public QStyledItemDelegate
{
public:
    explicit Delegate(TQcDBGrid& grid)
        : QStyledItemDelegate(&grid)
        , m_grid(grid)
    {
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QString glyph = m_grid.DefaultDrawing() ? m_grid.ColumnGlyph(index.column()) : QString();
        if (glyph.isEmpty()) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        const bool highlighted = (option.state & QStyle::State_Selected) && m_grid.hasFocus();
        painter->fillRect(option.rect, highlighted ? option.palette.highlight() : option.palette.base());
        const QPixmap& picture = GridGlyph(glyph);
        const QSize size = picture.deviceIndependentSize().toSize();
        const QPoint at(option.rect.left() + (option.rect.width() - size.width()) / 2,
                        option.rect.top() + (option.rect.height() - size.height()) / 2);
        painter->drawPixmap(at, picture);
    }

private:
    TQcDBGrid& m_grid;
};

TQcDBGrid::TQcDBGrid(QWidget* parent)
    : QTableView(parent)
    , m_model(new TDataSetModel(this))
{
    setItemDelegate(new Delegate(*this));
    setModel(m_model);
    // The view would post the record whenever its current row changes, also
    // when it only follows the dataset into a new record: leaving a record
    // posts it through the dataset instead (TDataSetModel::setCurrentRow).
    disconnect(selectionModel(), SIGNAL(currentRowChanged(QModelIndex, QModelIndex)), m_model, SLOT(submit()));
    setSelectionMode(QAbstractItemView::SingleSelection);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumWidth(14);
    horizontalHeader()->setHighlightSections(false);
    connect(m_model, &TDataSetModel::currentRowChanged, this, &TQcDBGrid::FollowDataSet);
    connect(m_model, &QAbstractItemModel::modelReset, this, &TQcDBGrid::SizeColumns);
    connect(m_model, &TDataSetModel::errorOccurred, this, &TQcDBGrid::ShowError);
    ApplyOptions();
}

TQcDBGrid::~TQcDBGrid() = default;

TDataSource* TQcDBGrid::DataSource() const
{
    return m_model->dataSource();
}

void TQcDBGrid::SetDataSource(TDataSource* source)
{
    m_model->setDataSource(source);
}

void TQcDBGrid::SetOptions(TDBGridOptions options)
{
    m_options = options;
    ApplyOptions();
}

void TQcDBGrid::SetReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    ApplyOptions();
}

void TQcDBGrid::SetShowGlyphs(bool show)
{
    m_showGlyphs = show;
    viewport()->update();
}

void TQcDBGrid::SetDefaultDrawing(bool on)
{
    m_defaultDrawing = on;
    viewport()->update();
}

void TQcDBGrid::ApplyOptions()
{
    const bool editing = (m_options & dgEditing) && !m_readOnly;
    setEditTriggers(editing ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                                  | QAbstractItemView::AnyKeyPressed
                            : QAbstractItemView::NoEditTriggers);
    horizontalHeader()->setVisible(m_options & dgTitles);
    verticalHeader()->setVisible(m_options & dgIndicator);
    horizontalHeader()->setSectionResizeMode((m_options & dgColumnResize) ? QHeaderView::Interactive
                                                                           : QHeaderView::Fixed);
    setShowGrid((m_options & dgColLines) || (m_options & dgRowLines));
    setTabKeyNavigation(m_options & dgTabs);
    setSelectionBehavior((m_options & dgRowSelect) ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
}

QString TQcDBGrid::ColumnGlyph(int column) const
{
    const TField* field = m_model->fieldAt(column);
    if (!m_showGlyphs || !field)
        return {};
    return GridGlyphName(field->DataType());
}

TField* TQcDBGrid::SelectedField() const
{
    const QModelIndex index = currentIndex();
    return m_model->fieldAt(index.isValid() ? index.column() : 0);
}

bool TQcDBGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event)
{
    if (index.isValid() && !ColumnGlyph(index.column()).isEmpty())
        return false;
    return QTableView::edit(index, trigger, event);
}

void TQcDBGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    // A new record is filled column by column: Enter ends the cell's edit
    // only, and the record is posted when its row is left or on Post.
    TDataSet* dataSet = DataSource() ? DataSource()->DataSet() : nullptr;
    if (hint == QAbstractItemDelegate::SubmitModelCache && dataSet && dataSet->State() == dsInsert)
        hint = QAbstractItemDelegate::NoHint;
    // Esc in a cell gives back that cell only; the record is cancelled by a
    // further Esc once no cell is open (keyPressEvent).
    if (hint == QAbstractItemDelegate::RevertModelCache && dataSet
        && (dataSet->State() == dsInsert || dataSet->State() == dsEdit))
        hint = QAbstractItemDelegate::NoHint;
    QTableView::closeEditor(editor, hint);
}

void TQcDBGrid::CommitEdit()
{
    if (!Editing())
        return;
    QWidget* editor = indexWidget(currentIndex());
    if (!editor)
        return;
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void TQcDBGrid::DeleteCurrentRecord()
{
    TDataSet* dataSet = DataSource() ? DataSource()->DataSet() : nullptr;
    if (m_readOnly || !dataSet || !dataSet->Active() || DataSetEmpty(dataSet) || !(m_options & dgConfirmDelete))
        return;
    Attempt([dataSet] {
        if (!dataSet->CanModify())
            return;
        if (qv::messageDlg(QStringLiteral("Delete record?"), qv::mtConfirmation, qv::mbYes | qv::mbNo) != qv::mrYes)
            return;
        dataSet->Delete();
    });
}

void TQcDBGrid::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::ControlModifier) {
        DeleteCurrentRecord();
        event->accept();
        return;
    }
    TDataSet* dataSet = DataSource() ? DataSource()->DataSet() : nullptr;
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && dataSet
        && (dataSet->State() == dsInsert || dataSet->State() == dsEdit)) {
        Attempt([dataSet] { dataSet->Cancel(); });
        event->accept();
        return;
    }
    // The first and the last record of the dataset, not of the rows fetched so far.
    if (dataSet && dataSet->Active() && event->modifiers() == Qt::ControlModifier
        && (event->key() == Qt::Key_End || event->key() == Qt::Key_Home)) {
        const bool last = event->key() == Qt::Key_End;
        Attempt([dataSet, last] {
            if (last)
                dataSet->Last();
            else
                dataSet->First();
        });
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void TQcDBGrid::focusOutEvent(QFocusEvent* event)
{
    QTableView::focusOutEvent(event);
    // An inserted record nobody typed into is dropped when the grid is left.
    TDataSet* dataSet = DataSource() ? DataSource()->DataSet() : nullptr;
    if ((m_options & dgCancelOnExit) && dataSet && dataSet->State() == dsInsert && !dataSet->Modified()
        && state() != QAbstractItemView::EditingState) {
        try {
            dataSet->Cancel();
        } catch (const std::exception& error) {
            ShowError(QString::fromUtf8(error.what()));
        }
    }
}

void TQcDBGrid::SetErrorTaker(TDataSetModel::ErrorTaker taker)
{
    m_model->setErrorTaker(std::move(taker));
}

void TQcDBGrid::Attempt(const std::function<void()>& action)
{
    try {
        action();
    } catch (const std::exception& error) {
        if (!m_model->taken(error))
            ShowError(ErrorText(error));
    }
}

void TQcDBGrid::ShowError(const QString& message)
{
    qv::messageDlg(message, qv::mtError, qv::mbOK);
}

void TQcDBGrid::SizeColumns()
{
    SizeColumnsToFields(*this, *m_model);
}

void TQcDBGrid::FollowDataSet(int row)
{
    FollowDataSetRow(*this, *m_model, row, m_following);
}

void TQcDBGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    if (!m_following && current.isValid() && current.row() != previous.row())
        m_model->setCurrentRow(current.row());
}
