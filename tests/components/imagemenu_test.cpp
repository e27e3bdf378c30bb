// Image menus: items carry and draw their pictures, marks and colours, are
// measured as the owner-drawn menus were, fire their commands, and the menu
// events run guarded.

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QFontDatabase>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionMenuItem>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "components/ImageMenu.h"
#include "platform/DialogScript.h"

namespace {

const QColor kSilver(0xC0, 0xC0, 0xC0);
const QColor kNorm(250, 240, 200);
const QColor kSel(20, 60, 160);

// 16 x 16, silver all round (the transparent colour) with a square of colour.
QImage picture(const QColor& colour)
{
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(kSilver);
    QPainter painter(&image);
    painter.fillRect(4, 4, 8, 8, colour);
    return image;
}

class ImageMenuTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window = std::make_unique<QWidget>();
        window->resize(300, 200);
        images = new TImageMenu(window.get());
        menu = new QMenu(window.get());
        open = menu->addAction(QStringLiteral("&Open"));
        separator = menu->addSeparator();
        save = menu->addAction(QStringLiteral("&Save"));
        save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
        plain = menu->addAction(QStringLiteral("Plain"));
    }

    TImageMenuItem* decorate(QAction* action, const QImage& image = QImage())
    {
        auto* item = new TImageMenuItem(window.get());
        item->setMenu(menu);
        item->setMenuItem(action);
        if (!image.isNull()) {
            item->setPicture(image);
            item->setTrColor(kSilver);
        }
        item->setNormColor(kNorm);
        item->setSelColor(kSel);
        return item;
    }

    void popUp()
    {
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        menu->popup(window->mapToGlobal(QPoint(10, 10)));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    }

    QColor at(const QPoint& p) const { return QColor(menu->grab().toImage().pixel(p)); }

    std::unique_ptr<QWidget> window;
    TImageMenu* images = nullptr;
    QMenu* menu = nullptr;
    QAction* open = nullptr;
    QAction* separator = nullptr;
    QAction* save = nullptr;
    QAction* plain = nullptr;
};

} // namespace

// --- creation and registration ---------------------------------------------

TEST(ImageMenu, TheOwnerMustBeAWidget)
{
    QObject notAWindow;
    try {
        TImageMenu menu(&notAWindow);
        FAIL() << "accepted an owner that is no widget";
    } catch (const EImageMenuError& error) {
        EXPECT_EQ(error.message(), QStringLiteral("Owner should be TWinControl's descendant"));
    }
    EXPECT_THROW(TImageMenu(nullptr), EImageMenuError);
}

TEST_F(ImageMenuTest, ItemsRegisterWithTheirOwnersImageMenuInOrder)
{
    TImageMenuItem* first = decorate(open);
    TImageMenuItem* second = decorate(save);
    EXPECT_EQ(first->ImageMenu(), images);
    EXPECT_EQ(images->Items(), QList<TImageMenuItem*>({first, second}));
    EXPECT_EQ(images->ItemOf(save), second);
    EXPECT_EQ(images->ItemOf(plain), nullptr);
    delete first;
    EXPECT_EQ(images->Items(), QList<TImageMenuItem*>({second}));

    QWidget elsewhere;
    TImageMenuItem orphan(&elsewhere);
    EXPECT_EQ(orphan.ImageMenu(), nullptr);
}

TEST_F(ImageMenuTest, DefaultsAreThoseOfTheOldComponent)
{
    TImageMenuItem* item = decorate(open);
    EXPECT_EQ(images->HSpace(), 5);
    EXPECT_EQ(images->VSpace(), 2);
    EXPECT_TRUE(images->Active());
    EXPECT_EQ(images->MenuRefresh(), TRefreshAction::RA_REFRESH);
    EXPECT_FALSE(images->ImageMenuBar().Active());
    EXPECT_EQ(images->ImageMenuBar().CaptionAlign(), TCaptionAlign::alDown);
    EXPECT_EQ(images->ImageMenuBar().FontColor(), QColor(Qt::white));
    EXPECT_EQ(item->TextAlign(), TTextAlign::alRight);
    EXPECT_EQ(item->Options(), omFixedImgSize | omTileWallpaper | omTileSelWallpaper);
    EXPECT_EQ(item->CustomImgSize(), 16);
    EXPECT_EQ(item->ImageIndex(), -1);
    EXPECT_EQ(item->BevelStyle(), TBevelStyle::bsBevelBoth);
    EXPECT_FALSE(item->Shadow().Active);
    EXPECT_EQ(item->Shadow().Options, TShadowOptions(soNoShadowIfSel));
}

// --- pictures ---------------------------------------------------------------

