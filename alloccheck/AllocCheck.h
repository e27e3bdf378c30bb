#pragma once

// The memory-leak checker. A build with -DQV_ALLOCCHECK=ON replaces every
// global operator new and delete; until StartAllocCheck() is called they pass
// straight through to the C allocator, and nothing in the program calls it.
// Once started, each block the program's own code allocates is recorded with
// its call stack, released small blocks are kept to catch a second release
// and writes past their end, and at exit the blocks still allocated are
// written to AllocCheck.Log in $ALLOCCHECK_DIR (default: the working folder).

#include <cstddef>
#include <stdexcept>
#include <typeinfo>

class EMemoryLeak : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

class EStackUnwinding : public EMemoryLeak
{
public:
    using EMemoryLeak::EMemoryLeak;
};

// A virtual method was called on an object that was already deleted.
class EBadInstance : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// A method was called through a secondary base (an interface) of an object
// that was already deleted.
class EInterfaceFreedInstance : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The class a deleted object is given while its memory is kept: typeid() of
// such an object names it, and each of its virtual methods throws EBadInstance.
class ReleasedInstance final
{
public:
    ReleasedInstance() = delete;
    virtual ~ReleasedInstance() = default;
};

enum TBlockKind : unsigned char { bkObject = 0, bkUser = 1, bkRealloc = 2 };

// Set these before StartAllocCheck(); they are read without a lock.
struct TAllocCheckOptions
{
    // Which kinds of leaked block the report lists, by TBlockKind.
    bool ReportedKinds[3] = {true, false, false};
    // Written over the memory of a released block that is kept.
    unsigned char FillByte = 0;
    // With this on, released objects of KeptClass go straight back to the C
    // allocator instead of being kept. Destructors have run by the time a
    // block is released, so the class seen is the object's outermost
    // polymorphic base.
    bool KeepReleasedObjects = false;
    const std::type_info* KeptClass = nullptr;
};

struct TAllocCheckCounts
{
    std::size_t LiveBlocks = 0;
    std::size_t LiveBytes = 0;
    std::size_t ReleasedBlocks = 0; // kept to catch a second release
};

TAllocCheckOptions& AllocCheckOptions();

namespace AllocCheck {

// True when the frame of the function that returns to `returnAddress` links
// to its caller's frame, i.e. that function was compiled with frame pointers.
bool FrameLinksTo(const void* returnAddress) noexcept;

// Compiled into the caller, so it tells how the caller's code was built.
[[gnu::noinline]] inline bool CallerKeepsFramePointers() noexcept
{
    const bool kept = FrameLinksTo(__builtin_return_address(0));
    // Code after the call keeps it from becoming a jump that drops this frame.
    asm volatile("" ::: "memory");
    return kept;
}

} // namespace AllocCheck

// Refuses the build (a message on stderr, then the process ends) when it is
// optimised or has no frame pointers; otherwise starts recording.
void StartAllocCheckFor(bool optimised, bool framePointers);

// Takes the build's facts from the code that calls it.
inline void StartAllocCheck()
{
#ifdef __OPTIMIZE__
    constexpr bool optimised = true;
#else
    constexpr bool optimised = false;
#endif
    StartAllocCheckFor(optimised, AllocCheck::CallerKeepsFramePointers());
}

bool AllocCheckStarted() noexcept;
TAllocCheckCounts AllocCheckCounts() noexcept;

// Writes AllocCheck.Log now; the checker calls it itself at exit.
void WriteLeakReport() noexcept;

// The current call stack to a file descriptor, one address per line (at
// most 25), each relative to the module it lies in.
void WriteCallStack(int fd) noexcept;

// Writes the "Severe exception detected" block to stderr and keeps it for
// the log. `exceptionAddress` may be null when it is not known.
void ReportSevereException(const char* message, const void* exceptionAddress) noexcept;

// A line for the log's time-stamp section: the label with the blocks then live.
void AllocCheckTimeStamp(const char* label) noexcept;

// Moves a block from operator new to a new one of `size` bytes, recorded as
// reallocated memory with a fresh call stack; the old block is released.
// Throws EMemoryLeak when the old block was already released or was written
// past its end. Release the result with operator delete.
void* AllocCheckReallocate(void* block, std::size_t size);
