// Editor commands, their names, the key bindings and the table from Qt keys
// to the stored virtual-key codes.
#include "editor/qeKeyCmds.h"
#include "editor/qeKeyMap.h"

#include <gtest/gtest.h>

namespace {

struct Expected
{
    const char* keys;
    TShortCut shortCut;
    TqeEditorCommand command;
};

// The 73 default bindings in their order, with their stored shortcut values.
const Expected kDefaults[] = {
    {"Up", 0x26, 3}, {"Shift+Up", 0x2026, 103}, {"Ctrl+Up", 0x4026, 606},
    {"Down", 0x28, 4}, {"Shift+Down", 0x2028, 104}, {"Ctrl+Down", 0x4028, 607},
    {"Left", 0x25, 1}, {"Shift+Left", 0x2025, 101}, {"Ctrl+Left", 0x4025, 5}, {"Shift+Ctrl+Left", 0x6025, 105},
    {"Right", 0x27, 2}, {"Shift+Right", 0x2027, 102}, {"Ctrl+Right", 0x4027, 6}, {"Shift+Ctrl+Right", 0x6027, 106},
    {"PgDn", 0x22, 10}, {"Shift+PgDn", 0x2022, 110}, {"Ctrl+PgDn", 0x4022, 14}, {"Shift+Ctrl+PgDn", 0x6022, 114},
    {"PgUp", 0x21, 9}, {"Shift+PgUp", 0x2021, 109}, {"Ctrl+PgUp", 0x4021, 13}, {"Shift+Ctrl+PgUp", 0x6021, 113},
    {"Home", 0x24, 7}, {"Shift+Home", 0x2024, 107}, {"Ctrl+Home", 0x4024, 15}, {"Shift+Ctrl+Home", 0x6024, 115},
    {"End", 0x23, 8}, {"Shift+End", 0x2023, 108}, {"Ctrl+End", 0x4023, 16}, {"Shift+Ctrl+End", 0x6023, 116},
    {"Ins", 0x2D, 612}, {"Ctrl+Ins", 0x402D, 604}, {"Shift+Ins", 0x202D, 605},
    {"Del", 0x2E, 402}, {"Shift+Del", 0x202E, 603},
    {"BkSp", 0x08, 401}, {"Ctrl+BkSp", 0x4008, 404}, {"Alt+BkSp", 0x8008, 601}, {"Shift+Alt+BkSp", 0xA008, 602},
    {"Enter", 0x0D, 409},
    {"Ctrl+A", 0x4041, 199}, {"Ctrl+C", 0x4043, 604}, {"Shift+Ctrl+I", 0x6049, 613}, {"Ctrl+M", 0x404D, 409},
    {"Ctrl+N", 0x404E, 410}, {"Ctrl+T", 0x4054, 403}, {"Shift+Ctrl+U", 0x6055, 614}, {"Ctrl+V", 0x4056, 605},
    {"Ctrl+X", 0x4058, 603}, {"Ctrl+Y", 0x4059, 407}, {"Shift+Ctrl+Y", 0x6059, 406}, {"Ctrl+Z", 0x405A, 601},
    {"Shift+Ctrl+Z", 0x605A, 602},
    {"Ctrl+0", 0x4030, 701}, {"Ctrl+1", 0x4031, 702}, {"Ctrl+2", 0x4032, 703}, {"Ctrl+3", 0x4033, 704},
    {"Ctrl+4", 0x4034, 705}, {"Ctrl+5", 0x4035, 706}, {"Ctrl+6", 0x4036, 707}, {"Ctrl+7", 0x4037, 708},
    {"Ctrl+8", 0x4038, 709}, {"Ctrl+9", 0x4039, 710},
    {"Shift+Ctrl+0", 0x6030, 751}, {"Shift+Ctrl+1", 0x6031, 752}, {"Shift+Ctrl+2", 0x6032, 753},
    {"Shift+Ctrl+3", 0x6033, 754}, {"Shift+Ctrl+4", 0x6034, 755}, {"Shift+Ctrl+5", 0x6035, 756},
    {"Shift+Ctrl+6", 0x6036, 757}, {"Shift+Ctrl+7", 0x6037, 758}, {"Shift+Ctrl+8", 0x6038, 759},
    {"Shift+Ctrl+9", 0x6039, 760},
};

TqeEditorCommand commandFor(const TqeKeyStrokes& keys, const TqeVirtualKey& vkey)
{
    const int i = keys.FindKeycode(vkey.Key, vkey.Shift);
    return i < 0 ? ecNone : keys.Items(i)->Command();
}

} // namespace

TEST(KeyBindings, The73DefaultsInOrder)
{
    TqeKeyStrokes keys;
    keys.ResetDefaults();
    ASSERT_EQ(keys.Count(), 73);
    for (int i = 0; i < 73; ++i) {
        const Expected& e = kDefaults[i];
        EXPECT_EQ(keys.Items(i)->ShortCut(), e.shortCut) << "#" << i + 1 << " " << e.keys;
        EXPECT_EQ(keys.Items(i)->Command(), e.command) << "#" << i + 1 << " " << e.keys;
        EXPECT_EQ(ShortCutToText(keys.Items(i)->ShortCut()), QString::fromLatin1(e.keys)) << "#" << i + 1;
    }
}