TEST_F(ImageMenuTest, AnItemCarriesItsPictureAsItsActionsIcon)
{
    decorate(open, picture(Qt::red));
    ASSERT_FALSE(open->icon().isNull());
    const QImage icon = open->icon().pixmap(16, 16).toImage();
    EXPECT_EQ(qAlpha(icon.pixel(0, 15)), 0) << "the transparent colour is left out";
    EXPECT_EQ(QColor(icon.pixel(8, 8)), QColor(Qt::red));
    EXPECT_TRUE(plain->icon().isNull());
}

TEST_F(ImageMenuTest, ImageListsFillTheDecoratedItemsInOrderSkippingSeparators)
{
    TImageMenuItem* first = decorate(open);
    TImageMenuItem* line = decorate(separator);
    TImageMenuItem* second = decorate(save);
    QImage green = picture(Qt::green);
    green.setPixel(0, 15, qRgb(1, 2, 3));
    images->setImages({picture(Qt::red), green, picture(Qt::blue)});
    EXPECT_EQ(first->ImageIndex(), 0);
    EXPECT_EQ(line->ImageIndex(), -1);
    EXPECT_EQ(second->ImageIndex(), 1);
    EXPECT_EQ(QColor(second->Picture().pixel(8, 8)), QColor(Qt::green));
    EXPECT_EQ(second->TrColor(), QColor(1, 2, 3)) << "the bottom-left pixel";

    second->setImageIndex(2);
    EXPECT_EQ(QColor(second->Picture().pixel(8, 8)), QColor(Qt::blue));
    second->setImageIndex(7);
    EXPECT_TRUE(second->Picture().isNull()) << "an index outside the list clears the picture";

    images->setDisabledImages({picture(Qt::gray)});
    EXPECT_EQ(QColor(first->DisabledPicture().pixel(8, 8)), QColor(Qt::gray));
    EXPECT_TRUE(second->DisabledPicture().isNull());

    images->removeImages();
    EXPECT_TRUE(first->Picture().isNull());
    first->setImageIndex(1);
    EXPECT_EQ(first->ImageIndex(), 1) << "without lists only the number is kept";
    EXPECT_TRUE(first->Picture().isNull());
}

// --- measuring and drawing --------------------------------------------------

TEST_F(ImageMenuTest, ItemsAreMeasuredAsThePictureAndCaptionNeed)
{
    decorate(open, picture(Qt::red));
    popUp();
    const QRect rect = menu->actionGeometry(open);
    EXPECT_EQ(rect.height(), 16 + 2 * 2);
    const int caption = QFontMetrics(menu->font()).size(Qt::TextShowMnemonic, QStringLiteral("&Open")).width();
    EXPECT_GE(rect.width(), caption + 16 + 2 * 5);

    images->setVSpace(6);
    QApplication::processEvents();
    menu->hide();
    menu->popup(window->mapToGlobal(QPoint(10, 10)));
    EXPECT_EQ(menu->actionGeometry(open).height(), 16 + 2 * 6);
}

TEST_F(ImageMenuTest, ThePictureIsDrawnBesideTheCaptionWithItsTransparentColourLeftOut)
{
    decorate(open, picture(Qt::red));
    popUp();
    const QRect rect = menu->actionGeometry(open);
    const QPoint picture = rect.topLeft() + QPoint(5, 2);
    EXPECT_EQ(at(picture + QPoint(8, 8)), QColor(Qt::red));
    EXPECT_EQ(at(picture + QPoint(1, 1)), kNorm) << "silver is transparent";
    EXPECT_EQ(at(rect.topLeft() + QPoint(1, rect.height() - 1)), kNorm);
}

TEST_F(ImageMenuTest, TheSelectedItemIsHighlightedInItsSelColor)
{
    decorate(open, picture(Qt::red));
    decorate(save, picture(Qt::green));
    popUp();
    menu->setActiveAction(save);
    const QRect selected = menu->actionGeometry(save);
    const QRect other = menu->actionGeometry(open);
    EXPECT_EQ(at(QPoint(selected.right() - 2, selected.top() + 1)), kSel);
    EXPECT_EQ(at(QPoint(other.right() - 2, other.top() + 1)), kNorm);
    EXPECT_EQ(at(selected.topLeft() + QPoint(5 + 8, 2 + 8)), QColor(Qt::green));
}

