// Undo and redo: the records each edit writes, limits, the redo list after new
// edits, exact restoration where the plain records lose information, and a
// long random edit sequence undone and redone exactly.
#include "editor/qeCustomEdit.h"
#include "editor/qeGeneralSyn.h"
#include "qeEditTest_support.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QRandomGenerator>
#include <gtest/gtest.h>
#include <iterator>
#include <map>

using namespace qetest;

TEST(Undo, ThreeLettersUndoneAndRedoneByKeys)
{
    TqeCustomEdit edit;
    type(&edit, QStringLiteral("abc"));
    ASSERT_EQ(edit.UndoList().Count(), 3);
    key(&edit, Qt::Key_Z, Qt::ControlModifier, QStringLiteral("\x1a"));
    key(&edit, Qt::Key_Backspace, Qt::AltModifier, QStringLiteral("\b"));
    key(&edit, Qt::Key_Z, Qt::ControlModifier, QStringLiteral("\x1a"));
    EXPECT_EQ(lines(edit), QStringList {QString()});
    EXPECT_EQ(edit.CaretXY(), QPoint(1, 1));
    EXPECT_FALSE(edit.CanUndo());
    EXPECT_EQ(edit.RedoList().Count(), 3);
    key(&edit, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier, QStringLiteral("\x1a"));
    key(&edit, Qt::Key_Backspace, Qt::AltModifier | Qt::ShiftModifier, QStringLiteral("\b"));
    command(edit, ecRedo);
    EXPECT_EQ(lines(edit), QStringList {QStringLiteral("abc")});
    EXPECT_EQ(edit.CaretXY(), QPoint(4, 1));
    EXPECT_FALSE(edit.CanRedo());
    command(edit, ecRedo);  // empty: nothing
    EXPECT_EQ(lines(edit), QStringList {QStringLiteral("abc")});
}

TEST(Undo, MaxUndoKeepsTheLastSteps)
{
    TqeCustomEdit edit;
    typeChars(edit, QStringLiteral("abcdefghijk"));
    EXPECT_EQ(edit.UndoList().Count(), 10);
    command(edit, ecUndo, 20);
    EXPECT_EQ(lines(edit), QStringList {QStringLiteral("a")});
    command(edit, ecRedo, 10);
    EXPECT_EQ(lines(edit), QStringList {QStringLiteral("abcdefghijk")});
    edit.SetMaxUndo(9);
    EXPECT_EQ(edit.UndoList().Count(), 9);
    EXPECT_EQ(edit.MaxUndo(), 9);
}

TEST(Undo, MaxUndoZeroKeepsNothingButStillCountsChanges)
{
    TqeCustomEdit edit;
    int changes = 0;
    edit.OnChange = [&](TqeCustomEdit*) { ++changes; };
    edit.SetMaxUndo(0);
    typeChars(edit, QStringLiteral("xy"));
    EXPECT_EQ(lines(edit), QStringList {QStringLiteral("xy")});
    EXPECT_TRUE(edit.Modified());
    EXPECT_EQ(changes, 2);
    EXPECT_FALSE(edit.CanUndo());
    command(edit, ecUndo);
    command(edit, ecRedo);
    EXPECT_EQ(lines(edit), QStringList {QStringLiteral("xy")});
}

TEST(Undo, ANewEditOrANewTextClearsTheRedoList)
{
    TqeCustomEdit edit;
    typeChars(edit, QStringLiteral("abc"));
    command(edit, ecUndo, 2);
    ASSERT_TRUE(edit.CanRedo());
    typeChars(edit, QStringLiteral("X"));
    EXPECT_FALSE(edit.CanRedo());
    command(edit, ecRedo);
    EXPECT_EQ(lines(edit), QStringList {QStringLiteral("aX")});

    command(edit, ecUndo);
    ASSERT_TRUE(edit.CanRedo());
    edit.SetText(QStringLiteral("new"));
    EXPECT_FALSE(edit.CanRedo());
    EXPECT_FALSE(edit.CanUndo());
    command(edit, ecRedo);
    EXPECT_EQ(lines(edit), QStringList {QStringLiteral("new")});
}

TEST(Undo, ChangesWithoutARecordDropTheHistory)
{
    TqeCustomEdit edit;
    edit.SetText(QStringLiteral("one\ntwo"));
    typeChars(edit, QStringLiteral("xy"));
    command(edit, ecUndo);
    edit.Lines()->Insert(0, QStringLiteral("zero"));
    EXPECT_FALSE(edit.CanUndo());
    EXPECT_FALSE(edit.CanRedo());
    command(edit, ecUndo);
    EXPECT_EQ(lines(edit), (QStringList {"zero", "xone", "two"}));
}

