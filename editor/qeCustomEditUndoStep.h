#pragma once

// Used by the editor's own sources only.
#include "editor/qeCustomEdit.h"

// One change of the text as one undo record: made before the change (it
// remembers caret and block and starts recording the lines touched) and
// committed after it with the record's kind, range and text. A step left
// without a commit (the change failed) drops the undo history, whose records
// no longer fit the text.
class TqeCustomEdit::UndoStep
{
public:
    explicit UndoStep(TqeCustomEdit* edit);
    ~UndoStep();
    UndoStep(const UndoStep&) = delete;
    UndoStep& operator=(const UndoStep&) = delete;

    void Commit(quint8 kind, const QPoint& start, const QString& text, const QPoint& end);

private:
    TqeCustomEdit* m_edit;
    TqeEditState m_before;
    bool m_done = false;
};
