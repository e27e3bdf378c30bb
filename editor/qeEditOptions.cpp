#include "editor/qeEditOptions.h"

#include <QGuiApplication>
#include <QPalette>

TqeSelectedColor::TqeSelectedColor(QObject* parent)
    : QObject(parent)
    , m_background(QGuiApplication::palette().color(QPalette::Highlight))
    , m_foreground(QGuiApplication::palette().color(QPalette::HighlightedText))
{
}

void TqeSelectedColor::SetBackground(const QColor& color)
{
    if (m_background == color)
        return;
    m_background = color;
    emit Changed();
}

void TqeSelectedColor::SetForeground(const QColor& color)
{
    if (m_foreground == color)
        return;
    m_foreground = color;
    emit Changed();
}

void TqeBookMarkOpt::SetGlyphsVisible(bool on)
{
    if (m_glyphsVisible == on)
        return;
    m_glyphsVisible = on;
    emit Changed();
}

void TqeBookMarkOpt::SetLeftMargin(int pixels)
{
    if (m_leftMargin == pixels)
        return;
    m_leftMargin = pixels;
    emit Changed();
}

void TqeBookMarkOpt::SetXoffset(int pixels)
{
    if (m_xoffset == pixels)
        return;
    m_xoffset = pixels;
    emit Changed();
}

int TqeImageList::Add(const QPixmap& image)
{
    m_images.append(image);
    emit Changed();
    return static_cast<int>(m_images.size()) - 1;
}

void TqeImageList::Clear()
{
    m_images.clear();
    emit Changed();
}