TEST(KeyBindings, CtrlCIsCopyStoredAs4043)
{
    TqeKeyStrokes keys;
    keys.ResetDefaults();
    const int i = keys.FindShortcut(0x4043);
    ASSERT_EQ(i, 41);
    EXPECT_EQ(keys.Items(i)->Command(), ecCopy);
    EXPECT_EQ(ecCopy, 604);
    EXPECT_EQ(keys.FindKeycode(0x43, ssCtrl), 41);
    EXPECT_EQ(commandFor(keys, QtKeyToVirtualKey(Qt::Key_C, Qt::ControlModifier, 0, false)), 604);
}

TEST(KeyBindings, DuplicateShortcutRaisesAndLeavesTheBindingUnchanged)
{
    TqeKeyStrokes keys;
    keys.ResetDefaults();
    TqeKeyStroke* item = keys.Add();
    item->SetCommand(ecUserFirst);
    try {
        item->SetShortCut(0x4043);
        FAIL() << "no error";
    } catch (const EqeKeyError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Shortcut already exists"));
    }
    EXPECT_EQ(item->ShortCut(), 0);
    EXPECT_EQ(item->Key(), 0);

    // Its own shortcut again, and 0, never raise.
    TqeKeyStroke* copy = keys.Items(41);
    EXPECT_NO_THROW(copy->SetShortCut(0x4043));
    EXPECT_NO_THROW(item->SetShortCut(0));
    EXPECT_NO_THROW(keys.Items(0)->SetShortCut(0));
    EXPECT_NO_THROW(keys.Items(1)->SetShortCut(0));

    item->SetShortCut(0x6070);  // Shift+Ctrl+F1
    EXPECT_EQ(item->Key(), 0x70);
    EXPECT_EQ(item->Shift(), ssShift | ssCtrl);
}

TEST(KeyBindings, SameKeysThroughKeyAndShiftFindTheFirst)
{
    TqeKeyStrokes keys;
    TqeKeyStroke* a = keys.Add();
    a->SetKey(vk::F1);
    a->SetCommand(1001);
    TqeKeyStroke* b = keys.Add();
    b->SetKey(vk::F1);
    b->SetCommand(1002);
    EXPECT_EQ(keys.FindKeycode(vk::F1, {}), 0);
    EXPECT_EQ(keys.FindKeycode(vk::F1, ssShift), -1);
    EXPECT_EQ(keys.FindShortcut(0x70), 0);
}

TEST(KeyBindings, AssignCopiesEveryBindingInOrder)
{
    TqeKeyStrokes source;
    source.ResetDefaults();
    source.Items(0)->SetCommand(1234);
    TqeKeyStrokes target;
    target.Add()->SetKey(1);
    target.Assign(source);
    ASSERT_EQ(target.Count(), 73);
    for (int i = 0; i < 73; ++i) {
        EXPECT_EQ(target.Items(i)->ShortCut(), source.Items(i)->ShortCut());
        EXPECT_EQ(target.Items(i)->Command(), source.Items(i)->Command());
        EXPECT_EQ(target.Items(i)->Collection(), &target);
    }
}

TEST(KeyBindings, DisplayName)
{
    TqeKeyStrokes keys;
    keys.ResetDefaults();
    EXPECT_EQ(keys.Items(0)->GetDisplayName(), QStringLiteral("ecUp - Up"));
    EXPECT_EQ(keys.Items(72)->GetDisplayName(), QStringLiteral("ecSetMarker9 - Shift+Ctrl+9"));
    TqeKeyStroke* user = keys.Add();
    user->SetCommand(1500);
    user->SetShortCut(0x8000 | (vk::F1 + 4));
    EXPECT_EQ(user->GetDisplayName(), QStringLiteral("1500 - Alt+F5"));
}

TEST(EditorCommands, NamesAndNumbers)
{
    EXPECT_EQ(EditorCommandNames().size(), 82u);
    QString name;
    ASSERT_TRUE(EditorCommandToIdent(ecSelPageBottom, name));
    EXPECT_EQ(name, QStringLiteral("ecSelPageBottom"));
    int number = 0;
    ASSERT_TRUE(IdentToEditorCommand(QStringLiteral("ecGotoMarker7"), number));
    EXPECT_EQ(number, 708);
    EXPECT_FALSE(IdentToEditorCommand(QStringLiteral("ecNoSuchThing"), number));
    EXPECT_EQ(EditorCommandToString(1500), QStringLiteral("1500"));
    TqeEditorCommand cmd = 0;
    EXPECT_TRUE(StringToEditorCommand(QStringLiteral("1500"), cmd));
    EXPECT_EQ(cmd, 1500);
    EXPECT_TRUE(StringToEditorCommand(QStringLiteral("ecUserFirst"), cmd));
    EXPECT_EQ(cmd, 1001);
    EXPECT_FALSE(StringToEditorCommand(QStringLiteral("ecBogus"), cmd));
    // Every name reads back to its number.
    for (const TqeCommandName& entry : EditorCommandNames()) {
        TqeEditorCommand back = 0xFFFF;
        ASSERT_TRUE(StringToEditorCommand(QString::fromLatin1(entry.Name), back));
        EXPECT_EQ(back, entry.Command);
    }
    // A selection command is its move plus 100.
    for (TqeEditorCommand move = ecLeft; move <= ecGotoXY; ++move)
        EXPECT_TRUE(EditorCommandToIdent(move + ecSelection, name));
}

