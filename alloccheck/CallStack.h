#pragma once

#include <cstddef>

namespace AllocCheck {

class TTextOut;

constexpr int kStackDepth = 17;

// Return addresses, the first being the allocation's caller.
struct TCallStack
{
    const void* Frames[kStackDepth] = {};
    int Depth = 0;
};

// Notes where the program's own code lies and makes the first stack capture
// (which loads the unwinder and allocates) while the checker is not started.
void PrepareCallStacks() noexcept;

// Fills at most `capacity` return addresses, starting with `from` (a return
// address of one of the capturing function's callers), so that frames inside
// the checker itself are left out. 0 when `from` is not on the stack.
int CaptureFrames(const void** frames, int capacity, const void* from) noexcept;
void CaptureCallStack(TCallStack& stack, const void* from) noexcept;

// True for an address in the program's own code (the executable, which
// holds the project's libraries), false for shared libraries.
bool InProgramCode(const void* address) noexcept;

// The address relative to its module's load address in 8 hexadecimal digits;
// outside the program the module's file name follows in parentheses.
void WriteAddress(TTextOut& out, const void* address) noexcept;

} // namespace AllocCheck
