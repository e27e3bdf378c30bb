#pragma once

// Event slots of the visual components: one handler per event, as the
// windows assign them, and the guard every timer, menu and mouse handler of
// a component runs them under.

#include <functional>

class QObject;

namespace qv {

// In the namespace: the editor has a notify event of its own.
using TNotifyEvent = std::function<void(QObject* Sender)>;

// Runs a handler of the user's code. Whatever it raises is shown in the
// application's error box and goes no further, so it never unwinds through
// the toolkit's event dispatch. False when the handler raised.
bool runGuarded(const std::function<void()>& handler) noexcept;

} // namespace qv