TEST(ShortCuts, ComposeAndSplit)
{
    EXPECT_EQ(ShortCut(0x43, ssCtrl), 0x4043);
    EXPECT_EQ(ShortCut(0x5A, ssShift | ssCtrl | ssAlt), 0xE05A);
    EXPECT_EQ(ShortCut(0x143, ssCtrl), 0);
    std::uint16_t key = 0;
    TShiftState shift;
    ShortCutToKey(0xA008, key, shift);
    EXPECT_EQ(key, 8);
    EXPECT_EQ(shift, ssShift | ssAlt);
    EXPECT_EQ(ShortCutToText(0), QString());
}

TEST(QtKeyTable, NavigationLettersDigitsAndModifiers)
{
    auto map = [](int key, Qt::KeyboardModifiers mods = {}) { return QtKeyToVirtualKey(key, mods, 0, false); };
    EXPECT_EQ(map(Qt::Key_Up).Key, vk::Up);
    EXPECT_EQ(map(Qt::Key_PageDown).Key, vk::Next);
    EXPECT_EQ(map(Qt::Key_Backspace, Qt::AltModifier).Shift, TShiftState(ssAlt));
    EXPECT_EQ(map(Qt::Key_Return).Key, vk::Return);
    EXPECT_EQ(map(Qt::Key_Enter, Qt::KeypadModifier).Key, vk::Return);
    EXPECT_EQ(map(Qt::Key_Z, Qt::ShiftModifier | Qt::ControlModifier).Key, 0x5A);
    EXPECT_EQ(map(Qt::Key_F12).Key, vk::F1 + 11);
    EXPECT_EQ(map(Qt::Key_7).Key, 0x37);
    EXPECT_EQ(map(Qt::Key_7, Qt::KeypadModifier).Key, vk::Numpad0 + 7);
    EXPECT_EQ(map(Qt::Key_Home, Qt::KeypadModifier).Key, vk::Home);
    const TqeVirtualKey backtab = map(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(backtab.Key, vk::Tab);
    EXPECT_EQ(backtab.Shift, TShiftState(ssShift));
    EXPECT_EQ(map(Qt::Key_Adiaeresis).Key, 0);
    EXPECT_EQ(map(Qt::Key_Underscore, Qt::ShiftModifier).Key, vk::OemMinus);
}

TEST(QtKeyTable, ShiftCtrlDigitUnderX11ReachesTheBookmarkCommands)
{
    TqeKeyStrokes keys;
    keys.ResetDefaults();
    const Qt::KeyboardModifiers shiftCtrl = Qt::ShiftModifier | Qt::ControlModifier;
    // A US layout: the shifted symbols, keycodes 10 (key 1) .. 19 (key 0).
    const int usSymbols[] = {Qt::Key_ParenRight, Qt::Key_Exclam, Qt::Key_At, Qt::Key_NumberSign, Qt::Key_Dollar,
                             Qt::Key_Percent, Qt::Key_AsciiCircum, Qt::Key_Ampersand, Qt::Key_Asterisk,
                             Qt::Key_ParenLeft};
    for (int digit = 0; digit <= 9; ++digit) {
        const quint32 keycode = digit == 0 ? 19 : 9 + digit;
        EXPECT_EQ(commandFor(keys, QtKeyToVirtualKey(usSymbols[digit], shiftCtrl, keycode, true)),
                  ecSetMarker0 + digit)
            << digit;
        // Without a scan code the US symbols still name the digits.
        EXPECT_EQ(commandFor(keys, QtKeyToVirtualKey(usSymbols[digit], shiftCtrl, 0, false)), ecSetMarker0 + digit)
            << digit;
        // Without Shift the digit itself arrives.
        EXPECT_EQ(commandFor(keys, QtKeyToVirtualKey(Qt::Key_0 + digit, Qt::ControlModifier, keycode, true)),
                  ecGotoMarker0 + digit)
            << digit;
    }
    // A German layout gives '"' for Shift+2 and '§' for Shift+3.
    EXPECT_EQ(commandFor(keys, QtKeyToVirtualKey(Qt::Key_QuoteDbl, shiftCtrl, 11, true)), ecSetMarker2);
    EXPECT_EQ(commandFor(keys, QtKeyToVirtualKey(Qt::Key_section, shiftCtrl, 12, true)), ecSetMarker3);
    // Keypad digits are not the digit row.
    EXPECT_EQ(QtKeyToVirtualKey(Qt::Key_1, Qt::KeypadModifier, 87, true).Key, vk::Numpad0 + 1);
}
