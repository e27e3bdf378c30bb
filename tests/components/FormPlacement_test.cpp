#include "components/FormPlacement.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QLineEdit>
#include <gtest/gtest.h>

#include <memory>

#include "platform/Registry.h"

namespace {

const QString kSectionKey = QLatin1Char('\\') + kFormPlacementsKey + QStringLiteral("\\TPlacedForm");

class TPlacedForm : public QWidget
{
    Q_OBJECT
public:
    explicit TPlacedForm(QWidget* parent = nullptr)
        : QWidget(parent)
    {
        placement = new TFormPlacement(this);
        placement->SetIniFileName(kFormPlacementsKey);
    }
    TFormPlacement* placement;
    bool refuseClose = false;

protected:
    void closeEvent(QCloseEvent* event) override
    {
        if (refuseClose)
            event->ignore();
        else
            QWidget::closeEvent(event);
    }
};

class TFixedDialog : public QDialog
{
    Q_OBJECT
public:
    TFixedDialog()
    {
        setFixedSize(220, 140);
        auto* placement = new TFormPlacement(this);
        placement->SetIniFileName(kFormPlacementsKey);
    }
};

class TMdiForm : public QWidget
{
    Q_OBJECT
public:
    TMdiForm()
    {
        setAttribute(Qt::WA_DeleteOnClose);
        auto* placement = new TFormPlacement(this);
        placement->SetIniFileName(kFormPlacementsKey);
    }
};

QString stored(const QString& section, const QString& name)
{
    QvRegistry registry;
    if (!registry.openKeyReadOnly(QLatin1Char('\\') + kFormPlacementsKey + QLatin1Char('\\') + section))
        return QStringLiteral("<no key>");
    if (!registry.valueExists(name))
        return QStringLiteral("<no value>");
    return registry.readString(name);
}

void store(const QString& section, const QString& name, const QString& value)
{
    QvRegistry registry;
    ASSERT_TRUE(registry.openKey(QLatin1Char('\\') + kFormPlacementsKey + QLatin1Char('\\') + section, true));
    registry.writeString(name, value);
}

QString normPos(const QRect& r)
{
    return QStringLiteral("%1,%2,%3,%4").arg(r.left()).arg(r.top()).arg(r.left() + r.width()).arg(r.top() + r.height());
}

class FormPlacementTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QvRegistry registry;
        registry.deleteKey(QLatin1Char('\\') + kFormPlacementsKey);
    }
};

} // namespace

TEST_F(FormPlacementTest, WindowNeverShownWritesNothing)
{
    {
        TPlacedForm form;
        form.setGeometry(40, 50, 300, 200);
        form.close();
    }
    QvRegistry registry;
    EXPECT_FALSE(registry.keyExists(kSectionKey));
}

TEST_F(FormPlacementTest, CloseWritesPlacementValuesInOrder)
{
    const QRect where(110, 90, 320, 210);
    {
        TPlacedForm form;
        form.show();
        form.setGeometry(where);
        ASSERT_TRUE(form.close());
        EXPECT_TRUE(form.placement->IsSaved());
    }
    const QString resolution = ScreenResolutionSuffix();
    QvRegistry registry;
    ASSERT_TRUE(registry.openKeyReadOnly(kSectionKey));
    EXPECT_EQ(registry.valueNames(),
              (QStringList{"Flags", "ShowCmd", "PixelsPerInch", "MinMaxPos" + resolution, "MinMaxPos",
                           "NormPos" + resolution, "NormPos", "Visible"}));
    for (const QString& name : registry.valueNames())
        EXPECT_EQ(registry.dataType(name), QvRegistry::DataType::String) << name.toStdString();
    EXPECT_EQ(registry.readString("Flags"), "0");
    EXPECT_EQ(registry.readString("ShowCmd"), "1");
    EXPECT_EQ(registry.readString("PixelsPerInch"), QString::number(ScreenPixelsPerInch()));
    EXPECT_EQ(registry.readString("NormPos"), normPos(where));
    EXPECT_EQ(registry.readString("NormPos" + resolution), normPos(where));
    EXPECT_EQ(registry.readString("Visible"), "0");
}

