#include "alloccheck/SevereReport.h"

#include "alloccheck/AllocCheck.h"
#include "alloccheck/CallStack.h"
#include "alloccheck/Checker.h"
#include "alloccheck/TextOut.h"

#include <cstdlib>
#include <cstring>
#include <exception>

#include <execinfo.h>
#include <unistd.h>

namespace AllocCheck {

namespace {

constexpr int kWrittenFrames = 25;

constinit TTextStore<kSevereReportRoom> gSevereReports;
std::terminate_handler gPreviousTerminate = nullptr;

void WriteFrames(TTextOut& out, const void* from) noexcept
{
    const void* frames[kWrittenFrames];
    const int count = CaptureFrames(frames, kWrittenFrames, from);
    for (int i = 0; i < count; ++i) {
        WriteAddress(out, frames[i]);
        out.Line();
    }
}

// The code that threw: past the hook's own frames and the runtime's
// (std::terminate, __cxa_throw), the first frame of the program again.
const void* ThrowSite() noexcept
{
    void* frames[32];
    const int count = backtrace(frames, 32);
    int i = 0;
    while (i < count && InProgramCode(frames[i]))
        ++i;
    while (i < count && !InProgramCode(frames[i]))
        ++i;
    return i < count ? frames[i] : nullptr;
}

[[noreturn]] void TerminateHook()
{
    {
        TInsideChecker inside;
        char message[512] = "std::terminate called without an active exception";
        if (std::exception_ptr current = std::current_exception()) {
            std::strcpy(message, "unknown exception");
            try {
                std::rethrow_exception(current);
            } catch (const std::exception& error) {
                TTextOut text(message, sizeof message);
                text.Text(error.what()).Data();
            } catch (...) {
            }
        }
        ReportSevereException(message, ThrowSite());
        StopRecording();
        WriteLeakReport();
    }
    if (gPreviousTerminate)
        gPreviousTerminate();
    std::abort();
}

} // namespace

std::size_t CopySevereReports(char* out, std::size_t size) noexcept
{
    return gSevereReports.CopyTo(out, size);
}

void InstallTerminateHook() noexcept
{
    gPreviousTerminate = std::set_terminate(TerminateHook);
}

} // namespace AllocCheck

using namespace AllocCheck;

void ReportSevereException(const char* message, const void* exceptionAddress) noexcept
{
    TInsideChecker inside;
    char text[4096];
    TTextOut out(text, sizeof text);
    out.Text("********* Severe exception detected - ").Text(message).Line();
    out.Text("Exception address: ");
    if (exceptionAddress)
        WriteAddress(out, exceptionAddress);
    else
        out.Text("unknown");
    out.Line().Text("Call stack (oldest call at bottom):").Line();
    // From the exception's address when it is on the stack, else from here.
    const void* frames[1];
    const bool onStack = exceptionAddress && CaptureFrames(frames, 1, exceptionAddress) == 1;
    WriteFrames(out, onStack ? exceptionAddress : __builtin_return_address(0));
    out.Line();
    WriteAll(STDERR_FILENO, out.Data(), out.Length());
    gSevereReports.Append(out.Data(), out.Length());
}

void WriteCallStack(int fd) noexcept
{
    TInsideChecker inside;
    char buffer[2048];
    TTextOut out(buffer, sizeof buffer, fd);
    WriteFrames(out, __builtin_return_address(0));
}
