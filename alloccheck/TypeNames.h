#pragma once

#include <cstddef>

namespace AllocCheck {

// Notes the runtime's type-information classes; call before the checker
// starts (the first lookups may allocate).
void PrepareVtableRecognition() noexcept;

// True when `word` is a value a vtable pointer holds. `offsetToTop` receives
// the vtable's offset to the complete object: 0 for the pointer at the start
// of an object, negative for a secondary base's.
bool IsVtablePointer(const void* word, long* offsetToTop = nullptr) noexcept;

// The demangled name of the class whose vtable `vptr` points into, taken from
// the vtable symbol when the module exports it, else from its type information.
bool ClassNameOfVtable(const void* vptr, char* out, std::size_t size) noexcept;

} // namespace AllocCheck