TEST_F(FormPlacementTest, ReopenedWindowComesBackWhereItWasClosed)
{
    const QRect where(130, 70, 280, 190);
    {
        TPlacedForm form;
        form.show();
        form.setGeometry(where);
        form.close();
    }
    TPlacedForm again;
    again.resize(100, 100);
    again.show();
    EXPECT_EQ(again.geometry(), where);
    EXPECT_TRUE(again.placement->IsRestored());
}

TEST_F(FormPlacementTest, RefusedCloseSavesNothing)
{
    TPlacedForm form;
    form.show();
    form.refuseClose = true;
    EXPECT_FALSE(form.close());
    EXPECT_FALSE(form.placement->IsSaved());
    QCoreApplication::processEvents();
    form.hide();  // a later plain hide is no close either
    EXPECT_FALSE(form.placement->IsSaved());
    EXPECT_EQ(stored("TPlacedForm", "Flags"), "<no key>");
}

TEST_F(FormPlacementTest, DestroyedWindowSavesOnceMarkedVisible)
{
    auto form = std::make_unique<TPlacedForm>();
    form->show();
    form->setGeometry(60, 80, 250, 150);
    form.reset();
    EXPECT_EQ(stored("TPlacedForm", "Visible"), "1");
    EXPECT_EQ(stored("TPlacedForm", "NormPos"), "60,80,310,230");

    // A window saved at close is not saved again when destroyed.
    form = std::make_unique<TPlacedForm>();
    form->show();
    form->setGeometry(70, 90, 250, 150);
    form->close();
    form->move(5, 5);
    form.reset();
    EXPECT_EQ(stored("TPlacedForm", "Visible"), "0");
    EXPECT_EQ(stored("TPlacedForm", "NormPos"), "70,90,320,240");
}

TEST_F(FormPlacementTest, DifferentPixelsPerInchAppliesNoPosition)
{
    store("TPlacedForm", "PixelsPerInch", QString::number(ScreenPixelsPerInch() + 24));
    store("TPlacedForm", "NormPos", "10,20,410,320");
    TPlacedForm form;
    form.setGeometry(150, 160, 200, 120);
    form.show();
    EXPECT_EQ(form.geometry(), QRect(150, 160, 200, 120));
}

TEST_F(FormPlacementTest, ResolutionSpecificPositionWinsOverPlainOne)
{
    store("TPlacedForm", "NormPos" + ScreenResolutionSuffix(), "30,40,230,140");
    store("TPlacedForm", "NormPos", "300,300,400,400");
    TPlacedForm form;
    form.show();
    EXPECT_EQ(form.geometry(), QRect(30, 40, 200, 100));
}

TEST_F(FormPlacementTest, FixedSizeDialogKeepsItsSize)
{
    store("TFixedDialog", "NormPos", "50,60,650,460");
    TFixedDialog dialog;
    dialog.show();
    EXPECT_EQ(dialog.geometry().topLeft(), QPoint(50, 60));
    EXPECT_EQ(dialog.size(), QSize(220, 140));
}

TEST_F(FormPlacementTest, DialogEndedByAcceptSavesAsClosed)
{
    {
        TFixedDialog dialog;
        dialog.show();
        dialog.setGeometry(70, 80, 220, 140);
        dialog.accept();
        dialog.move(5, 5);  // after the save: not stored again when destroyed
    }
    EXPECT_EQ(stored("TFixedDialog", "Visible"), "0");
    EXPECT_EQ(stored("TFixedDialog", "NormPos"), "70,80,290,220");

    TFixedDialog again;
    again.show();
    EXPECT_EQ(again.size(), QSize(220, 140));
    again.close();  // a close event and the dialog's end: one save, as closed
    EXPECT_EQ(stored("TFixedDialog", "Visible"), "0");
}

