#include "app/shell/Main.h"

#include "app/shell/AboutBox.h"
#include "app/shell/CloseQuery.h"
#include "app/shell/DBListObject.h"
#include "app/shell/MainTreeF.h"
#include "app/shell/MdiPlacement.h"
#include "app/shell/NewDB.h"
#include "app/shell/ObjectOpeners.h"
#include "app/shell/Options.h"
#include "app/shell/OptionsDlg.h"
#include "app/shell/ShellImages.h"
#include "app/shell/ShowDesc.h"
#include "app/shell/TextExport.h"
#include "app/shell/TreeCommands.h"
#include "app/shell/WindowList.h"
#include "components/FormPlacement.h"
#include "components/ImageMenu.h"
#include "editor/qeCustomEdit.h"
#include "platform/Dialogs.h"
#include "platform/Help.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPageSetupDialog>
#include <QPixmap>
#include <QPrintDialog>
#include <QPrinter>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>

TMainForm* MainForm = nullptr;

namespace {

const char* const kHelpContext = "helpContext";
const char* const kImage = "commandImage";

// F1 on an open menu asks for the help context of the highlighted item.
class MenuHelp : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
            if (auto* menu = qobject_cast<QMenu*>(watched)) {
                if (QAction* action = menu->activeAction()) {
                    const int context = action->property(kHelpContext).toInt();
                    if (context != 0) {
                        qv::showHelpContext(context);
                        return true;
                    }
                }
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

// The SQL text editor of a child window: the one with the focus, else the first.
TqeCustomEdit* textEditorOf(QWidget* child)
{
    if (!child)
        return nullptr;
    for (QWidget* focus = QApplication::focusWidget(); focus; focus = focus->parentWidget()) {
        if (auto* editor = qobject_cast<TqeCustomEdit*>(focus))
            return child->isAncestorOf(editor) ? editor : nullptr;
    }
    return child->findChild<TqeCustomEdit*>();
}

} // namespace

TMainForm::TMainForm(QWidget* parent)
    : QMainWindow(parent)
    , m_mdiArea(new QMdiArea(this))
    , m_imageMenu(new TImageMenu(this))
    , m_formPlacement(new TFormPlacement(this))
{
    MainForm = this;
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Qorvane - Interbase SQL Utility"));
    setWindowIcon(TreeImageList().at(tiDatabase));
    m_mdiArea->setObjectName(QStringLiteral("MdiArea"));
    m_mdiArea->setBackground(QColor(128, 128, 128));
    // A window that cannot be made small enough for the area is scrolled to.
    m_mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_mdiArea);
    m_imageMenu->setObjectName(QStringLiteral("ImageMenu1"));
    m_formPlacement->setObjectName(QStringLiteral("FormPlacement1"));
    m_formPlacement->SetIniFileName(kFormPlacementsKey);

    CreateMenus();
    CreateToolBar();
    DecorateMenus();

    auto* status = new QStatusBar(this);
    status->setObjectName(QStringLiteral("StatusLine"));
    setStatusBar(status);
    for (int i = 0; i < 2; ++i) {
        m_statusPanels[i] = new QLabel(status);
        m_statusPanels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        m_statusPanels[i]->setFrameShape(QFrame::Panel);
        m_statusPanels[i]->setFrameShadow(QFrame::Sunken);
    }
    // At least 300 wide, and wide enough for a long database path.
    m_statusPanels[0]->setMinimumWidth(300);
    status->addWidget(m_statusPanels[0]);
    status->addWidget(m_statusPanels[1], 1);

    resize(1000, 700);
    // FormCreate: the Objects menu follows the tree window's visibility.
    m_activeFormHook = connect(m_mdiArea, &QMdiArea::subWindowActivated, this, [this] { ActiveFormChange(); });
    m_openersHook = connect(&TObjectOpeners::Instance(), &TObjectOpeners::Changed, this,
                            [this] { UpdateOpenerCommands(); });
    UpdateOpenerCommands();
}