TEST(Undo, DeletingTheLastLineIsRestoredExactly)
{
    TqeCustomEdit edit;
    edit.SetText(QStringLiteral("first\nlast  "));
    edit.SetCaretXY({4, 2});
    command(edit, ecDeleteLine);
    EXPECT_EQ(lines(edit), QStringList {QStringLiteral("first")});
    command(edit, ecUndo);
    EXPECT_EQ(lines(edit), (QStringList {"first", "last  "}));
    EXPECT_EQ(edit.CaretXY(), QPoint(4, 2));
    command(edit, ecRedo);
    EXPECT_EQ(lines(edit), QStringList {QStringLiteral("first")});

    edit.SetText(QStringLiteral("only"));
    command(edit, ecDeleteLine);
    EXPECT_EQ(lines(edit), QStringList {QString()});
    command(edit, ecUndo);
    EXPECT_EQ(lines(edit), QStringList {QStringLiteral("only")});
}

TEST(Undo, AnAutoIndentedLineBreakIsUndoneExactly)
{
    TqeCustomEdit edit;
    edit.SetText(QStringLiteral("    select   x"));
    edit.SetCaretXY({14, 1});
    command(edit, ecLineBreak);
    EXPECT_EQ(lines(edit), (QStringList {"    select", "    x"}));
    command(edit, ecUndo);
    EXPECT_EQ(lines(edit), QStringList {QStringLiteral("    select   x")});
    EXPECT_EQ(edit.CaretXY(), QPoint(14, 1));

    // Breaking an empty line after an indented one.
    edit.SetText(QStringLiteral("  a\n"));
    edit.SetText(QStringLiteral("  a\n\nb"));
    edit.SetCaretXY({1, 2});
    command(edit, ecLineBreak);
    typeChars(edit, QStringLiteral("c"));
    EXPECT_EQ(lines(edit), (QStringList {"  a", "", "  c", "b"}));
    command(edit, ecUndo, 2);
    EXPECT_EQ(lines(edit), (QStringList {"  a", "", "b"}));
    command(edit, ecRedo, 2);
    EXPECT_EQ(lines(edit), (QStringList {"  a", "", "  c", "b"}));
}

TEST(Undo, TabInOverwriteModeIsUndoneExactly)
{
    TqeCustomEdit edit;
    edit.SetWantTabs(true);
    edit.SetTabSpace(4);
    edit.SetText(QStringLiteral("abcdefgh"));
    edit.SetInsertMode(false);
    edit.SetCaretXY({2, 1});
    typeChars(edit, QStringLiteral("\tX"));
    EXPECT_EQ(lines(edit), QStringList {QStringLiteral("abcdeXgh")});
    command(edit, ecUndo);
    EXPECT_EQ(lines(edit), QStringList {QStringLiteral("abcdefgh")});
    EXPECT_EQ(edit.CaretXY(), QPoint(6, 1));
    command(edit, ecUndo);
    EXPECT_EQ(lines(edit), QStringList {QStringLiteral("abcdefgh")});
    EXPECT_EQ(edit.CaretXY(), QPoint(2, 1));
}

TEST(Undo, TrailingBlanksOfALoadedLineComeBack)
{
    TqeCustomEdit edit;
    edit.SetText(QStringLiteral("ab  \t"));
    edit.SetCaretXY({2, 1});
    typeChars(edit, QStringLiteral("x"));
    EXPECT_EQ(lines(edit), QStringList {QStringLiteral("axb")});
    command(edit, ecUndo);
    EXPECT_EQ(lines(edit), QStringList {QStringLiteral("ab  \t")});
}

TEST(Undo, TheSelectionComesBackWithTheText)
{
    TqeCustomEdit edit;
    edit.SetText(QStringLiteral("hello world"));
    edit.SetBlockBegin({7, 1});
    edit.SetBlockEnd({12, 1});
    edit.SetCaretXY({12, 1});
    typeChars(edit, QStringLiteral("W"));
    command(edit, ecUndo, 2);
    EXPECT_EQ(lines(edit), QStringList {QStringLiteral("hello world")});
    EXPECT_EQ(edit.SelText(), QStringLiteral("world"));
    EXPECT_EQ(edit.CaretXY(), QPoint(12, 1));
}

