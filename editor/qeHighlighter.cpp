#include "editor/qeHighlighter.h"

#include "editor/qeCustomEdit.h"

#include <QGuiApplication>
#include <QPalette>

TqeIdentChars TqeIdentChars::Range(int first, int last)
{
    TqeIdentChars set;
    for (int c = first; c <= last && c < 256; ++c)
        set.Include(c);
    return set;
}

TqeHighLightAttributes::TqeHighLightAttributes(const QString& name, QObject* parent)
    : QObject(parent)
    , m_name(name)
    , m_background(QGuiApplication::palette().color(QPalette::Base))
    , m_foreground(QGuiApplication::palette().color(QPalette::Text))
{
}

void TqeHighLightAttributes::SetBackground(const QColor& color)
{
    if (m_background == color)
        return;
    m_background = color;
    emit Changed();
}

void TqeHighLightAttributes::SetForeground(const QColor& color)
{
    if (m_foreground == color)
        return;
    m_foreground = color;
    emit Changed();
}

void TqeHighLightAttributes::SetStyle(TFontStyles style)
{
    if (m_style == style)
        return;
    m_style = style;
    emit Changed();
}

void TqeHighLightAttributes::Assign(const TqeHighLightAttributes& source)
{
    m_background = source.m_background;
    m_foreground = source.m_foreground;
    m_style = source.m_style;
    m_name = source.m_name;
}

TqeCustomHighLighter::TqeCustomHighLighter(QObject* parent)
    : QObject(parent)
{
}

TqeCustomHighLighter::~TqeCustomHighLighter() = default;

TqeIdentChars TqeCustomHighLighter::GetIdentChars() const
{
    TqeIdentChars set = TqeIdentChars::Range(33, 255);
    set.SetAbove255(true);
    return set;
}

int TqeCustomHighLighter::GetFlags() const
{
    // The constant flag set of the base class: its second element only.
    return 2;
}

void TqeCustomHighLighter::SetDefaultFilter(const QString& filter)
{
    if (m_defaultFilter != filter)
        m_defaultFilter = filter;
}

void TqeCustomHighLighter::AddLinkedEditor(TqeCustomEdit* editor)
{
    if (!editor)
        return;
    m_editors.removeAll(nullptr);
    for (const auto& e : std::as_const(m_editors))
        if (e == editor)
            return;
    m_editors.append(editor);
}

void TqeCustomHighLighter::RemoveLinkedEditor(TqeCustomEdit* editor)
{
    m_editors.removeAll(nullptr);
    for (qsizetype i = m_editors.size() - 1; i >= 0; --i)
        if (m_editors.at(i) == editor)
            m_editors.removeAt(i);
}

QList<TqeCustomEdit*> TqeCustomHighLighter::LinkedEditors() const
{
    QList<TqeCustomEdit*> result;
    for (const auto& e : m_editors)
        if (e)
            result.append(e.data());
    return result;
}

void TqeCustomHighLighter::DefHighlightChange()
{
    emit AttributesChanged();
}
