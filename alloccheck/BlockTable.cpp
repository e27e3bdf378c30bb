#include "alloccheck/BlockTable.h"

#include <cstdlib>
#include <cstring>

namespace AllocCheck {

namespace {

constexpr unsigned kFirstBucketBits = 12;

} // namespace

void WriteTrailer(void* block, std::size_t size) noexcept
{
    std::memcpy(static_cast<char*>(block) + size, &kTrailerValue, kTrailerSize);
}

bool TrailerIntact(const void* block, std::size_t size) noexcept
{
    std::int32_t trailer;
    std::memcpy(&trailer, static_cast<const char*>(block) + size, kTrailerSize);
    return trailer == kTrailerValue;
}

TBlockTable::~TBlockTable()
{
    TBlockRecord* record = fNewest;
    while (record) {
        TBlockRecord* older = record->Older;
        std::free(record);
        record = older;
    }
    std::free(fBuckets);
}

std::size_t TBlockTable::BucketOf(const void* block) const noexcept
{
    // Blocks are 16-byte aligned; Fibonacci hashing spreads the rest.
    const std::uint64_t key = reinterpret_cast<std::uintptr_t>(block) >> 4;
    return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> (64 - fBucketBits));
}

void TBlockTable::Grow() noexcept
{
    const unsigned bits = fBuckets ? fBucketBits + 1 : kFirstBucketBits;
    auto** buckets = static_cast<TBlockRecord**>(std::calloc(std::size_t{1} << bits, sizeof(TBlockRecord*)));
    if (!buckets)
        return; // longer chains, but every record stays findable
    TBlockRecord** old = fBuckets;
    const std::size_t oldCount = old ? std::size_t{1} << fBucketBits : 0;
    fBuckets = buckets;
    fBucketBits = bits;
    for (std::size_t i = 0; i < oldCount; ++i) {
        TBlockRecord* record = old[i];
        while (record) {
            TBlockRecord* next = record->HashNext;
            TBlockRecord*& head = fBuckets[BucketOf(record->Block)];
            record->HashNext = head;
            head = record;
            record = next;
        }
    }
    std::free(old);
}

void TBlockTable::Insert(TBlockRecord* record) noexcept
{
    if (!fBuckets || fRecords >= (std::size_t{1} << fBucketBits))
        Grow();
    if (!fBuckets) {
        // Not even the first index could be made: the record cannot be found
        // again, so it is given back and the block goes untracked.
        std::free(record);
        return;
    }
    TBlockRecord*& head = fBuckets[BucketOf(record->Block)];
    record->HashNext = head;
    head = record;
    record->Newer = nullptr;
    record->Older = fNewest;
    if (fNewest)
        fNewest->Newer = record;
    fNewest = record;
    if (!fOldest)
        fOldest = record;
    ++fRecords;
    if (record->Released == 0) {
        ++fLiveBlocks;
        fLiveBytes += record->Size;
    }
}

TBlockRecord* TBlockTable::Find(const void* block) const noexcept
{
    if (!fBuckets)
        return nullptr;
    for (TBlockRecord* record = fBuckets[BucketOf(block)]; record; record = record->HashNext) {
        if (record->Block == block)
            return record;
    }
    return nullptr;
}

void TBlockTable::MarkReleased(TBlockRecord* record, const void* releasedClass) noexcept
{
    if (record->Released != 0)
        return;
    record->Released = -1;
    record->ReleasedClass = releasedClass;
    --fLiveBlocks;
    fLiveBytes -= record->Size;
}

void TBlockTable::Unhash(TBlockRecord* record) noexcept
{
    TBlockRecord** link = &fBuckets[BucketOf(record->Block)];
    while (*link && *link != record)
        link = &(*link)->HashNext;
    if (*link)
        *link = record->HashNext;
    record->HashNext = nullptr;
}

TBlockRecord* TBlockTable::Remove(TBlockRecord* record) noexcept
{
    Unhash(record);
    if (record->Newer)
        record->Newer->Older = record->Older;
    else
        fNewest = record->Older;
    if (record->Older)
        record->Older->Newer = record->Newer;
    else
        fOldest = record->Newer;
    record->Newer = record->Older = nullptr;
    --fRecords;
    if (record->Released == 0) {
        --fLiveBlocks;
        fLiveBytes -= record->Size;
    }
    return record;
}

} // namespace AllocCheck
