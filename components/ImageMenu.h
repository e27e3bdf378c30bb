#pragma once

// TImageMenu turns the menus of the window that owns it into owner-drawn
// menus: a decorated item (TImageMenuItem) gets a picture beside its caption,
// its own font and colours; check and radio marks are drawn from bitmaps and
// popups may get a vertical caption bar. Items stay ordinary QActions: the
// picture is also their icon, and commands, mnemonics and shortcuts work as
// in any menu. The drawing is a style installed on the menus that hold
// decorated items, and taken off again when the TImageMenu goes.

#include <QColor>
#include <QCursor>
#include <QFlags>
#include <QFont>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>
#include <stdexcept>

#include "components/AlignLayout.h"
#include "components/ComponentEvents.h"
#include "components/PanelBevel.h"

class QAction;
class QMenu;
class QMenuBar;
class QPainter;
class QStyle;
class QStyleOptionMenuItem;
class QWidget;
class TImageMenu;
class TImageMenuStyle;

// A refused setting of an image menu; the text is shown to the user as it is.
class EImageMenuError : public std::runtime_error
{
public:
    explicit EImageMenuError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {
    }
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

enum class TRefreshAction {
    RA_NONE,
    RA_REFRESH,
    RA_REFRESHWITHBAR,
    RA_RESTORE,
    RA_RESTOREWITHBAR,
    RA_REFRESHNOBAR
};
// Where the caption sits relative to the picture.
enum class TTextAlign { alTop, alBottom, alLeft, alRight };
enum class TBevelStyle { bsBevelBoth, bsBevelOnlyImage, bsBevelOnlyText };
enum class TBevelType { btRectangle, btRoundedRect };
enum class TCaptionAlign { alUp, alDown, alCenter };
enum class TShadowPos { spLeftTop, spLeftBottom, spRightBottom, spRightTop };

enum TMenuOption : unsigned {
    omAlwaysDefFont = 1u << 0,
    omAlwaysDefFontColor = 1u << 1,
    omAlwaysDefFontSize = 1u << 2,
    omFixedImgSize = 1u << 3,
    omDrawBarIfNeeded = 1u << 4,
    omPaintWallpaper = 1u << 5,
    omPaintSelWallpaper = 1u << 6,
    omTileWallpaper = 1u << 7,
    omTileSelWallpaper = 1u << 8,
    omBevelOnlyIfSel = 1u << 9,
    omNoHighlightImage = 1u << 10,
    omNoHighlightDisabled = 1u << 11,
    omNoHighlightEnabled = 1u << 12,
    omNoHighlightEnabledButDoText = 1u << 13,
    omNoHighlightEnabledButDoRoundRect = 1u << 14,
    omRightJustified = 1u << 15,
    omNoTextAttached = 1u << 16,
    omNoImageAttached = 1u << 17,
};
Q_DECLARE_FLAGS(TMenuOptions, TMenuOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TMenuOptions)

enum TShadowOption : unsigned { soNoShadowIfNormal = 1u << 0, soNoShadowIfSel = 1u << 1 };
Q_DECLARE_FLAGS(TShadowOptions, TShadowOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TShadowOptions)

// Sender, the popup concerned and the item's (or the popup's) position in its menu.
using TMenuEvent = std::function<void(QObject* Sender, QMenu* Menu, int ItemPos)>;

// The text shadow of an item. Invalid colours stand for the button shadow colour.
struct TShadowText
{
    bool Active = false;
    TShadowOptions Options = soNoShadowIfSel;
    QColor ShadowColor;
    QColor SelShadowColor;
    int ShadowSize = 1;
    int SelShadowSize = 1;
    TShadowPos ShadowPos = TShadowPos::spLeftTop;
    TShadowPos SelShadowPos = TShadowPos::spLeftTop;
};

// The vertical caption bar of popups.
class TImageMenuBar
{
public:
    TImageMenuBar();

    bool Active() const { return m_active; }
    void setActive(bool active);
    QString Caption() const { return m_caption; }
    void setCaption(const QString& caption);
    QFont Font() const { return m_font; }
    // The caption is drawn turned, which needs an outline font.
    void setFont(const QFont& font);
    QColor FontColor() const { return m_fontColor; }
    void setFontColor(const QColor& color);
    int Space() const { return m_space; }
    void setSpace(int space);
    QColor BackFrom() const { return m_backFrom; }
    void setBackFrom(const QColor& color);
    QColor BackTo() const { return m_backTo; }
    void setBackTo(const QColor& color);
    bool IsGradient() const { return m_isGradient; }
    void setIsGradient(bool gradient);
    bool IsSeparator() const { return m_isSeparator; }
    void setIsSeparator(bool separator);
    TCaptionAlign CaptionAlign() const { return m_captionAlign; }
    void setCaptionAlign(TCaptionAlign align);
    // alLeft or alRight; top and bottom bars are drawn at the left.
    TAlign BarAlign() const { return m_barAlign; }
    void setBarAlign(TAlign align);

    // The bar's width in a popup; 0 while inactive.
    int Width() const;

