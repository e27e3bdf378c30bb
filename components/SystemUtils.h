#pragma once

// Beep, pending events, the active window and zero-filled memory blocks.

#include <QEvent>

#include <cstddef>
#include <memory>

class QObject;

void DefaultBeep();

// Drops the events of `type` posted to receiver and not yet delivered. A quit
// is never dropped: it stays pending as it was.
void DiscardPendingMessage(QObject* receiver, QEvent::Type type);

// True when the application's active window belongs to the calling thread.
bool ActiveWindowInThisThread();

using TGlobalBlock = std::unique_ptr<std::byte[]>;

// A zero-filled block of size bytes; none for size < 1.
TGlobalBlock AllocGlobalBlock(std::ptrdiff_t size);
// Frees the block and leaves none; does nothing when there is none.
void FreeGlobalBlock(TGlobalBlock& block);
