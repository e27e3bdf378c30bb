#pragma once

#include <QFlags>
#include <QString>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <vector>

// An editor command. 1 to 1000 belong to the editor, 1001 and above to the
// application; 0 is no command.
using TqeEditorCommand = std::uint16_t;

constexpr TqeEditorCommand ecNone = 0;
constexpr TqeEditorCommand ecLeft = 1;
constexpr TqeEditorCommand ecRight = 2;
constexpr TqeEditorCommand ecUp = 3;
constexpr TqeEditorCommand ecDown = 4;
constexpr TqeEditorCommand ecWordLeft = 5;
constexpr TqeEditorCommand ecWordRight = 6;
constexpr TqeEditorCommand ecLineStart = 7;
constexpr TqeEditorCommand ecLineEnd = 8;
constexpr TqeEditorCommand ecPageUp = 9;
constexpr TqeEditorCommand ecPageDown = 10;
constexpr TqeEditorCommand ecPageLeft = 11;
constexpr TqeEditorCommand ecPageRight = 12;
constexpr TqeEditorCommand ecPageTop = 13;
constexpr TqeEditorCommand ecPageBottom = 14;
constexpr TqeEditorCommand ecEditorTop = 15;
constexpr TqeEditorCommand ecEditorBottom = 16;
constexpr TqeEditorCommand ecGotoXY = 17;

// A selection command is its move plus ecSelection.
constexpr TqeEditorCommand ecSelection = 100;
constexpr TqeEditorCommand ecSelLeft = ecLeft + ecSelection;
constexpr TqeEditorCommand ecSelRight = ecRight + ecSelection;
constexpr TqeEditorCommand ecSelUp = ecUp + ecSelection;
constexpr TqeEditorCommand ecSelDown = ecDown + ecSelection;
constexpr TqeEditorCommand ecSelWordLeft = ecWordLeft + ecSelection;
constexpr TqeEditorCommand ecSelWordRight = ecWordRight + ecSelection;
constexpr TqeEditorCommand ecSelLineStart = ecLineStart + ecSelection;
constexpr TqeEditorCommand ecSelLineEnd = ecLineEnd + ecSelection;
constexpr TqeEditorCommand ecSelPageUp = ecPageUp + ecSelection;
constexpr TqeEditorCommand ecSelPageDown = ecPageDown + ecSelection;
constexpr TqeEditorCommand ecSelPageLeft = ecPageLeft + ecSelection;
constexpr TqeEditorCommand ecSelPageRight = ecPageRight + ecSelection;
constexpr TqeEditorCommand ecSelPageTop = ecPageTop + ecSelection;
constexpr TqeEditorCommand ecSelPageBottom = ecPageBottom + ecSelection;
constexpr TqeEditorCommand ecSelEditorTop = ecEditorTop + ecSelection;
constexpr TqeEditorCommand ecSelEditorBottom = ecEditorBottom + ecSelection;
constexpr TqeEditorCommand ecSelGotoXY = ecGotoXY + ecSelection;

constexpr TqeEditorCommand ecSelectAll = 199;

constexpr TqeEditorCommand ecDeleteLastChar = 401;
constexpr TqeEditorCommand ecDeleteChar = 402;
constexpr TqeEditorCommand ecDeleteWord = 403;
constexpr TqeEditorCommand ecDeleteLastWord = 404;
constexpr TqeEditorCommand ecDeleteBOL = 405;
constexpr TqeEditorCommand ecDeleteEOL = 406;
constexpr TqeEditorCommand ecDeleteLine = 407;
constexpr TqeEditorCommand ecClearAll = 408;
constexpr TqeEditorCommand ecLineBreak = 409;
constexpr TqeEditorCommand ecInsertLine = 410;
constexpr TqeEditorCommand ecChar = 411;

constexpr TqeEditorCommand ecUndo = 601;
constexpr TqeEditorCommand ecRedo = 602;
constexpr TqeEditorCommand ecCut = 603;
constexpr TqeEditorCommand ecCopy = 604;
constexpr TqeEditorCommand ecPaste = 605;
constexpr TqeEditorCommand ecScrollUp = 606;
constexpr TqeEditorCommand ecScrollDown = 607;
constexpr TqeEditorCommand ecScrollLeft = 608;
constexpr TqeEditorCommand ecScrollRight = 609;
constexpr TqeEditorCommand ecInsertMode = 610;
constexpr TqeEditorCommand ecOverwriteMode = 611;
constexpr TqeEditorCommand ecToggleMode = 612;
constexpr TqeEditorCommand ecBlockIndent = 613;
constexpr TqeEditorCommand ecBlockUnindent = 614;