TEST_F(FormPlacementTest, TwoNumberPositionKeepsCurrentRightAndBottom)
{
    store("TPlacedForm", "NormPos", "40,30");
    TPlacedForm form;
    form.setGeometry(100, 100, 300, 200);  // right 400, bottom 300
    form.show();
    EXPECT_EQ(form.geometry(), QRect(QPoint(40, 30), QPoint(399, 299)));
}

TEST_F(FormPlacementTest, PositionOffEveryScreenIsMovedOntoOne)
{
    store("TPlacedForm", "NormPos", "5000,-3000,5300,-2800");
    TPlacedForm form;
    form.show();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(form.size(), QSize(300, 200));
    EXPECT_TRUE(screen.contains(form.geometry())) << form.geometry().x() << "," << form.geometry().y();
}

TEST_F(FormPlacementTest, MalformedValuesFallBackToDefaults)
{
    store("TPlacedForm", "NormPos", "x,y,z,w");  // every word malformed: 0
    store("TPlacedForm", "ShowCmd", "banana");
    {
        QvRegistry registry;
        ASSERT_TRUE(registry.openKey(kSectionKey, true));
        registry.writeInteger("Flags", 7);  // of the wrong type: as if absent
    }
    TPlacedForm form;
    form.setGeometry(100, 100, 300, 200);
    form.show();
    EXPECT_EQ(form.windowState(), Qt::WindowNoState);
    // A rectangle with right <= left is not applied.
    EXPECT_EQ(form.geometry(), QRect(100, 100, 300, 200));
}

TEST_F(FormPlacementTest, ExtremeStoredNumbersAreClampedBeforeTheMainWindowIsPlaced)
{
    // What a damaged or hand-edited registry may hold; each number is brought
    // within reach before any arithmetic, so nothing overflows.
    store("QMainWindow", "NormPos", "-2147483648,-2147483648,2147483647,2147483647");
    store("QMainWindow", "MinMaxPos", "-2147483648,-2147483648,-2147483648,-2147483648");
    store("QMainWindow", "ShowCmd", "1");
    QMainWindow window;
    window.setCentralWidget(new QMdiArea);
    auto* placement = new TFormPlacement(&window);
    placement->SetIniFileName(kFormPlacementsKey);
    window.show();
    EXPECT_FALSE(window.isMaximized());
    const QRect placed = window.geometry();
    EXPECT_GE(placed.left(), -1000000);
    EXPECT_LE(placed.right(), 1000000);

    // A rectangle whose clamped corners cross is not applied at all.
    store("TPlacedForm", "NormPos", "-2147483648,-2147483648,-2147483648,-2147483648");
    TPlacedForm form;
    form.setGeometry(100, 100, 300, 200);
    form.show();
    EXPECT_EQ(form.geometry(), QRect(100, 100, 300, 200));

    int value = 0;
    EXPECT_TRUE(ReadStoredCoordinate(QStringLiteral(" -2147483648 "), value));
    EXPECT_EQ(value, -1000000);
    EXPECT_TRUE(ReadStoredCoordinate(QStringLiteral("99999999999"), value));
    EXPECT_EQ(value, 1000000);
    EXPECT_TRUE(ReadStoredCoordinate(QStringLiteral("640"), value));
    EXPECT_EQ(value, 640);
    EXPECT_FALSE(ReadStoredCoordinate(QStringLiteral("12px"), value));
}

TEST_F(FormPlacementTest, MaximizedStateIsStoredAndRestored)
{
    {
        TPlacedForm form;
        form.show();
        form.setGeometry(20, 30, 300, 200);
        form.showMaximized();
        ASSERT_TRUE(form.isMaximized());
        form.close();
    }
    EXPECT_EQ(stored("TPlacedForm", "ShowCmd"), "3");
    EXPECT_EQ(stored("TPlacedForm", "NormPos"), "20,30,320,230");

    TPlacedForm again;
    again.show();
    EXPECT_TRUE(again.isMaximized());
    again.showNormal();
    EXPECT_EQ(again.geometry(), QRect(20, 30, 300, 200));
}