TEST(Undo, RecordsWithoutLinesAreUndoneByTheirKind)
{
    TqeCustomEdit edit;
    edit.SetText(QStringLiteral("xyab"));
    // A move of "ab" from the front to the end, as bare records.
    edit.UndoList().AddChange(crDragDropDelete, {1, 1}, QStringLiteral("ab"), {3, 1});
    edit.UndoList().AddChange(crDragDropInsert, {3, 1}, QString(), {5, 1});
    command(edit, ecUndo);
    EXPECT_EQ(lines(edit), QStringList {QStringLiteral("abxy")});
    EXPECT_FALSE(edit.CanUndo());
    EXPECT_EQ(edit.RedoList().Count(), 2);
    command(edit, ecRedo);
    EXPECT_EQ(lines(edit), QStringList {QStringLiteral("xyab")});
    EXPECT_FALSE(edit.CanRedo());

    edit.SetText(QStringLiteral("a\nb"));
    edit.UndoList().AddChange(crLineBreak, {2, 1}, QString(), {2, 1});
    command(edit, ecUndo);
    EXPECT_EQ(lines(edit), QStringList {QStringLiteral("ab")});
    command(edit, ecRedo);
    EXPECT_EQ(lines(edit), (QStringList {"a", "b"}));
}

TEST(Undo, EveryRecordSetsModifiedAndFiresOnChange)
{
    TqeCustomEdit edit;
    int changes = 0;
    edit.OnChange = [&](TqeCustomEdit*) { ++changes; };
    edit.SetText(QStringLiteral("ab"));
    EXPECT_FALSE(edit.Modified());
    edit.SetCaretXY({3, 1});
    command(edit, ecLineBreak);
    EXPECT_TRUE(edit.Modified());
    edit.SetModified(false);
    command(edit, ecUndo);
    EXPECT_TRUE(edit.Modified());
    EXPECT_EQ(changes, 2);
}

// --- random edits ------------------------------------------------------------------------

namespace {

struct State
{
    QStringList text;
    QPoint caret;
};

State stateOf(const TqeCustomEdit& edit)
{
    return {lines(edit), edit.CaretXY()};
}

::testing::AssertionResult sameState(const State& expected, const State& actual)
{
    if (expected.text == actual.text && expected.caret == actual.caret)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "expected " << expected.text.join(QLatin1Char('|')).toStdString() << " at ("
                                         << expected.caret.x() << "," << expected.caret.y() << "), got "
                                         << actual.text.join(QLatin1Char('|')).toStdString() << " at ("
                                         << actual.caret.x() << "," << actual.caret.y() << ")";
}

// Every line's stored start state equals a scan from the first line.
bool rangesAreFresh(TqeCustomEdit& edit, TqeGeneralSyn& syn)
{
    TqeEditList* lines = edit.Lines();
    syn.ResetRange();
    for (int i = 0; i < lines->Count(); ++i) {
        if (lines->Objects(i) != syn.GetRange())
            return false;
        syn.SetRange(lines->Objects(i));
        syn.SetLine(lines->Strings(i));
        while (!syn.GetEol())
            syn.Next();
    }
    return true;
}

class RandomEditor
{
public:
    RandomEditor(DragEdit& edit, quint32 seed) : m_edit(edit), m_rng(seed) {}

    int Below(int n) { return static_cast<int>(m_rng.bounded(n)); }

    QString RandomLine()
    {
        static const char* const pieces[] = {"select", "  x", "/* c", "*/", "'s", "\tt", "ab  ", "", "    deep", "y;",
                                             "q'<a", ">'"};
        QString line;
        for (int i = Below(3); i >= 0; --i)
            line += QLatin1String(pieces[Below(static_cast<int>(std::size(pieces)))]);
        return line;
    }

    QString RandomText(int maxLines)
    {
        QStringList text;
        for (int i = Below(maxLines) + 1; i > 0; --i)
            text.append(RandomLine());
        return text.join(Below(2) ? QStringLiteral("\r\n") : QStringLiteral("\n"));
    }

    // A position in the text, sometimes beyond the end of its line.
    QPoint RandomPoint()
    {
        const int y = Below(std::max(1, m_edit.LineCount())) + 1;
        const int len = static_cast<int>(m_edit.Lines()->LineOrEmpty(y - 1).size());
        return {Below(len + 4) + 1, y};
    }