TMainForm::~TMainForm()
{
    // FormDestroy
    disconnect(m_activeFormHook);
    disconnect(m_openersHook);
    if (MainForm == this)
        MainForm = nullptr;
}

QAction* TMainForm::AddItem(QMenu* menu, const char* name, const QString& caption, int image,
                            const QKeySequence& key, int helpContext)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    if (!key.isEmpty())
        action->setShortcut(key);
    if (helpContext != 0)
        action->setProperty(kHelpContext, helpContext);
    if (image >= 0)
        action->setProperty(kImage, image);
    return action;
}

void TMainForm::CreateMenus()
{
    auto* help = new MenuHelp(this);
    auto addMenu = [this, help](const char* name, const QString& caption) {
        QMenu* menu = menuBar()->addMenu(caption);
        menu->setObjectName(QString::fromLatin1(name));
        menu->installEventFilter(help);
        return menu;
    };

    FileMenu = addMenu("FileMenu", QStringLiteral("&File"));
    SavetoFile = AddItem(FileMenu, "SavetoFile", QStringLiteral("Save to File"), ciSave);
    SavetoFile->setEnabled(false);
    FilePrintItem = AddItem(FileMenu, "FilePrintItem", QStringLiteral("&Print"), -1);
    FilePrintSetupItem = AddItem(FileMenu, "FilePrintSetupItem", QStringLiteral("P&rint Setup..."), -1);
    FilePrintItem->setVisible(false);
    FilePrintSetupItem->setVisible(false);
    FileMenu->addSeparator();
    CloseBtn = AddItem(FileMenu, "CloseBtn", QStringLiteral("&Close"), -1);
    CloseAllBtn = AddItem(FileMenu, "CloseAllBtn", QStringLiteral("Close &All"), -1);
    CloseSeparator = FileMenu->addSeparator();
    FileExitItem = AddItem(FileMenu, "FileExitItem", QStringLiteral("Exit"), ciExit);
    connect(FileMenu, &QMenu::aboutToShow, this, &TMainForm::FileMenuClick);
    connect(SavetoFile, &QAction::triggered, this, &TMainForm::SavetoFileClick);
    connect(FilePrintItem, &QAction::triggered, this, &TMainForm::FilePrintItemClick);
    connect(FilePrintSetupItem, &QAction::triggered, this, &TMainForm::FilePrintSetupItemClick);
    connect(CloseBtn, &QAction::triggered, this, &TMainForm::CloseBtnClick);
    connect(CloseAllBtn, &QAction::triggered, this, &TMainForm::CloseAllBtnClick);
    connect(FileExitItem, &QAction::triggered, this, &QWidget::close);

    EditMenu = addMenu("EditMenu", QStringLiteral("&Edit"));
    EditCutItem = AddItem(EditMenu, "EditCutItem", QStringLiteral("Cu&t"), ciCut);
    EditCopyItem = AddItem(EditMenu, "EditCopyItem", QStringLiteral("&Copy"), ciCopy);
    EditPasteItem = AddItem(EditMenu, "EditPasteItem", QStringLiteral("&Paste"), ciPaste);
    connect(EditCutItem, &QAction::triggered, this, &TMainForm::EditCutItemClick);
    connect(EditCopyItem, &QAction::triggered, this, &TMainForm::EditCopyItemClick);
    connect(EditPasteItem, &QAction::triggered, this, &TMainForm::EditPasteItemClick);

    ViewMenu = addMenu("ViewMenu", QStringLiteral("&View"));
    Refresh1 = AddItem(ViewMenu, "Refresh1", QStringLiteral("&Refresh"), ciRefresh, QKeySequence(Qt::Key_F5));
    Dataview1 = AddItem(ViewMenu, "Dataview1", QStringLiteral("&Data view"), ciDataView,
                        QKeySequence(Qt::CTRL | Qt::Key_D), 201);
    ExecuteSQLBtn = AddItem(ViewMenu, "ExecuteSQLBtn", QStringLiteral("&Execute SQL"), ciExecSQL,
                            QKeySequence(Qt::CTRL | Qt::Key_S), 202);
    ViewMenu->addSeparator();
    ShowDescriptionsMenu = AddItem(ViewMenu, "ShowDescriptionsMenu", QStringLiteral("&Show Descriptions"), -1);
    ShowDescriptionsMenu->setCheckable(true);
    connect(Refresh1, &QAction::triggered, this, &TMainForm::Refresh1Click);
    connect(ShowDescriptionsMenu, &QAction::triggered, this, &TMainForm::ShowDescriptionsMenuClick);

    DatabasesMenu = addMenu("DatabasesMenu", QStringLiteral("&Databases"));
    CreatedatabaseBtn = AddItem(DatabasesMenu, "CreatedatabaseBtn", QStringLiteral("&Create database"),
                                ciCreateDB, {}, 10);
    DropdatabaseBtn = AddItem(DatabasesMenu, "DropdatabaseBtn", QStringLiteral("&Drop database"), ciDropDB, {}, 10);
    DatabasesMenu->addSeparator();
    Registerdatabase1 = AddItem(DatabasesMenu, "Registerdatabase1", QStringLiteral("&Register database"),
                                ciRegisterDB, {}, 10);
    UnregisterDatabase1 = AddItem(DatabasesMenu, "UnregisterDatabase1", QStringLiteral("&UnRegister Database"),
                                  ciUnregisterDB, {}, 10);
    connect(Registerdatabase1, &QAction::triggered, this, &TMainForm::Registerdatabase1Click);
    connect(UnregisterDatabase1, &QAction::triggered, this, &TMainForm::UnregisterDatabase1Click);
    connect(CreatedatabaseBtn, &QAction::triggered, this, &TMainForm::CreatedatabaseBtnClick);
    connect(DropdatabaseBtn, &QAction::triggered, this, &TMainForm::DropdatabaseBtnClick);

    ObjectsMenu = addMenu("ObjectsMenu", QStringLiteral("&Objects"));
    CreateDBobject1 = AddItem(ObjectsMenu, "CreateDBobject1", QStringLiteral("&New ..."), ciNew, {}, 20);
    EditDBObject1 = AddItem(ObjectsMenu, "EditDBObject1", QStringLiteral("&Edit ..."), ciEdit, {}, 20);
    DropDBObject1 = AddItem(ObjectsMenu, "DropDBObject1", QStringLiteral("&Drop ..."), ciDrop, {}, 20);
    ObjectsMenu->addSeparator();
    SetDescription1 = AddItem(ObjectsMenu, "SetDescription1", QStringLiteral("&Set description"), ciDescription,
                              {}, 20);
    DependenciesMenu = AddItem(ObjectsMenu, "DependenciesMenu", QStringLiteral("De&pendencies..."),
                               ciDependencies, {}, 20);
    // Enabled while an object node is selected.
    SetDescription1->setEnabled(false);
    connect(SetDescription1, &QAction::triggered, this, [] {
        if (MainTree)
            MainTree->SetDescriptionMenuClick();
    });

    Tools1 = addMenu("Tools1", QStringLiteral("&Tools"));
    Extractmetadata1 = AddItem(Tools1, "Extractmetadata1", QStringLiteral("Extract Metadata"), ciExtract, {}, 203);
    ExecuteScript = AddItem(Tools1, "ExecuteScript", QStringLiteral("Execute SQL Script"), ciScript, {}, 204);
    Tools1->addSeparator();
    Options1 = AddItem(Tools1, "Options1", QStringLiteral("Options"), ciOptions, {}, 1000);
    connect(Options1, &QAction::triggered, this, [this] { ShowOptionsDialog(this); });

    // The object commands go through the tree window.
    auto viaTree = [this](QAction* action, void (TTreeCommands::*command)()) {
        connect(action, &QAction::triggered, this, [command] {
            if (MainTree && MainTree->Commands())
                (MainTree->Commands()->*command)();
        });
    };
    viaTree(CreateDBobject1, &TTreeCommands::Createtable2Click);
    viaTree(EditDBObject1, &TTreeCommands::Edittable1Click);
    viaTree(Dataview1, &TTreeCommands::PMDataViewClick);
    viaTree(ExecuteSQLBtn, &TTreeCommands::SQLEditorClick);
    viaTree(DependenciesMenu, &TTreeCommands::DependenciesBtnClick);
    viaTree(Extractmetadata1, &TTreeCommands::ExtractClick);
    viaTree(ExecuteScript, &TTreeCommands::RunScriptClick);
    connect(DropDBObject1, &QAction::triggered, this, [] {
        if (MainTree && MainTree->Commands())
            MainTree->Commands()->Drop1Click();
    });

    WindowMenu = addMenu("WindowMenu", QStringLiteral("&Window"));
    WindowTileItem = AddItem(WindowMenu, "WindowTileItem", QStringLiteral("&Tile"), ciTile);
    WindowCascadeItem = AddItem(WindowMenu, "WindowCascadeItem", QStringLiteral("&Cascade"), ciCascade);
    WindowArrangeItem = AddItem(WindowMenu, "WindowArrangeItem", QStringLiteral("&Arrange All"), -1);
    WindowList1 = AddItem(WindowMenu, "WindowList1", QStringLiteral("Window List"), ciWindowList,
                          QKeySequence(Qt::ALT | Qt::Key_0));
    connect(WindowTileItem, &QAction::triggered, m_mdiArea, &QMdiArea::tileSubWindows);
    connect(WindowCascadeItem, &QAction::triggered, m_mdiArea, &QMdiArea::cascadeSubWindows);
    connect(WindowArrangeItem, &QAction::triggered, m_mdiArea, &QMdiArea::tileSubWindows);
    connect(WindowList1, &QAction::triggered, this, &TMainForm::WindowList1Click);
    connect(WindowMenu, &QMenu::aboutToShow, this, &TMainForm::UpdateWindowMenu);

    HelpMenu = addMenu("HelpMenu", QStringLiteral("&Help"));
    Contents1 = AddItem(HelpMenu, "Contents1", QStringLiteral("Contents"), ciHelp);
    HelpAboutItem = AddItem(HelpMenu, "HelpAboutItem", QStringLiteral("&About..."), ciAbout);
    connect(Contents1, &QAction::triggered, this, &TMainForm::Contents1Click);
    connect(HelpAboutItem, &QAction::triggered, this, &TMainForm::HelpAbout);

    // Enabled while an object node is selected.
    DropDBObject1->setEnabled(false);
}