TEST_F(FormPlacementTest, MdiParentDefaultsToMaximized)
{
    QMainWindow window;
    window.setCentralWidget(new QMdiArea);
    auto* placement = new TFormPlacement(&window);
    placement->SetIniFileName(kFormPlacementsKey);
    window.show();
    EXPECT_TRUE(window.isMaximized());
    EXPECT_EQ(placement->IniSection(), "QMainWindow");
}

TEST_F(FormPlacementTest, MdiChildStoresItsSubWindowGeometry)
{
    QMainWindow main;
    auto* area = new QMdiArea;
    main.setCentralWidget(area);
    main.resize(800, 600);
    main.show();

    const QRect where(15, 25, 260, 180);
    {
        auto* form = new TMdiForm;
        QMdiSubWindow* sub = area->addSubWindow(form);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        form->show();
        sub->setGeometry(where);
        sub->showMaximized();  // the normal geometry is what is stored
        QPointer<QMdiSubWindow> guard(sub);
        sub->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(guard.isNull());
    }
    EXPECT_EQ(stored("TMdiForm", "NormPos"), normPos(where));
    EXPECT_EQ(stored("TMdiForm", "ShowCmd"), "3");

    store("TMdiForm", "ShowCmd", "1");
    auto* form = new TMdiForm;
    QMdiSubWindow* sub = area->addSubWindow(form);
    form->show();
    EXPECT_EQ(sub->geometry(), where);
    EXPECT_FALSE(sub->isMaximized());
    sub->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    store("TMdiForm", "ShowCmd", "3");
    auto* maximized = new TMdiForm;
    QMdiSubWindow* maximizedSub = area->addSubWindow(maximized);
    maximized->show();
    EXPECT_TRUE(maximizedSub->isMaximized());
    maximizedSub->showNormal();
    EXPECT_EQ(maximizedSub->geometry(), where);
}

TEST_F(FormPlacementTest, MdiChildDestroyedWithItsSubWindowStillSaves)
{
    QMainWindow main;
    auto* area = new QMdiArea;
    main.setCentralWidget(area);
    main.resize(800, 600);
    main.show();
    auto* form = new TMdiForm;
    QMdiSubWindow* sub = area->addSubWindow(form);
    form->show();
    sub->setGeometry(40, 45, 230, 170);
    delete sub;
    EXPECT_EQ(stored("TMdiForm", "NormPos"), "40,45,270,215");
    EXPECT_EQ(stored("TMdiForm", "Visible"), "1");
}

TEST_F(FormPlacementTest, ActiveControlIsStoredAndFocusedAgain)
{
    {
        TPlacedForm form;
        form.placement->SetOptions(fpState | fpPosition | fpActiveControl);
        auto* first = new QLineEdit(&form);
        first->setObjectName("First");
        auto* second = new QLineEdit(&form);
        second->setObjectName("Second");
        form.show();
        second->setFocus();
        form.close();
    }
    EXPECT_EQ(stored("TPlacedForm", "ActiveControl"), "Second");
    TPlacedForm form;
    form.placement->SetOptions(fpState | fpPosition | fpActiveControl);
    auto* first = new QLineEdit(&form);
    first->setObjectName("First");
    auto* second = new QLineEdit(&form);
    second->setObjectName("Second");
    form.show();
    EXPECT_EQ(form.focusWidget(), second);
}

TEST_F(FormPlacementTest, EmptyOptionsStoreNoPlacement)
{
    {
        TPlacedForm form;
        form.placement->SetOptions(0);
        form.show();
        form.close();
        EXPECT_TRUE(form.placement->IsSaved());
    }
    EXPECT_EQ(stored("TPlacedForm", "NormPos"), "<no key>");
}

