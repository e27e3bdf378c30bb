#pragma once

#include "alloccheck/AllocCheck.h"
#include "alloccheck/CallStack.h"

#include <cstddef>

namespace AllocCheck {

class TBlockTable;
class TTextOut;

constexpr std::size_t kDumpBytes = 32;

// A live block as the report sees it, copied out of the table so that the
// report is written without holding the table's lock.
struct TLiveBlock
{
    TBlockKind Kind = bkUser;
    bool DuringUnwinding = false;
    std::size_t Size = 0;
    TCallStack Stack;
    unsigned char Head[kDumpBytes] = {};
    std::size_t HeadSize = 0;
};

// Memory mapped straight from the system for the report's own work: at exit
// the heap is neither used nor trusted.
class TScratch
{
public:
    explicit TScratch(std::size_t bytes) noexcept;
    ~TScratch();
    TScratch(TScratch&& other) noexcept;
    TScratch(const TScratch&) = delete;
    TScratch& operator=(const TScratch&) = delete;
    TScratch& operator=(TScratch&& other) noexcept;

    bool Valid() const noexcept { return fData != nullptr || fSize == 0; }
    void* Data() const noexcept { return fData; }

private:
    void* fData = nullptr;
    std::size_t fSize = 0;
};

// The table's live blocks, oldest first; at most `capacity`.
std::size_t CopyLiveBlocks(const TBlockTable& table, TLiveBlock* blocks, std::size_t capacity) noexcept;

struct TReportTexts
{
    const char* SevereReports = "";
    const char* TimeStamps = "";
};

struct TLeakSummary
{
    std::size_t Blocks = 0;
    std::size_t Bytes = 0;
};

// The report on `blocks` (oldest first), listing those of a reported kind: a
// block whose first word is a vtable pointer counts as an object and is
// named by its class.
TLeakSummary WriteLeakReportText(TTextOut& out, const TLiveBlock* blocks, std::size_t count,
                                 const bool reportedKinds[3], const TReportTexts& texts) noexcept;

} // namespace AllocCheck
