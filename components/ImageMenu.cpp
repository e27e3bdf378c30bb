#include "components/ImageMenu.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLinearGradient>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOptionMenuItem>
#include <QWidget>

#include <algorithm>

#include "components/DrawUtils.h"

namespace {

const QString kOwnerError = QStringLiteral("Owner should be TWinControl's descendant");
const QString kBarFontError = QStringLiteral("Use True Type fonts for TImageMenuBar...");
const QString kAdvancedError =
    QStringLiteral("Advanced features available only for horisontal aligned items");

constexpr int kSubmenuArrowRoom = 16;

QColor BottomLeft(const QImage& image)
{
    return image.isNull() ? QColor() : QColor(image.pixel(0, image.height() - 1));
}

// The picture with its transparent colour left out (none: as it is).
QImage Transparent(const QImage& picture, const QColor& transparent)
{
    QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    if (!transparent.isValid())
        return image;
    const QRgb key = transparent.rgb() & RGB_MASK;
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((line[x] & RGB_MASK) == key)
                line[x] = 0;
        }
    }
    return image;
}

QImage MarkBitmap(bool radio)
{
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    if (radio) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.drawEllipse(QPointF(8, 8), 3, 3);
    } else {
        // A tick three pixels thick.
        for (int i = 0; i < 3; ++i) {
            painter.fillRect(QRect(4 + i, 7 + i, 1, 3), Qt::black);
            painter.fillRect(QRect(7 + i, 8 - i, 1, 3), Qt::black);
            painter.fillRect(QRect(10 + i, 5 - i, 1, 3), Qt::black);
        }
    }
    return image;
}

// Makes a menu measure its items again before it is next shown.
void Remeasure(QMenu* menu)
{
    QEvent change(QEvent::StyleChange);
    QCoreApplication::sendEvent(menu, &change);
    menu->update();
}

QFont SeparatorFont()
{
    QFont font(QStringLiteral("MS Serif"));
    font.setPixelSize(10);
    return font;
}

} // namespace

// ---------------------------------------------------------------------------
// Drawing one decorated item.

namespace {

class ItemPainter
{
public:
    ItemPainter(const TImageMenu& images, const TImageMenuItem& item,
                const QStyleOptionMenuItem& option, QPainter& painter, const QMenu* menu,
                const QFont& font)
        : m_images(images), m_item(item), m_option(option), m_painter(painter), m_menu(menu),
          m_palette(menu->palette()), m_options(item.Options()), m_font(font), m_metrics(font),
          m_hSpace(images.HSpace()), m_vSpace(images.VSpace()),
          m_area(option.rect.adjusted(images.BarWidth(), 0, 0, 0)),
          m_enabled(option.state & QStyle::State_Enabled),
          m_selected(option.state & QStyle::State_Selected)
    {
        m_highlight = m_selected
            && (m_enabled ? !(m_options & (omNoHighlightEnabled | omNoHighlightEnabledButDoText
                                           | omNoHighlightEnabledButDoRoundRect))
                          : !(m_options & omNoHighlightDisabled));
        m_normColor = item.NormColor().isValid() ? item.NormColor()
                                                 : m_palette.color(QPalette::Window);
        m_selColor = item.SelColor().isValid() ? item.SelColor()
                                               : m_palette.color(QPalette::Highlight);
        m_shadowColor = m_palette.color(QPalette::Dark);
        m_lightColor = m_palette.color(QPalette::Light);
    }

    void Paint()
    {
        Background(m_area, false);
        if (m_option.menuItemType == QStyleOptionMenuItem::Separator) {
            Separator();
            return;
        }
        PlacePictureAndCaption();
        Highlight();
        if (!(m_options & omNoImageAttached))
            Picture();
        Bevels();
        Texts();
    }

private:
    // Colour or wallpaper, selected or not.
    void Background(const QRect& r, bool selected)
    {
        const QImage paper = selected ? m_images.SelWallpaper() : m_images.Wallpaper();
        const bool usePaper = selected ? (m_options & omPaintSelWallpaper)
                                       : (m_options & omPaintWallpaper);
        const bool tile = selected ? (m_options & omTileSelWallpaper)
                                   : (m_options & omTileWallpaper);
        if (usePaper && !paper.isNull()) {
            if (tile)
                m_painter.drawTiledPixmap(r, QPixmap::fromImage(paper), r.topLeft());
            else
                m_painter.drawImage(r, paper);
        } else {
            m_painter.fillRect(r, selected ? m_selColor : m_normColor);
        }
    }

    void Separator()
    {
        const QRect& r = m_option.rect;
        const int y = r.top() + r.height() / 2 - 1;
        const int left = m_area.left() + m_hSpace;
        const int right = m_area.right() + 1 - m_hSpace;
        auto line = [&](int from, int to) {
            if (to > from) {
                m_painter.fillRect(QRect(from, y, to - from, 1), m_shadowColor);
                m_painter.fillRect(QRect(from, y + 1, to - from, 1), m_lightColor);
            }
        };
        const QString text = m_item.SeparatorText();
        if (text.isEmpty()) {
            line(left, right);
            return;
        }
        const QFont font = SeparatorFont();
        const int textWidth = QFontMetrics(font).horizontalAdvance(text);
        const int textLeft = m_area.left() + (m_area.width() - textWidth) / 2;
        line(left, textLeft - m_hSpace);
        line(textLeft + textWidth + m_hSpace, right);
        m_painter.setFont(font);
        m_painter.setPen(m_palette.color(QPalette::Disabled, QPalette::WindowText));
        m_painter.drawText(QRect(textLeft, r.top(), textWidth, r.height()), Qt::AlignCenter, text);
    }