TEST_F(FormPlacementTest, PreventResizeFixesTheShownSize)
{
    TPlacedForm form;
    form.resize(240, 160);
    form.placement->SetPreventResize(true);
    form.show();
    EXPECT_EQ(form.minimumSize(), QSize(240, 160));
    EXPECT_EQ(form.maximumSize(), QSize(240, 160));
    EXPECT_FALSE(form.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    form.placement->SetPreventResize(false);
    EXPECT_NE(form.minimumSize(), form.maximumSize());
}

TEST_F(FormPlacementTest, MinMaxInfoLimitsTheWindow)
{
    TPlacedForm form;
    form.placement->MinMaxInfo().SetMinTrackWidth(150);
    form.placement->MinMaxInfo().SetMaxTrackHeight(300);
    form.show();
    form.resize(100, 500);
    EXPECT_EQ(form.size(), QSize(150, 300));
    form.placement->SetMinMaxInfo(TWinMinMaxInfo());
    form.resize(100, 500);
    EXPECT_EQ(form.size(), QSize(100, 500));
}

TEST_F(FormPlacementTest, LinksSaveAndLoadWithTheirPlacement)
{
    int saves = 0;
    int loads = 0;
    QString rootSection;
    bool storageOpen = false;
    auto link = std::make_unique<TIniLink>();
    link->SetOnSave([&] {
        ++saves;
        storageOpen = link->IniObject() != nullptr;
        rootSection = link->RootSection();
        link->IniObject()->WriteString(link->RootSection() + "Grid", "Width0", "64");
    });
    link->SetOnLoad([&] { ++loads; });
    {
        TPlacedForm form;
        link->SetPreStorage(form.placement);
        form.show();
        form.close();
        EXPECT_EQ(link->IniObject(), nullptr);  // storage open only while saving
    }
    EXPECT_EQ(link->PreStorage(), nullptr);  // its placement went with the form
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(loads, 1);
    EXPECT_TRUE(storageOpen);
    EXPECT_EQ(rootSection, "TPlacedForm\\");
    EXPECT_EQ(stored("TPlacedForm\\Grid", "Width0"), "64");
}

TEST(FormPlacementNames, ComponentSectionNames)
{
    TPlacedForm form;
    auto* edit = new QLineEdit(&form);
    edit->setObjectName("Edit1");
    auto* helper = new QObject(&form);
    helper->setObjectName("Storage1");
    QWidget loose;
    loose.setObjectName("Loose");
    auto* child = new QWidget(&loose);
    child->setObjectName("Child");
    child->setWindowFlag(Qt::Widget);

    EXPECT_EQ(ComponentSectionName(nullptr), "");
    EXPECT_EQ(ComponentSectionName(&form), "TPlacedForm");
    EXPECT_EQ(ComponentSectionName(edit), "TPlacedFormEdit1");
    EXPECT_EQ(ComponentSectionName(helper), "TPlacedForm.Storage1");
    EXPECT_EQ(form.placement->IniSection(), "TPlacedForm");
    EXPECT_EQ(form.placement->Options(), TPlacementOptions(fpState | fpPosition));

    QObject plain;
    TFormPlacement noForm(&plain);
    EXPECT_EQ(noForm.Options(), TPlacementOptions(0));
}

TEST(FormPlacementNames, DefaultRegistryKeyNamesTheApplication)
{
    const QString organization = QCoreApplication::organizationName();
    const QString application = QCoreApplication::applicationName();
    QCoreApplication::setOrganizationName("");
    QCoreApplication::setApplicationName("Qorvane");
    EXPECT_EQ(DefaultIniRegKey(), "Software\\Qorvane");
    QCoreApplication::setOrganizationName("Qyl");
    EXPECT_EQ(DefaultIniRegKey(), "Software\\Qyl\\Qorvane");
    QCoreApplication::setOrganizationName(organization);
    QCoreApplication::setApplicationName(application);
}

#include "FormPlacement_test.moc"