    // A position inside the window.
    QPoint VisiblePoint()
    {
        const int rows = std::max(1, std::min(m_edit.LinesInWindow(), m_edit.LineCount() - m_edit.TopLine() + 1));
        const int y = m_edit.TopLine() + Below(rows);
        const int len = static_cast<int>(m_edit.Lines()->LineOrEmpty(y - 1).size());
        const int x = m_edit.LeftChar() + Below(std::max(1, std::min(m_edit.CharsInWindow() - 1, len + 3)));
        return {x, y};
    }

    void Select()
    {
        const QPoint a = RandomPoint();
        const QPoint b = RandomPoint();
        m_edit.SetCaretXY(b);
        m_edit.SetBlockBegin(a);
        m_edit.SetBlockEnd(b);
    }

    // One step; true when it is an edit (it may write records).
    bool Step(bool withDrops)
    {
        static const char typed[] = "abc xy/*'\t;";
        // Keep the text from wearing away: the deletions outweigh the typing.
        if (m_edit.Text().size() < 400 && Below(5) == 0) {
            QGuiApplication::clipboard()->setText(RandomText(6));
            command(m_edit, ecPaste);
            return true;
        }
        const int choice = Below(100);
        if (choice < 30) {
            m_edit.ExecuteCommand(ecChar, QLatin1Char(typed[Below(sizeof typed - 1)]), nullptr);
        } else if (choice < 36) {
            command(m_edit, Below(4) ? ecLineBreak : ecInsertLine);
        } else if (choice < 46) {
            command(m_edit, ecDeleteLastChar);
        } else if (choice < 53) {
            command(m_edit, ecDeleteChar);
        } else if (choice < 60) {
            static const TqeEditorCommand deletes[] = {ecDeleteWord, ecDeleteLastWord, ecDeleteBOL, ecDeleteEOL,
                                                       ecDeleteLine};
            command(m_edit, deletes[Below(5)]);
        } else if (choice < 64) {
            QGuiApplication::clipboard()->setText(RandomText(3));
            command(m_edit, ecPaste);
        } else if (choice < 67) {
            Select();
            return false;
        } else if (choice < 70) {
            command(m_edit, ecCut);
        } else if (choice < 72) {
            command(m_edit, ecToggleMode);
            return false;
        } else if (choice < 78 && withDrops) {
            return false;  // drops are driven by Run, which needs the press apart
        } else {
            static const TqeEditorCommand moves[] = {ecLeft, ecRight, ecUp, ecDown, ecWordLeft, ecWordRight,
                                                     ecLineEnd, ecSelRight, ecSelDown, ecSelWordLeft};
            if (Below(3) == 0)
                m_edit.SetCaretXY(RandomPoint());
            else
                command(m_edit, moves[Below(10)]);
            return false;
        }
        return true;
    }

    // A drag of a random visible selection to a random visible place.
    // Returns the state after the press (which only moves the caret).
    std::optional<State> Drop(State* afterPress)
    {
        const QPoint s = VisiblePoint();
        const QPoint e = RandomPoint();
        if (!qePointLess(s, e))
            return std::nullopt;
        m_edit.SetBlockBegin(s);
        m_edit.SetBlockEnd(e);
        const QPoint pressAt = cellPixel(m_edit, s.x(), s.y());
        press(m_edit, pressAt);
        *afterPress = stateOf(m_edit);
        const QPoint target = VisiblePoint();
        m_edit.dropPixel = cellPixel(m_edit, target.x(), target.y());
        m_edit.dropMods = Below(3) == 0 ? Qt::ControlModifier : Qt::NoModifier;
        moveTo(m_edit, pressAt + QPoint(0, QApplication::startDragDistance() + 1));
        release(m_edit, *m_edit.dropPixel);
        m_edit.dropPixel.reset();
        return stateOf(m_edit);
    }

private:
    DragEdit& m_edit;
    QRandomGenerator m_rng;
};

struct Step
{
    State before;
    State after;
};

} // namespace

class UndoProperty : public ::testing::TestWithParam<quint32>
{
};

