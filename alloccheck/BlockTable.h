#pragma once

#include "alloccheck/AllocCheck.h"
#include "alloccheck/CallStack.h"

#include <cstddef>
#include <cstdint>

namespace AllocCheck {

// What the checker knows of one block. Records live beside the blocks, never
// in front of them: a pointer that was not allocated while the checker ran
// has no record, and nothing is read at its address.
struct TBlockRecord
{
    void* Block = nullptr;
    TBlockRecord* HashNext = nullptr;
    // The allocation order; the most recent allocation heads the list.
    TBlockRecord* Newer = nullptr;
    TBlockRecord* Older = nullptr;
    std::int32_t Released = 0; // 0 live, -1 released and kept
    TBlockKind Kind = bkUser;
    bool DuringUnwinding = false; // allocated while an exception was in flight
    const void* ReleasedClass = nullptr; // the vtable the object had when released
    std::size_t Size = 0;
    TCallStack Stack;
};

// Every released block carries this value right after its user area.
constexpr std::int32_t kTrailerValue = -6;
constexpr std::size_t kTrailerSize = sizeof(std::int32_t);

void WriteTrailer(void* block, std::size_t size) noexcept;
bool TrailerIntact(const void* block, std::size_t size) noexcept;

// The records by block address, and in allocation order. Not locked: the
// caller serialises access. Its own memory comes from the C allocator.
class TBlockTable
{
public:
    TBlockTable() = default;
    ~TBlockTable(); // frees the records, not the blocks
    TBlockTable(const TBlockTable&) = delete;
    TBlockTable& operator=(const TBlockTable&) = delete;

    // Takes ownership of a record allocated with malloc; it heads the list.
    void Insert(TBlockRecord* record) noexcept;
    TBlockRecord* Find(const void* block) const noexcept;
    void MarkReleased(TBlockRecord* record, const void* releasedClass) noexcept;
    // Unlinks the record and gives it back (the caller frees it).
    TBlockRecord* Remove(TBlockRecord* record) noexcept;

    TBlockRecord* Newest() const noexcept { return fNewest; }
    TBlockRecord* Oldest() const noexcept { return fOldest; }
    std::size_t Records() const noexcept { return fRecords; }
    std::size_t LiveBlocks() const noexcept { return fLiveBlocks; }
    std::size_t LiveBytes() const noexcept { return fLiveBytes; }

private:
    std::size_t BucketOf(const void* block) const noexcept;
    void Grow() noexcept;
    void Unhash(TBlockRecord* record) noexcept;

    TBlockRecord** fBuckets = nullptr;
    unsigned fBucketBits = 0;
    TBlockRecord* fNewest = nullptr;
    TBlockRecord* fOldest = nullptr;
    std::size_t fRecords = 0;
    std::size_t fLiveBlocks = 0;
    std::size_t fLiveBytes = 0;
};

} // namespace AllocCheck
