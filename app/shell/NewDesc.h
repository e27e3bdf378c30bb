#pragma once

// The description editor of one object: shows the object, its kind and its
// description, and writes the changed description back with COMMENT ON.
// Opened from the tree's "Set description" on an object node.

#include "access/QvDatabase.h"

#include <QDialog>
#include <QPointer>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTreeWidgetItem;
class TMainTree;
class TQvQuery;
class TQvTransaction;

// Whether objects of a tree category (an index into CategoryNames) carry a
// description this editor can change: views and generators do not.
bool DescriptionAllowed(int category);
// The select that reads an object's name and description; "" when the
// category takes none.
QString DescriptionSelect(int category, const QString& name);
// The statement that sets (or, for an empty text, clears) an object's
// description, in the dialect it is sent in; "" when the category takes none.
QString DescriptionStatement(int category, const QString& name, const QString& text, int dialect);

class TNewDesc : public QDialog
{
    Q_OBJECT
public:
    explicit TNewDesc(QWidget* parent = nullptr);
    ~TNewDesc() override;

    // The category text of the object's node, and the object's connection.
    void SetCategory(const QString& category);
    QString Category() const { return m_category; }
    void SetDatabase(TQvDatabase* database);

    // Reads the description into ObjDescr. False for an object that takes
    // none (the user was told) or when it could not be read (the error was
    // shown): the dialog is then not shown.
    bool FormShow();
    // Writes the description. True when the server took it; otherwise the
    // error was shown and the dialog stays open with the text.
    bool OkBtnClick();
    // Rolls back what the dialog's transaction still holds.
    void CancelBtnClick();

    QLineEdit* ObjName;
    QComboBox* ObjType;
    QPlainTextEdit* ObjDescr;
    QPushButton* OkBtn;
    QPushButton* CancelBtn;
    TQvTransaction* Tran;
    TQvQuery* Query;

private:
    int CategoryIndex() const;

    QString m_category;
    QPointer<TQvDatabase> m_database;
};

// The tree's "Set description" on an object node: the editor, and after OK
// the tree's stored description and its display.
void EditObjectDescription(TMainTree& tree, QTreeWidgetItem* node);