void TMainForm::UpdateOpenerCommands()
{
    const TObjectOpeners& openers = TObjectOpeners::Instance();
    const std::pair<QAction*, bool> commands[] = {
        {CreateDBobject1, openers.HasAnyNew()},
        {EditDBObject1, openers.HasAnyEdit()},
        {Dataview1, openers.HasTool(TToolCommand::DataView)},
        {ToolDataView, openers.HasTool(TToolCommand::DataView)},
        {DependenciesMenu, openers.HasTool(TToolCommand::Dependencies)},
        {Extractmetadata1, openers.HasTool(TToolCommand::Extract)},
        {ExecuteScript, openers.HasTool(TToolCommand::RunScript)},
        {ExecuteSQLBtn, openers.HasTool(TToolCommand::SQLEditor)},
        {ToolExecSQL, openers.HasTool(TToolCommand::SQLEditor)},
    };
    for (const auto& [action, available] : commands) {
        if (available)
            m_unavailable.remove(action);
        else
            m_unavailable.insert(action);
        action->setEnabled(available);
    }
    // New and Edit follow the selected node's category.
    if (MainTree && MainTree->Commands())
        MainTree->Commands()->UpdateItems();
}

void TMainForm::CreateToolBar()
{
    QToolBar* bar = addToolBar(QStringLiteral("ToolBar"));
    bar->setObjectName(QStringLiteral("ToolBar"));
    bar->setMovable(false);
    bar->setIconSize(QSize(16, 16));
    auto button = [bar](const char* name, const QString& hint, TCommandImage image, QAction* item) {
        QAction* action = bar->addAction(CommandIcon(image), hint);
        action->setObjectName(QString::fromLatin1(name));
        action->setToolTip(hint);
        if (item)
            connect(action, &QAction::triggered, item, &QAction::trigger);
        return action;
    };
    ToolCreateDB = button("ToolCreateDB", QStringLiteral("Create Database"), ciCreateDB, CreatedatabaseBtn);
    ToolDropDB = button("ToolDropDB", QStringLiteral("Drop Database"), ciDropDB, DropdatabaseBtn);
    bar->addSeparator();
    ToolRegisterDB = button("ToolRegisterDB", QStringLiteral("Register Database"), ciRegisterDB, Registerdatabase1);
    ToolUnregDB = button("ToolUnregDB", QStringLiteral("Unregister Database"), ciUnregisterDB, UnregisterDatabase1);
    bar->addSeparator();
    CloseDBBtn = button("CloseDBBtn", QStringLiteral("Close Database"), ciCloseDB, nullptr);
    Toolrefresh = button("Toolrefresh", QStringLiteral("Refresh  (F5)"), ciRefresh, Refresh1);
    bar->addSeparator();
    ToolDataView = button("ToolDataView", QStringLiteral("Data View (Ctrl-D)"), ciDataView, Dataview1);
    ToolExecSQL = button("ToolExecSQL", QStringLiteral("Execute SQL (Ctrl-S)"), ciExecSQL, ExecuteSQLBtn);
    connect(CloseDBBtn, &QAction::triggered, this, &TMainForm::CloseDBBtnClick);
    // Enabled while the tree window is the active child.
    Toolrefresh->setEnabled(false);
}

