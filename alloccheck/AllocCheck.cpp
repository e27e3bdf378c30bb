#include "alloccheck/AllocCheck.h"

#include "alloccheck/BlockTable.h"
#include "alloccheck/CallStack.h"
#include "alloccheck/Checker.h"
#include "alloccheck/LeakReport.h"
#include "alloccheck/SevereReport.h"
#include "alloccheck/TextOut.h"
#include "alloccheck/TypeNames.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

using namespace AllocCheck;

namespace {

const char* const kRefusalCaption = "AllocCheck: abnormal termination";
const char* const kOptimisedText = "The project was compiled with optimization - AllocCheck can not be used";
const char* const kNoFramesText = "The project was compiled without stack frames - AllocCheck can not be used";
const char* const kTemporaryName = "AllocCheck.$$$";
const char* const kLogName = "AllocCheck.Log";
constexpr std::size_t kTimeStampRoom = 8192;

constinit TAllocCheckOptions gOptions;
constinit TTextStore<kTimeStampRoom> gTimeStamps;
std::atomic<bool> gHooksInstalled{false};
std::mutex gReportMutex;

[[noreturn]] void Refuse(const char* text)
{
    char buffer[256];
    TTextOut out(buffer, sizeof buffer, STDERR_FILENO);
    out.Text(kRefusalCaption).Line().Text(text).Line();
    out.Flush();
    _exit(EXIT_FAILURE);
}

// The highest address of this thread's stack, or 0 when it cannot be told.
std::uintptr_t StackTop() noexcept
{
    pthread_attr_t attributes;
    if (pthread_getattr_np(pthread_self(), &attributes) != 0)
        return 0;
    void* lowest = nullptr;
    std::size_t size = 0;
    const bool known = pthread_attr_getstack(&attributes, &lowest, &size) == 0;
    pthread_attr_destroy(&attributes);
    return known ? reinterpret_cast<std::uintptr_t>(lowest) + size : 0;
}

// "<folder>/<name>", the folder from $ALLOCCHECK_DIR, else the working
// folder; false when the path does not fit.
bool LogPath(char* out, std::size_t size, const char* name) noexcept
{
    TTextOut path(out, size);
    const char* folder = std::getenv("ALLOCCHECK_DIR");
    std::size_t expected = std::strlen(name);
    if (folder && *folder) {
        const std::size_t length = std::strlen(folder);
        path.Text(folder, length);
        expected += length;
        if (folder[length - 1] != '/') {
            path.Char('/');
            ++expected;
        }
    }
    path.Text(name);
    path.Data();
    return path.Length() == expected;
}

void ReportFileError(const char* what, const char* path, int error) noexcept
{
    char buffer[PATH_MAX + 256];
    TTextOut out(buffer, sizeof buffer, STDERR_FILENO);
    const char* reason = strerrordesc_np(error);
    out.Text("AllocCheck: ").Text(what).Text(path).Text(": ").Text(reason ? reason : "unknown error").Line();
}

struct TSnapshot
{
    TScratch Memory{0};
    TLiveBlock* Blocks = nullptr;
    std::size_t Count = 0;
};

void TakeSnapshot(const TBlockTable& table, void* context)
{
    auto* snapshot = static_cast<TSnapshot*>(context);
    const std::size_t live = table.LiveBlocks();
    if (live == 0)
        return;
    TScratch memory(live * sizeof(TLiveBlock));
    if (!memory.Valid())
        return;
    // Mapped memory starts zeroed, which is how a TLiveBlock starts too.
    snapshot->Blocks = static_cast<TLiveBlock*>(memory.Data());
    snapshot->Count = CopyLiveBlocks(table, snapshot->Blocks, live);
    snapshot->Memory = std::move(memory);
}

void AtExit()
{
    // The normal manager first; then the report.
    StopRecording();
    WriteLeakReport();
}

} // namespace

TAllocCheckOptions& AllocCheckOptions()
{
    return gOptions;
}

bool AllocCheck::FrameLinksTo(const void* returnAddress) noexcept
{
    auto* const* own = static_cast<void* const*>(__builtin_frame_address(0));
    const auto ownFrame = reinterpret_cast<std::uintptr_t>(own);
    const auto callerFrame = reinterpret_cast<std::uintptr_t>(own[0]);
    // A caller's frame lies above the frame it called, and not far above.
    if (callerFrame <= ownFrame || callerFrame - ownFrame > 30000 || callerFrame % sizeof(void*) != 0)
        return false;
    const std::uintptr_t top = StackTop();
    if (top == 0)
        return true; // the frame cannot be read safely; the build gets the benefit of the doubt
    if (callerFrame + 2 * sizeof(void*) > top)
        return false;
    // With a frame pointer the caller's frame holds its return address right
    // after the saved frame pointer.
    return reinterpret_cast<void* const*>(callerFrame)[1] == returnAddress;
}

