#include "app/shell/Options.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QWidget>

#include "editor/qeCustomEdit.h"
#include "editor/qeGeneralSyn.h"
#include "platform/Registry.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr TColor kGreen = 0x008000;
constexpr TColor kRed = 0x0000FF;
constexpr TColor kBlue = 0xFF0000;

void putColor(std::uint8_t* at, TColor color)
{
    const auto value = static_cast<std::uint32_t>(color);
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

TColor getColor(const std::uint8_t* at)
{
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= std::uint32_t(at[i]) << (8 * i);
    return static_cast<TColor>(value);
}

// Windows whose text editor follows the options.
bool followsEditorOptions(const QWidget* form)
{
    QString className = QString::fromLatin1(form->metaObject()->className());
    className = className.mid(className.lastIndexOf(QLatin1Char(':')) + 1);
    return className == QLatin1String("TSQLEditor") || className == QLatin1String("TEditProc")
           || className == QLatin1String("TEditTrig") || className == QLatin1String("TEditView");
}

QString readString(const QvRegistry& registry, const QString& name, const QString& def)
{
    try {
        if (registry.dataType(name) != QvRegistry::DataType::String)
            return def;
        return registry.readString(name);
    } catch (const EQvRegistryError&) {
        return def;
    }
}

int readInteger(const QvRegistry& registry, const QString& name, int def)
{
    try {
        return registry.readInteger(name);
    } catch (const EQvRegistryError&) {
        return def;
    }
}

bool readBool(const QvRegistry& registry, const QString& name, bool def)
{
    try {
        return registry.readBool(name);
    } catch (const EQvRegistryError&) {
        return def;
    }
}

QFont readFont(const QvRegistry& registry, const QString& prefix, const QString& defaultFamily,
               int defaultSize, int& charset)
{
    QString family = readString(registry, prefix, defaultFamily);
    if (family.isEmpty())
        family = defaultFamily;
    int size = readInteger(registry, prefix + QStringLiteral("Size"), defaultSize);
    if (size <= 0)
        size = defaultSize;  // 0 (and a meaningless negative size) mean the default
    charset = readInteger(registry, prefix + QStringLiteral("Charset"), 1);
    QFont font(family);
    font.setPointSize(size);
    return font;
}

void applySlot(TqeHighLightAttributes* attribute, const TEditorColorSlot& slot)
{
    if (!attribute)
        return;
    attribute->SetForeground(ColorToQColor(slot.Foreground));
    attribute->SetBackground(ColorToQColor(slot.Background));
    attribute->SetIntegerStyle(slot.Style);
}

} // namespace

TEditorColorSlot TEditorColors::Slot(int index) const
{
    Q_ASSERT(index >= 0 && index < SlotCount);
    const std::uint8_t* at = m_bytes.data() + index * SlotSize;
    return {getColor(at), getColor(at + 4), at[8]};
}

void TEditorColors::SetSlot(int index, const TEditorColorSlot& slot)
{
    Q_ASSERT(index >= 0 && index < SlotCount);
    std::uint8_t* at = m_bytes.data() + index * SlotSize;
    putColor(at, slot.Foreground);
    putColor(at + 4, slot.Background);
    at[8] = slot.Style;
}

QByteArray TEditorColors::Bytes() const
{
    return QByteArray(reinterpret_cast<const char*>(m_bytes.data()), ByteSize);
}

bool TEditorColors::SetBytes(const QByteArray& bytes)
{
    if (bytes.size() != ByteSize)
        return false;
    std::copy(bytes.cbegin(), bytes.cend(), m_bytes.begin());
    return true;
}

void SetDefaultEditorColors(TEditorColors& colors)
{
    colors.SetSlot(eeWhitespace, {clWhite, clWhite, 0});
    colors.SetSlot(eeComment, {kGreen, clWhite, 0});
    colors.SetSlot(eeReservedWord, {clBlack, clWhite, esBold});
    colors.SetSlot(eeIdentifier, {clBlack, clWhite, 0});
    colors.SetSlot(eeSymbol, {clBlack, clWhite, 0});
    colors.SetSlot(eeString, {kRed, clWhite, 0});
    colors.SetSlot(eeNumber, {clBlack, clWhite, 0});
    colors.SetSlot(eeExecutionPoint, {clWhite, kBlue, 0});
    colors.SetSlot(eeBreakpoint, {clWhite, kRed, 0});
    colors.SetSlot(eeHyperlink, {kGreen, clWhite, esBold | esUnderline});
}

TOptions TOptions::Defaults()
{
    TOptions options;
    options.SQLFont = QFont(QStringLiteral("Courier New"));
    options.SQLFont.setPointSize(9);
    options.DataFont = QFont(QStringLiteral("MS Sans Serif"));
    options.DataFont.setPointSize(8);
    SetDefaultEditorColors(options.EditorColors);
    return options;
}

TOptions& Options()
{
    static TOptions options = TOptions::Defaults();
    return options;
}