void TMainForm::DecorateMenus()
{
    for (QMenu* menu : {FileMenu, EditMenu, ViewMenu, DatabasesMenu, ObjectsMenu, Tools1, WindowMenu, HelpMenu}) {
        for (QAction* action : menu->actions()) {
            const QVariant image = action->property(kImage);
            if (!image.isValid())
                continue;
            auto* item = new TImageMenuItem(this);
            item->setObjectName(action->objectName() + QStringLiteral("Image"));
            item->setMenu(menu);
            item->setMenuItem(action);
            const QImage picture = CommandImage(static_cast<TCommandImage>(image.toInt()));
            item->setPicture(picture);
            item->setDisabledPicture(
                QIcon(QPixmap::fromImage(picture)).pixmap(picture.size(), QIcon::Disabled).toImage());
        }
    }
}

void TMainForm::EnableCommand(QAction* action, bool enabled)
{
    action->setEnabled(enabled && CommandAvailable(action));
}

void TMainForm::SetCommandHandler(QAction* item, QAction* toolButton, std::function<void()> handler)
{
    for (QAction* action : {item, toolButton}) {
        if (!action)
            continue;
        m_unavailable.remove(action);
        action->setEnabled(true);
    }
    connect(item, &QAction::triggered, this, [handler = std::move(handler)] { handler(); });
}