// Every edit of a long random sequence is undone back to the state before
// it, down to the original text, and redone up to the state after it.
TEST_P(UndoProperty, RandomEditsUndoAndRedoExactly)
{
    Window<DragEdit> w;
    DragEdit& edit = *w.edit;
    TqeGeneralSyn syn;
    syn.SetComments(csCStyle);
    edit.SetHighLighter(&syn);
    edit.SetWantTabs(true);
    edit.SetTabSpace(GetParam() % 2 ? 4 : 0);
    edit.SetScrollPastEOL(GetParam() % 3 != 0);
    edit.SetMaxUndo(100000);
    RandomEditor random(edit, GetParam());
    edit.SetText(random.RandomText(12));
    const State original = stateOf(edit);

    // Undo counts at which an edit began and ended, with the states there.
    std::map<int, State> beforeAt;
    std::map<int, State> afterAt;
    for (int i = 0; i < 2500; ++i) {
        const int countBefore = edit.UndoList().Count();
        const State before = stateOf(edit);
        State afterPress;
        bool edited = false;
        if (random.Below(100) < 6) {
            edited = random.Drop(&afterPress).has_value();
        } else {
            afterPress = before;
            edited = random.Step(true);
        }
        const int countAfter = edit.UndoList().Count();
        if (edited && countAfter > countBefore) {
            beforeAt[countBefore] = afterPress;
            afterAt[countAfter] = stateOf(edit);
        }
        ASSERT_FALSE(edit.CanRedo());
    }
    ASSERT_TRUE(rangesAreFresh(edit, syn));
    const int records = edit.UndoList().Count();
    ASSERT_GT(records, 1000);
    EXPECT_GT(edit.drags, 20);
    // Moves after the last edit are no part of any record.
    const State edited = afterAt.at(records);
    ASSERT_EQ(edited.text, lines(edit));

    int checked = 0;
    while (edit.CanUndo()) {
        command(edit, ecUndo);
        const auto it = beforeAt.find(edit.UndoList().Count());
        if (it != beforeAt.end()) {
            ASSERT_TRUE(sameState(it->second, stateOf(edit))) << "undone to record " << it->first;
            ++checked;
        }
    }
    // The original text, with the caret where the first edit found it.
    EXPECT_EQ(original.text, lines(edit));
    EXPECT_TRUE(sameState(beforeAt.at(0), stateOf(edit)));
    EXPECT_GT(checked, 1000);
    EXPECT_TRUE(rangesAreFresh(edit, syn));

    while (edit.CanRedo()) {
        command(edit, ecRedo);
        const auto it = afterAt.find(edit.UndoList().Count());
        if (it != afterAt.end()) {
            ASSERT_TRUE(sameState(it->second, stateOf(edit))) << "redone to record " << it->first;
        }
    }
    EXPECT_EQ(edit.UndoList().Count(), records);
    EXPECT_TRUE(sameState(edited, stateOf(edit)));
    EXPECT_TRUE(rangesAreFresh(edit, syn));
}

// Undo and redo in the middle of the sequence, new edits after undos.
TEST_P(UndoProperty, InterleavedUndoRedoAndEditsStillUndoToTheOriginal)
{
    Window<DragEdit> w;
    DragEdit& edit = *w.edit;
    edit.SetMaxUndo(100000);
    edit.SetWantTabs(true);
    edit.SetTabSpace(3);
    RandomEditor random(edit, GetParam() + 1000);
    edit.SetText(random.RandomText(8));
    const State original = stateOf(edit);
    // Where the first record in the list found the caret.
    State first = original;
    for (int i = 0; i < 1500; ++i) {
        const bool empty = !edit.CanUndo();
        State before = stateOf(edit);
        const int r = random.Below(100);
        if (r < 10)
            command(edit, ecUndo, random.Below(4) + 1);
        else if (r < 18)
            command(edit, ecRedo, random.Below(3) + 1);
        else if (r < 22)
            random.Drop(&before);
        else
            random.Step(false);
        if (empty && edit.CanUndo() && r >= 18)
            first = before;
    }
    ASSERT_TRUE(edit.CanUndo() || edit.CanRedo());
    while (edit.CanRedo())
        command(edit, ecRedo);
    // Moves after the last edit belong to no record.
    command(edit, ecUndo);
    command(edit, ecRedo);
    const State last = stateOf(edit);
    while (edit.CanUndo())
        command(edit, ecUndo);
    EXPECT_EQ(original.text, lines(edit));
    EXPECT_TRUE(sameState(first, stateOf(edit)));
    while (edit.CanRedo())
        command(edit, ecRedo);
    EXPECT_TRUE(sameState(last, stateOf(edit)));
}

INSTANTIATE_TEST_SUITE_P(Seeds, UndoProperty, ::testing::Values(1u, 2u, 3u));
