#pragma once

// Helpers of the editing, undo and mouse tests: an editor in a shown window,
// keys and mouse events sent to it, and text positions turned into pixels.
#include "editor/qeCustomEdit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace qetest {

inline void key(QWidget* w, int qtKey, Qt::KeyboardModifiers mods = {}, const QString& text = {})
{
    QKeyEvent press(QEvent::KeyPress, qtKey, mods, text);
    QApplication::sendEvent(w, &press);
}

// Types text key by key, as a keyboard would.
inline void type(QWidget* w, const QString& text)
{
    for (const QChar c : text) {
        if (c == u'\n')
            key(w, Qt::Key_Return, {}, QStringLiteral("\r"));
        else if (c == u' ')
            key(w, Qt::Key_Space, {}, QStringLiteral(" "));
        else
            key(w, c.toUpper().unicode() < 128 ? int(c.toUpper().unicode()) : int(Qt::Key_unknown), {}, QString(c));
    }
}

inline void command(TqeCustomEdit& edit, TqeEditorCommand cmd, int times = 1)
{
    for (int i = 0; i < times; ++i)
        edit.ExecuteCommand(cmd, QChar(), nullptr);
}

inline void typeChars(TqeCustomEdit& edit, const QString& text)
{
    for (const QChar c : text)
        edit.ExecuteCommand(ecChar, c, nullptr);
}

inline QStringList lines(const TqeCustomEdit& edit)
{
    return edit.Lines()->ToStringList();
}

// The middle of a text cell, in pixels of the text area.
inline QPoint cellPixel(const TqeCustomEdit& edit, int column, int line)
{
    return {edit.TextOrigin() + (column - 1) * edit.CharWidth() + edit.CharWidth() / 2,
            (line - edit.TopLine()) * edit.LineHeight() + edit.LineHeight() / 2};
}

inline void mouse(TqeCustomEdit& edit, QEvent::Type type, const QPoint& pixel, Qt::MouseButton button,
                  Qt::MouseButtons buttons, Qt::KeyboardModifiers mods = {})
{
    QWidget* vp = edit.viewport();
    QMouseEvent event(type, QPointF(pixel), QPointF(vp->mapToGlobal(pixel)), button, buttons, mods);
    QApplication::sendEvent(vp, &event);
}

inline void press(TqeCustomEdit& edit, const QPoint& pixel, Qt::KeyboardModifiers mods = {},
                  Qt::MouseButton button = Qt::LeftButton)
{
    mouse(edit, QEvent::MouseButtonPress, pixel, button, button, mods);
}

inline void moveTo(TqeCustomEdit& edit, const QPoint& pixel, Qt::MouseButtons buttons = Qt::LeftButton,
                   Qt::KeyboardModifiers mods = {})
{
    mouse(edit, QEvent::MouseMove, pixel, Qt::NoButton, buttons, mods);
}

inline void release(TqeCustomEdit& edit, const QPoint& pixel, Qt::KeyboardModifiers mods = {},
                    Qt::MouseButton button = Qt::LeftButton)
{
    mouse(edit, QEvent::MouseButtonRelease, pixel, button, Qt::NoButton, mods);
}

inline void doubleClick(TqeCustomEdit& edit, const QPoint& pixel)
{
    press(edit, pixel);
    release(edit, pixel);
    mouse(edit, QEvent::MouseButtonDblClick, pixel, Qt::LeftButton, Qt::LeftButton);
    release(edit, pixel);
}

// A top-level window holding the editor (of any editor class) and a line
// edit to take the focus away.
template <typename Edit = TqeCustomEdit>
struct Window
{
    QWidget top;
    Edit* edit;
    QLineEdit* other;

    Window()
    {
        QApplication::setCursorFlashTime(0);
        auto* layout = new QVBoxLayout(&top);
        edit = new Edit(&top);
        other = new QLineEdit(&top);
        layout->addWidget(edit);
        layout->addWidget(other);
        top.resize(640, 480);
        top.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&top));
        top.activateWindow();
        QApplication::setActiveWindow(&top);
        edit->setFocus();
        QApplication::processEvents();
    }
};

} // namespace qetest

#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <optional>

namespace qetest {

// An editor whose drags are carried out by the test: the drag enters the
// editor, moves and drops at dropPixel with dropMods held, as the platform's
// drag loop would do it. Without a drop pixel the drag is cancelled.
class DragEdit : public TqeCustomEdit
{
public:
    using TqeCustomEdit::TqeCustomEdit;

    std::optional<QPoint> dropPixel;
    Qt::KeyboardModifiers dropMods;
    int drags = 0;
    QString draggedText;

    using TqeCustomEdit::AutoScrollTick;
    using TqeCustomEdit::HintTimerTick;

protected:
    Qt::DropAction ExecDrag(QDrag* drag) override
    {
        ++drags;
        draggedText = drag->mimeData()->text();
        if (!dropPixel)
            return Qt::IgnoreAction;
        QWidget* vp = viewport();
        const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
        QDragEnterEvent enter(*dropPixel, actions, drag->mimeData(), Qt::LeftButton, dropMods);
        QApplication::sendEvent(vp, &enter);
        if (!enter.isAccepted())
            return Qt::IgnoreAction;
        QDragMoveEvent move(*dropPixel, actions, drag->mimeData(), Qt::LeftButton, dropMods);
        QApplication::sendEvent(vp, &move);
        QDropEvent drop(QPointF(*dropPixel), actions, drag->mimeData(), Qt::LeftButton, dropMods);
        QApplication::sendEvent(vp, &drop);
        return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
    }
};

// Drags the selection from the cell (column, line) inside it to a pixel.
inline void dragSelection(DragEdit& edit, const QPoint& fromCell, const QPoint& toPixel, bool copy)
{
    const QPoint from = cellPixel(edit, fromCell.x(), fromCell.y());
    edit.dropPixel = toPixel;
    edit.dropMods = copy ? Qt::ControlModifier : Qt::NoModifier;
    press(edit, from);
    moveTo(edit, from + QPoint(QApplication::startDragDistance() + 1, 0));
    release(edit, toPixel);
    edit.dropPixel.reset();
}

} // namespace qetest