    qv::TNotifyEvent OnChanged;

private:
    void Changed();

    bool m_active = false;
    QString m_caption;
    QFont m_font;
    QColor m_fontColor = Qt::white;
    int m_space = 0;
    QColor m_backFrom = Qt::black;
    QColor m_backTo = QColor(0, 0, 255);
    bool m_isGradient = false;
    bool m_isSeparator = true;
    TCaptionAlign m_captionAlign = TCaptionAlign::alDown;
    TAlign m_barAlign = TAlign::alLeft;
};

// The look of the window's menu bar. An invalid colour is the menu colour.
class TMainMenuBar
{
public:
    bool Active() const { return m_active; }
    void setActive(bool active);
    bool IsWallpaper() const { return m_isWallpaper; }
    void setIsWallpaper(bool wallpaper);
    bool IsBevels() const { return m_isBevels; }
    void setIsBevels(bool bevels);
    QColor Color() const { return m_color; }
    void setColor(const QColor& color);
    TPanelBevel BevelInner() const { return m_bevelInner; }
    void setBevelInner(TPanelBevel bevel);
    TPanelBevel BevelOuter() const { return m_bevelOuter; }
    void setBevelOuter(TPanelBevel bevel);

    qv::TNotifyEvent OnChanged;

private:
    void Changed();

    bool m_active = false;
    bool m_isWallpaper = false;
    bool m_isBevels = false;
    QColor m_color;
    TPanelBevel m_bevelInner = TPanelBevel::bvNone;
    TPanelBevel m_bevelOuter = TPanelBevel::bvNone;
};

// One decorated menu item. Its owner's TImageMenu draws it. Invalid colours
// stand for the menu's own (menu background, highlight, highlight text, menu
// text); an invalid TrColor draws the picture opaquely.
class TImageMenuItem : public QObject
{
    Q_OBJECT

public:
    // Registers with the TImageMenu among the owner's children, if any.
    explicit TImageMenuItem(QObject* owner);
    ~TImageMenuItem() override;

    TImageMenu* ImageMenu() const;

    // The caption font; the menu's font until one is set.
    QFont Font() const;
    void setFont(const QFont& font);
    QColor FontColor() const { return m_fontColor; }
    void setFontColor(const QColor& color);
    QImage Picture() const { return m_picture; }
    void setPicture(const QImage& picture);
    QImage DisabledPicture() const { return m_disabledPicture; }
    void setDisabledPicture(const QImage& picture);
    QColor TrColor() const { return m_trColor; }
    void setTrColor(const QColor& color);
    QColor SelColor() const { return m_selColor; }
    void setSelColor(const QColor& color);
    QColor NormColor() const { return m_normColor; }
    void setNormColor(const QColor& color);
    QColor SelTextColor() const { return m_selTextColor; }
    void setSelTextColor(const QColor& color);
    TTextAlign TextAlign() const { return m_textAlign; }
    void setTextAlign(TTextAlign align);
    TMenuOptions Options() const { return m_options; }
    void setOptions(TMenuOptions options);
    int CustomImgSize() const { return m_customImgSize; }
    void setCustomImgSize(int size);
    // The menu (popup or menu bar) that holds the item.
    QWidget* Menu() const;
    void setMenu(QWidget* menu);
    QAction* MenuItem() const;
    void setMenuItem(QAction* action);
    TPanelBevel BevelInner() const { return m_bevelInner; }
    void setBevelInner(TPanelBevel bevel);
    TPanelBevel BevelOuter() const { return m_bevelOuter; }
    void setBevelOuter(TPanelBevel bevel);
    TBevelStyle BevelStyle() const { return m_bevelStyle; }
    void setBevelStyle(TBevelStyle style);
    TBevelType BevelType() const { return m_bevelType; }
    void setBevelType(TBevelType type);
    QString SeparatorText() const { return m_separatorText; }
    void setSeparatorText(const QString& text);
    // Setting it copies that image of the menu's image lists into the pictures.
    int ImageIndex() const { return m_imageIndex; }
    void setImageIndex(int index);
    TShadowText& Shadow() { return m_shadow; }
    const TShadowText& Shadow() const { return m_shadow; }

    // The icon key the item's action carries, or 0.
    qint64 IconKey() const { return m_iconKey; }

private:
    friend class TImageMenu;
    void Changed();
    void UpdateIcon();
    void CheckAdvancedFeatures(TTextAlign align, TMenuOptions options) const;

