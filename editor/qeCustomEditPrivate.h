#pragma once

// Helpers of the editor control's own sources.
#include "editor/qeCustomEdit.h"

// One repaint for everything done while it lives.
class TqeUpdateLock
{
public:
    explicit TqeUpdateLock(TqeCustomEdit* edit) : m_edit(edit) { m_edit->BeginUpdate(); }
    ~TqeUpdateLock() { m_edit->EndUpdate(); }
    TqeUpdateLock(const TqeUpdateLock&) = delete;
    TqeUpdateLock& operator=(const TqeUpdateLock&) = delete;

private:
    TqeCustomEdit* m_edit;
};

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
