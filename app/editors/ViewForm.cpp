#include "app/editors/ViewForm.h"

#include "access/QvDatabase.h"
#include "access/QvQuery.h"
#include "access/QvTransactionScope.h"
#include "app/editors/ObjectEditorDDL.h"
#include "app/editors/ObjectLinks.h"
#include "app/shell/DBListObject.h"
#include "app/shell/DataM.h"
#include "app/shell/Main.h"
#include "app/shell/MainTreeF.h"
#include "app/shell/MyConst.h"
#include "app/shell/ObjectDDL.h"
#include "app/shell/Options.h"
#include "editor/qeCustomEdit.h"
#include "editor/qeGeneralSyn.h"
#include "platform/Dialogs.h"

#include <QLayout>
#include <QVBoxLayout>

namespace {

constexpr int kHelpContext = 105;

} // namespace

TViewForm::TViewForm(quint64 dbId, QWidget* parent)
    : TObjectEditorBase(dbId, catViews, kHelpContext, parent)
{
    setObjectName(QStringLiteral("ViewForm"));
    setWindowTitle(QStringLiteral("Create View"));
    auto* layout = new QVBoxLayout(Body());
    layout->setContentsMargins(0, 0, 0, 0);

    Syntax = NewSQLSyntax(this, TDM::SQLKeywords());
    SQLText = new TqeCustomEdit(Body());
    SQLText->setObjectName(QStringLiteral("SQLText"));
    SQLText->SetHighLighter(Syntax);
    SQLText->SetGutterWidth(30);
    SQLText->OnChange = [this](TqeCustomEdit*) { NoteChange(); };
    SQLText->OnHyperLinkClick = [this](TqeCustomEdit*, const QString& word) { SQLTextHyperLinkClick(word); };
    layout->addWidget(SQLText);
    setFocusProxy(SQLText);

    RunT = new TQvTransaction(this);
    RunT->setObjectName(QStringLiteral("RunT"));
    RunT->SetTimeoutAction(TARollback);
    RunQ = new TQvQuery(this);
    RunQ->setObjectName(QStringLiteral("RunQ"));
    RunQ->SetTransaction(RunT);
    SetObjectLinkWords(Syntax, DBId());
    resize(560, 360);
}

TViewForm::~TViewForm()
{
    try {
        if (RunT->Active())
            RunT->Rollback();
    } catch (...) {
        // Nothing of the window's is left to undo.
    }
}

void TViewForm::showEvent(QShowEvent* event)
{
    TObjectEditorBase::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    ApplyEditorOptions(SQLText, Syntax);
}

void TViewForm::SQLTextHyperLinkClick(const QString& word)
{
    ShowLinkedObject(DBId(), word);
}

void TViewForm::LoadView(const QString& viewName)
{
    const QString text = BuildObjectDDL(viewName, Database(), okView);
    m_loading = true;
    SQLText->SetText(text);
    m_loading = false;
    ViewName = viewName;
    SetEditing(viewName);
    setWindowTitle(QStringLiteral("Edit View: ") + viewName);
}

void TViewForm::QueryFailed(const QString& message) const
{
    if (MainForm)
        MainForm->SetStatusPanel(0, QStringLiteral("Error in query !"));
    // Said outright: the window keeps the text, the database the old view.
    const QString shown =
        IsNew() ? message
                : QStringLiteral("The server refused the new text; the view %1 is unchanged.\n\n%2").arg(ViewName, message);
    qv::messageDlg(shown, qv::mtError, qv::mbOK);
}

bool TViewForm::OkBtnClick()
{
    TQvDatabase* database = Database();
    QString statement = SQLText->Text();
    if (!IsNew()) {
        // Replaced in place, so the view keeps its grants and its dependants.
        const TViewText text = ReadViewText(statement, database->SQLDialect());
        if (text.Name.isEmpty()) {
            qv::messageDlg(QStringLiteral("Error in statement !"), qv::mtError, qv::mbOK);
            return false;
        }
        if (text.Name != ViewName) {
            qv::messageDlg(QStringLiteral("The text names the view %1: the view %2 keeps its name when it is edited.")
                               .arg(text.Name, ViewName),
                           qv::mtError, qv::mbOK);
            return false;
        }
        statement = text.AlterStatement;
    }
    RunQ->SetDatabase(database);
    if (RunT->FindDatabase(database) < 0)
        RunT->AddDatabase(database);
    TQvTransactionScope transaction(RunT);
    try {
        RunQ->SetSQLText(statement);
        RunQ->Prepare();
    } catch (const EDatabaseError& error) {
        QueryFailed(error.Message());
        return false;
    }
    // Only a definition belongs here; a select or a data change would run
    // in the view's place.
    if (RunQ->SQLType() != isc_info_sql_stmt_ddl) {
        qv::messageDlg(QStringLiteral("Error in statement !"), qv::mtError, qv::mbOK);
        return false;
    }
    try {
        RunQ->ExecQuery();
        transaction.Commit();
    } catch (const EDatabaseError& error) {
        QueryFailed(error.Message());
        return false;
    }
    if (IsNew() && MainTree) {
        // The view's name is in the text: the category is listed anew.
        if (QTreeWidgetItem* category = MainTree->CategoryNodeOf(DBId(), catViews))
            MainTree->RefreshCategory(category);
    }
    CloseAfterSave();
    return true;
}