void StartAllocCheckFor(bool optimised, bool framePointers)
{
    if (optimised)
        Refuse(kOptimisedText);
    if (!framePointers)
        Refuse(kNoFramesText);
    if (Recording())
        return;
    // Whatever these allocate, they allocate now, while nothing is recorded.
    PrepareCallStacks();
    PrepareVtableRecognition();
    if (!gHooksInstalled.exchange(true)) {
        InstallTerminateHook();
        std::atexit(AtExit);
    }
    StartRecording();
}

bool AllocCheckStarted() noexcept
{
    return Recording();
}

TAllocCheckCounts AllocCheckCounts() noexcept
{
    return Counts();
}

void WriteLeakReport() noexcept
{
    TInsideChecker inside;
    std::lock_guard lock(gReportMutex);
    static char temporaryPath[PATH_MAX];
    static char logPath[PATH_MAX];
    if (!LogPath(temporaryPath, sizeof temporaryPath, kTemporaryName) || !LogPath(logPath, sizeof logPath, kLogName)) {
        const char* folder = std::getenv("ALLOCCHECK_DIR");
        ReportFileError("the log folder's name is too long: ", folder ? folder : "", ENAMETOOLONG);
        return;
    }
    const int fd = ::open(temporaryPath, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        ReportFileError("cannot create ", temporaryPath, errno);
        return;
    }

    TSnapshot snapshot;
    VisitTable(TakeSnapshot, &snapshot);
    TScratch severeMemory(kSevereReportRoom + 1);
    char timeStamps[kTimeStampRoom + 1];
    gTimeStamps.CopyTo(timeStamps, sizeof timeStamps);
    TReportTexts texts;
    texts.TimeStamps = timeStamps;
    if (severeMemory.Valid()) {
        CopySevereReports(static_cast<char*>(severeMemory.Data()), kSevereReportRoom + 1);
        texts.SevereReports = static_cast<const char*>(severeMemory.Data());
    }

    char buffer[8192];
    TLeakSummary summary;
    bool written;
    {
        TTextOut out(buffer, sizeof buffer, fd);
        summary = WriteLeakReportText(out, snapshot.Blocks, snapshot.Count, gOptions.ReportedKinds, texts);
        written = out.Flush();
    }
    const int writeError = errno;
    if (::close(fd) != 0 && written)
        written = false;
    if (!written) {
        ReportFileError("cannot write ", temporaryPath, writeError);
        ::unlink(temporaryPath);
        return;
    }
    // rename() replaces an earlier log in one step.
    if (::rename(temporaryPath, logPath) != 0) {
        ReportFileError("cannot rename the report to ", logPath, errno);
        return;
    }
    if (summary.Blocks > 0) {
        char notice[PATH_MAX + 128];
        TTextOut out(notice, sizeof notice, STDERR_FILENO);
        out.Text("AllocCheck: ").Number(summary.Blocks).Text(" leaked block(s), ").Number(summary.Bytes);
        out.Text(" byte(s); see ").Text(logPath).Line();
    }
}

void AllocCheckTimeStamp(const char* label) noexcept
{
    const TAllocCheckCounts counts = Counts();
    char line[512];
    TTextOut out(line, sizeof line);
    out.Text(label).Text(" - ").Number(counts.LiveBlocks).Text(" block(s), ");
    out.Number(counts.LiveBytes).Text(" byte(s) allocated").Line();
    gTimeStamps.Append(out.Data(), out.Length());
}

void* AllocCheckReallocate(void* block, std::size_t size)
{
    const void* caller = __builtin_return_address(0);
    const TBlockFacts facts = InspectBlock(block);
    if (block && !facts.Tracked) {
        // Never recorded, so it came straight from the C allocator.
        void* moved = std::realloc(block, size ? size : 1);
        if (!moved)
            throw std::bad_alloc();
        return moved;
    }
    if (facts.Fault != TReleaseFault::None) {
        char message[256];
        FormatFault(message, sizeof message, facts.Fault, facts.AllocatedAt);
        throw EMemoryLeak(message);
    }
    void* moved = Allocate(size, 0, caller, bkRealloc);
    if (!moved)
        throw std::bad_alloc();
    if (block) {
        std::memcpy(moved, block, std::min(facts.Size, size));
        Release(block, caller);
    }
    return moved;
}
