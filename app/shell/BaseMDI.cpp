#include "app/shell/BaseMDI.h"

#include "app/shell/ShellImages.h"
#include "components/FormPlacement.h"
#include "platform/Dialogs.h"
#include "platform/EventPump.h"
#include "platform/KeyDelivery.h"
#include "platform/db/DatabaseError.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QToolBar>
#include <QVBoxLayout>

TBaseMDI::TBaseMDI(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("BaseMDI"));
    setWindowTitle(QStringLiteral("Base MDI Form"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(windowFlags() | Qt::WindowSystemMenuHint);

    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    ToolBar1->setIconSize(QSize(16, 16));
    OkBtn = ToolBar1->addAction(CommandIcon(ciSave), QStringLiteral("Save changes (F2)"));
    OkBtn->setObjectName(QStringLiteral("OkBtn"));
    OkBtn->setEnabled(false);
    CancelBtn = ToolBar1->addAction(CommandIcon(ciExit), QStringLiteral("Cancel"));
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    connect(OkBtn, &QAction::triggered, this, [this] { SaveChanges(); });
    connect(CancelBtn, &QAction::triggered, this, &TBaseMDI::CancelBtnClick);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // The descendants add their controls below the tool bar.
    layout->addWidget(ToolBar1);

    // The window sees every key first; the focused control still gets it.
    qApp->installEventFilter(this);
}

TBaseMDI::~TBaseMDI()
{
    qApp->removeEventFilter(this);
}

void TBaseMDI::MarkModified()
{
    m_modified = true;
    OkBtn->setEnabled(true);
}

bool TBaseMDI::OkBtnClick()
{
    return true;
}

bool TBaseMDI::SaveChanges()
{
    // Not again while a save or the close question is under way.
    const qv::BusyGuard busy(this);
    if (!busy.acquired())
        return false;
    return RunSave();
}

bool TBaseMDI::RunSave()
{
    bool saved = false;
    try {
        saved = OkBtnClick();
    } catch (const std::exception& error) {
        qv::messageDlg(ErrorText(error), qv::mtError, qv::mbOK);
        saved = false;
    }
    if (saved) {
        m_modified = false;
        OkBtn->setEnabled(false);
    }
    return saved;
}

void TBaseMDI::CancelBtnClick()
{
    close();
}

bool TBaseMDI::FormKeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    if (modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier))
        return false;
    switch (key) {
    case Qt::Key_Escape:
        close();
        return true;
    case Qt::Key_F2:
        SaveChanges();
        return true;
    default:
        return false;
    }
}

bool TBaseMDI::FormCloseQuery()
{
    if (!m_modified)
        return true;
    switch (qv::messageDlg(this, QStringLiteral("Save changes ?"), qv::mtConfirmation, qv::mbYesNoCancel)) {
    case qv::mrYes:
        // A failed save keeps the window and everything typed into it.
        return RunSave();
    case qv::mrNo:
        return true;
    default:
        return false;
    }
}

bool TBaseMDI::QueryClose()
{
    const qv::BusyGuard busy(this);
    return busy.acquired() && FormCloseQuery();
}

void TBaseMDI::closeEvent(QCloseEvent* event)
{
    // Never while its own work runs: that code still uses the window.
    if (qv::BusyGuard::isBusy(this)) {
        event->ignore();
        return;
    }
    const qv::BusyGuard busy(this);
    if (!TakeAnswered() && !FormCloseQuery()) {
        event->ignore();
        return;
    }
    event->accept();
    // The child window's frame goes with the form (its own close finds the
    // form already closing and asks nothing more).
    if (QMdiSubWindow* frame = MdiSubWindowOf(this))
        frame->close();
}

bool TBaseMDI::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || !IsFirstKeyDelivery(*this, *watched))
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    return FormKeyDown(key->key(), key->modifiers());
}
