#include "editor/qeKeyCmds.h"

#include "editor/qeKeyMap.h"

#include <QHash>

const std::vector<TqeCommandName>& EditorCommandNames()
{
    static const std::vector<TqeCommandName> names = {
        {ecNone, "ecNone"},
        {ecLeft, "ecLeft"},
        {ecRight, "ecRight"},
        {ecUp, "ecUp"},
        {ecDown, "ecDown"},
        {ecWordLeft, "ecWordLeft"},
        {ecWordRight, "ecWordRight"},
        {ecLineStart, "ecLineStart"},
        {ecLineEnd, "ecLineEnd"},
        {ecPageUp, "ecPageUp"},
        {ecPageDown, "ecPageDown"},
        {ecPageLeft, "ecPageLeft"},
        {ecPageRight, "ecPageRight"},
        {ecPageTop, "ecPageTop"},
        {ecPageBottom, "ecPageBottom"},
        {ecEditorTop, "ecEditorTop"},
        {ecEditorBottom, "ecEditorBottom"},
        {ecGotoXY, "ecGotoXY"},
        {ecSelLeft, "ecSelLeft"},
        {ecSelRight, "ecSelRight"},
        {ecSelUp, "ecSelUp"},
        {ecSelDown, "ecSelDown"},
        {ecSelWordLeft, "ecSelWordLeft"},
        {ecSelWordRight, "ecSelWordRight"},
        {ecSelLineStart, "ecSelLineStart"},
        {ecSelLineEnd, "ecSelLineEnd"},
        {ecSelPageUp, "ecSelPageUp"},
        {ecSelPageDown, "ecSelPageDown"},
        {ecSelPageLeft, "ecSelPageLeft"},
        {ecSelPageRight, "ecSelPageRight"},
        {ecSelPageTop, "ecSelPageTop"},
        {ecSelPageBottom, "ecSelPageBottom"},
        {ecSelEditorTop, "ecSelEditorTop"},
        {ecSelEditorBottom, "ecSelEditorBottom"},
        {ecSelGotoXY, "ecSelGotoXY"},
        {ecSelectAll, "ecSelectAll"},
        {ecDeleteLastChar, "ecDeleteLastChar"},
        {ecDeleteChar, "ecDeleteChar"},
        {ecDeleteWord, "ecDeleteWord"},
        {ecDeleteLastWord, "ecDeleteLastWord"},
        {ecDeleteBOL, "ecDeleteBOL"},
        {ecDeleteEOL, "ecDeleteEOL"},
        {ecDeleteLine, "ecDeleteLine"},
        {ecClearAll, "ecClearAll"},
        {ecLineBreak, "ecLineBreak"},
        {ecInsertLine, "ecInsertLine"},
        {ecChar, "ecChar"},
        {ecUndo, "ecUndo"},
        {ecRedo, "ecRedo"},
        {ecCut, "ecCut"},
        {ecCopy, "ecCopy"},
        {ecPaste, "ecPaste"},
        {ecScrollUp, "ecScrollUp"},
        {ecScrollDown, "ecScrollDown"},
        {ecScrollLeft, "ecScrollLeft"},
        {ecScrollRight, "ecScrollRight"},
        {ecInsertMode, "ecInsertMode"},
        {ecOverwriteMode, "ecOverwriteMode"},
        {ecToggleMode, "ecToggleMode"},
        {ecBlockIndent, "ecBlockIndent"},
        {ecBlockUnindent, "ecBlockUnindent"},
        {701, "ecGotoMarker0"},
        {702, "ecGotoMarker1"},
        {703, "ecGotoMarker2"},
        {704, "ecGotoMarker3"},
        {705, "ecGotoMarker4"},
        {706, "ecGotoMarker5"},
        {707, "ecGotoMarker6"},
        {708, "ecGotoMarker7"},
        {709, "ecGotoMarker8"},
        {710, "ecGotoMarker9"},
        {751, "ecSetMarker0"},
        {752, "ecSetMarker1"},
        {753, "ecSetMarker2"},
        {754, "ecSetMarker3"},
        {755, "ecSetMarker4"},
        {756, "ecSetMarker5"},
        {757, "ecSetMarker6"},
        {758, "ecSetMarker7"},
        {759, "ecSetMarker8"},
        {760, "ecSetMarker9"},
        {ecUserFirst, "ecUserFirst"},
    };
    return names;
}