constexpr TqeEditorCommand ecGotoMarker0 = 701;
constexpr TqeEditorCommand ecGotoMarker1 = 702;
constexpr TqeEditorCommand ecGotoMarker2 = 703;
constexpr TqeEditorCommand ecGotoMarker3 = 704;
constexpr TqeEditorCommand ecGotoMarker4 = 705;
constexpr TqeEditorCommand ecGotoMarker5 = 706;
constexpr TqeEditorCommand ecGotoMarker6 = 707;
constexpr TqeEditorCommand ecGotoMarker7 = 708;
constexpr TqeEditorCommand ecGotoMarker8 = 709;
constexpr TqeEditorCommand ecGotoMarker9 = 710;
constexpr TqeEditorCommand ecSetMarker0 = 751;
constexpr TqeEditorCommand ecSetMarker1 = 752;
constexpr TqeEditorCommand ecSetMarker2 = 753;
constexpr TqeEditorCommand ecSetMarker3 = 754;
constexpr TqeEditorCommand ecSetMarker4 = 755;
constexpr TqeEditorCommand ecSetMarker5 = 756;
constexpr TqeEditorCommand ecSetMarker6 = 757;
constexpr TqeEditorCommand ecSetMarker7 = 758;
constexpr TqeEditorCommand ecSetMarker8 = 759;
constexpr TqeEditorCommand ecSetMarker9 = 760;

constexpr TqeEditorCommand ecUserFirst = 1001;

// The streaming names of the commands ("ecUp" ...). A number without a name
// is written as its decimal number.
bool EditorCommandToIdent(int command, QString& ident);
bool IdentToEditorCommand(const QString& ident, int& command);
QString EditorCommandToString(TqeEditorCommand command);
// Reads a name or a decimal number; false for an unknown name.
bool StringToEditorCommand(const QString& text, TqeEditorCommand& command);
// Every named command with its name, in number order.
struct TqeCommandName
{
    TqeEditorCommand Command;
    const char* Name;
};
const std::vector<TqeCommandName>& EditorCommandNames();

// Modifier keys of a binding.
enum TShiftStateFlag : int {
    ssShift = 0x1,
    ssAlt = 0x2,
    ssCtrl = 0x4,
};
Q_DECLARE_FLAGS(TShiftState, TShiftStateFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(TShiftState)

// A shortcut: the virtual-key code plus scShift, scCtrl and scAlt.
using TShortCut = std::uint16_t;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;

TShortCut ShortCut(std::uint16_t key, TShiftState shift);
void ShortCutToKey(TShortCut shortCut, std::uint16_t& key, TShiftState& shift);
// "Shift+Ctrl+Z", "Up", "Ctrl+Ins"; "" for 0.
QString ShortCutToText(TShortCut shortCut);

// A binding set to a shortcut that another binding of its collection has.
class EqeKeyError : public std::runtime_error
{
public:
    explicit EqeKeyError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {
    }
    const QString& Message() const { return m_message; }

private:
    QString m_message;
};

class TqeKeyStrokes;

// One key binding.
class TqeKeyStroke
{
public:
    std::uint16_t Key() const { return m_key; }
    TShiftState Shift() const { return m_shift; }
    TqeEditorCommand Command() const { return m_command; }
    TShortCut ShortCut() const { return ::ShortCut(m_key, m_shift); }

    // No duplicate check: the defaults are set this way.
    void SetKey(std::uint16_t key) { m_key = key; }
    void SetShift(TShiftState shift) { m_shift = shift; }
    void SetCommand(TqeEditorCommand command) { m_command = command; }
    // Raises EqeKeyError "Shortcut already exists" when another binding of the
    // collection has this non-zero shortcut; the binding is then unchanged.
    void SetShortCut(TShortCut shortCut);

    // "<command name> - <shortcut text>".
    QString GetDisplayName() const;
    int Index() const;
    TqeKeyStrokes* Collection() const { return m_owner; }

    void Assign(const TqeKeyStroke& source);

private:
    friend class TqeKeyStrokes;
    explicit TqeKeyStroke(TqeKeyStrokes* owner) : m_owner(owner) {}

    TqeKeyStrokes* m_owner;
    std::uint16_t m_key = 0;
    TShiftState m_shift;
    TqeEditorCommand m_command = ecNone;
};

// The key bindings of one editor.
class TqeKeyStrokes
{
public:
    // The editor that owns the collection (opaque here).
    explicit TqeKeyStrokes(void* owner = nullptr) : m_owner(owner) {}
    TqeKeyStrokes(const TqeKeyStrokes&) = delete;
    TqeKeyStrokes& operator=(const TqeKeyStrokes&) = delete;

    void* Owner() const { return m_owner; }
    int Count() const { return static_cast<int>(m_items.size()); }
    TqeKeyStroke* Items(int index) const { return m_items.at(static_cast<size_t>(index)).get(); }
    TqeKeyStroke* Add();
    void Delete(int index);
    void Clear() { m_items.clear(); }

    int FindKeycode(std::uint16_t key, TShiftState shift) const;
    int FindShortcut(TShortCut shortCut) const;
    int IndexOf(const TqeKeyStroke* item) const;

    // Clears and copies every binding in order.
    void Assign(const TqeKeyStrokes& source);
    // Clears and adds the 73 default bindings.
    void ResetDefaults();

private:
    void* m_owner;
    std::vector<std::unique_ptr<TqeKeyStroke>> m_items;
};
