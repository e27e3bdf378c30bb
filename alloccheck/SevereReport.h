#pragma once

#include <cstddef>

namespace AllocCheck {

constexpr std::size_t kSevereReportRoom = 32768;

// The severe-exception reports written so far, for the log; NUL-terminated.
std::size_t CopySevereReports(char* out, std::size_t size) noexcept;

// Reports an exception that ends the program through std::terminate, and
// writes the log before the program is aborted.
void InstallTerminateHook() noexcept;

} // namespace AllocCheck