bool EditorCommandToIdent(int command, QString& ident)
{
    for (const TqeCommandName& entry : EditorCommandNames()) {
        if (entry.Command == command) {
            ident = QString::fromLatin1(entry.Name);
            return true;
        }
    }
    return false;
}

bool IdentToEditorCommand(const QString& ident, int& command)
{
    // Names compare without regard to case, as identifiers of the old
    // streaming format did.
    for (const TqeCommandName& entry : EditorCommandNames()) {
        if (ident.compare(QLatin1String(entry.Name), Qt::CaseInsensitive) == 0) {
            command = entry.Command;
            return true;
        }
    }
    return false;
}

QString EditorCommandToString(TqeEditorCommand command)
{
    QString ident;
    if (EditorCommandToIdent(command, ident))
        return ident;
    return QString::number(command);
}

bool StringToEditorCommand(const QString& text, TqeEditorCommand& command)
{
    int value = 0;
    if (IdentToEditorCommand(text, value)) {
        command = static_cast<TqeEditorCommand>(value);
        return true;
    }
    bool ok = false;
    const uint n = text.trimmed().toUInt(&ok);
    if (!ok || n > 0xFFFF)
        return false;
    command = static_cast<TqeEditorCommand>(n);
    return true;
}

TShortCut ShortCut(std::uint16_t key, TShiftState shift)
{
    // Keys above 255 have no room beside the modifier bits: no shortcut.
    if (key & 0xFF00)
        return 0;
    TShortCut result = key;
    if (shift & ssShift)
        result |= scShift;
    if (shift & ssCtrl)
        result |= scCtrl;
    if (shift & ssAlt)
        result |= scAlt;
    return result;
}

void ShortCutToKey(TShortCut shortCut, std::uint16_t& key, TShiftState& shift)
{
    key = shortCut & ~(scShift | scCtrl | scAlt);
    shift = {};
    if (shortCut & scShift)
        shift |= ssShift;
    if (shortCut & scCtrl)
        shift |= ssCtrl;
    if (shortCut & scAlt)
        shift |= ssAlt;
}

namespace {

QString keyName(std::uint16_t key)
{
    switch (key) {
    case vk::Back: return QStringLiteral("BkSp");
    case vk::Tab: return QStringLiteral("Tab");
    case vk::Return: return QStringLiteral("Enter");
    case vk::Escape: return QStringLiteral("Esc");
    case vk::Space: return QStringLiteral("Space");
    case vk::Prior: return QStringLiteral("PgUp");
    case vk::Next: return QStringLiteral("PgDn");
    case vk::End: return QStringLiteral("End");
    case vk::Home: return QStringLiteral("Home");
    case vk::Left: return QStringLiteral("Left");
    case vk::Up: return QStringLiteral("Up");
    case vk::Right: return QStringLiteral("Right");
    case vk::Down: return QStringLiteral("Down");
    case vk::Insert: return QStringLiteral("Ins");
    case vk::Delete: return QStringLiteral("Del");
    case vk::Multiply: return QStringLiteral("Num *");
    case vk::Add: return QStringLiteral("Num +");
    case vk::Subtract: return QStringLiteral("Num -");
    case vk::Decimal: return QStringLiteral("Num Del");
    case vk::Divide: return QStringLiteral("Num /");
    case vk::Oem1: return QStringLiteral(";");
    case vk::OemPlus: return QStringLiteral("=");
    case vk::OemComma: return QStringLiteral(",");
    case vk::OemMinus: return QStringLiteral("-");
    case vk::OemPeriod: return QStringLiteral(".");
    case vk::Oem2: return QStringLiteral("/");
    case vk::Oem3: return QStringLiteral("`");
    case vk::Oem4: return QStringLiteral("[");
    case vk::Oem5: return QStringLiteral("\\");
    case vk::Oem6: return QStringLiteral("]");
    case vk::Oem7: return QStringLiteral("'");
    default: break;
    }
    if (key >= vk::Key0 && key <= vk::Key0 + 9)
        return QString(QChar(u'0' + (key - vk::Key0)));
    if (key >= vk::KeyA && key <= vk::KeyA + 25)
        return QString(QChar(u'A' + (key - vk::KeyA)));
    if (key >= vk::Numpad0 && key <= vk::Numpad0 + 9)
        return QString(QChar(u'0' + (key - vk::Numpad0)));
    if (key >= vk::F1 && key <= vk::F1 + 23)
        return QStringLiteral("F%1").arg(key - vk::F1 + 1);
    return {};
}

} // namespace