TEST_F(ImageMenuTest, NoHighlightImageLeavesThePictureOutOfTheHighlight)
{
    TImageMenuItem* item = decorate(open, picture(Qt::red));
    item->setOptions(item->Options() | omNoHighlightImage);
    popUp();
    menu->setActiveAction(open);
    const QRect rect = menu->actionGeometry(open);
    EXPECT_EQ(at(rect.topLeft() + QPoint(5 + 1, 2 + 1)), kNorm);
    EXPECT_EQ(at(QPoint(rect.right() - 2, rect.top() + 1)), kSel);
}

TEST_F(ImageMenuTest, CheckedItemsShowTheCheckOrRadioMarkInPlaceOfThePicture)
{
    open->setCheckable(true);
    open->setChecked(true);
    auto* group = new QActionGroup(menu);
    save->setCheckable(true);
    save->setActionGroup(group);
    save->setChecked(true);
    decorate(open, picture(Qt::red));
    decorate(save, picture(Qt::green));
    popUp();
    const QPoint tick = menu->actionGeometry(open).topLeft() + QPoint(5, 2);
    EXPECT_NE(at(tick + QPoint(8, 8)), QColor(Qt::red));
    EXPECT_EQ(at(tick + QPoint(4, 8)), QColor(Qt::black));
    EXPECT_EQ(at(tick + QPoint(0, 15)), kNorm) << "the mark's bottom-left colour is transparent";
    const QPoint dot = menu->actionGeometry(save).topLeft() + QPoint(5, 2);
    EXPECT_EQ(at(dot + QPoint(8, 8)), QColor(Qt::black));
    EXPECT_NE(at(dot + QPoint(8, 8)), QColor(Qt::green));

    QImage custom(16, 16, QImage::Format_RGB32);
    custom.fill(Qt::white);
    custom.setPixel(8, 8, qRgb(0, 200, 0));
    images->setCheckedBitmap(custom);
    menu->update();
    EXPECT_EQ(at(tick + QPoint(8, 8)), QColor(0, 200, 0));
    EXPECT_EQ(at(tick + QPoint(4, 8)), kNorm);
}

TEST_F(ImageMenuTest, DisabledItemsShowTheirDisabledPictureOrAnEmbossedOne)
{
    open->setEnabled(false);
    save->setEnabled(false);
    decorate(open, picture(Qt::red));
    TImageMenuItem* withOwn = decorate(save, picture(Qt::green));
    withOwn->setDisabledPicture(picture(Qt::magenta));
    popUp();
    const QPoint embossed = menu->actionGeometry(open).topLeft() + QPoint(5, 2);
    EXPECT_EQ(at(embossed + QPoint(8, 8)).rgb(), menu->palette().color(QPalette::Dark).rgb());
    EXPECT_EQ(at(embossed + QPoint(12, 12)).rgb(), menu->palette().color(QPalette::Light).rgb());
    const QPoint own = menu->actionGeometry(save).topLeft() + QPoint(5, 2);
    EXPECT_EQ(at(own + QPoint(8, 8)), QColor(Qt::magenta));
}

TEST_F(ImageMenuTest, ADisabledSelectedItemIsDrawnInGrey)
{
    // Not every style lets a disabled item be selected: draw it directly.
    TImageMenuItem* item = decorate(open, picture(Qt::red));
    QStyleOptionMenuItem option;
    option.initFrom(menu);
    option.rect = QRect(0, 0, 120, 20);
    option.text = QStringLiteral("&Open");
    option.menuItemType = QStyleOptionMenuItem::Normal;
    option.state = QStyle::State_Selected;
    QImage canvas(120, 20, QImage::Format_RGB32);
    auto draw = [&] {
        canvas.fill(Qt::white);
        QPainter painter(&canvas);
        images->DrawItem(*item, option, painter, menu);
    };
    draw();
    EXPECT_EQ(QColor(canvas.pixel(5 + 8, 2 + 8)), QColor(0x80, 0x80, 0x80));
    EXPECT_EQ(QColor(canvas.pixel(5 + 1, 2 + 1)), kSel) << "the highlight shows through";

    item->setOptions(item->Options() | omNoHighlightDisabled);
    draw();
    EXPECT_EQ(QColor(canvas.pixel(5 + 8, 2 + 8)).rgb(), menu->palette().color(QPalette::Dark).rgb());
    EXPECT_EQ(QColor(canvas.pixel(5 + 1, 2 + 1)), kNorm);
}

