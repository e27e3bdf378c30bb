#pragma once

// The pick list of the procedure and trigger editors (F4 in the body): the
// parameters and variables as ":NAME" with their types, from which one is
// chosen to be pasted into the body at the caret.

#include "app/editors/ProcSource.h"

#include <QDialog>
#include <QList>
#include <QRect>

#include <functional>

class QLabel;
class QTableView;
class TqeCustomEdit;
class TDataSetModel;
class TDataSource;
class TField;
class TQcMemoryData;

struct TPickEntry
{
    QString Name;
    QString Type;

    bool operator==(const TPickEntry& other) const = default;
};

// The entries of the list: the inputs, a line of 54 "-" after them (when
// there are some), the outputs, a line of 30 "-" (when there are some) and
// the locals; a separator left last is dropped. Each named row gives ":"
// and its name.
QList<TPickEntry> PickListEntries(const TParamRows& inputs, const TParamRows& outputs, const TParamRows& locals);

// The body editor's own keys in the procedure and trigger editors, without
// a modifier: Insert switches between insert and overwrite and says which in
// modePanel, F4 calls pickList. False for any other key.
bool BodyEditorKey(int key, Qt::KeyboardModifiers modifiers, TqeCustomEdit& body, QLabel& modePanel,
                   const std::function<void()>& pickList);

// True for a separator entry, which cannot be chosen.
bool IsSeparatorEntry(const QString& name);

// The line with the name put into it so that it starts at the 1-based
// column. A line shorter than that is padded with blanks when pad is set;
// otherwise the name goes to the end of the line.
QString InsertNameAt(const QString& line, int column, const QString& name, bool pad);

// Where the list goes: its left edge "charWidth x (caretColumn + 1)" right
// of the editor's text origin, its top at the caret line's top; as high as
// its entries (entryHeight each) but at most the screen height - 20, and
// moved up when it would come closer than 20 pixels to the screen's bottom.
// editorOrigin is the editor's top-left point on the screen.
QRect ParamListGeometry(const QPoint& editorOrigin, int textOrigin, int charWidth, int lineHeight, int caretColumn,
                        int caretLine, int topLine, int entries, int entryHeight, int width, const QRect& screen);

class TParamList : public QDialog
{
    Q_OBJECT
public:
    explicit TParamList(QWidget* parent = nullptr);
    ~TParamList() override;

    // Fills the list and makes the first entry current.
    void Fill(const QList<TPickEntry>& entries);
    int EntryCount() const;
    // The current entry's name ("" when none).
    QString CurrentName() const;
    // Makes an entry current (0-based).
    void SetCurrentEntry(int index);
    // Enter or a double click: closes the list with OK unless the current
    // entry is a separator.
    void ChooseCurrent();

    TQcMemoryData* MT;
    TField* MTParamname;
    TField* MTParamtype;
    TDataSource* DataSource1;
    TDataSetModel* Model;
    QTableView* DBGrid1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