    void PlacePictureAndCaption()
    {
        const QRect& r = m_option.rect;
        const int textHeight = m_metrics.height();
        const int picture = (m_options & omFixedImgSize) ? m_item.CustomImgSize() : textHeight;
        const QString caption = m_option.text.section(QLatin1Char('\t'), 0, 0);
        const int captionWidth = m_metrics.size(Qt::TextShowMnemonic, caption).width();
        const bool showPicture = !(m_options & omNoImageAttached);
        const int left = m_area.left() + m_hSpace;
        const int captionTop = (m_options & omFixedImgSize)
            ? r.top() + r.height() / 2 - textHeight / 2 - 1
            : r.top() + m_vSpace;
        const TTextAlign align =
            (m_options & omNoTextAttached) ? TTextAlign::alRight : m_item.TextAlign();
        switch (align) {
        case TTextAlign::alRight:
            m_pictureRect = QRect(left, r.top() + m_vSpace, picture, picture);
            m_textRect = QRect(showPicture ? m_pictureRect.right() + 1 + m_hSpace : left,
                               captionTop, captionWidth, textHeight);
            break;
        case TTextAlign::alLeft:
            m_textRect = QRect(left, captionTop, captionWidth, textHeight);
            m_pictureRect =
                QRect(m_textRect.right() + 1 + m_hSpace, r.top() + m_vSpace, picture, picture);
            break;
        case TTextAlign::alBottom:
            m_pictureRect = QRect(left, r.top() + m_vSpace, picture, picture);
            m_textRect =
                QRect(left, m_pictureRect.bottom() + 1 + m_vSpace, captionWidth, picture);
            break;
        case TTextAlign::alTop:
            m_textRect = QRect(left, r.top() + m_vSpace, captionWidth, picture);
            m_pictureRect = QRect(left, m_textRect.bottom() + 1 + m_vSpace, picture, picture);
            break;
        }
        if (m_options & omNoTextAttached) {
            const int inset = HasBevels() ? 3 : 0;
            const QSize shown =
                m_item.Picture().isNull() ? QSize(picture, picture) : m_item.Picture().size();
            m_pictureRect = QRect(QPoint(left + inset, r.top() + m_vSpace + inset), shown);
        }
        if (m_options & omRightJustified) {
            const int right = m_area.right() - m_hSpace - m_option.reservedShortcutWidth;
            m_textRect.moveRight(std::max(m_textRect.right(), right));
        }
    }

    // Leaves the picture out of the highlight when asked to.
    void Highlight()
    {
        if (m_highlight) {
            QRect lit = m_area;
            if ((m_options & omNoHighlightImage) && !(m_options & omNoImageAttached)) {
                if (m_item.TextAlign() == TTextAlign::alRight)
                    lit.setLeft(m_pictureRect.right() + 1 + m_hSpace / 2);
                else if (m_item.TextAlign() == TTextAlign::alLeft)
                    lit.setRight(m_pictureRect.left() - 1 - m_hSpace / 2);
            }
            Background(lit, true);
        } else if (m_selected && m_enabled && (m_options & omNoHighlightEnabledButDoRoundRect)) {
            m_painter.save();
            m_painter.setRenderHint(QPainter::Antialiasing);
            m_painter.setPen(m_selColor);
            m_painter.setBrush(Qt::NoBrush);
            m_painter.drawRoundedRect(QRectF(m_area).adjusted(1.5, 1.5, -1.5, -1.5), 4, 4);
            m_painter.restore();
        }
    }

