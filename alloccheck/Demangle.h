#pragma once

#include <cstddef>

namespace AllocCheck {

// Writes the readable form of a mangled type name (as in a vtable symbol
// after "_ZTV", or std::type_info::name()) without allocating. Class names
// with namespaces, nested classes and template arguments of types and
// integers are read; for anything else the mangled text is written and the
// result is false.
bool DemangleTypeName(const char* mangled, char* out, std::size_t size) noexcept;

} // namespace AllocCheck
