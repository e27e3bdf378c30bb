#include "components/PropsStorage.h"

#include <QApplication>
#include <QMdiSubWindow>
#include <QMetaEnum>
#include <QMetaProperty>
#include <QRegularExpression>
#include <QSplitter>
#include <QStringList>

#include "components/AlignLayout.h"
#include "components/FormPlacement.h"

namespace {

enum class Kind {
    Integer,
    Boolean,
    Character,
    Enumeration,
    Float,
    String,
    Set,
    StringList,
    Variant,
    Component,
    Unknown
};

enum class Geometry { None, Left, Top, Width, Height, Align };

// Stands for "no such value" when reading: stored values never hold a NUL,
// since control characters are trimmed away on writing.
const QString kMissing = QString(QChar(0));

Kind kindOf(const QMetaProperty& property)
{
    if (property.isFlagType())
        return Kind::Set;
    if (property.isEnumType())
        return Kind::Enumeration;
    const QMetaType type = property.metaType();
    switch (type.id()) {
    case QMetaType::Bool:
        return Kind::Boolean;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return Kind::Integer;
    case QMetaType::Char:
    case QMetaType::QChar:
    case QMetaType::Char16:
        return Kind::Character;
    case QMetaType::Double:
    case QMetaType::Float:
        return Kind::Float;
    case QMetaType::QString:
        return Kind::String;
    case QMetaType::QStringList:
        return Kind::StringList;
    case QMetaType::QVariant:
        return Kind::Variant;
    default:
        break;
    }
    if (type.flags() & QMetaType::PointerToQObject)
        return Kind::Component;
    return Kind::Unknown;
}

Geometry geometryOf(const QObject* object, const QString& name)
{
    if (!object || !object->isWidgetType())
        return Geometry::None;
    static const struct
    {
        const char* name;
        Geometry geometry;
    } names[] = {{"Left", Geometry::Left},
                 {"Top", Geometry::Top},
                 {"Width", Geometry::Width},
                 {"Height", Geometry::Height},
                 {"Align", Geometry::Align}};
    for (const auto& entry : names) {
        if (name.compare(QLatin1String(entry.name), Qt::CaseInsensitive) != 0)
            continue;
        if (entry.geometry == Geometry::Align
            && !AlignLayout::of(static_cast<const QWidget*>(object)->parentWidget()))
            return Geometry::None;
        return entry.geometry;
    }
    return Geometry::None;
}

QString geometryName(Geometry geometry)
{
    switch (geometry) {
    case Geometry::Left:
        return QStringLiteral("Left");
    case Geometry::Top:
        return QStringLiteral("Top");
    case Geometry::Width:
        return QStringLiteral("Width");
    case Geometry::Height:
        return QStringLiteral("Height");
    case Geometry::Align:
        return QStringLiteral("Align");
    case Geometry::None:
        break;
    }
    return {};
}

// A splitter's pane gets its extent by moving the handle; a fixed-size
// widget stays fixed at the new extent; anything else is resized, which an
// aligning layout honours for its aligned controls.
void setExtent(QWidget* widget, Qt::Orientation orientation, int extent)
{
    extent = std::max(0, extent);
    if (auto* splitter = qobject_cast<QSplitter*>(widget->parentWidget());
        splitter && splitter->orientation() == orientation) {
        QList<int> sizes = splitter->sizes();
        const int index = splitter->indexOf(widget);
        if (index >= 0 && index < sizes.size()) {
            const int neighbour = index + 1 < sizes.size() ? index + 1 : index - 1;
            if (neighbour >= 0)
                sizes[neighbour] = std::max(0, sizes[neighbour] + sizes[index] - extent);
            sizes[index] = extent;
            splitter->setSizes(sizes);
            return;
        }
    }
    if (orientation == Qt::Horizontal) {
        if (widget->minimumWidth() == widget->maximumWidth())
            widget->setFixedWidth(extent);
        else
            widget->resize(extent, widget->height());
    } else {
        if (widget->minimumHeight() == widget->maximumHeight())
            widget->setFixedHeight(extent);
        else
            widget->resize(widget->width(), extent);
    }
}

QString setText(const QMetaEnum& enumerator, int value)
{
    QStringList members;
    for (int i = 0; i < enumerator.keyCount(); ++i) {
        const unsigned bit = static_cast<unsigned>(enumerator.value(i));
        if (bit == 0 || (bit & (bit - 1)) != 0)
            continue;  // only single members, as a set holds them
        if (static_cast<unsigned>(value) & bit)
            members << QString::fromLatin1(enumerator.key(i));
    }
    return QLatin1Char('[') + members.join(QLatin1Char(',')) + QLatin1Char(']');
}

int setFromText(const QMetaEnum& enumerator, const QString& text)
{
    static const QRegularExpression delimiters(QStringLiteral("[ ,\\[\\]]+"));
    unsigned value = 0;
    const QStringList words = text.split(delimiters, Qt::SkipEmptyParts);
    for (const QString& word : words) {
        for (int i = 0; i < enumerator.keyCount(); ++i) {
            const unsigned bit = static_cast<unsigned>(enumerator.value(i));
            if (bit == 0 || (bit & (bit - 1)) != 0)
                continue;
            if (word.compare(QLatin1String(enumerator.key(i)), Qt::CaseInsensitive) == 0)
                value |= bit;
        }
    }
    return static_cast<int>(value);
}

QObject* findComponent(const QObject* owner, const QString& name)
{
    if (!owner || name.isEmpty())
        return nullptr;
    const auto children = owner->findChildren<QObject*>();
    for (QObject* child : children) {
        if (child->objectName().compare(name, Qt::CaseInsensitive) == 0)
            return child;
    }
    return nullptr;
}

QString ownerName(const QWidget* form)
{
    if (!form->objectName().isEmpty())
        return form->objectName();
    QString className = QString::fromLatin1(form->metaObject()->className());
    if (className.startsWith(QLatin1Char('T')))
        className.remove(0, 1);
    return className;
}

} // namespace

