#pragma once

#include <QColor>
#include <QList>
#include <QObject>
#include <QPixmap>

// Colours of the selection. Setting either to a new value fires Changed
// (the editor repaints).
class TqeSelectedColor : public QObject
{
    Q_OBJECT
public:
    explicit TqeSelectedColor(QObject* parent = nullptr);

    QColor Background() const { return m_background; }
    QColor Foreground() const { return m_foreground; }
    void SetBackground(const QColor& color);
    void SetForeground(const QColor& color);

signals:
    void Changed();

private:
    QColor m_background;
    QColor m_foreground;
};

// How bookmarks behave and where their glyphs go in the gutter.
class TqeBookMarkOpt : public QObject
{
    Q_OBJECT
public:
    explicit TqeBookMarkOpt(QObject* parent = nullptr) : QObject(parent) {}

    // Bookmark commands act only when on.
    bool EnableKeys() const { return m_enableKeys; }
    void SetEnableKeys(bool on) { m_enableKeys = on; }
    bool GlyphsVisible() const { return m_glyphsVisible; }
    void SetGlyphsVisible(bool on);
    // Pixel x of the first glyph in the gutter.
    int LeftMargin() const { return m_leftMargin; }
    void SetLeftMargin(int pixels);
    // Pixel step between several glyphs of one line.
    int Xoffset() const { return m_xoffset; }
    void SetXoffset(int pixels);

signals:
    void Changed();

private:
    bool m_enableKeys = true;
    bool m_glyphsVisible = true;
    int m_leftMargin = 2;
    int m_xoffset = 12;
};

// Images for gutter marks that do not use the built-in glyphs. A window owns
// it; an editor showing it forgets it when it is destroyed.
class TqeImageList : public QObject
{
    Q_OBJECT
public:
    explicit TqeImageList(QObject* parent = nullptr) : QObject(parent) {}

    int Count() const { return static_cast<int>(m_images.size()); }
    const QPixmap& Images(int index) const { return m_images.at(index); }
    int Add(const QPixmap& image);
    void Clear();

signals:
    void Changed();

private:
    QList<QPixmap> m_images;
};
