// Registry persistence of highlighters and attributes. The system itself
// never calls it; the layouts are kept for settings written by other tools.
#include "editor/qeGeneralSyn.h"
#include "editor/qeHighlighter.h"
#include "platform/Registry.h"

#include <QGuiApplication>
#include <QPalette>

namespace {

constexpr int kSystemColorFlag = static_cast<int>(0x80000000u);

QPalette::ColorRole systemColorRole(int number)
{
    switch (number) {
    case 4: return QPalette::Window;            // menu
    case 5: return QPalette::Base;              // window
    case 7: return QPalette::WindowText;        // menu text
    case 8: return QPalette::Text;              // window text
    case 13: return QPalette::Highlight;
    case 14: return QPalette::HighlightedText;
    case 15: return QPalette::Button;           // button face
    case 16: return QPalette::Dark;             // button shadow
    case 17: return QPalette::PlaceholderText;  // grey text
    case 18: return QPalette::ButtonText;
    case 20: return QPalette::Light;            // button highlight
    case 21: return QPalette::Shadow;
    case 22: return QPalette::Midlight;
    case 23: return QPalette::ToolTipText;
    case 24: return QPalette::ToolTipBase;
    default: return QPalette::Window;
    }
}

// The 16 standard colours, in the order other editors number them.
const QColor& paletteColor(int index)
{
    static const QColor colors[16] = {
        QColor(0, 0, 0),       QColor(128, 0, 0),   QColor(0, 128, 0),   QColor(128, 128, 0),
        QColor(0, 0, 128),     QColor(128, 0, 128), QColor(0, 128, 128), QColor(128, 128, 128),
        QColor(192, 192, 192), QColor(255, 0, 0),   QColor(0, 255, 0),   QColor(255, 255, 0),
        QColor(0, 0, 255),     QColor(255, 0, 255), QColor(0, 255, 255), QColor(255, 255, 255),
    };
    return colors[index];
}

std::optional<int> readIntegerIfPresent(const QvRegistry& reg, const QString& name)
{
    if (reg.dataType(name) != QvRegistry::DataType::Integer)
        return std::nullopt;
    try {
        return reg.readInteger(name);
    } catch (const EQvRegistryError&) {
        return std::nullopt;
    }
}

std::optional<int> parsePaletteIndex(const QString& text)
{
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    if (!ok || n < 0 || n > 15)
        return std::nullopt;
    return n;
}

bool registryTrue(const QString& text)
{
    return text != QLatin1String("0") && text.toUpper() != QLatin1String("FALSE");
}

// The absolute path of the key opened last, so that several subkeys can be
// opened relative to one key.
QString absolutePath(const QvRegistry& reg)
{
    return QLatin1Char('\\') + reg.currentPath();
}

// A key as the caller means it: from the root when it begins with "\",
// else below the caller's current key. The work is done on a registry object
// of its own, so the caller's current key stays where it was.
QString resolveKey(const QvRegistry& root, const QString& key)
{
    if (key.startsWith(QLatin1Char('\\')) || root.currentPath().isEmpty())
        return key.startsWith(QLatin1Char('\\')) ? key : QLatin1Char('\\') + key;
    return absolutePath(root) + QLatin1Char('\\') + key;
}

} // namespace

int qeColorToInt(const QColor& color)
{
    const QColor c = color.toRgb();
    return c.red() | (c.green() << 8) | (c.blue() << 16);
}