QList<QAction*> TMainForm::UnavailableCommands() const
{
    QList<QAction*> list;
    for (QAction* action : findChildren<QAction*>())
        if (m_unavailable.contains(action))
            list << action;
    return list;
}

QString TMainForm::StatusPanel(int panel) const
{
    return m_statusPanels[panel]->text();
}

void TMainForm::SetStatusPanel(int panel, const QString& text)
{
    m_statusPanels[panel]->setText(text);
}

QList<QWidget*> TMainForm::Children() const
{
    QList<QWidget*> forms;
    for (QMdiSubWindow* sub : m_mdiArea->subWindowList(QMdiArea::CreationOrder))
        if (sub->widget())
            forms << sub->widget();
    return forms;
}

QWidget* TMainForm::ActiveChild() const
{
    QMdiSubWindow* sub = m_mdiArea->activeSubWindow();
    if (!sub)
        sub = m_mdiArea->currentSubWindow();
    return sub ? sub->widget() : nullptr;
}

QMdiSubWindow* TMainForm::AddChild(QWidget* form)
{
    // The size the window's code gives is a minimum: with the fonts in use
    // its controls' texts may need more, and the area would otherwise open
    // it at its size hint alone.
    const QSize given = form->testAttribute(Qt::WA_Resized) ? form->size() : QSize();
    QMdiSubWindow* sub = m_mdiArea->addSubWindow(form);
    sub->setWindowIcon(form->windowIcon());
    const QSize hint = form->sizeHint();
    const QSize frame = hint.isValid() ? sub->sizeHint() - hint : QSize();
    const QSize needed = given.expandedTo(hint).expandedTo(form->minimumSizeHint());
    if (needed.isValid() && frame.isValid())
        sub->resize(needed + frame);
    KeepInsideAreaWhenShown(sub);
    return sub;
}

void TMainForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

void TMainForm::FormShow()
{
    if (!MainTree)
        return;
    for (int i = 0; DBList && i < DBList->Count(); ++i)
        MainTree->AddDatabaseNode(i);
    MainTree->TopNode()->setExpanded(true);
    if (QMdiSubWindow* sub = MdiSubWindowOf(MainTree)) {
        sub->show();
        m_mdiArea->setActiveSubWindow(sub);
    }
    MainTree->show();
}

bool TMainForm::ChildrenAgreeToClose()
{
    // Asked only: a window that agreed goes on working if the quit does not go ahead.
    for (QWidget* form : Children()) {
        if (auto* asked = dynamic_cast<TCloseQuery*>(form)) {
            if (!asked->QueryClose())
                return false;
            continue;
        }
        QCloseEvent query;
        QCoreApplication::sendEvent(form, &query);
        if (!query.isAccepted())
            return false;
    }
    return true;
}

bool TMainForm::CloseChildren()
{
    QList<QPointer<QWidget>> forms;
    for (QWidget* form : Children())
        forms << form;
    for (const QPointer<QWidget>& form : forms) {
        // The tree goes with the program.
        if (!form || form == MainTree)
            continue;
        if (auto* asked = dynamic_cast<TCloseQuery*>(form.data()))
            asked->CloseAsAnswered();
        QMdiSubWindow* frame = MdiSubWindowOf(form);
        // One that cannot go (its commit failed, and said so) keeps the program open.
        if (!(frame ? frame->close() : form->close())) {
            ForgetChildrenAnswers();
            return false;
        }
    }
    return true;
}

void TMainForm::ForgetChildrenAnswers()
{
    for (QWidget* form : Children())
        if (auto* asked = dynamic_cast<TCloseQuery*>(form))
            asked->ForgetCloseAnswers();
}

bool TMainForm::FormCloseQuery()
{
    return qv::messageDlg(QStringLiteral("Do you want to quit Qorvane ?"), qv::mtConfirmation, qv::mbYesNo)
        == qv::mrYes;
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    m_shuttingDown = true;
    if (!ChildrenAgreeToClose() || !FormCloseQuery() || !CloseChildren()) {
        m_shuttingDown = false;
        event->ignore();
        return;
    }
    event->accept();
    emit Closed();
}