    // The picture, or the check or radio mark in its place.
    void Picture()
    {
        const bool checked =
            m_option.checked && m_option.checkType != QStyleOptionMenuItem::NotCheckable;
        QImage shown = m_item.Picture();
        QColor transparent = m_item.TrColor();
        if (checked) {
            shown = m_option.checkType == QStyleOptionMenuItem::Exclusive
                ? m_images.RadioBitmap()
                : m_images.CheckedBitmap();
            transparent = BottomLeft(shown);
        }
        if (!m_enabled && !checked && !m_item.DisabledPicture().isNull()) {
            shown = Transparent(m_item.DisabledPicture(), m_item.TrColor());
        } else if (!m_enabled && !shown.isNull()) {
            const QColor mask = transparent.isValid() ? transparent : QColor(Qt::transparent);
            const QColor face = m_normColor;
            const bool grey =
                m_selected && !(m_options & (omNoHighlightImage | omNoHighlightDisabled));
            const QImage drawn = grey
                ? CreateDisabledBitmapColors(shown, mask, face, face, QColor(0x80, 0x80, 0x80), true)
                : CreateDisabledBitmapColors(shown, mask, face, m_lightColor, m_shadowColor, false);
            shown = Transparent(drawn, face);
        } else if (!shown.isNull()) {
            shown = Transparent(shown, transparent);
        }
        if (shown.isNull())
            return;
        if ((m_options & omFixedImgSize) && shown.size() != m_pictureRect.size())
            shown = shown.scaled(m_pictureRect.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
        m_painter.drawImage(m_pictureRect.topLeft(), shown);
    }

    bool HasBevels() const
    {
        return m_item.BevelInner() != TPanelBevel::bvNone
            || m_item.BevelOuter() != TPanelBevel::bvNone;
    }

    void Bevels()
    {
        if (!HasBevels() || ((m_options & omBevelOnlyIfSel) && !m_selected))
            return;
        auto around = [&](QRect r) {
            r.adjust(-2, -2, 2, 2);
            if (m_item.BevelType() == TBevelType::btRoundedRect) {
                m_painter.save();
                m_painter.setRenderHint(QPainter::Antialiasing);
                m_painter.setBrush(Qt::NoBrush);
                m_painter.setPen(m_item.BevelOuter() == TPanelBevel::bvLowered ? m_shadowColor
                                                                               : m_lightColor);
                m_painter.drawRoundedRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
                m_painter.restore();
                return;
            }
            DrawPanelBevel(m_painter, r, m_item.BevelOuter(), 1, m_palette);
            DrawPanelBevel(m_painter, r, m_item.BevelInner(), 1, m_palette);
        };
        if (!(m_options & omNoImageAttached) && m_item.BevelStyle() != TBevelStyle::bsBevelOnlyText)
            around(m_pictureRect);
        if (!(m_options & omNoTextAttached) && m_item.BevelStyle() != TBevelStyle::bsBevelOnlyImage)
            around(m_textRect);
    }

    QColor TextColor() const
    {
        if (!m_enabled)
            return m_palette.color(QPalette::Disabled, QPalette::WindowText);
        if (m_selected && (m_highlight || (m_options & omNoHighlightEnabledButDoText))) {
            return m_item.SelTextColor().isValid() ? m_item.SelTextColor()
                                                   : m_palette.color(QPalette::HighlightedText);
        }
        if (m_item.FontColor().isValid() && !(m_options & omAlwaysDefFontColor))
            return m_item.FontColor();
        return m_palette.color(QPalette::WindowText);
    }

    // The caption with its shadow, the shortcut and a submenu's arrow.
    void Texts()
    {
        const QColor textColor = TextColor();
        const QRect& r = m_option.rect;
        m_painter.setFont(m_font);
        if (!(m_options & omNoTextAttached)) {
            const QString caption = m_option.text.section(QLatin1Char('\t'), 0, 0);
            const QRect at = m_textRect.adjusted(0, 0, 1, 0);
            const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic;
            const TShadowText& shadow = m_item.Shadow();
            const bool shadowNow = shadow.Active && m_enabled
                && !(m_selected ? (shadow.Options & soNoShadowIfSel)
                                : (shadow.Options & soNoShadowIfNormal));
            if (shadowNow) {
                const int size = m_selected ? shadow.SelShadowSize : shadow.ShadowSize;
                const TShadowPos pos = m_selected ? shadow.SelShadowPos : shadow.ShadowPos;
                const QColor colour = m_selected ? shadow.SelShadowColor : shadow.ShadowColor;
                const bool leftwards = pos == TShadowPos::spLeftTop || pos == TShadowPos::spLeftBottom;
                const bool upwards = pos == TShadowPos::spLeftTop || pos == TShadowPos::spRightTop;
                m_painter.setPen(colour.isValid() ? colour : m_shadowColor);
                m_painter.drawText(at.translated(leftwards ? -size : size, upwards ? -size : size),
                                   flags, caption);
            }
            m_painter.setPen(textColor);
            m_painter.drawText(at, flags, caption);
        }
        const bool submenu = m_option.menuItemType == QStyleOptionMenuItem::SubMenu;
        const QString shortcut = m_option.text.section(QLatin1Char('\t'), 1);
        if (!shortcut.isEmpty()) {
            const int column = m_option.reservedShortcutWidth > 0
                ? m_option.reservedShortcutWidth
                : m_metrics.horizontalAdvance(shortcut);
            const int x = r.right() + 1 - m_hSpace - (submenu ? kSubmenuArrowRoom : 0) - column;
            m_painter.setPen(textColor);
            m_painter.drawText(QRect(x, m_textRect.top(), column, m_textRect.height()),
                               Qt::AlignLeft | Qt::AlignVCenter, shortcut);
        }
        if (submenu) {
            QStyleOption arrow;
            arrow.initFrom(m_menu);
            arrow.rect = QRect(r.right() + 1 - kSubmenuArrowRoom, r.top(), kSubmenuArrowRoom,
                               r.height());
            arrow.palette.setColor(QPalette::ButtonText, textColor);
            arrow.state = m_option.state;
            m_menu->style()->drawPrimitive(QStyle::PE_IndicatorArrowRight, &arrow, &m_painter,
                                           m_menu);
        }
    }

    const TImageMenu& m_images;
    const TImageMenuItem& m_item;
    const QStyleOptionMenuItem& m_option;
    QPainter& m_painter;
    const QMenu* m_menu;
    const QPalette m_palette;
    const TMenuOptions m_options;
    const QFont m_font;
    const QFontMetrics m_metrics;
    const int m_hSpace;
    const int m_vSpace;
    const QRect m_area;
    const bool m_enabled;
    const bool m_selected;
    bool m_highlight = false;
    QColor m_normColor;
    QColor m_selColor;
    QColor m_shadowColor;
    QColor m_lightColor;
    QRect m_pictureRect;
    QRect m_textRect;
};

} // namespace

// ---------------------------------------------------------------------------
// The style the decorated menus are drawn with.

class TImageMenuStyle : public QProxyStyle
{
public:
    explicit TImageMenuStyle(TImageMenu* owner)
        : m_owner(owner)
    {
        setParent(owner);
    }

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override
    {
        const auto* menu = qobject_cast<const QMenu*>(widget);
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (element != CE_MenuItem || !menu || !item || !m_owner->Active()) {
            QProxyStyle::drawControl(element, option, painter, widget);
            return;
        }
        const TImageMenuItem* decorated = m_owner->ItemOf(menu->actionAt(item->rect.center()));
        if (!decorated) {
            QStyleOptionMenuItem shifted(*item);
            shifted.rect.adjust(m_owner->BarWidth(), 0, 0, 0);
            QProxyStyle::drawControl(element, &shifted, painter, widget);
            return;
        }
        // Nothing raised while painting may leave the paint handler.
        painter->save();
        qv::runGuarded([&] { m_owner->DrawItem(*decorated, *item, *painter, menu); });
        painter->restore();
    }

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override
    {
        const auto* menu = qobject_cast<const QMenu*>(widget);
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (type != CT_MenuItem || !menu || !item || !m_owner->Active())
            return QProxyStyle::sizeFromContents(type, option, size, widget);
        const TImageMenuItem* decorated = m_owner->ItemForOption(menu, *item);
        if (!decorated) {
            QSize plain = QProxyStyle::sizeFromContents(type, option, size, widget);
            plain.rwidth() += m_owner->BarWidth();
            return plain;
        }
        QSize measured = QProxyStyle::sizeFromContents(type, option, size, widget);
        qv::runGuarded([&] { measured = m_owner->MeasureItem(*decorated, *item, menu); });
        return measured;
    }

private:
    TImageMenu* m_owner;
};

// ---------------------------------------------------------------------------
// TImageMenuBar

TImageMenuBar::TImageMenuBar()
    : m_font(QStringLiteral("Arial"), 10)
{
}

void TImageMenuBar::Changed()
{
    if (OnChanged)
        qv::runGuarded([this] { OnChanged(nullptr); });
}

void TImageMenuBar::setActive(bool active)
{
    m_active = active;
    Changed();
}

void TImageMenuBar::setCaption(const QString& caption)
{
    m_caption = caption;
    Changed();
}

void TImageMenuBar::setFont(const QFont& font)
{
    const QFontInfo info(font);
    if (!QFontDatabase::isSmoothlyScalable(info.family(), info.styleName()))
        throw EImageMenuError(kBarFontError);
    m_font = font;
    Changed();
}

void TImageMenuBar::setFontColor(const QColor& color)
{
    m_fontColor = color;
    Changed();
}

void TImageMenuBar::setSpace(int space)
{
    m_space = std::max(0, space);
    Changed();
}

void TImageMenuBar::setBackFrom(const QColor& color)
{
    m_backFrom = color;
    Changed();
}

void TImageMenuBar::setBackTo(const QColor& color)
{
    m_backTo = color;
    Changed();
}

void TImageMenuBar::setIsGradient(bool gradient)
{
    m_isGradient = gradient;
    Changed();
}

void TImageMenuBar::setIsSeparator(bool separator)
{
    m_isSeparator = separator;
    Changed();
}

void TImageMenuBar::setCaptionAlign(TCaptionAlign align)
{
    m_captionAlign = align;
    Changed();
}

void TImageMenuBar::setBarAlign(TAlign align)
{
    if (align == TAlign::alNone || align == TAlign::alClient)
        align = TAlign::alLeft;
    m_barAlign = align;
    Changed();
}

int TImageMenuBar::Width() const
{
    if (!m_active)
        return 0;
    return QFontMetrics(m_font).height() + 2 * m_space + 4 + (m_isSeparator ? 2 : 0);
}

// ---------------------------------------------------------------------------
// TMainMenuBar

void TMainMenuBar::Changed()
{
    if (OnChanged)
        qv::runGuarded([this] { OnChanged(nullptr); });
}

void TMainMenuBar::setActive(bool active)
{
    m_active = active;
    Changed();
}

void TMainMenuBar::setIsWallpaper(bool wallpaper)
{
    m_isWallpaper = wallpaper;
    Changed();
}

void TMainMenuBar::setIsBevels(bool bevels)
{
    m_isBevels = bevels;
    Changed();
}

void TMainMenuBar::setColor(const QColor& color)
{
    m_color = color;
    Changed();
}

void TMainMenuBar::setBevelInner(TPanelBevel bevel)
{
    m_bevelInner = bevel;
    Changed();
}

void TMainMenuBar::setBevelOuter(TPanelBevel bevel)
{
    m_bevelOuter = bevel;
    Changed();
}

// ---------------------------------------------------------------------------
// TImageMenuItem

TImageMenuItem::TImageMenuItem(QObject* owner)
    : QObject(owner)
{
    if (owner) {
        if (auto* menu = owner->findChild<TImageMenu*>(QString(), Qt::FindDirectChildrenOnly)) {
            m_imageMenu = menu;
            menu->Register(this);
        }
    }
}

TImageMenuItem::~TImageMenuItem()
{
    if (m_imageMenu)
        m_imageMenu->Unregister(this);
}

TImageMenu* TImageMenuItem::ImageMenu() const
{
    return m_imageMenu.data();
}

QWidget* TImageMenuItem::Menu() const
{
    return m_menu.data();
}

QAction* TImageMenuItem::MenuItem() const
{
    return m_menuItem.data();
}

void TImageMenuItem::Changed()
{
    if (m_imageMenu)
        m_imageMenu->ItemChanged(this);
}

QFont TImageMenuItem::Font() const
{
    if (m_font)
        return *m_font;
    return QApplication::font("QMenu");
}

void TImageMenuItem::setFont(const QFont& font)
{
    m_font = font;
    Changed();
}

void TImageMenuItem::setFontColor(const QColor& color)
{
    m_fontColor = color;
    Changed();
}

void TImageMenuItem::setPicture(const QImage& picture)
{
    m_picture = picture;
    UpdateIcon();
    Changed();
}

void TImageMenuItem::setDisabledPicture(const QImage& picture)
{
    m_disabledPicture = picture;
    UpdateIcon();
    Changed();
}

void TImageMenuItem::setTrColor(const QColor& color)
{
    m_trColor = color;
    UpdateIcon();
    Changed();
}

void TImageMenuItem::setSelColor(const QColor& color)
{
    m_selColor = color;
    Changed();
}

void TImageMenuItem::setNormColor(const QColor& color)
{
    m_normColor = color;
    Changed();
}

void TImageMenuItem::setSelTextColor(const QColor& color)
{
    m_selTextColor = color;
    Changed();
}

void TImageMenuItem::CheckAdvancedFeatures(TTextAlign align, TMenuOptions options) const
{
    // Refused here rather than from the paint handler, where it cannot be raised.
    if ((options & omNoHighlightImage)
        && (align == TTextAlign::alTop || align == TTextAlign::alBottom))
        throw EImageMenuError(kAdvancedError);
}

void TImageMenuItem::setTextAlign(TTextAlign align)
{
    CheckAdvancedFeatures(align, m_options);
    m_textAlign = align;
    Changed();
}

void TImageMenuItem::setOptions(TMenuOptions options)
{
    CheckAdvancedFeatures(m_textAlign, options);
    m_options = options;
    Changed();
}

void TImageMenuItem::setCustomImgSize(int size)
{
    m_customImgSize = std::max(1, size);
    Changed();
}

void TImageMenuItem::setMenu(QWidget* menu)
{
    m_menu = menu;
    Changed();
}

void TImageMenuItem::setMenuItem(QAction* action)
{
    m_menuItem = action;
    m_iconKey = 0;
    UpdateIcon();
    Changed();
}

void TImageMenuItem::setBevelInner(TPanelBevel bevel)
{
    m_bevelInner = bevel;
    Changed();
}

void TImageMenuItem::setBevelOuter(TPanelBevel bevel)
{
    m_bevelOuter = bevel;
    Changed();
}

void TImageMenuItem::setBevelStyle(TBevelStyle style)
{
    m_bevelStyle = style;
    Changed();
}

void TImageMenuItem::setBevelType(TBevelType type)
{
    m_bevelType = type;
    Changed();
}

void TImageMenuItem::setSeparatorText(const QString& text)
{
    m_separatorText = text;
    Changed();
}

void TImageMenuItem::setImageIndex(int index)
{
    m_imageIndex = index;
    if (m_imageMenu) {
        if (m_imageMenu->HasImages()) {
            const QList<QImage> images = m_imageMenu->Images();
            if (index >= 0 && index < images.size()) {
                m_picture = images[index];
                m_trColor = BottomLeft(m_picture);
            } else {
                m_picture = QImage();
            }
        }
        if (m_imageMenu->HasDisabledImages()) {
            const QList<QImage> images = m_imageMenu->DisabledImages();
            m_disabledPicture =
                index >= 0 && index < images.size() ? images[index] : QImage();
        }
    }
    UpdateIcon();
    Changed();
}

void TImageMenuItem::UpdateIcon()
{
    QAction* action = m_menuItem.data();
    if (!action)
        return;
    QIcon icon;
    if (action->isSeparator()) {
        // Marks the separator, so its menu style can tell it from others.
        QPixmap mark(1, 1);
        mark.fill(Qt::transparent);
        icon.addPixmap(mark);
    } else if (!m_picture.isNull()) {
        icon.addPixmap(QPixmap::fromImage(Transparent(m_picture, m_trColor)));
        if (!m_disabledPicture.isNull())
            icon.addPixmap(QPixmap::fromImage(Transparent(m_disabledPicture, m_trColor)),
                           QIcon::Disabled);
    } else if (m_iconKey != 0 && action->icon().cacheKey() == m_iconKey) {
        action->setIcon(QIcon());
        m_iconKey = 0;
        return;
    } else {
        return;
    }
    action->setIcon(icon);
    m_iconKey = action->icon().cacheKey();
}

// ---------------------------------------------------------------------------
// TImageMenu

TImageMenu::TImageMenu(QObject* owner)
    : QObject(owner)
{
    if (!owner || !owner->isWidgetType())
        throw EImageMenuError(kOwnerError);
    m_style = new TImageMenuStyle(this);
    m_checkedBitmap = MarkBitmap(false);
    m_radioBitmap = MarkBitmap(true);
    m_imageMenuBar.OnChanged = [this](QObject*) {
        for (QMenu* menu : Menus())
            Remeasure(menu);
    };
    m_mainMenuBar.OnChanged = [this](QObject*) { ApplyMainMenuBar(); };
}

TImageMenu::~TImageMenu()
{
    m_imageMenuBar.OnChanged = nullptr;
    m_mainMenuBar.OnChanged = nullptr;
    for (const QPointer<TImageMenuItem>& item : std::as_const(m_items)) {
        if (item)
            item->m_imageMenu = nullptr;
    }
    ReleaseMenus();
    m_mainMenuBar.setActive(false);
    ApplyMainMenuBar();
}

void TImageMenu::Register(TImageMenuItem* item)
{
    m_items.append(item);
}

void TImageMenu::Unregister(TImageMenuItem* item)
{
    m_items.removeAll(item);
    m_items.removeAll(nullptr);
}

QList<TImageMenuItem*> TImageMenu::Items() const
{
    QList<TImageMenuItem*> items;
    for (const QPointer<TImageMenuItem>& item : m_items) {
        if (item)
            items.append(item.data());
    }
    return items;
}

TImageMenuItem* TImageMenu::ItemOf(const QAction* action) const
{
    if (!action)
        return nullptr;
    for (const QPointer<TImageMenuItem>& item : m_items) {
        if (item && item->m_menuItem == action)
            return item.data();
    }
    return nullptr;
}

QList<QMenu*> TImageMenu::Menus() const
{
    QList<QMenu*> menus;
    for (const ManagedMenu& managed : m_menus) {
        if (managed.menu)
            menus.append(managed.menu.data());
    }
    return menus;
}

void TImageMenu::ItemChanged(TImageMenuItem* item)
{
    if (!item->m_menuItem)
        return;
    RefreshMenus();
    for (QMenu* menu : Menus())
        Remeasure(menu);
}

void TImageMenu::RefreshMenus()
{
    for (TImageMenuItem* item : Items()) {
        QAction* action = item->m_menuItem.data();
        if (!action)
            continue;
        for (QObject* holder : action->associatedObjects()) {
            if (auto* menu = qobject_cast<QMenu*>(holder))
                Manage(menu);
        }
        if (auto* menu = qobject_cast<QMenu*>(item->m_menu.data()))
            Manage(menu);
    }
}

void TImageMenu::Manage(QMenu* menu)
{
    m_menus.removeIf([](const ManagedMenu& managed) { return managed.menu.isNull(); });
    for (const ManagedMenu& managed : std::as_const(m_menus)) {
        if (managed.menu == menu)
            return;
    }
    ManagedMenu managed;
    managed.menu = menu;
    if (menu->testAttribute(Qt::WA_SetStyle))
        managed.previousStyle = menu->style();
    m_menus.append(managed);
    menu->setStyle(m_style);
    menu->installEventFilter(this);
    connect(menu, &QMenu::aboutToShow, this, [this, menu] { Popup(menu); });
    connect(menu, &QMenu::aboutToHide, this, [this, menu] {
        if (m_cursor)
            menu->unsetCursor();
    });
    connect(menu, &QMenu::hovered, this, [this, menu](QAction* action) {
        if (m_active && ItemOf(action))
            Fire(OnItemSelect, menu, int(menu->actions().indexOf(action)));
    });
}

void TImageMenu::ReleaseMenus()
{
    for (const ManagedMenu& managed : std::as_const(m_menus)) {
        QMenu* menu = managed.menu.data();
        if (!menu)
            continue;
        menu->removeEventFilter(this);
        disconnect(menu, nullptr, this, nullptr);
        menu->setStyle(managed.previousStyle.data());
    }
    m_menus.clear();
}

void TImageMenu::Popup(QMenu* menu)
{
    int position = -1;
    if (QAction* own = menu->menuAction()) {
        const QList<QObject*> holders = own->associatedObjects();
        for (QObject* holder : holders) {
            if (auto* widget = qobject_cast<QWidget*>(holder)) {
                position = int(widget->actions().indexOf(own));
                break;
            }
        }
    }
    Fire(OnPopup, menu, position);
    if (m_active && m_menuRefresh != TRefreshAction::RA_NONE)
        RefreshMenus();
    if (m_active && m_cursor)
        menu->setCursor(*m_cursor);
}

void TImageMenu::Fire(const TMenuEvent& handler, QMenu* menu, int pos) const
{
    if (handler) {
        QObject* sender = const_cast<TImageMenu*>(this);
        qv::runGuarded([&] { handler(sender, menu, pos); });
    }
}

void TImageMenu::setWallpaper(const QImage& wallpaper)
{
    m_wallpaper = wallpaper;
    for (QMenu* menu : Menus())
        Remeasure(menu);
}

void TImageMenu::setSelWallpaper(const QImage& wallpaper)
{
    m_selWallpaper = wallpaper;
    for (QMenu* menu : Menus())
        Remeasure(menu);
}

void TImageMenu::setActive(bool active)
{
    m_active = active;
    for (QMenu* menu : Menus())
        Remeasure(menu);
}

void TImageMenu::setHSpace(int space)
{
    m_hSpace = std::max(0, space);
    for (QMenu* menu : Menus())
        Remeasure(menu);
}

void TImageMenu::setVSpace(int space)
{
    m_vSpace = std::max(0, space);
    for (QMenu* menu : Menus())
        Remeasure(menu);
}

void TImageMenu::FillImagesInto(bool disabled)
{
    const std::optional<QList<QImage>>& list = disabled ? m_disabledImages : m_images;
    int k = 0;
    for (TImageMenuItem* item : Items()) {
        QAction* action = item->m_menuItem.data();
        if (action && action->isSeparator()) {
            item->m_imageIndex = -1;
            continue;
        }
        const QImage image = list && k < list->size() ? list->at(k) : QImage();
        if (disabled) {
            item->m_disabledPicture = image;
        } else {
            item->m_picture = image;
            if (list) {
                item->m_imageIndex = k;
                if (!image.isNull())
                    item->m_trColor = BottomLeft(image);
            }
        }
        item->UpdateIcon();
        ++k;
    }
    for (QMenu* menu : Menus())
        Remeasure(menu);
}

void TImageMenu::setImages(const QList<QImage>& images)
{
    m_images = images;
    FillImagesInto(false);
}

void TImageMenu::removeImages()
{
    m_images.reset();
    FillImagesInto(false);
}

void TImageMenu::setDisabledImages(const QList<QImage>& images)
{
    m_disabledImages = images;
    FillImagesInto(true);
}

void TImageMenu::removeDisabledImages()
{
    m_disabledImages.reset();
    FillImagesInto(true);
}

void TImageMenu::setCheckedBitmap(const QImage& bitmap)
{
    m_checkedBitmap = bitmap;
    for (QMenu* menu : Menus())
        Remeasure(menu);
}

void TImageMenu::setRadioBitmap(const QImage& bitmap)
{
    m_radioBitmap = bitmap;
    for (QMenu* menu : Menus())
        Remeasure(menu);
}

int TImageMenu::BarWidth() const
{
    return m_imageMenuBar.Width();
}

TImageMenuItem* TImageMenu::ItemForOption(const QMenu* menu,
                                          const QStyleOptionMenuItem& option) const
{
    const QList<QAction*> actions = menu->actions();
    if (!option.icon.isNull()) {
        const qint64 key = option.icon.cacheKey();
        for (const QPointer<TImageMenuItem>& item : m_items) {
            if (item && item->m_iconKey == key && item->m_menuItem
                && actions.contains(item->m_menuItem.data()))
                return item.data();
        }
    }
    if (option.menuItemType == QStyleOptionMenuItem::Separator)
        return nullptr;
    const QString caption = option.text.section(QLatin1Char('\t'), 0, 0);
    if (caption.isEmpty())
        return nullptr;
    for (QAction* action : actions) {
        if (action->text().section(QLatin1Char('\t'), 0, 0) == caption) {
            if (TImageMenuItem* item = ItemOf(action))
                return item;
        }
    }
    return nullptr;
}

QFont TImageMenu::EffectiveFont(const TImageMenuItem& item, const QStyleOptionMenuItem& option,
                                const QMenu* menu) const
{
    QFont font = item.m_font ? *item.m_font : menu->font();
    const QFont system = QApplication::font("QMenu");
    if (item.m_options & omAlwaysDefFont) {
        font = system;
    } else if (item.m_options & omAlwaysDefFontSize) {
        if (system.pixelSize() > 0)
            font.setPixelSize(system.pixelSize());
        else
            font.setPointSizeF(system.pointSizeF());
    }
    if (option.menuItemType == QStyleOptionMenuItem::DefaultItem)
        font.setBold(true);
    return font;
}

QSize TImageMenu::MeasureItem(const TImageMenuItem& item, const QStyleOptionMenuItem& option,
                              const QMenu* menu) const
{
    const QFont font = EffectiveFont(item, option, menu);
    const QFontMetrics metrics(font);
    const int textHeight = metrics.height();
    const int bar = BarWidth();
    const TMenuOptions options = item.m_options;
    QSize size;

    if (option.menuItemType == QStyleOptionMenuItem::Separator) {
        int width = bar + 2 * m_hSpace;
        if (!item.m_separatorText.isEmpty())
            width += QFontMetrics(SeparatorFont()).horizontalAdvance(item.m_separatorText)
                + 2 * m_hSpace;
        size = QSize(width, textHeight);
    } else {
        const int picture = (options & omFixedImgSize) ? item.m_customImgSize : textHeight;
        const QString caption = option.text.section(QLatin1Char('\t'), 0, 0);
        const int captionWidth = metrics.size(Qt::TextShowMnemonic, caption).width();
        const bool bevels = item.m_bevelInner != TPanelBevel::bvNone
            || item.m_bevelOuter != TPanelBevel::bvNone;
        if (options & omNoTextAttached) {
            QSize shown = item.m_picture.isNull() ? QSize(picture, picture) : item.m_picture.size();
            if (bevels)
                shown += QSize(6, 6);
            size = QSize(shown.width() + 2 * m_hSpace + bar, shown.height() + 2 * m_vSpace);
        } else if (item.m_textAlign == TTextAlign::alTop
                   || item.m_textAlign == TTextAlign::alBottom) {
            size = QSize(std::max(captionWidth, picture) + 2 * m_hSpace + bar,
                         2 * picture + 3 * m_vSpace);
        } else {
            int width = (options & omNoImageAttached) ? captionWidth : captionWidth + picture;
            width += option.menuItemType == QStyleOptionMenuItem::SubMenu
                ? kSubmenuArrowRoom + m_hSpace
                : 2 * m_hSpace;
            // Room between the caption and the shortcut column the menu adds.
            if (option.text.contains(QLatin1Char('\t')))
                width += 2 * m_hSpace;
            size = QSize(width + bar, picture + 2 * m_vSpace);
        }
    }
    if (OnMeasure) {
        QAction* action = nullptr;
        for (QAction* candidate : menu->actions()) {
            if (ItemOf(candidate) == &item)
                action = candidate;
        }
        Fire(OnMeasure, const_cast<QMenu*>(menu), int(menu->actions().indexOf(action)));
    }
    return size;
}

void TImageMenu::DrawItem(const TImageMenuItem& item, const QStyleOptionMenuItem& option,
                          QPainter& painter, const QMenu* menu) const
{
    ItemPainter(*this, item, option, painter, menu, EffectiveFont(item, option, menu)).Paint();
}

bool TImageMenu::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::Paint)
        return QObject::eventFilter(watched, event);
    if (auto* menu = qobject_cast<QMenu*>(watched)) {
        if (!m_active || !m_imageMenuBar.Active())
            return false;
        // The menu paints its items first; the bar goes over the room they left.
        static_cast<QObject*>(menu)->event(event);
        qv::runGuarded([&] { PaintCaptionBar(menu); });
        return true;
    }
    if (auto* bar = qobject_cast<QMenuBar*>(watched)) {
        if (!m_mainMenuBar.Active() || !m_mainMenuBar.IsBevels())
            return false;
        static_cast<QObject*>(bar)->event(event);
        qv::runGuarded([&] { PaintMainMenuBar(bar); });
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void TImageMenu::PaintCaptionBar(QMenu* menu)
{
    const QList<QAction*> actions = menu->actions();
    QRect span;
    for (QAction* action : actions) {
        if (action->isVisible())
            span = span.united(menu->actionGeometry(action));
    }
    if (span.isEmpty())
        return;
    const int width = BarWidth();
    const bool right = m_imageMenuBar.BarAlign() == TAlign::alRight;
    QRect barRect(right ? span.right() + 1 - width : span.left(), span.top(), width, span.height());
    QPainter painter(menu);
    if (m_imageMenuBar.IsSeparator()) {
        const int x = right ? barRect.left() : barRect.right() - 1;
        painter.fillRect(QRect(x, barRect.top(), 1, barRect.height()),
                         menu->palette().color(QPalette::Dark));
        painter.fillRect(QRect(x + 1, barRect.top(), 1, barRect.height()),
                         menu->palette().color(QPalette::Light));
        if (right)
            barRect.adjust(2, 0, 0, 0);
        else
            barRect.adjust(0, 0, -2, 0);
    }
    if (m_imageMenuBar.IsGradient()) {
        QLinearGradient gradient(barRect.bottomLeft(), barRect.topLeft());
        gradient.setColorAt(0, m_imageMenuBar.BackFrom());
        gradient.setColorAt(1, m_imageMenuBar.BackTo());
        painter.fillRect(barRect, gradient);
    } else {
        painter.fillRect(barRect, m_imageMenuBar.BackFrom());
    }
    const QString caption = m_imageMenuBar.Caption();
    if (caption.isEmpty())
        return;
    // The caption reads from bottom to top.
    painter.save();
    painter.setFont(m_imageMenuBar.Font());
    painter.setPen(m_imageMenuBar.FontColor());
    painter.translate(barRect.left(), barRect.bottom() + 1);
    painter.rotate(-90);
    const QRect turned(m_imageMenuBar.Space(), 0, barRect.height() - 2 * m_imageMenuBar.Space(),
                       barRect.width());
    Qt::Alignment align = Qt::AlignVCenter;
    switch (m_imageMenuBar.CaptionAlign()) {
    case TCaptionAlign::alDown:
        align |= Qt::AlignLeft;
        break;
    case TCaptionAlign::alUp:
        align |= Qt::AlignRight;
        break;
    case TCaptionAlign::alCenter:
        align |= Qt::AlignHCenter;
        break;
    }
    painter.drawText(turned, int(align), caption);
    painter.restore();
}

void TImageMenu::PaintMainMenuBar(QMenuBar* bar)
{
    QPainter painter(bar);
    QRect r = bar->rect();
    DrawPanelBevel(painter, r, m_mainMenuBar.BevelOuter(), 1, bar->palette());
    DrawPanelBevel(painter, r, m_mainMenuBar.BevelInner(), 1, bar->palette());
}

void TImageMenu::ApplyMainMenuBar()
{
    if (!m_mainMenuBar.Active()) {
        // Only bars this menu changed get their own look back.
        for (const QPointer<QMenuBar>& bar : std::as_const(m_styledBars)) {
            if (!bar)
                continue;
            bar->removeEventFilter(this);
            bar->setPalette(QPalette());
            bar->setAutoFillBackground(false);
            bar->update();
        }
        m_styledBars.clear();
        return;
    }
    auto* owner = qobject_cast<QWidget*>(parent());
    if (!owner)
        return;
    for (QMenuBar* bar : owner->findChildren<QMenuBar*>()) {
        QPalette palette = bar->palette();
        QBrush background = m_mainMenuBar.Color().isValid()
            ? QBrush(m_mainMenuBar.Color())
            : palette.brush(QPalette::Window);
        if (m_mainMenuBar.IsWallpaper() && !m_wallpaper.isNull())
            background = QBrush(QPixmap::fromImage(m_wallpaper));
        palette.setBrush(QPalette::Window, background);
        palette.setBrush(QPalette::Button, background);
        bar->setPalette(palette);
        bar->setAutoFillBackground(true);
        bar->installEventFilter(this);
        bar->update();
        if (!m_styledBars.contains(bar))
            m_styledBars.append(bar);
    }
}
