#pragma once

// The program's options: display, description and editor settings, the two
// fonts and the editor colours, read from the registry key kOptionsKey by
// LoadOptions and given to syntax editors by ApplyEditorOptions. Only the
// options dialog writes them.

#include <QByteArray>
#include <QFont>
#include <QObject>
#include <QString>

#include <array>
#include <cstdint>

#include "components/ColorValue.h"

class TqeCustomEdit;
class TqeGeneralSyn;

inline const QString kOptionsKey = QStringLiteral("\\Software\\Qyl\\Qorvane\\Options");

// Font style bits of a colour slot.
enum TEditorStyleBit : std::uint8_t {
    esBold = 1u << 0,
    esItalic = 1u << 1,
    esUnderline = 1u << 2,
    esStrikeOut = 1u << 3,
};

struct TEditorColorSlot
{
    TColor Foreground = clBlack;
    TColor Background = clWhite;
    std::uint8_t Style = 0;
};

// Slots in the order of the options dialog's element list; slot 10 is kept
// but used by none.
enum TEditorElement : int {
    eeWhitespace = 0,
    eeComment,
    eeReservedWord,
    eeIdentifier,
    eeSymbol,
    eeString,
    eeNumber,
    eeExecutionPoint,
    eeBreakpoint,
    eeHyperlink,
};

// The stored record itself: 11 slots of 12 bytes, slot k at byte 12k:
// foreground (4 bytes, little-endian 0x00BBGGRR), background (4 bytes),
// style (1 byte), 3 bytes of padding. Bytes not read or written through a
// slot (padding, slot 10) are kept exactly as they came.
class TEditorColors
{
public:
    static constexpr int SlotCount = 11;
    static constexpr int SlotSize = 12;
    static constexpr int ByteSize = SlotCount * SlotSize;   // 132

    TEditorColorSlot Slot(int index) const;
    void SetSlot(int index, const TEditorColorSlot& slot);

    QByteArray Bytes() const;
    // False (and nothing changed) for anything but exactly 132 bytes.
    bool SetBytes(const QByteArray& bytes);

    bool operator==(const TEditorColors& other) const = default;

private:
    std::array<std::uint8_t, ByteSize> m_bytes{};
};

// Slots 0 to 9 get the default colours; the rest of the record stays.
void SetDefaultEditorColors(TEditorColors& colors);

// The option globals.
struct TOptions
{
    QFont SQLFont;
    int SQLFontCharset = 1;
    QFont DataFont;
    int DataFontCharset = 1;
    int ShowDescription = 0;              // 0 to 3
    bool ShowTriggerType = false;
    bool ShowProcParameterDescription = true;
    int TabStopCount = 4;
    bool ShowSystemTables = false;
    TEditorColors EditorColors;
    int EditorRightEdge = 80;

    // Every option at its default.
    static TOptions Defaults();
};

// The one set of options of the program, at its defaults until LoadOptions.
TOptions& Options();
inline QFont& SQLFont() { return Options().SQLFont; }
inline QFont& DataFont() { return Options().DataFont; }
inline TEditorColors& EditorColors() { return Options().EditorColors; }

// Each option from the registry on its own: one that is absent or stored as
// another type takes its default and leaves the others alone. The key is
// created when missing. The editors of the open SQL, procedure, trigger and
// view windows then get the new options.
void LoadOptions();
// The options as read from the registry, without touching the globals.
TOptions ReadOptions();
// Every option into the registry key (created when missing), under the
// names LoadOptions reads. EQvRegistryError when the key cannot be opened or
// a value cannot be written.
void WriteOptions(const TOptions& options);
// A number edit's value as the integer option stored for it: rounded half
// away from zero and kept within the range of an integer.
int RoundOptionValue(double value);

// Tells the windows above the shell that LoadOptions has just run, so that
// what they show besides the editors LoadOptions reaches itself can follow.
class TOptionsNotifier : public QObject
{
    Q_OBJECT
signals:
    void OptionsChanged();
};
TOptionsNotifier* OptionsNotifier();

// Font, tab width, right edge and colours of the options for one editor and
// its highlighter.
void ApplyEditorOptions(TqeCustomEdit* editor, TqeGeneralSyn* highlighter);
// The same with another colour record (the options dialog's example).
void ApplyEditorColors(TqeCustomEdit* editor, TqeGeneralSyn* highlighter,
                       const TEditorColors& colors);
