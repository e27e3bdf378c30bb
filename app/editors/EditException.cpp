#include "app/editors/EditException.h"

#include "access/QvDatabase.h"
#include "access/QvQuery.h"
#include "access/QvSqlText.h"
#include "access/QvTransactionScope.h"
#include "app/editors/FormControls.h"
#include "app/editors/ObjectEditorDDL.h"
#include "app/shell/CatalogQuery.h"
#include "app/shell/MainTreeF.h"
#include "components/StrUtils.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>

namespace {

constexpr int kHelpContext = 111;

} // namespace

TEditException::TEditException(quint64 dbId, QWidget* parent)
    : TObjectEditorBase(dbId, catExceptions, kHelpContext, parent)
{
    setObjectName(QStringLiteral("EditException"));
    setWindowTitle(QStringLiteral("Create Exception"));
    auto* form = new QFormLayout(Body());
    ExName = new QLineEdit(Body());
    ExName->setObjectName(QStringLiteral("ExName"));
    ExText = new QPlainTextEdit(Body());
    ExText->setObjectName(QStringLiteral("ExText"));
    ExText->setTabChangesFocus(true);
    form->addRow(QStringLiteral("Name:"), ExName);
    form->addRow(QStringLiteral("Message:"), ExText);
    KeepUpperCase(ExName);
    connect(ExName, &QLineEdit::textEdited, this, [this] { NoteChange(); });
    connect(ExText, &QPlainTextEdit::textChanged, this, [this] {
        LimitText();
        NoteChange();
    });
    resize(420, 160);
}

void TEditException::LimitText()
{
    const QString text = ExText->toPlainText();
    if (text.size() <= MaxMessageLength)
        return;
    const QSignalBlocker block(ExText);
    ExText->setPlainText(StrLeftWhole(text, MaxMessageLength));
    ExText->moveCursor(QTextCursor::End);
}

void TEditException::LoadException(const QString& name)
{
    TQvDatabase* database = Database();
    // A statement and transaction of the window's own, gone with the read.
    TQvTransaction transaction;
    transaction.AddDatabase(database);
    TQvQuery query;
    query.SetTransaction(&transaction);
    QString message;
    {
        TQvTransactionScope scope(transaction);
        {
            TCatalogQuery rows(query, database,
                               QStringLiteral("select * from rdb$exceptions where rdb$exception_name=")
                                   + QvSql::SingleQuoted(name));
            if (!rows.Eof())
                message = rows.Text(QStringLiteral("RDB$MESSAGE"));
        }
        scope.Commit();
    }
    m_loading = true;
    ExName->setText(name);
    ExName->setReadOnly(true);
    ExText->setPlainText(message);
    m_loading = false;
    SetEditing(name);
    setWindowTitle(QStringLiteral("Edit Exception: ") + name);
}

bool TEditException::OkBtnClick()
{
    if (!CheckName(ExName->text(), QStringLiteral(" is not valid exception name")))
        return false;
    const QString name = ObjectName(ExName->text());
    const bool isNew = IsNew();
    // Without the parameter check, "?" and ":" in the message stay text.
    ExecuteDDL(ExceptionStatement(isNew, name, ExText->toPlainText(), Dialect()), false);
    if (isNew) {
        SetEditing(name);
        AddCreatedNode(name);
    }
    CloseAfterSave();
    return true;
}
