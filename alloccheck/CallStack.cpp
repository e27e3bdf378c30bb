#include "alloccheck/CallStack.h"

#include "alloccheck/TextOut.h"

#include <cstdint>
#include <cstring>

#include <dlfcn.h>
#include <execinfo.h>
#include <link.h>

namespace AllocCheck {

namespace {

struct TCodeRange
{
    std::uintptr_t Begin = 0;
    std::uintptr_t End = 0;
};

constexpr int kMaxCodeRanges = 8;
TCodeRange gProgramCode[kMaxCodeRanges];
int gProgramCodeRanges = 0;

int NoteProgramCode(dl_phdr_info* info, std::size_t, void*)
{
    // The program itself is always reported first.
    for (int i = 0; i < info->dlpi_phnum && gProgramCodeRanges < kMaxCodeRanges; ++i) {
        const ElfW(Phdr)& header = info->dlpi_phdr[i];
        if (header.p_type != PT_LOAD || (header.p_flags & PF_X) == 0)
            continue;
        TCodeRange& range = gProgramCode[gProgramCodeRanges++];
        range.Begin = info->dlpi_addr + header.p_vaddr;
        range.End = range.Begin + header.p_memsz;
    }
    return 1;
}

const char* BaseName(const char* path)
{
    const char* slash = std::strrchr(path, '/');
    return slash ? slash + 1 : path;
}

} // namespace

void PrepareCallStacks() noexcept
{
    if (gProgramCodeRanges == 0)
        dl_iterate_phdr(NoteProgramCode, nullptr);
    void* frames[4];
    backtrace(frames, 4);
}

bool InProgramCode(const void* address) noexcept
{
    const auto value = reinterpret_cast<std::uintptr_t>(address);
    for (int i = 0; i < gProgramCodeRanges; ++i) {
        if (value >= gProgramCode[i].Begin && value < gProgramCode[i].End)
            return true;
    }
    return false;
}

int CaptureFrames(const void** frames, int capacity, const void* from) noexcept
{
    // Room for the checker's own frames above `from`.
    constexpr int kOwnFrames = 8;
    void* raw[64];
    const int wanted = capacity + kOwnFrames < 64 ? capacity + kOwnFrames : 64;
    const int count = backtrace(raw, wanted);
    int first = 0;
    while (first < count && raw[first] != from)
        ++first;
    if (first == count)
        return 0;
    int depth = 0;
    for (int i = first; i < count && depth < capacity; ++i)
        frames[depth++] = raw[i];
    return depth;
}

void CaptureCallStack(TCallStack& stack, const void* from) noexcept
{
    stack.Depth = CaptureFrames(stack.Frames, kStackDepth, from);
    if (stack.Depth == 0) {
        // A frame the unwinder could not step over: `from` alone still names
        // the caller.
        stack.Frames[0] = from;
        stack.Depth = 1;
    }
}

void WriteAddress(TTextOut& out, const void* address) noexcept
{
    Dl_info info{};
    if (dladdr(address, &info) == 0 || info.dli_fbase == nullptr) {
        out.Hex(reinterpret_cast<std::uintptr_t>(address));
        return;
    }
    const auto offset = reinterpret_cast<std::uintptr_t>(address) - reinterpret_cast<std::uintptr_t>(info.dli_fbase);
    out.Hex(offset);
    if (!InProgramCode(address) && info.dli_fname && *info.dli_fname)
        out.Text(" (").Text(BaseName(info.dli_fname)).Char(')');
}

} // namespace AllocCheck