void TMainForm::ActiveFormChange()
{
    const bool treeVisible = MainTree && MainTree->isVisible()
        && !(MdiSubWindowOf(MainTree) && MdiSubWindowOf(MainTree)->isMinimized());
    ObjectsMenu->menuAction()->setEnabled(treeVisible);
    if (MainTree)
        MainTree->SetActiveChild(ActiveChild() == MainTree);
}

void TMainForm::FileMenuClick()
{
    const bool several = ChildCount() > 1;
    CloseBtn->setVisible(several);
    CloseAllBtn->setVisible(several);
    CloseSeparator->setVisible(several);
}

void TMainForm::CloseBtnClick()
{
    QMdiSubWindow* sub = m_mdiArea->activeSubWindow();
    if (sub && sub->widget() != MainTree)
        sub->close();
}

void TMainForm::CloseAllBtnClick()
{
    for (QMdiSubWindow* sub : m_mdiArea->subWindowList())
        if (sub->widget() != MainTree)
            sub->close();
}

void TMainForm::EditCutItemClick()
{
    QWidget* child = ActiveChild();
    if (!child || child == MainTree)
        return;
    // Through the editor's own commands, so the change can be undone.
    if (TqeCustomEdit* editor = textEditorOf(child); editor && editor->SelAvail())
        editor->CutToClipboard();
}

void TMainForm::EditCopyItemClick()
{
    QWidget* child = ActiveChild();
    if (child && child == MainTree) {
        if (QTreeWidgetItem* node = MainTree->Tree()->currentItem()) {
            QLineEdit* edit = MainTree->TmpEdit();
            edit->setText(node->text(0));
            edit->selectAll();
            edit->copy();
        }
        return;
    }
    if (TqeCustomEdit* editor = textEditorOf(child); editor && editor->SelAvail())
        editor->CopyToClipboard();
}

void TMainForm::EditPasteItemClick()
{
    QWidget* child = ActiveChild();
    if (!child || child == MainTree)
        return;
    if (TqeCustomEdit* editor = textEditorOf(child))
        editor->PasteFromClipboard();
}

void TMainForm::Refresh1Click()
{
    if (!MainTree || !MainTree->isVisible())
        return;
    if (QTreeWidgetItem* node = MainTree->Tree()->currentItem())
        MainTree->RefreshCategory(node);
}

void TMainForm::ShowDescriptionsMenuClick()
{
    if (ShowDescriptionsMenu->isChecked()) {
        LoadOptions();
        if (Options().ShowDescription == 0 && ShowDesc) {
            if (!ShowDesc->isVisible() && !ShowDesc->property("placed").toBool()) {
                // First show: at the frame's upper right, unless a stored placement says otherwise.
                const QRect area = m_mdiArea->geometry();
                ShowDesc->move(mapToGlobal(QPoint(area.right() - ShowDesc->width() - 16, area.top() + 16)));
                ShowDesc->setProperty("placed", true);
            }
            ShowDesc->show();
            if (MainTree)
                MainTree->TreeChange(MainTree->Tree()->currentItem());
        }
        if (MainTree)
            MainTree->ReadDescriptionMode();
    } else if (ShowDesc) {
        ShowDesc->hide();
    }
}

void TMainForm::SavetoFileClick()
{
    const auto* window = dynamic_cast<const TResultWindow*>(ActiveChild());
    if (TDataSet* result = window ? window->ResultDataSet() : nullptr)
        SaveResultToFile(*result);
}

void TMainForm::FilePrintItemClick()
{
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    qv::showModal(dialog);
}

void TMainForm::FilePrintSetupItemClick()
{
    QPrinter printer;
    QPageSetupDialog dialog(&printer, this);
    qv::showModal(dialog);
}

void TMainForm::HelpAbout()
{
    ShowAboutBox(this);
}

