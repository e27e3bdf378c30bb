#include "alloccheck/TypeNames.h"

#include "alloccheck/Demangle.h"

#include <atomic>
#include <cstdint>
#include <cstring>
#include <typeinfo>

#include <dlfcn.h>
#include <link.h>

namespace AllocCheck {

namespace {

// Probe classes whose type information shows the three layouts the runtime
// gives classes: no base, one base, several bases.
struct TProbeRoot
{
    virtual ~TProbeRoot() = default;
};
struct TProbeSingle : TProbeRoot
{
};
struct TProbeOther
{
    virtual ~TProbeOther() = default;
};
struct TProbeMultiple : TProbeRoot, TProbeOther
{
};

const void* gTypeInfoVtables[3] = {};

const void* VtableOf(const std::type_info& type) noexcept
{
    const void* vptr;
    std::memcpy(&vptr, &type, sizeof vptr);
    return vptr;
}

struct TReadableQuery
{
    std::uintptr_t Begin;
    std::uintptr_t End;
    bool Readable;
};

int FindReadableSegment(dl_phdr_info* info, std::size_t, void* data)
{
    auto* query = static_cast<TReadableQuery*>(data);
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& header = info->dlpi_phdr[i];
        if (header.p_type != PT_LOAD || (header.p_flags & PF_R) == 0)
            continue;
        const std::uintptr_t begin = info->dlpi_addr + header.p_vaddr;
        if (query->Begin >= begin && query->End <= begin + header.p_memsz) {
            query->Readable = true;
            return 1;
        }
    }
    return 0;
}

// True when the bytes lie in one readable segment of a loaded module, so
// they can be read without a fault (the gaps between segments are not mapped).
bool ReadableInModule(std::uintptr_t begin, std::size_t length) noexcept
{
    TReadableQuery query{begin, begin + length, false};
    dl_iterate_phdr(FindReadableSegment, &query);
    return query.Readable;
}

bool VtableSymbol(const void* vptr, Dl_info& info) noexcept
{
    void* entry = nullptr;
    if (dladdr1(vptr, &info, &entry, RTLD_DL_SYMENT) == 0 || !info.dli_sname || !entry)
        return false;
    const auto* symbol = static_cast<const ElfW(Sym)*>(entry);
    if (std::strncmp(info.dli_sname, "_ZTV", 4) != 0)
        return false;
    const auto start = reinterpret_cast<std::uintptr_t>(info.dli_saddr);
    const auto value = reinterpret_cast<std::uintptr_t>(vptr);
    return value >= start + 2 * sizeof(void*) && value < start + symbol->st_size;
}

bool ExamineWord(const void* word) noexcept
{
    const auto value = reinterpret_cast<std::uintptr_t>(word);
    // Offset to top, type information, first slot.
    if (!ReadableInModule(value - 2 * sizeof(void*), 3 * sizeof(void*)))
        return false;
    const void* type = static_cast<const void* const*>(word)[-1];
    if (!type) {
        Dl_info info;
        return VtableSymbol(word, info); // a class built without type information
    }
    if (!ReadableInModule(reinterpret_cast<std::uintptr_t>(type), 2 * sizeof(void*)))
        return false;
    const void* typeVtable = *static_cast<const void* const*>(type);
    for (const void* known : gTypeInfoVtables) {
        if (known && typeVtable == known)
            return true;
    }
    return false;
}

// Verdicts on words that lie in a module, so that each is examined once:
// 0 not yet known, 1 vtable, 2 not. A verdict outlives a module that is
// unloaded; the program's own modules stay loaded to the end.
constexpr std::size_t kVerdictSlots = std::size_t{1} << 14;
constexpr int kVerdictProbes = 16;
std::atomic<std::uintptr_t> gVerdictKeys[kVerdictSlots];
std::atomic<unsigned char> gVerdicts[kVerdictSlots];

std::size_t VerdictSlot(std::uintptr_t key) noexcept
{
    return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> 50) & (kVerdictSlots - 1);
}

unsigned char KnownVerdict(std::uintptr_t key) noexcept
{
    std::size_t slot = VerdictSlot(key);
    for (int probe = 0; probe < kVerdictProbes; ++probe, slot = (slot + 1) & (kVerdictSlots - 1)) {
        const std::uintptr_t held = gVerdictKeys[slot].load(std::memory_order_acquire);
        if (held == key)
            return gVerdicts[slot].load(std::memory_order_acquire);
        if (held == 0)
            return 0;
    }
    return 0;
}

void NoteVerdict(std::uintptr_t key, unsigned char verdict) noexcept
{
    std::size_t slot = VerdictSlot(key);
    for (int probe = 0; probe < kVerdictProbes; ++probe, slot = (slot + 1) & (kVerdictSlots - 1)) {
        std::uintptr_t held = gVerdictKeys[slot].load(std::memory_order_acquire);
        if (held == 0 && gVerdictKeys[slot].compare_exchange_strong(held, key, std::memory_order_acq_rel))
            held = key;
        if (held == key) {
            gVerdicts[slot].store(verdict, std::memory_order_release);
            return;
        }
    }
    // Full around this key: it is examined again next time.
}

} // namespace

void PrepareVtableRecognition() noexcept
{
    gTypeInfoVtables[0] = VtableOf(typeid(TProbeRoot));
    gTypeInfoVtables[1] = VtableOf(typeid(TProbeSingle));
    gTypeInfoVtables[2] = VtableOf(typeid(TProbeMultiple));
    dl_find_object found;
    _dl_find_object(reinterpret_cast<void*>(&PrepareVtableRecognition), &found);
}

bool IsVtablePointer(const void* word, long* offsetToTop) noexcept
{
    const auto value = reinterpret_cast<std::uintptr_t>(word);
    if (value == 0 || value % alignof(void*) != 0)
        return false;
    // Most words are heap addresses or plain numbers: this lookup turns them
    // away without a lock.
    dl_find_object found;
    if (_dl_find_object(const_cast<void*>(word), &found) != 0)
        return false;
    unsigned char verdict = KnownVerdict(value);
    if (verdict == 0) {
        verdict = ExamineWord(word) ? 1 : 2;
        NoteVerdict(value, verdict);
    }
    if (verdict != 1)
        return false;
    if (offsetToTop)
        *offsetToTop = static_cast<const long*>(word)[-2];
    return true;
}

bool ClassNameOfVtable(const void* vptr, char* out, std::size_t size) noexcept
{
    if (size == 0)
        return false;
    Dl_info info;
    if (VtableSymbol(vptr, info))
        return DemangleTypeName(info.dli_sname + 4, out, size);
    if (IsVtablePointer(vptr)) {
        const void* type = static_cast<const void* const*>(vptr)[-1];
        if (type) {
            // std::type_info holds its vtable pointer, then the mangled name;
            // a leading '*' marks a name of internal linkage.
            const char* name = static_cast<const char* const*>(type)[1];
            if (*name == '*')
                ++name;
            return DemangleTypeName(name, out, size);
        }
    }
    out[0] = size > 1 ? '?' : '\0';
    if (size > 1)
        out[1] = '\0';
    return false;
}

} // namespace AllocCheck
