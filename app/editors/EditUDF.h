#pragma once

// The external-function editor: declares a new function, or re-declares an
// existing one by dropping and declaring it again in one transaction, so a
// declaration the server refuses leaves the old one in place.

#include "app/editors/UDFText.h"
#include "app/shell/BaseMDI.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TQvDatabase;
class TTypedGrid;

class TEditUDF : public TBaseMDI
{
    Q_OBJECT
public:
    // For the database of a registration (TDBList::GetId); a new function
    // until LoadFunction is called.
    explicit TEditUDF(quint64 dbId, QWidget* parent = nullptr);

    bool IsNew = true;

    // Null until the constructor makes them: the window's event filter
    // already sees the events of the making.
    QLineEdit* FuncName = nullptr;
    QLineEdit* ModuleName = nullptr;
    QLineEdit* EntryName = nullptr;
    QGroupBox* InputGroup = nullptr;
    TTypedGrid* InputList = nullptr;
    QPushButton* AddBtn = nullptr;
    QPushButton* RemoveBtn = nullptr;
    QGroupBox* OutputGroup = nullptr;
    QComboBox* PType = nullptr;
    QGroupBox* RetBy = nullptr;
    QRadioButton* RetByValue = nullptr;
    QRadioButton* RetByReference = nullptr;
    QCheckBox* FreeIT = nullptr;

    // Reads an existing function into the window and makes it the function
    // edited. Raises when it cannot be read, is gone, or is not an external
    // function (PSQL functions have editors of their own kind).
    void LoadFunction(const QString& name);

    // The declaration the controls describe now.
    TUDFDeclaration Declaration() const;

    // The "Returns by:" choice: 0 Value, 1 Reference, -1 none.
    int RetByIndex() const;
    void SetRetByIndex(int index);

    // The parameter rows (the grid's rows below its title) and their editing.
    int ParameterRows() const;
    void AddBtnClick();
    // Asks "Delete parameter  ?"; on Yes removes the current row.
    void RemoveBtnClick();
    // The grid's own keys; true when the key was taken.
    bool InputListKeyDown(int key, Qt::KeyboardModifiers modifiers);

protected:
    bool OkBtnClick() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TQvDatabase* Database() const;
    bool CheckDeclaration(const TUDFDeclaration& declaration, int dialect) const;
    bool RowEmpty(int row) const;
    void RemoveRow(int row);
    void InputListEnterCell(int row);
    void ReturnTypeEntered();
    void AddTreeNode(const QString& name) const;

    quint64 m_dbId;
    bool m_loading = false;
    bool m_plainArguments = true;
};

// The tree's New and Edit commands of the "User-defined Functions" category.
TEditUDF* NewUDFClick(const TObjectRef& ref);
// Brings the function's open editor forward, or opens one; none when the
// function could not be loaded (the reason was shown).
TEditUDF* EditUDFClick(const TObjectRef& ref);
void InstallUDFEditor();