TEST_F(ImageMenuTest, DecoratedSeparatorsCarryTheirTextAndPlainOnesStayAsTheyAre)
{
    QAction* second = menu->addSeparator();
    TImageMenuItem* item = decorate(separator);
    item->setSeparatorText(QStringLiteral("Files"));
    popUp();
    const QRect decorated = menu->actionGeometry(separator);
    const QRect undecorated = menu->actionGeometry(second);
    EXPECT_EQ(decorated.height(), QFontMetrics(item->Font()).height());
    EXPECT_NE(undecorated.height(), decorated.height());
    // The text interrupts the line in the middle; the line runs at the sides.
    const int y = decorated.top() + decorated.height() / 2 - 1;
    EXPECT_EQ(at(QPoint(decorated.left() + 8, y)).rgb(),
              menu->palette().color(QPalette::Dark).rgb());
    EXPECT_EQ(at(QPoint(decorated.left() + 8, y + 1)).rgb(),
              menu->palette().color(QPalette::Light).rgb());
}

TEST_F(ImageMenuTest, TheCaptionBarTakesRoomAtTheLeftOfEveryItem)
{
    decorate(open, picture(Qt::red));
    TImageMenuBar& bar = images->ImageMenuBar();
    bar.setActive(true);
    bar.setCaption(QStringLiteral("Qorvane"));
    bar.setBackFrom(QColor(0, 90, 0));
    const int width = images->BarWidth();
    ASSERT_GT(width, 0);
    popUp();
    const QRect rect = menu->actionGeometry(open);
    EXPECT_EQ(at(rect.topLeft() + QPoint(width + 5 + 8, 2 + 8)), QColor(Qt::red));
    EXPECT_EQ(at(rect.topLeft() + QPoint(1, 1)), QColor(0, 90, 0));
    const QRect plainRect = menu->actionGeometry(plain);
    EXPECT_EQ(at(plainRect.topLeft() + QPoint(1, 1)), QColor(0, 90, 0))
        << "undecorated items make room for the bar too";
}

TEST(ImageMenuBar, OnlyOutlineFontsAreAccepted)
{
    TImageMenuBar bar;
    const QFont outline = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    const QFontInfo info(outline);
    if (QFontDatabase::isSmoothlyScalable(info.family(), info.styleName())) {
        EXPECT_NO_THROW(bar.setFont(outline));
        EXPECT_EQ(bar.Font(), outline);
    }
    for (const QString& family : QFontDatabase::families()) {
        if (QFontDatabase::isSmoothlyScalable(family))
            continue;
        try {
            bar.setFont(QFont(family));
            if (QFontDatabase::isSmoothlyScalable(QFontInfo(QFont(family)).family()))
                continue;
            FAIL() << "accepted " << family.toStdString();
        } catch (const EImageMenuError& error) {
            EXPECT_EQ(error.message(), QStringLiteral("Use True Type fonts for TImageMenuBar..."));
        }
        return;
    }
    GTEST_SKIP() << "no bitmap font installed to refuse";
}

TEST_F(ImageMenuTest, AdvancedFeaturesAreRefusedForCaptionsAboveOrBelow)
{
    TImageMenuItem* item = decorate(open, picture(Qt::red));
    item->setOptions(item->Options() | omNoHighlightImage);
    try {
        item->setTextAlign(TTextAlign::alTop);
        FAIL() << "accepted";
    } catch (const EImageMenuError& error) {
        EXPECT_EQ(error.message(),
                  QStringLiteral("Advanced features available only for horisontal aligned items"));
    }
    EXPECT_EQ(item->TextAlign(), TTextAlign::alRight);
    item->setOptions(omFixedImgSize);
    item->setTextAlign(TTextAlign::alBottom);
    EXPECT_THROW(item->setOptions(omNoHighlightImage), EImageMenuError);
    EXPECT_EQ(item->Options(), TMenuOptions(omFixedImgSize));
}

TEST_F(ImageMenuTest, ACaptionBelowThePictureDoublesTheHeight)
{
    TImageMenuItem* item = decorate(open, picture(Qt::red));
    item->setTextAlign(TTextAlign::alBottom);
    popUp();
    const QRect rect = menu->actionGeometry(open);
    EXPECT_EQ(rect.height(), 2 * 16 + 3 * 2);
    EXPECT_EQ(at(rect.topLeft() + QPoint(5 + 8, 2 + 8)), QColor(Qt::red));
}

TEST_F(ImageMenuTest, AnInactiveImageMenuLeavesTheDrawingToTheMenu)
{
    decorate(open, picture(Qt::red));
    images->setActive(false);
    popUp();
    EXPECT_NE(at(menu->actionGeometry(open).topLeft() + QPoint(1, 1)), kNorm);
}

// --- commands and events ----------------------------------------------------