struct TPropsStorage::Property
{
    Geometry geometry = Geometry::None;
    QMetaProperty meta;
    Kind kind = Kind::Unknown;
    QString name;
};

QString TrimStoredValue(const QString& value)
{
    qsizetype first = 0;
    qsizetype last = value.size();
    while (first < last && value.at(first).unicode() <= 0x20)
        ++first;
    while (last > first && value.at(last - 1).unicode() <= 0x20)
        --last;
    return value.mid(first, last - first);
}

bool IsForm(const QWidget* widget)
{
    if (!widget)
        return false;
    if (widget->isWindow())
        return true;
    const auto* subWindow = qobject_cast<const QMdiSubWindow*>(widget->parentWidget());
    return subWindow && subWindow->widget() == widget;
}

QWidget* FormOfComponent(const QObject* component)
{
    for (const QObject* object = component; object; object = object->parent()) {
        if (object->isWidgetType() && IsForm(static_cast<const QWidget*>(object)))
            return const_cast<QWidget*>(static_cast<const QWidget*>(object));
    }
    return nullptr;
}

TPropsStorage::TPropsStorage(QObject* object, QWidget* ownerForm, const QString& prefix,
                             const QString& section)
    : m_object(object)
    , m_ownerForm(ownerForm)
    , m_prefix(prefix)
    , m_section(section)
{
}

QString TPropsStorage::ReadString(const QString& section, const QString& item,
                                  const QString& def)
{
    return m_onReadString ? m_onReadString(section, item, def) : QString();
}

void TPropsStorage::WriteString(const QString& section, const QString& item,
                                const QString& value)
{
    if (m_onWriteString)
        m_onWriteString(section, item, value);
}

void TPropsStorage::EraseSection(const QString& section)
{
    if (m_onEraseSection)
        m_onEraseSection(section);
}

QString TPropsStorage::GetItemName(const QString& propName) const
{
    return m_prefix + propName;
}

bool TPropsStorage::HasStorableProperty(const QObject* object, const QString& propName)
{
    TPropsStorage probe(const_cast<QObject*>(object), nullptr, {}, {});
    Property property;
    return probe.findProperty(propName, property);
}