QString ShortCutToText(TShortCut shortCut)
{
    const QString name = keyName(shortCut & 0xFF);
    if (name.isEmpty())
        return {};
    QString text;
    if (shortCut & scShift)
        text += QLatin1String("Shift+");
    if (shortCut & scCtrl)
        text += QLatin1String("Ctrl+");
    if (shortCut & scAlt)
        text += QLatin1String("Alt+");
    return text + name;
}

void TqeKeyStroke::SetShortCut(TShortCut shortCut)
{
    if (shortCut != 0 && m_owner) {
        const int found = m_owner->FindShortcut(shortCut);
        if (found >= 0 && found != Index())
            throw EqeKeyError(QStringLiteral("Shortcut already exists"));
    }
    ShortCutToKey(shortCut, m_key, m_shift);
}

QString TqeKeyStroke::GetDisplayName() const
{
    const QString name = EditorCommandToString(m_command) + QLatin1String(" - ") + ShortCutToText(ShortCut());
    return name.isEmpty() ? QStringLiteral("TqeKeyStroke") : name;
}

int TqeKeyStroke::Index() const
{
    return m_owner ? m_owner->IndexOf(this) : -1;
}

void TqeKeyStroke::Assign(const TqeKeyStroke& source)
{
    m_key = source.m_key;
    m_shift = source.m_shift;
    m_command = source.m_command;
}

TqeKeyStroke* TqeKeyStrokes::Add()
{
    m_items.push_back(std::unique_ptr<TqeKeyStroke>(new TqeKeyStroke(this)));
    return m_items.back().get();
}

void TqeKeyStrokes::Delete(int index)
{
    if (index >= 0 && index < Count())
        m_items.erase(m_items.begin() + index);
}

int TqeKeyStrokes::FindKeycode(std::uint16_t key, TShiftState shift) const
{
    for (int i = 0; i < Count(); ++i)
        if (m_items[static_cast<size_t>(i)]->Key() == key && m_items[static_cast<size_t>(i)]->Shift() == shift)
            return i;
    return -1;
}

int TqeKeyStrokes::FindShortcut(TShortCut shortCut) const
{
    for (int i = 0; i < Count(); ++i)
        if (m_items[static_cast<size_t>(i)]->ShortCut() == shortCut)
            return i;
    return -1;
}

int TqeKeyStrokes::IndexOf(const TqeKeyStroke* item) const
{
    for (int i = 0; i < Count(); ++i)
        if (m_items[static_cast<size_t>(i)].get() == item)
            return i;
    return -1;
}

void TqeKeyStrokes::Assign(const TqeKeyStrokes& source)
{
    if (&source == this)
        return;
    Clear();
    for (int i = 0; i < source.Count(); ++i)
        Add()->Assign(*source.Items(i));
}

