#include "alloccheck/Checker.h"

#include "alloccheck/BlockTable.h"
#include "alloccheck/FreedInstance.h"
#include "alloccheck/TextOut.h"
#include "alloccheck/TypeNames.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <mutex>
#include <new>

namespace AllocCheck {

namespace {

struct TCheckerState
{
    std::mutex Mutex;
    TBlockTable Table;
};

// Made once when recording starts and never destroyed: blocks recorded
// before exit are still released after it.
alignas(TCheckerState) unsigned char gStateStorage[sizeof(TCheckerState)];
std::atomic<TCheckerState*> gState{nullptr};
std::atomic<bool> gRecording{false};
std::mutex gStartMutex;

thread_local bool tInsideChecker = false;

void* RawAllocate(std::size_t size, std::size_t alignment) noexcept
{
    if (size == 0)
        size = 1;
    if (alignment <= alignof(std::max_align_t))
        return std::malloc(size);
    if (alignment < sizeof(void*))
        alignment = sizeof(void*);
    void* block = nullptr;
    return posix_memalign(&block, alignment, size) == 0 ? block : nullptr;
}

TBlockFacts FactsOf(const TBlockRecord& record) noexcept
{
    TBlockFacts facts;
    facts.Tracked = true;
    facts.Size = record.Size;
    facts.AllocatedAt = record.Stack.Depth > 0 ? record.Stack.Frames[0] : nullptr;
    if (record.Released != 0)
        facts.Fault = TReleaseFault::SecondRelease;
    else if (!TrailerIntact(record.Block, record.Size))
        facts.Fault = TReleaseFault::Damaged;
    return facts;
}

void ReportFault(TReleaseFault fault, const void* allocatedAt, const void* releasedAt) noexcept
{
    char message[256];
    FormatFault(message, sizeof message, fault, allocatedAt);
    ReportSevereException(message, releasedAt);
}

// The object is the outermost polymorphic base by now: its destructors have run.
bool IsKeptClass(const void* vtable) noexcept
{
    const TAllocCheckOptions& options = AllocCheckOptions();
    if (!options.KeepReleasedObjects || !options.KeptClass)
        return false;
    const auto* type = static_cast<const std::type_info* const*>(vtable)[-1];
    return type && *type == *options.KeptClass;
}

// The vtable at the start of the block when it holds an object, else null.
const void* ObjectVtable(const void* block, std::size_t size) noexcept
{
    if (size < sizeof(void*))
        return nullptr;
    const void* first;
    std::memcpy(&first, block, sizeof first);
    long offsetToTop = 1;
    return IsVtablePointer(first, &offsetToTop) && offsetToTop == 0 ? first : nullptr;
}

} // namespace

TInsideChecker::TInsideChecker() noexcept : fWasInside(tInsideChecker)
{
    tInsideChecker = true;
}

TInsideChecker::~TInsideChecker()
{
    tInsideChecker = fWasInside;
}

void StartRecording() noexcept
{
    std::lock_guard lock(gStartMutex);
    if (!gState.load(std::memory_order_acquire))
        gState.store(new (gStateStorage) TCheckerState, std::memory_order_release);
    gRecording.store(true, std::memory_order_release);
}

void StopRecording() noexcept
{
    gRecording.store(false, std::memory_order_release);
}

bool Recording() noexcept
{
    return gRecording.load(std::memory_order_acquire);
}

void* Allocate(std::size_t size, std::size_t alignment, const void* caller, TBlockKind kind) noexcept
{
    // Only the program's own allocations are recorded: the runtime's and the
    // libraries' pass through, and so does whatever the checker allocates.
    if (!gRecording.load(std::memory_order_relaxed) || tInsideChecker || !InProgramCode(caller))
        return RawAllocate(size, alignment);
    TInsideChecker inside;
    if (size > SIZE_MAX - kTrailerSize)
        return nullptr;
    void* memory = std::malloc(sizeof(TBlockRecord));
    if (!memory)
        return nullptr;
    auto* record = new (memory) TBlockRecord;
    void* block = RawAllocate(size + kTrailerSize, alignment);
    if (!block) {
        std::free(memory);
        return nullptr;
    }
    WriteTrailer(block, size);
    record->Block = block;
    record->Size = size;
    record->Kind = kind;
    record->DuringUnwinding = std::uncaught_exceptions() > 0;
    CaptureCallStack(record->Stack, caller);
    TCheckerState* state = gState.load(std::memory_order_acquire);
    std::lock_guard lock(state->Mutex);
    state->Table.Insert(record);
    return block;
}

void Release(void* block, const void* caller) noexcept
{
    if (!block)
        return;
    TCheckerState* state = gState.load(std::memory_order_acquire);
    if (!state) {
        std::free(block);
        return;
    }
    TBlockFacts facts;
    {
        std::lock_guard lock(state->Mutex);
        if (const TBlockRecord* record = state->Table.Find(block))
            facts = FactsOf(*record);
    }
    if (!facts.Tracked) {
        std::free(block);
        return;
    }
    TInsideChecker inside;
    if (facts.Fault != TReleaseFault::None) {
        ReportFault(facts.Fault, facts.AllocatedAt, caller);
        if (facts.Fault == TReleaseFault::Damaged) {
            // Kept as it is: the memory after it may be damaged too.
            std::lock_guard lock(state->Mutex);
            if (TBlockRecord* record = state->Table.Find(block))
                state->Table.MarkReleased(record, nullptr);
        }
        return;
    }

    const void* vtable = ObjectVtable(block, facts.Size);
    const bool keep = facts.Size < kSmallBlockLimit && !(vtable && IsKeptClass(vtable));
    TBlockRecord* removed = nullptr;
    {
        std::lock_guard lock(state->Mutex);
        TBlockRecord* record = state->Table.Find(block);
        if (!record)
            return; // given back by another thread meanwhile: not ours to touch
        if (record->Released != 0) {
            facts.Fault = TReleaseFault::SecondRelease;
        } else if (keep) {
            state->Table.MarkReleased(record, vtable);
        } else {
            removed = state->Table.Remove(record);
        }
    }
    if (facts.Fault != TReleaseFault::None) {
        ReportFault(facts.Fault, facts.AllocatedAt, caller);
        return;
    }
    if (removed) {
        std::free(removed);
        std::free(block);
        return;
    }
    const unsigned char fill = AllocCheckOptions().FillByte;
    if (vtable)
        RetireObject(block, facts.Size, fill);
    else
        std::memset(block, fill, facts.Size);
}

TBlockFacts InspectBlock(const void* block) noexcept
{
    TBlockFacts facts;
    TCheckerState* state = gState.load(std::memory_order_acquire);
    if (!state || !block)
        return facts;
    std::lock_guard lock(state->Mutex);
    if (const TBlockRecord* record = state->Table.Find(block))
        facts = FactsOf(*record);
    return facts;
}

void FormatFault(char* out, std::size_t size, TReleaseFault fault, const void* allocatedAt) noexcept
{
    TTextOut text(out, size);
    text.Text(fault == TReleaseFault::SecondRelease ? "second release of block attempt, allocated at "
                                                     : "memory damaged beyond block allocated space, allocated at ");
    WriteAddress(text, allocatedAt);
    text.Data();
}

const void* ReleasedClassOf(const void* block) noexcept
{
    TCheckerState* state = gState.load(std::memory_order_acquire);
    if (!state)
        return nullptr;
    std::lock_guard lock(state->Mutex);
    const TBlockRecord* record = state->Table.Find(block);
    return record && record->Released != 0 ? record->ReleasedClass : nullptr;
}

TAllocCheckCounts Counts() noexcept
{
    TAllocCheckCounts counts;
    TCheckerState* state = gState.load(std::memory_order_acquire);
    if (!state)
        return counts;
    std::lock_guard lock(state->Mutex);
    counts.LiveBlocks = state->Table.LiveBlocks();
    counts.LiveBytes = state->Table.LiveBytes();
    counts.ReleasedBlocks = state->Table.Records() - state->Table.LiveBlocks();
    return counts;
}

void VisitTable(void (*visit)(const TBlockTable& table, void* context), void* context) noexcept
{
    TCheckerState* state = gState.load(std::memory_order_acquire);
    if (!state)
        return;
    std::lock_guard lock(state->Mutex);
    visit(state->Table, context);
}

} // namespace AllocCheck
