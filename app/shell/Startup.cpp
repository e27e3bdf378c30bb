#include "app/shell/Startup.h"

#include "access/QvDatabase.h"
#include "app/shell/DBListObject.h"
#include "app/shell/DataM.h"
#include "app/shell/GetDBPasswd.h"
#include "app/shell/Main.h"
#include "app/shell/MainTreeF.h"
#include "app/shell/SampleDatabase.h"
#include "app/shell/ShowDesc.h"
#include "app/shell/VersionRecord.h"
#include "components/FormPlacement.h"
#include "platform/Dialogs.h"
#include "platform/RuntimeFolder.h"
#include "platform/TerminationSignals.h"

#include <QMdiSubWindow>

TRuntimeFolderFirst::TRuntimeFolderFirst()
{
    ProvideRuntimeFolder();
}

TQorvaneApplication::TQorvaneApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
}

bool TQorvaneApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const EQvError& error) {
        qv::showException(error.Message());
    } catch (const std::exception& error) {
        qv::showException(QString::fromUtf8(error.what()));
    }
    return false;
}

TQorvaneStartup::TQorvaneStartup()
{
    m_previousLoginDialog = SetQvLoginDialog(qv::loginDialog);
    RegisterProgramVersion();

    m_mainForm = std::make_unique<TMainForm>();
    m_steps << m_mainForm->objectName();
    QApplication::setApplicationDisplayName(QString());
    m_mainForm->setWindowTitle(QStringLiteral("Qorvane - Interbase SQL Utility"));

    m_dm = std::make_unique<TDM>();
    DM = m_dm.get();
    m_steps << m_dm->objectName();

    // A visible child window: its show handler runs as it is created.
    MainTree = new TMainTree;
    m_steps << MainTree->objectName();
    QMdiSubWindow* sub = m_mainForm->AddChild(MainTree);
    sub->resize(320, 480);
    MainTree->FormShow();
    m_steps << QStringLiteral("MainTree.FormShow");

    m_showDesc = std::make_unique<TShowDesc>(m_mainForm.get());
    ShowDesc = m_showDesc.get();
    ShowDesc->KeepOpen = [] { return MainForm && MainForm->ShowDescriptionsMenu->isChecked(); };
    m_steps << m_showDesc->objectName();

    m_getDBPasswd = std::make_unique<TGetDBPasswd>(m_mainForm.get());
    GetDBPasswd = m_getDBPasswd.get();
    m_steps << m_getDBPasswd->objectName();

    // A new user starts with a small database to look at.
    if (DBList && DBList->Count() == 0)
        CreateSampleDatabase(*DBList);
}

TQorvaneStartup::~TQorvaneStartup()
{
    GetDBPasswd = nullptr;
    m_getDBPasswd.reset();
    ShowDesc = nullptr;
    m_showDesc.reset();
    if (MainTree) {
        QMdiSubWindow* sub = MdiSubWindowOf(MainTree);
        delete MainTree;   // closes and frees the connections while DM lives
        delete sub;
    }
    DM = nullptr;
    m_dm.reset();
    m_mainForm.reset();
    SetQvLoginDialog(m_previousLoginDialog);
}

void TQorvaneStartup::Show()
{
    m_mainForm->show();
}

int TQorvaneStartup::Exec()
{
    int stoppedBy = 0;
    qv::TerminationSignals termination;
    QObject::connect(&termination, &qv::TerminationSignals::Received, qApp, [&stoppedBy](int signal) {
        if (stoppedBy)
            return;
        stoppedBy = signal;
        QCoreApplication::exit(128 + signal);
    });
    QObject::connect(m_mainForm.get(), &TMainForm::Closed, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    const int result = QApplication::exec();
    if (stoppedBy)
        AbandonOpenWork();
    return result;
}

void TQorvaneStartup::AbandonOpenWork() noexcept
{
    if (!DBList)
        return;
    for (int i = 0; i < DBList->Count(); ++i) {
        TQvDatabase* database = DBList->GetDatabase(i);
        if (!database)
            continue;
        for (TQvTransaction* transaction : database->TransactionList()) {
            if (!transaction->Active())
                continue;
            try {
                transaction->EndTransaction(TARollback, true);
            } catch (const std::exception& error) {
                qWarning("Rolling back on the way out: %s", error.what());
            }
        }
    }
}