    QPointer<TImageMenu> m_imageMenu;
    std::optional<QFont> m_font;
    QColor m_fontColor;
    QImage m_picture;
    QImage m_disabledPicture;
    QColor m_trColor;
    QColor m_selColor;
    QColor m_normColor;
    QColor m_selTextColor;
    TTextAlign m_textAlign = TTextAlign::alRight;
    TMenuOptions m_options = omFixedImgSize | omTileWallpaper | omTileSelWallpaper;
    int m_customImgSize = 16;
    QPointer<QWidget> m_menu;
    QPointer<QAction> m_menuItem;
    TPanelBevel m_bevelInner = TPanelBevel::bvNone;
    TPanelBevel m_bevelOuter = TPanelBevel::bvNone;
    TBevelStyle m_bevelStyle = TBevelStyle::bsBevelBoth;
    TBevelType m_bevelType = TBevelType::btRectangle;
    QString m_separatorText;
    int m_imageIndex = -1;
    TShadowText m_shadow;
    qint64 m_iconKey = 0;
};

class TImageMenu : public QObject
{
    Q_OBJECT

public:
    // The owner must be a widget (the window whose menus are drawn).
    explicit TImageMenu(QObject* owner);
    ~TImageMenu() override;

    TImageMenuBar& ImageMenuBar() { return m_imageMenuBar; }
    TMainMenuBar& MainMenuBar() { return m_mainMenuBar; }
    QImage Wallpaper() const { return m_wallpaper; }
    void setWallpaper(const QImage& wallpaper);
    QImage SelWallpaper() const { return m_selWallpaper; }
    void setSelWallpaper(const QImage& wallpaper);
    bool Active() const { return m_active; }
    void setActive(bool active);
    TRefreshAction MenuRefresh() const { return m_menuRefresh; }
    void setMenuRefresh(TRefreshAction action) { m_menuRefresh = action; }
    // Shown over the owner's menus while one is open; none leaves the cursor alone.
    std::optional<QCursor> Cursor() const { return m_cursor; }
    void setCursor(const std::optional<QCursor>& cursor) { m_cursor = cursor; }
    int HSpace() const { return m_hSpace; }
    void setHSpace(int space);
    int VSpace() const { return m_vSpace; }
    void setVSpace(int space);

    // Assigning a list gives the k-th decorated item (separators not
    // counted) image k; removing it clears the pictures.
    bool HasImages() const { return m_images.has_value(); }
    QList<QImage> Images() const { return m_images.value_or(QList<QImage>()); }
    void setImages(const QList<QImage>& images);
    void removeImages();
    bool HasDisabledImages() const { return m_disabledImages.has_value(); }
    QList<QImage> DisabledImages() const { return m_disabledImages.value_or(QList<QImage>()); }
    void setDisabledImages(const QList<QImage>& images);
    void removeDisabledImages();

    QImage CheckedBitmap() const { return m_checkedBitmap; }
    void setCheckedBitmap(const QImage& bitmap);
    QImage RadioBitmap() const { return m_radioBitmap; }
    void setRadioBitmap(const QImage& bitmap);

    TMenuEvent OnPopup;
    TMenuEvent OnMeasure;
    TMenuEvent OnItemSelect;

    // Decorated items in the order they registered.
    QList<TImageMenuItem*> Items() const;
    TImageMenuItem* ItemOf(const QAction* action) const;
    // The menus being drawn now.
    QList<QMenu*> Menus() const;
    // Makes every menu holding a decorated item owner-drawn (again).
    void RefreshMenus();

    // The work of the menu style, callable directly.
    QSize MeasureItem(const TImageMenuItem& item, const QStyleOptionMenuItem& option,
                      const QMenu* menu) const;
    void DrawItem(const TImageMenuItem& item, const QStyleOptionMenuItem& option,
                  QPainter& painter, const QMenu* menu) const;
    // The decorated item an option describes (by its icon, else its caption).
    TImageMenuItem* ItemForOption(const QMenu* menu, const QStyleOptionMenuItem& option) const;
    int BarWidth() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class TImageMenuItem;
    struct ManagedMenu
    {
        QPointer<QMenu> menu;
        QPointer<QStyle> previousStyle;
    };

    void Register(TImageMenuItem* item);
    void Unregister(TImageMenuItem* item);
    void ItemChanged(TImageMenuItem* item);
    void Manage(QMenu* menu);
    void ReleaseMenus();
    void Popup(QMenu* menu);
    void ApplyMainMenuBar();
    void PaintCaptionBar(QMenu* menu);
    void PaintMainMenuBar(QMenuBar* bar);
    void FillImagesInto(bool disabled);
    void Fire(const TMenuEvent& handler, QMenu* menu, int pos) const;
    QFont EffectiveFont(const TImageMenuItem& item, const QStyleOptionMenuItem& option,
                        const QMenu* menu) const;

    QList<QPointer<TImageMenuItem>> m_items;
    QList<ManagedMenu> m_menus;
    QList<QPointer<QMenuBar>> m_styledBars;
    TImageMenuStyle* m_style = nullptr; // child
    TImageMenuBar m_imageMenuBar;
    TMainMenuBar m_mainMenuBar;
    QImage m_wallpaper;
    QImage m_selWallpaper;
    bool m_active = true;
    TRefreshAction m_menuRefresh = TRefreshAction::RA_REFRESH;
    std::optional<QCursor> m_cursor;
    int m_hSpace = 5;
    int m_vSpace = 2;
    std::optional<QList<QImage>> m_images;
    std::optional<QList<QImage>> m_disabledImages;
    QImage m_checkedBitmap;
    QImage m_radioBitmap;
};