void TMainForm::UpdateWindowMenu()
{
    qDeleteAll(m_windowMenuEntries);
    m_windowMenuEntries.clear();
    const QList<QMdiSubWindow*> subs = m_mdiArea->subWindowList(QMdiArea::CreationOrder);
    if (subs.isEmpty())
        return;
    m_windowMenuEntries << WindowMenu->addSeparator();
    int number = 0;
    for (QMdiSubWindow* sub : subs) {
        QAction* entry = WindowMenu->addAction(QStringLiteral("&%1 %2").arg(++number).arg(sub->windowTitle()));
        entry->setCheckable(true);
        entry->setChecked(sub == m_mdiArea->activeSubWindow());
        connect(entry, &QAction::triggered, this, [this, sub = QPointer<QMdiSubWindow>(sub)] {
            if (sub)
                m_mdiArea->setActiveSubWindow(sub);
        });
        m_windowMenuEntries << entry;
    }
}

void TMainForm::WindowList1Click()
{
    if (!m_windowList)
        m_windowList = new TWindowList(this);
    m_windowList->UpdateEntries(Children(), ActiveChild());
    if (qv::showModal(*m_windowList) != qv::mrOk)
        return;
    if (QWidget* window = m_windowList->SelectedWindow()) {
        if (QMdiSubWindow* sub = MdiSubWindowOf(window)) {
            sub->showNormal();
            m_mdiArea->setActiveSubWindow(sub);
        }
        window->show();
    }
}

void TMainForm::Registerdatabase1Click()
{
    if (!MainTree || !DBList)
        return;
    if (QTreeWidgetItem* node = MainTree->Tree()->currentItem(); node && TMainTree::NodeLevel(node) >= 2)
        return;
    TNewDB dialog(this);
    dialog.setWindowTitle(QStringLiteral("Register database"));
    if (qv::showModal(dialog) != qv::mrOk)
        return;
    const QString name = dialog.DBName()->text();
    const TDBListUpdate update(*DBList);
    int index = -1;
    try {
        index = DBList->Add(name);
    } catch (const EDBListError& error) {
        qv::messageDlg(error.message(), qv::mtError, qv::mbOK);
        return;
    }
    DBList->SetPath(index, dialog.DBPath()->text());
    DBList->SetUser(index, dialog.UserName()->text());
    DBList->SetPassword(index, dialog.StoredPassword());
    DBList->SetCharset(index, dialog.Charset());
    MainTree->AddDatabaseNode(index);
}

bool TMainForm::EditRegistration(quint64 entryId)
{
    if (!DBList)
        return false;
    const int index = DBList->IndexOfId(entryId);
    if (index < 0)
        return false;
    TNewDB dialog(this);
    dialog.setWindowTitle(QStringLiteral("Edit registration information"));
    dialog.DBName()->setText(DBList->GetName(index));
    dialog.DBPath()->setText(DBList->GetPath(index));
    dialog.UserName()->setText(DBList->GetUser(index));
    dialog.Passwd()->setText(DBList->GetPassword(index));
    dialog.RemPasswd()->setChecked(!DBList->GetPassword(index).isEmpty());
    dialog.SelectCharset(DBList->GetCharset(index));
    if (qv::showModal(dialog) != qv::mrOk)
        return false;
    const QString newName = dialog.DBName()->text();
    const TDBListUpdate update(*DBList);
    try {
        DBList->SetName(index, newName);
    } catch (const EDBListError& error) {
        qv::messageDlg(error.message(), qv::mtError, qv::mbOK);
        return false;
    }
    if (MainTree)
        if (QTreeWidgetItem* node = MainTree->DatabaseNodeOf(entryId))
            node->setText(0, newName);
    DBList->SetPath(index, dialog.DBPath()->text());
    DBList->SetUser(index, dialog.UserName()->text());
    DBList->SetPassword(index, dialog.StoredPassword());
    DBList->SetCharset(index, dialog.Charset());
    return true;
}

void TMainForm::Contents1Click()
{
    qv::showHelpTopic(QStringLiteral("Contents"));
}