QColor qeColorFromInt(int value)
{
    if (value & kSystemColorFlag)
        return QGuiApplication::palette().color(systemColorRole(value & 0xFF));
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

bool TqeHighLightAttributes::ImportFromRegistry(const QvRegistry& rootKey, const QString& key, bool flag,
                                                const QString& name)
{
    QvRegistry reg(rootKey.fileName());
    const QString base = resolveKey(rootKey, key);
    if (flag) {
        if (!reg.openKeyReadOnly(base) || reg.dataType(name) != QvRegistry::DataType::String)
            return false;
        const QStringList fields = reg.readString(name).split(QLatin1Char(','));
        if (fields.size() < 7)
            return false;
        const bool defaultFg = fields.at(3).trimmed() == QLatin1String("1");
        const bool defaultBg = fields.at(4).trimmed() == QLatin1String("1");
        const auto fg = parsePaletteIndex(fields.at(5));
        const auto bg = parsePaletteIndex(fields.at(6));
        if ((!defaultFg && !fg) || (!defaultBg && !bg))
            return false;
        const QString letters = fields.at(2);
        TFontStyles style;
        if (letters.contains(QLatin1Char('B')))
            style |= fsBold;
        if (letters.contains(QLatin1Char('I')))
            style |= fsItalic;
        if (letters.contains(QLatin1Char('U')))
            style |= fsUnderline;
        const QPalette pal = QGuiApplication::palette();
        SetBackground(defaultBg ? pal.color(QPalette::Base) : paletteColor(*bg));
        SetForeground(defaultFg ? pal.color(QPalette::Text) : paletteColor(*fg));
        SetStyle(style);
        return true;
    }

    const QString subKey = base.endsWith(QLatin1Char('\\')) ? base + name : base + QLatin1Char('\\') + name;
    if (!reg.openKeyReadOnly(subKey))
        return false;
    const auto fgIndex = readIntegerIfPresent(reg, QStringLiteral("Foreground Color"));
    const auto bgIndex = readIntegerIfPresent(reg, QStringLiteral("Background Color"));
    const QStringList flagNames = {QStringLiteral("Bold"), QStringLiteral("Italic"), QStringLiteral("Underline"),
                                   QStringLiteral("Default Foreground"), QStringLiteral("Default Background")};
    QList<bool> flags;
    for (const QString& n : flagNames) {
        if (reg.dataType(n) != QvRegistry::DataType::String)
            return false;
        flags.append(registryTrue(reg.readString(n)));
    }
    if (!fgIndex || !bgIndex || *fgIndex < 0 || *fgIndex > 15 || *bgIndex < 0 || *bgIndex > 15)
        return false;
    TFontStyles style;
    if (flags[0])
        style |= fsBold;
    if (flags[1])
        style |= fsItalic;
    if (flags[2])
        style |= fsUnderline;
    const QPalette pal = QGuiApplication::palette();
    SetBackground(flags[4] ? pal.color(QPalette::Base) : paletteColor(*bgIndex));
    SetForeground(flags[3] ? pal.color(QPalette::Text) : paletteColor(*fgIndex));
    SetStyle(style);
    return true;
}

bool TqeCustomHighLighter::LoadFromRegistry(const QvRegistry& rootKey, const QString& key)
{
    QvRegistry reg(rootKey.fileName());
    const QString base = resolveKey(rootKey, key);
    if (!reg.openKeyReadOnly(base))
        return false;
    for (int i = 0; i < GetAttribCount(); ++i) {
        TqeHighLightAttributes* attr = GetAttribute(i);
        if (!attr)
            continue;
        if (!reg.openKeyReadOnly(base + QLatin1Char('\\') + attr->Name()))
            return false;
        if (const auto v = readIntegerIfPresent(reg, QStringLiteral("Background")))
            attr->SetBackground(qeColorFromInt(*v));
        if (const auto v = readIntegerIfPresent(reg, QStringLiteral("Foreground")))
            attr->SetForeground(qeColorFromInt(*v));
        if (const auto v = readIntegerIfPresent(reg, QStringLiteral("Style")))
            attr->SetIntegerStyle(*v);
    }
    return true;
}

bool TqeCustomHighLighter::SaveToRegistry(const QvRegistry& rootKey, const QString& key) const
{
    QvRegistry reg(rootKey.fileName());
    const QString base = resolveKey(rootKey, key);
    if (!reg.openKey(base, true))
        return false;
    for (int i = 0; i < GetAttribCount(); ++i) {
        const TqeHighLightAttributes* attr = GetAttribute(i);
        if (!attr)
            continue;
        if (!reg.openKey(base + QLatin1Char('\\') + attr->Name(), true))
            return false;
        reg.writeInteger(QStringLiteral("Background"), qeColorToInt(attr->Background()));
        reg.writeInteger(QStringLiteral("Foreground"), qeColorToInt(attr->Foreground()));
        reg.writeInteger(QStringLiteral("Style"), attr->IntegerStyle());
    }
    return true;
}

bool TqeGeneralSyn::LoadFromRegistry(const QvRegistry& rootKey, const QString& key)
{
    QvRegistry reg(rootKey.fileName());
    const QString base = resolveKey(rootKey, key);
    if (!reg.openKeyReadOnly(base))
        return false;
    if (reg.dataType(QStringLiteral("KeyWords")) == QvRegistry::DataType::String)
        KeyWords().SetText(reg.readString(QStringLiteral("KeyWords")));
    return TqeCustomHighLighter::LoadFromRegistry(rootKey, base);
}

bool TqeGeneralSyn::SaveToRegistry(const QvRegistry& rootKey, const QString& key) const
{
    QvRegistry reg(rootKey.fileName());
    const QString base = resolveKey(rootKey, key);
    if (!reg.openKey(base, true))
        return false;
    reg.writeString(QStringLiteral("KeyWords"), KeyWords().Text());
    return TqeCustomHighLighter::SaveToRegistry(rootKey, base);
}