TEST_F(ImageMenuTest, DecoratedItemsFireTheirCommandsByKeyAndMnemonic)
{
    decorate(open, picture(Qt::red));
    decorate(save, picture(Qt::green));
    int opened = 0;
    int saved = 0;
    QObject::connect(open, &QAction::triggered, [&] { ++opened; });
    QObject::connect(save, &QAction::triggered, [&] { ++saved; });

    QTimer::singleShot(50, menu, [&] { QTest::keyClick(menu, Qt::Key_O); });
    menu->exec(QPoint(20, 20));
    EXPECT_EQ(opened, 1);

    QTimer::singleShot(50, menu, [&] {
        menu->setActiveAction(save);
        QTest::keyClick(menu, Qt::Key_Return);
    });
    menu->exec(QPoint(20, 20));
    EXPECT_EQ(saved, 1);

    QTimer::singleShot(50, menu, [&] {
        const QRect rect = menu->actionGeometry(open);
        QTest::mouseClick(menu, Qt::LeftButton, {}, rect.center());
    });
    menu->exec(QPoint(20, 20));
    EXPECT_EQ(opened, 2);
}

TEST_F(ImageMenuTest, PopupAndItemSelectEventsTellTheMenuAndPosition)
{
    decorate(save, picture(Qt::green));
    QMenu* popped = nullptr;
    int selectedAt = -2;
    int measured = 0;
    images->OnPopup = [&](QObject* sender, QMenu* m, int) {
        EXPECT_EQ(sender, images);
        popped = m;
    };
    images->OnItemSelect = [&](QObject*, QMenu*, int pos) { selectedAt = pos; };
    images->OnMeasure = [&](QObject*, QMenu*, int) { ++measured; };
    popUp();
    EXPECT_EQ(popped, menu);
    EXPECT_GT(measured, 0);
    menu->setActiveAction(plain);
    EXPECT_EQ(selectedAt, -2) << "undecorated items are not reported";
    menu->setActiveAction(save);
    EXPECT_EQ(selectedAt, 2);
}

TEST_F(ImageMenuTest, AFailingMenuHandlerIsShownAndTheMenuStillWorks)
{
    decorate(open, picture(Qt::red));
    qv::DialogScript script;
    for (int i = 0; i < 50; ++i)
        script.answerMessage(qv::mrOk);
    images->OnPopup = [](QObject*, QMenu*, int) { throw std::runtime_error("popup failed"); };
    images->OnMeasure = [](QObject*, QMenu*, int) { throw std::runtime_error("measure failed"); };
    int opened = 0;
    QObject::connect(open, &QAction::triggered, [&] { ++opened; });
    QTimer::singleShot(50, menu, [&] { QTest::keyClick(menu, Qt::Key_O); });
    menu->exec(QPoint(20, 20));
    EXPECT_EQ(opened, 1);
    ASSERT_FALSE(script.messages().isEmpty());
    EXPECT_TRUE(script.messages().contains(QStringLiteral("popup failed")));
    EXPECT_TRUE(script.messages().contains(QStringLiteral("measure failed")));
}

// --- lifetime ---------------------------------------------------------------

TEST_F(ImageMenuTest, DestroyingTheImageMenuGivesTheMenusTheirOwnStyleBack)
{
    decorate(open, picture(Qt::red));
    ASSERT_EQ(images->Menus(), QList<QMenu*>({menu}));
    EXPECT_NE(menu->style(), QApplication::style());
    delete images;
    EXPECT_EQ(menu->style(), QApplication::style());
    popUp();
    EXPECT_FALSE(menu->grab().isNull());
}

TEST_F(ImageMenuTest, AMenuDestroyedFirstIsForgotten)
{
    decorate(open, picture(Qt::red));
    delete menu;
    menu = nullptr;
    EXPECT_TRUE(images->Menus().isEmpty());
    delete images;
}

TEST(ImageMenu, TheMainMenusDropDownsAreDrawn)
{
    QMainWindow main;
    auto* images = new TImageMenu(&main);
    QMenu* view = main.menuBar()->addMenu(QStringLiteral("&View"));
    QAction* refresh = view->addAction(QStringLiteral("&Refresh"));
    refresh->setShortcut(QKeySequence(Qt::Key_F5));
    auto* item = new TImageMenuItem(&main);
    item->setMenu(main.menuBar());
    item->setMenuItem(refresh);
    item->setPicture(picture(Qt::blue));
    item->setTrColor(kSilver);
    EXPECT_EQ(images->Menus(), QList<QMenu*>({view}));

    images->MainMenuBar().setColor(QColor(10, 20, 30));
    images->MainMenuBar().setActive(true);
    EXPECT_EQ(main.menuBar()->palette().color(QPalette::Window), QColor(10, 20, 30));
    images->MainMenuBar().setActive(false);
    EXPECT_NE(main.menuBar()->palette().color(QPalette::Window), QColor(10, 20, 30));
}
