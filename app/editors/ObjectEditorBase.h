#pragma once

// What the domain, view, generator and exception editors share: the
// registered database they belong to (kept by its stable entry, never by a
// pointer another window may free), whether they create or edit, sending one
// generated statement on the data module's shared statement and transaction,
// and the tree node of a created object.

#include "app/shell/BaseMDI.h"

class TQvDatabase;

class TObjectEditorBase : public TBaseMDI
{
    Q_OBJECT
public:
    // helpContext: what F1 asks the help for.
    TObjectEditorBase(quint64 dbId, int category, int helpContext, QWidget* parent = nullptr);

    bool IsNew() const { return m_isNew; }
    quint64 DBId() const { return m_dbId; }
    // 1 + the entry's index in the registered list now; 0 when it is gone.
    int DBNumber() const;
    // The entry's connection; raises "Database is not opened !" when it has none.
    TQvDatabase* Database() const;
    int Dialect() const;

protected:
    // The object exists now (created, or loaded for editing): later saves
    // alter it, and the window is found under its name.
    void SetEditing(const QString& objectName);
    // Runs the statement in the shared transaction and commits it; an error
    // rolls back and propagates. paramCheck off keeps "?" and ":" as text;
    // dialect 0 prepares it in the database's dialect.
    void ExecuteDDL(const QString& sql, bool paramCheck = true, int dialect = 0) const;
    // A node for a created object under the category, when the tree lists it.
    void AddCreatedNode(const QString& name) const;
    // The object's name as the database keeps it: for a new one the name
    // typed stands for (upper-cased, or what stands in its quotes); for an
    // existing one its stored name (dialect 3 names may hold lower case and
    // blanks).
    QString ObjectName(const QString& typed) const;
    // Checks a new object's typed name by the one name rule; shows '"name"' +
    // refusal, or why the database's dialect cannot write it, and answers false.
    bool CheckName(const QString& name, const QString& refusal) const;
    // A successful save closes the window once the save has returned (the
    // window cannot close while its own save runs).
    void CloseAfterSave();
    // A change handler: marks the window modified, except while it loads.
    void NoteChange();
    // Set while the window fills its controls from the database.
    bool m_loading = false;
    // Where the editor's controls go.
    QWidget* Body() const { return m_body; }

    void keyPressEvent(QKeyEvent* event) override;

private:
    quint64 m_dbId;
    int m_category;
    int m_helpContext;
    bool m_isNew = true;
    QWidget* m_body;
};
