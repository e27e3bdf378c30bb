#pragma once

#include <cstddef>

namespace AllocCheck {

// Turns a released object into a ReleasedInstance: its vtable pointer is
// pointed at a table whose every method throws EBadInstance, the vtable
// pointers of its secondary bases at one whose methods throw
// EInterfaceFreedInstance, and the rest of its memory is filled with `fill`.
// The object must be smaller than a kept block can be.
void RetireObject(void* object, std::size_t size, unsigned char fill) noexcept;

} // namespace AllocCheck