bool TPropsStorage::findProperty(const QString& propName, Property& property) const
{
    if (!m_object)
        return false;
    property.geometry = geometryOf(m_object, propName);
    if (property.geometry != Geometry::None) {
        property.kind = property.geometry == Geometry::Align ? Kind::Enumeration : Kind::Integer;
        property.name = geometryName(property.geometry);
        return true;
    }
    const QMetaObject* meta = m_object->metaObject();
    for (int i = 0; i < meta->propertyCount(); ++i) {
        const QMetaProperty candidate = meta->property(i);
        if (propName.compare(QLatin1String(candidate.name()), Qt::CaseInsensitive) != 0)
            continue;
        const Kind kind = kindOf(candidate);
        if (kind == Kind::Unknown || !candidate.isReadable())
            return false;
        property.meta = candidate;
        property.kind = kind;
        property.name = QString::fromLatin1(candidate.name());
        return true;
    }
    return false;
}

QString TPropsStorage::storedText(const Property& property, bool& writeEmpty) const
{
    writeEmpty = property.kind == Kind::String || property.kind == Kind::Character;
    if (property.geometry != Geometry::None) {
        const auto* widget = static_cast<const QWidget*>(m_object.data());
        switch (property.geometry) {
        case Geometry::Left:
            return QString::number(widget->x());
        case Geometry::Top:
            return QString::number(widget->y());
        case Geometry::Width:
            return QString::number(widget->width());
        case Geometry::Height:
            return QString::number(widget->height());
        case Geometry::Align:
            return alignName(AlignLayout::alignOf(widget));
        case Geometry::None:
            break;
        }
        return {};
    }
    const QVariant value = property.meta.read(m_object);
    switch (property.kind) {
    case Kind::Integer:
        return value.toString();
    case Kind::Boolean:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case Kind::Character:
        return value.toString();
    case Kind::Enumeration: {
        const char* key = property.meta.enumerator().valueToKey(value.toInt());
        return key ? QString::fromLatin1(key) : QString();
    }
    case Kind::Set:
        return setText(property.meta.enumerator(), value.toInt());
    case Kind::Float:
        // Always "." whatever the locale, so the value reads back anywhere.
        return QString::number(value.toDouble(), 'g',
                               property.meta.metaType().id() == QMetaType::Float ? 7 : 15);
    case Kind::String:
        return value.toString();
    case Kind::Variant:
        return value.value<QVariant>().toString();
    case Kind::Component:
        return componentText(value.value<QObject*>());
    case Kind::StringList:
    case Kind::Unknown:
        break;
    }
    return {};
}

bool TPropsStorage::StoreProperty(const QString& propName)
{
    Property property;
    if (!findProperty(propName, property))
        return false;
    if (property.kind == Kind::StringList) {
        storeStringList(property);
        return true;
    }
    bool writeEmpty = false;
    const QString text = TrimStoredValue(storedText(property, writeEmpty));
    if (!text.isEmpty() || writeEmpty)
        WriteString(m_section, GetItemName(property.name), text);
    return true;
}

bool TPropsStorage::LoadProperty(const QString& propName)
{
    Property property;
    if (!findProperty(propName, property))
        return false;
    if (property.geometry == Geometry::None && !property.meta.isWritable())
        return true;
    if (property.kind == Kind::StringList) {
        loadStringList(property);
        return true;
    }
    const QString text = ReadString(m_section, GetItemName(property.name), kMissing);
    if (text == kMissing)
        return true;  // absent: the property keeps its value
    applyText(property, TrimStoredValue(text));
    return true;
}