TOptions ReadOptions()
{
    TOptions options = TOptions::Defaults();
    QvRegistry registry;
    // A key that cannot be opened leaves every option at its default.
    if (!registry.openKey(kOptionsKey, true))
        return options;
    options.SQLFont = readFont(registry, QStringLiteral("SQLFont"), QStringLiteral("Courier New"),
                               9, options.SQLFontCharset);
    options.DataFont = readFont(registry, QStringLiteral("DataFont"),
                                QStringLiteral("MS Sans Serif"), 8, options.DataFontCharset);
    options.ShowDescription = readInteger(registry, QStringLiteral("ShowDescription"), 0);
    options.ShowTriggerType = readBool(registry, QStringLiteral("ShowTriggerType"), false);
    options.ShowProcParameterDescription =
        readBool(registry, QStringLiteral("ShowProcParameterDescription"), true);
    options.TabStopCount = readInteger(registry, QStringLiteral("TabStopCount"), 4);
    options.ShowSystemTables = readBool(registry, QStringLiteral("ShowSystemTables"), false);
    options.EditorRightEdge = readInteger(registry, QStringLiteral("EditorRightEdge"), 80);
    // Only a binary value of exactly the record's size is taken; anything
    // else would leave part of the record stale or spill past it.
    if (registry.dataType(QStringLiteral("EditorColors")) == QvRegistry::DataType::Binary) {
        try {
            options.EditorColors.SetBytes(registry.readBinary(QStringLiteral("EditorColors")));
        } catch (const EQvRegistryError&) {
        }
    }
    return options;
}

void WriteOptions(const TOptions& options)
{
    QvRegistry registry;
    if (!registry.openKey(kOptionsKey, true))
        throw EQvRegistryError(QStringLiteral("Failed to create key '%1'").arg(kOptionsKey));
    const auto writeFont = [&registry](const QString& prefix, const QFont& font, int charset) {
        registry.writeString(prefix, font.family());
        registry.writeInteger(prefix + QStringLiteral("Size"),
                              font.pointSize() > 0 ? font.pointSize() : RoundOptionValue(font.pointSizeF()));
        registry.writeInteger(prefix + QStringLiteral("Charset"), charset);
    };
    writeFont(QStringLiteral("SQLFont"), options.SQLFont, options.SQLFontCharset);
    writeFont(QStringLiteral("DataFont"), options.DataFont, options.DataFontCharset);
    registry.writeInteger(QStringLiteral("ShowDescription"), options.ShowDescription);
    registry.writeBool(QStringLiteral("ShowTriggertype"), options.ShowTriggerType);
    registry.writeBool(QStringLiteral("ShowProcParameterDescription"), options.ShowProcParameterDescription);
    registry.writeInteger(QStringLiteral("TabStopCount"), options.TabStopCount);
    registry.writeBool(QStringLiteral("ShowSystemTables"), options.ShowSystemTables);
    registry.writeBinary(QStringLiteral("EditorColors"), options.EditorColors.Bytes());
    registry.writeInteger(QStringLiteral("EditorRightEdge"), options.EditorRightEdge);
}

int RoundOptionValue(double value)
{
    if (std::isnan(value))
        return 0;
    constexpr double low = std::numeric_limits<int>::min();
    constexpr double high = std::numeric_limits<int>::max();
    return static_cast<int>(std::clamp(std::round(value), low, high));
}

TOptionsNotifier* OptionsNotifier()
{
    static TOptionsNotifier notifier;
    return &notifier;
}

void LoadOptions()
{
    Options() = ReadOptions();
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        const auto areas = window->findChildren<QMdiArea*>();
        for (QMdiArea* area : areas) {
            const auto subWindows = area->subWindowList();
            for (QMdiSubWindow* subWindow : subWindows) {
                QWidget* form = subWindow->widget();
                if (!form || !followsEditorOptions(form))
                    continue;
                const auto editors = form->findChildren<TqeCustomEdit*>();
                for (TqeCustomEdit* editor : editors) {
                    if (auto* syntax = qobject_cast<TqeGeneralSyn*>(editor->HighLighter()))
                        ApplyEditorOptions(editor, syntax);
                }
            }
        }
    }
    emit OptionsNotifier()->OptionsChanged();
}

void ApplyEditorColors(TqeCustomEdit* editor, TqeGeneralSyn* highlighter,
                       const TEditorColors& colors)
{
    if (editor)
        editor->SetColor(ColorToQColor(colors.Slot(eeWhitespace).Background));
    if (!highlighter)
        return;
    applySlot(highlighter->CommentAttri(), colors.Slot(eeComment));
    applySlot(highlighter->KeyAttri(), colors.Slot(eeReservedWord));
    applySlot(highlighter->IdentifierAttri(), colors.Slot(eeIdentifier));
    applySlot(highlighter->SymbolAttri(), colors.Slot(eeSymbol));
    applySlot(highlighter->StringAttri(), colors.Slot(eeString));
    applySlot(highlighter->NumberAttri(), colors.Slot(eeNumber));
    applySlot(highlighter->SpaceAttri(), colors.Slot(eeWhitespace));
    applySlot(highlighter->ExecutionPointAttri(), colors.Slot(eeExecutionPoint));
    applySlot(highlighter->BreakPointAttri(), colors.Slot(eeBreakpoint));
    applySlot(highlighter->HyperLinkAttri(), colors.Slot(eeHyperlink));
}

void ApplyEditorOptions(TqeCustomEdit* editor, TqeGeneralSyn* highlighter)
{
    const TOptions& options = Options();
    if (editor) {
        editor->SetFont(options.SQLFont);
        editor->SetTabSpace(options.TabStopCount);
        editor->SetWantTabs(true);
        editor->SetRightEdge(options.EditorRightEdge);
    }
    ApplyEditorColors(editor, highlighter, options.EditorColors);
}