void TqeKeyStrokes::ResetDefaults()
{
    struct Binding
    {
        std::uint16_t key;
        TShiftState shift;
        TqeEditorCommand command;
    };
    const TShiftState none;
    const TShiftState shift = ssShift;
    const TShiftState ctrl = ssCtrl;
    const TShiftState alt = ssAlt;
    const TShiftState shiftCtrl = ssShift | ssCtrl;
    const TShiftState shiftAlt = ssShift | ssAlt;
    auto letter = [](char c) { return static_cast<std::uint16_t>(vk::KeyA + (c - 'A')); };

    std::vector<Binding> defaults = {
        {vk::Up, none, ecUp},
        {vk::Up, shift, ecSelUp},
        {vk::Up, ctrl, ecScrollUp},
        {vk::Down, none, ecDown},
        {vk::Down, shift, ecSelDown},
        {vk::Down, ctrl, ecScrollDown},
        {vk::Left, none, ecLeft},
        {vk::Left, shift, ecSelLeft},
        {vk::Left, ctrl, ecWordLeft},
        {vk::Left, shiftCtrl, ecSelWordLeft},
        {vk::Right, none, ecRight},
        {vk::Right, shift, ecSelRight},
        {vk::Right, ctrl, ecWordRight},
        {vk::Right, shiftCtrl, ecSelWordRight},
        {vk::Next, none, ecPageDown},
        {vk::Next, shift, ecSelPageDown},
        {vk::Next, ctrl, ecPageBottom},
        {vk::Next, shiftCtrl, ecSelPageBottom},
        {vk::Prior, none, ecPageUp},
        {vk::Prior, shift, ecSelPageUp},
        {vk::Prior, ctrl, ecPageTop},
        {vk::Prior, shiftCtrl, ecSelPageTop},
        {vk::Home, none, ecLineStart},
        {vk::Home, shift, ecSelLineStart},
        {vk::Home, ctrl, ecEditorTop},
        {vk::Home, shiftCtrl, ecSelEditorTop},
        {vk::End, none, ecLineEnd},
        {vk::End, shift, ecSelLineEnd},
        {vk::End, ctrl, ecEditorBottom},
        {vk::End, shiftCtrl, ecSelEditorBottom},
        {vk::Insert, none, ecToggleMode},
        {vk::Insert, ctrl, ecCopy},
        {vk::Insert, shift, ecPaste},
        {vk::Delete, none, ecDeleteChar},
        {vk::Delete, shift, ecCut},
        {vk::Back, none, ecDeleteLastChar},
        {vk::Back, ctrl, ecDeleteLastWord},
        {vk::Back, alt, ecUndo},
        {vk::Back, shiftAlt, ecRedo},
        {vk::Return, none, ecLineBreak},
        {letter('A'), ctrl, ecSelectAll},
        {letter('C'), ctrl, ecCopy},
        {letter('I'), shiftCtrl, ecBlockIndent},
        {letter('M'), ctrl, ecLineBreak},
        {letter('N'), ctrl, ecInsertLine},
        {letter('T'), ctrl, ecDeleteWord},
        {letter('U'), shiftCtrl, ecBlockUnindent},
        {letter('V'), ctrl, ecPaste},
        {letter('X'), ctrl, ecCut},
        {letter('Y'), ctrl, ecDeleteLine},
        {letter('Y'), shiftCtrl, ecDeleteEOL},
        {letter('Z'), ctrl, ecUndo},
        {letter('Z'), shiftCtrl, ecRedo},
    };
    for (int i = 0; i <= 9; ++i)
        defaults.push_back({static_cast<std::uint16_t>(vk::Key0 + i), ctrl,
                            static_cast<TqeEditorCommand>(ecGotoMarker0 + i)});
    for (int i = 0; i <= 9; ++i)
        defaults.push_back({static_cast<std::uint16_t>(vk::Key0 + i), shiftCtrl,
                            static_cast<TqeEditorCommand>(ecSetMarker0 + i)});

    Clear();
    for (const Binding& b : defaults) {
        TqeKeyStroke* item = Add();
        item->SetKey(b.key);
        item->SetShift(b.shift);
        item->SetCommand(b.command);
    }
}