void TPropsStorage::applyText(const Property& property, const QString& text)
{
    if (property.geometry != Geometry::None) {
        auto* widget = static_cast<QWidget*>(m_object.data());
        if (property.geometry == Geometry::Align) {
            TAlign align = TAlign::alNone;
            if (alignFromName(text, align)) {
                if (AlignLayout* layout = AlignLayout::of(widget->parentWidget()))
                    layout->setAlign(widget, align);
            }
            return;
        }
        int value = 0;
        if (!ReadStoredCoordinate(text, value))
            return;
        switch (property.geometry) {
        case Geometry::Left:
            widget->move(value, widget->y());
            break;
        case Geometry::Top:
            widget->move(widget->x(), value);
            break;
        case Geometry::Width:
            setExtent(widget, Qt::Horizontal, value);
            break;
        case Geometry::Height:
            setExtent(widget, Qt::Vertical, value);
            break;
        case Geometry::Align:
        case Geometry::None:
            break;
        }
        return;
    }

    QVariant value;
    switch (property.kind) {
    case Kind::Integer: {
        bool ok = false;
        const qlonglong number = text.toLongLong(&ok);
        if (!ok)
            return;
        value = number;
        break;
    }
    case Kind::Boolean:
        if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            value = true;
        else if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            value = false;
        else
            return;
        break;
    case Kind::Character:
        if (text.isEmpty())
            return;
        value = QVariant::fromValue(text.at(0));
        break;
    case Kind::Enumeration: {
        const QMetaEnum enumerator = property.meta.enumerator();
        bool found = false;
        for (int i = 0; i < enumerator.keyCount() && !found; ++i) {
            if (text.compare(QLatin1String(enumerator.key(i)), Qt::CaseInsensitive) == 0) {
                value = enumerator.value(i);
                found = true;
            }
        }
        if (!found)
            return;  // a name that matches no value leaves the property alone
        break;
    }
    case Kind::Set:
        value = setFromText(property.meta.enumerator(), text);
        break;
    case Kind::Float: {
        bool ok = false;
        const double number = text.toDouble(&ok);  // "." whatever the locale
        if (!ok)
            return;
        value = number;
        break;
    }
    case Kind::String:
        value = text;
        break;
    case Kind::Variant:
        value = text;
        break;
    case Kind::Component: {
        if (text.compare(QLatin1String("(null)"), Qt::CaseInsensitive) == 0) {
            value = QVariant(property.meta.metaType());  // a null pointer of the property's type
        } else {
            QObject* component = componentFromText(text);
            if (!component)
                return;
            value = QVariant::fromValue(component);
            if (!value.convert(property.meta.metaType()))
                return;  // a component of the wrong class
        }
        break;
    }
    case Kind::StringList:
    case Kind::Unknown:
        return;
    }
    if (property.kind != Kind::Component && property.kind != Kind::Variant
        && !value.convert(property.meta.metaType()))
        return;
    property.meta.write(m_object, value);
}

void TPropsStorage::storeStringList(const Property& property)
{
    const QStringList lines = property.meta.read(m_object).toStringList();
    const QString section = m_section + QLatin1Char('.') + GetItemName(property.name);
    EraseSection(section);
    if (lines.isEmpty())
        return;
    WriteString(section, QStringLiteral("Count"), QString::number(lines.size()));
    for (qsizetype i = 0; i < lines.size(); ++i)
        WriteString(section, QStringLiteral("Item%1").arg(i), TrimStoredValue(lines.at(i)));
}

void TPropsStorage::loadStringList(const Property& property)
{
    const QString section = m_section + QLatin1Char('.') + GetItemName(property.name);
    bool ok = false;
    const qlonglong count =
        TrimStoredValue(ReadString(section, QStringLiteral("Count"), QStringLiteral("0")))
            .toLongLong(&ok);
    if (!ok || count <= 0)
        return;
    // A damaged count never makes up lines: reading stops at the first gap.
    QStringList lines;
    for (qlonglong i = 0; i < count; ++i) {
        const QString line = ReadString(section, QStringLiteral("Item%1").arg(i), kMissing);
        if (line == kMissing)
            break;
        lines << TrimStoredValue(line);
    }
    if (lines.isEmpty())
        return;
    property.meta.write(m_object, lines);
}

QString TPropsStorage::componentText(const QObject* component) const
{
    if (!component)
        return QStringLiteral("(null)");
    const QWidget* owner = FormOfComponent(component);
    if (!owner || owner == m_ownerForm)
        return component->objectName();
    return ownerName(owner) + QLatin1Char('.') + component->objectName();
}

QObject* TPropsStorage::componentFromText(const QString& text) const
{
    const qsizetype dot = text.indexOf(QLatin1Char('.'));
    if (dot < 0)
        return findComponent(m_ownerForm, text);
    const QString owner = text.left(dot);
    const QString name = text.mid(dot + 1);
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        if (window->objectName().compare(owner, Qt::CaseInsensitive) == 0)
            return findComponent(window, name);
    }
    return nullptr;
}
