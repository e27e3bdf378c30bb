#pragma once

#include "alloccheck/AllocCheck.h"

#include <cstddef>

namespace AllocCheck {

class TBlockTable;

// Released blocks smaller than this are kept; larger ones go back at once.
constexpr std::size_t kSmallBlockLimit = 1001;

// Marks the checker's own work on this thread: what it allocates meanwhile
// is not recorded, and its stack captures do not recurse.
class TInsideChecker
{
public:
    TInsideChecker() noexcept;
    ~TInsideChecker();
    TInsideChecker(const TInsideChecker&) = delete;
    TInsideChecker& operator=(const TInsideChecker&) = delete;

private:
    bool fWasInside;
};

// The checking memory manager behind operator new and delete. Until
// recording starts, both go straight to the C allocator.
void* Allocate(std::size_t size, std::size_t alignment, const void* caller, TBlockKind kind = bkUser) noexcept;
void Release(void* block, const void* caller) noexcept;

void StartRecording() noexcept;
// Blocks are no longer recorded; releases of recorded blocks are still checked.
void StopRecording() noexcept;
bool Recording() noexcept;

enum class TReleaseFault { None, SecondRelease, Damaged };

struct TBlockFacts
{
    bool Tracked = false;
    TReleaseFault Fault = TReleaseFault::None;
    std::size_t Size = 0;
    const void* AllocatedAt = nullptr;
};

TBlockFacts InspectBlock(const void* block) noexcept;

// The fault's message: "second release of block attempt, allocated at ..."
// or "memory damaged beyond block allocated space, allocated at ...".
void FormatFault(char* out, std::size_t size, TReleaseFault fault, const void* allocatedAt) noexcept;

// The vtable a released object had, or null.
const void* ReleasedClassOf(const void* block) noexcept;

TAllocCheckCounts Counts() noexcept;

// Runs `visit` with the table locked; it must not allocate or look up symbols.
void VisitTable(void (*visit)(const TBlockTable& table, void* context), void* context) noexcept;

} // namespace AllocCheck
