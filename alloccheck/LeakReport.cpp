#include "alloccheck/LeakReport.h"

#include "alloccheck/BlockTable.h"
#include "alloccheck/TextOut.h"
#include "alloccheck/TypeNames.h"

#include <cstdint>
#include <cstring>

#include <sys/mman.h>

namespace AllocCheck {

namespace {

constexpr int kReportedFrames = 16;
constexpr std::size_t kTextRoom = 384;
const char* const kKindNames[3] = {"CLASS", "USER", "REALLOC"};

// One reported block: its one-line description and the leak it belongs to.
struct TLeakEntry
{
    std::size_t Block;
    std::size_t Group;
    TBlockKind Kind;
    std::size_t TextLength;
};

// Blocks with the same description form one leak.
struct TLeakGroup
{
    std::size_t FirstEntry;
    std::size_t Count;
};

struct TLeakWork
{
    TLeakEntry* Entries;
    TLeakGroup* Groups;
    std::size_t* Slots; // group number + 1 by hash, 0 free
    std::size_t SlotMask;
    char* Texts;
    std::size_t EntryCount = 0;
    std::size_t GroupCount = 0;

    const char* TextOf(std::size_t entry) const { return Texts + entry * kTextRoom; }
};

std::size_t AlignUp(std::size_t value)
{
    return (value + 15) & ~std::size_t{15};
}

std::size_t SlotCountFor(std::size_t count)
{
    std::size_t slots = 16;
    while (slots < 2 * count)
        slots *= 2;
    return slots;
}

std::size_t ScratchBytes(std::size_t count)
{
    return AlignUp(count * sizeof(TLeakEntry)) + AlignUp(count * sizeof(TLeakGroup)) +
           AlignUp(SlotCountFor(count) * sizeof(std::size_t)) + count * kTextRoom;
}

TLeakWork LayOut(void* memory, std::size_t count)
{
    auto* bytes = static_cast<unsigned char*>(memory);
    TLeakWork work{};
    work.Entries = reinterpret_cast<TLeakEntry*>(bytes);
    bytes += AlignUp(count * sizeof(TLeakEntry));
    work.Groups = reinterpret_cast<TLeakGroup*>(bytes);
    bytes += AlignUp(count * sizeof(TLeakGroup));
    work.Slots = reinterpret_cast<std::size_t*>(bytes);
    work.SlotMask = SlotCountFor(count) - 1;
    bytes += AlignUp(SlotCountFor(count) * sizeof(std::size_t));
    work.Texts = reinterpret_cast<char*>(bytes);
    return work;
}

const void* HeadWord(const TLiveBlock& block)
{
    if (block.HeadSize < sizeof(void*))
        return nullptr;
    const void* word;
    std::memcpy(&word, block.Head, sizeof word);
    return word;
}

TBlockKind ReportKindOf(const TLiveBlock& block)
{
    if (block.Kind != bkUser)
        return block.Kind;
    long offsetToTop = 1;
    const void* word = HeadWord(block);
    return word && IsVtablePointer(word, &offsetToTop) && offsetToTop == 0 ? bkObject : bkUser;
}

// "<class or kind>, Size: <n>, allocated at <address>"
std::size_t Describe(const TLiveBlock& block, TBlockKind kind, char* text)
{
    TTextOut out(text, kTextRoom);
    if (kind == bkObject) {
        char name[256];
        ClassNameOfVtable(HeadWord(block), name, sizeof name);
        out.Text(name);
    } else {
        out.Padded(kKindNames[kind], 8);
    }
    out.Text(", Size: ").Number(block.Size).Text(", allocated at ");
    WriteAddress(out, block.Stack.Depth > 0 ? block.Stack.Frames[0] : nullptr);
    out.Data();
    return out.Length();
}

std::uint64_t HashText(const char* text, std::size_t length)
{
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (std::size_t i = 0; i < length; ++i)
        hash = (hash ^ static_cast<unsigned char>(text[i])) * 0x100000001b3ull;
    return hash;
}

void Group(TLeakWork& work, std::size_t entry)
{
    const char* text = work.TextOf(entry);
    const std::size_t length = work.Entries[entry].TextLength;
    std::size_t slot = HashText(text, length) & work.SlotMask;
    while (work.Slots[slot] != 0) {
        TLeakGroup& group = work.Groups[work.Slots[slot] - 1];
        const TLeakEntry& first = work.Entries[group.FirstEntry];
        if (first.TextLength == length && std::memcmp(work.TextOf(group.FirstEntry), text, length) == 0) {
            ++group.Count;
            work.Entries[entry].Group = work.Slots[slot] - 1;
            return;
        }
        slot = (slot + 1) & work.SlotMask;
    }
    work.Groups[work.GroupCount] = {entry, 1};
    work.Entries[entry].Group = work.GroupCount;
    work.Slots[slot] = ++work.GroupCount;
}

void WriteDump(TTextOut& out, const TLiveBlock& block)
{
    out.Text("\t  Dump: [");
    for (std::size_t i = 0; i < block.HeadSize; ++i) {
        const unsigned char c = block.Head[i];
        out.Char(c == 0 ? '.' : (c < 32 || c >= 127) ? '?' : static_cast<char>(c));
    }
    out.Text("]").Line();
}

void WriteBlock(TTextOut& out, const TLeakWork& work, std::size_t entry, const TLiveBlock& block)
{
    out.Text(work.TextOf(entry), work.Entries[entry].TextLength).Line();
    if (work.Entries[entry].Kind == bkObject)
        WriteDump(out, block);
    for (int frame = 1; frame < block.Stack.Depth && frame <= kReportedFrames; ++frame) {
        out.Text("     call stack - ").Number(static_cast<std::uint64_t>(frame)).Text(" : ");
        WriteAddress(out, block.Stack.Frames[frame]);
        out.Line();
    }
}

} // namespace

TScratch::TScratch(std::size_t bytes) noexcept : fSize(bytes)
{
    if (bytes == 0)
        return;
    void* data = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    fData = data == MAP_FAILED ? nullptr : data;
}

TScratch::TScratch(TScratch&& other) noexcept : fData(other.fData), fSize(other.fSize)
{
    other.fData = nullptr;
    other.fSize = 0;
}

TScratch& TScratch::operator=(TScratch&& other) noexcept
{
    if (this != &other) {
        if (fData)
            ::munmap(fData, fSize);
        fData = other.fData;
        fSize = other.fSize;
        other.fData = nullptr;
        other.fSize = 0;
    }
    return *this;
}

TScratch::~TScratch()
{
    if (fData)
        ::munmap(fData, fSize);
}

std::size_t CopyLiveBlocks(const TBlockTable& table, TLiveBlock* blocks, std::size_t capacity) noexcept
{
    std::size_t count = 0;
    for (const TBlockRecord* record = table.Oldest(); record && count < capacity; record = record->Newer) {
        if (record->Released != 0)
            continue;
        TLiveBlock& block = blocks[count++];
        block.Kind = record->Kind;
        block.DuringUnwinding = record->DuringUnwinding;
        block.Size = record->Size;
        block.Stack = record->Stack;
        block.HeadSize = record->Size < kDumpBytes ? record->Size : kDumpBytes;
        std::memcpy(block.Head, record->Block, block.HeadSize);
    }
    return count;
}

TLeakSummary WriteLeakReportText(TTextOut& out, const TLiveBlock* blocks, std::size_t count,
                                 const bool reportedKinds[3], const TReportTexts& texts) noexcept
{
    TLeakSummary summary;
    out.Text(texts.SevereReports);

    TScratch scratch(ScratchBytes(count));
    if (!scratch.Valid()) {
        out.Text("*** MEMCHK: no memory to list the ").Number(count).Text(" live blocks ***").Line();
        return summary;
    }
    TLeakWork work = LayOut(scratch.Data(), count);
    for (std::size_t i = 0; i < count; ++i) {
        const TBlockKind kind = ReportKindOf(blocks[i]);
        if (!reportedKinds[kind])
            continue;
        TLeakEntry& entry = work.Entries[work.EntryCount];
        entry.Block = i;
        entry.Kind = kind;
        entry.TextLength = Describe(blocks[i], kind, work.Texts + work.EntryCount * kTextRoom);
        ++work.EntryCount;
        summary.Bytes += blocks[i].Size;
    }
    summary.Blocks = work.EntryCount;

    // The list runs from the most recent allocation back, and leaks are
    // numbered in that order.
    for (std::size_t e = work.EntryCount; e-- > 0;) {
        Group(work, e);
        WriteBlock(out, work, e, blocks[work.Entries[e].Block]);
    }
    out.Text("Total leak: ").Number(summary.Bytes).Line();

    out.Text("*** MEMCHK: Blocks STILL allocated ***").Line();
    for (std::size_t g = 0; g < work.GroupCount; ++g) {
        const TLeakGroup& group = work.Groups[g];
        out.Text("Leak #").Number(g + 1).Text(" - ").Number(group.Count).Text(" occurence(s) - ");
        out.Text(work.TextOf(group.FirstEntry), work.Entries[group.FirstEntry].TextLength).Line();
    }
    out.Text("*** MEMCHK: End of allocated blocks ***").Line();

    out.Text("*** MEMCHK: chronological leak information ***").Line();
    for (std::size_t e = 0; e < work.EntryCount; ++e) {
        out.Text(work.TextOf(e), work.Entries[e].TextLength).Text(" - Leak #").Number(work.Entries[e].Group + 1).Line();
    }
    out.Text("*** MEMCHK: end of chronological leak information ***").Line();

    out.Text("*** MEMCHK: Time stamps ***").Line();
    out.Text(texts.TimeStamps);
    out.Text("*** MEMCHK: end of time stamps ***").Line();

    // Where the checker would once have thrown at exit, it says so here.
    if (work.EntryCount > 0) {
        const std::size_t last = work.EntryCount - 1;
        out.Text(blocks[work.Entries[last].Block].DuringUnwinding ? "EStackUnwinding: " : "EMemoryLeak: ");
        out.Text(work.TextOf(last), work.Entries[last].TextLength).Line();
    }
    return summary;
}

} // namespace AllocCheck
