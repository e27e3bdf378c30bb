#pragma once

class QObject;
class QWidget;

// A key the focused control ignores is delivered again to its parents. A
// window that watches the keys of its controls acts on the first delivery
// only: the one to the focused control of the window, or to the window
// itself when the focus is outside it.
bool IsFirstKeyDelivery(const QWidget& window, const QWidget& target);
// The same for what an event filter watches: never true for an object that
// is not a widget.
bool IsFirstKeyDelivery(const QWidget& window, const QObject& watched);
