#include "app/editors/GeneratorForm.h"

#include "access/QvDatabase.h"
#include "access/QvQuery.h"
#include "access/QvTransactionScope.h"
#include "app/editors/FormControls.h"
#include "app/editors/ObjectEditorDDL.h"
#include "app/shell/DataM.h"
#include "app/shell/MainTreeF.h"
#include "components/CurrEdit.h"

#include <QFormLayout>
#include <QLineEdit>

#include <cmath>

namespace {

constexpr int kHelpContext = 109;
// Dialect 1 reads an integer literal beyond 32 bits as a double, which
// SET GENERATOR refuses, and its gen_id answers only the low 32 bits; in
// dialect 3 both carry every 64-bit value exactly, and the statements hold
// nothing else a dialect could read differently.
constexpr int kValueDialect = 3;

} // namespace

TGeneratorForm::TGeneratorForm(quint64 dbId, QWidget* parent)
    : TObjectEditorBase(dbId, catGenerators, kHelpContext, parent)
{
    setObjectName(QStringLiteral("GeneratorForm"));
    setWindowTitle(QStringLiteral("Create Generator"));
    auto* form = new QFormLayout(Body());
    GenName = new QLineEdit(Body());
    GenName->setObjectName(QStringLiteral("GenName"));
    GenValue = new TCurrencyEdit(Body());
    GenValue->setObjectName(QStringLiteral("GenValue"));
    GenValue->SetDecimalPlaces(0);
    GenValue->SetDisplayFormat(QStringLiteral("#0"));
    GenValue->SetZeroEmpty(false);
    GenValue->SetValue(0);
    form->addRow(QStringLiteral("Name:"), GenName);
    form->addRow(QStringLiteral("Value:"), GenValue);
    KeepUpperCase(GenName);
    connect(GenName, &QLineEdit::textEdited, this, [this] { NoteChange(); });
    GenValue->OnChange = [this](QObject*) { NoteChange(); };
    resize(320, 120);
}

void TGeneratorForm::LoadGenerator(const QString& name, qint64 value)
{
    m_loading = true;
    GenName->setText(name);
    GenName->setReadOnly(true);
    GenValue->SetValue(double(value));
    m_loading = false;
    SetEditing(name);
    setWindowTitle(QStringLiteral("Edit Generator: ") + name);
}

QString TGeneratorForm::ValueText() const
{
    bool exact = false;
    const qint64 typed = TCustomNumEdit::TextToValText(GenValue->Text()).toLongLong(&exact);
    if (exact)
        return QString::number(typed);
    // Beyond 64 bits the server gets the number as it is and refuses it.
    return QString::number(std::trunc(GenValue->Value()), 'f', 0);
}

bool TGeneratorForm::OkBtnClick()
{
    if (!CheckName(GenName->text(), QStringLiteral(" is not valid generator name")))
        return false;
    const QString name = ObjectName(GenName->text());
    const QString value = ValueText();
    const int dialect = Dialect();
    if (IsNew()) {
        ExecuteDDL(CreateGeneratorStatement(name, dialect));
        // From here on the generator exists: a failed value is set again on
        // the next save, never created a second time.
        GenName->setText(name);
        GenName->setReadOnly(true);
        SetEditing(name);
        setWindowTitle(QStringLiteral("Edit Generator: ") + name);
        AddCreatedNode(name);
        if (!value.startsWith(u'-') && value != QStringLiteral("0"))
            ExecuteDDL(SetGeneratorStatement(name, value, dialect), true, kValueDialect);
    } else {
        ExecuteDDL(SetGeneratorStatement(name, value, dialect), true, kValueDialect);
    }
    CloseAfterSave();
    return true;
}

qint64 ReadGeneratorValue(TQvDatabase* database, const QString& name)
{
    TQvQuery& query = *DM->Query();
    if (query.Open())
        query.Close();
    const int savedDialect = query.SQLDialect();
    query.SetDatabase(database);
    DM->IBTran()->SetDefaultDatabase(database);
    query.SetSQLDialect(kValueDialect);
    qint64 value = 0;
    try {
        TQvTransactionScope transaction(DM->IBTran());
        query.SetSQLText(GeneratorValueSelect(name, database->SQLDialect()));
        query.ExecQuery();
        if (!query.Eof())
            value = query.Fields(0).AsInt64();
        query.Close();
        transaction.Commit();
    } catch (...) {
        query.SetSQLDialect(savedDialect);
        throw;
    }
    query.SetSQLDialect(savedDialect);
    return value;
}
