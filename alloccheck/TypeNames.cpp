#include "alloccheck/TypeNames.h"

#include <atomic>
#include <cstdint>
#include <cstring>
#include <typeinfo>

#include <dlfcn.h>
#include <link.h>

namespace AllocCheck {

namespace {

// Reads one <type> of the C++ ABI's mangling, the part that names classes,
// writing as it goes; earlier components are kept as spans of the output
// so that substitutions can copy them.
class TDemangler
{
public:
    TDemangler(const char* in, char* out, std::size_t size) noexcept : fIn(in), fOut(out), fSize(size) {}

    bool Parse() noexcept
    {
        const bool ok = Type() && *fIn == '\0' && !fOverflow;
        fOut[fUsed] = '\0';
        return ok;
    }

private:
    struct TSpan
    {
        std::size_t Begin;
        std::size_t End;
    };
    static constexpr int kMaxSubstitutions = 64;
    static constexpr int kMaxDepth = 48;

    void Append(const char* text, std::size_t length) noexcept
    {
        if (fUsed + length >= fSize) {
            fOverflow = true;
            return;
        }
        std::memcpy(fOut + fUsed, text, length);
        fUsed += length;
    }
    void Append(const char* text) noexcept { Append(text, std::strlen(text)); }
    void AppendSpan(TSpan span) noexcept
    {
        const std::size_t length = span.End - span.Begin;
        if (fUsed + length >= fSize) {
            fOverflow = true;
            return;
        }
        std::memmove(fOut + fUsed, fOut + span.Begin, length);
        fUsed += length;
    }
    void AddSubstitution(std::size_t begin) noexcept
    {
        if (fSubstitutionCount < kMaxSubstitutions)
            fSubstitutions[fSubstitutionCount++] = {begin, fUsed};
    }
    static bool IsDigit(char c) noexcept { return c >= '0' && c <= '9'; }
    bool Accept(char c) noexcept
    {
        if (*fIn != c)
            return false;
        ++fIn;
        return true;
    }

    static const char* Builtin(char c) noexcept
    {
        switch (c) {
        case 'v': return "void";
        case 'w': return "wchar_t";
        case 'b': return "bool";
        case 'c': return "char";
        case 'a': return "signed char";
        case 'h': return "unsigned char";
        case 's': return "short";
        case 't': return "unsigned short";
        case 'i': return "int";
        case 'j': return "unsigned int";
        case 'l': return "long";
        case 'm': return "unsigned long";
        case 'x': return "long long";
        case 'y': return "unsigned long long";
        case 'n': return "__int128";
        case 'o': return "unsigned __int128";
        case 'f': return "float";
        case 'd': return "double";
        case 'e': return "long double";
        case 'g': return "__float128";
        case 'z': return "...";
        default: return nullptr;
        }
    }

    bool Type() noexcept
    {
        if (fDepth >= kMaxDepth)
            return false;
        ++fDepth;
        const bool ok = TypeBody();
        --fDepth;
        return ok;
    }

    bool TypeBody() noexcept
    {
        const std::size_t begin = fUsed;
        const char c = *fIn;
        if (const char* builtin = Builtin(c)) {
            ++fIn;
            Append(builtin);
            return true;
        }
        switch (c) {
        case 'P':
        case 'R':
        case 'O':
            ++fIn;
            if (!Type())
                return false;
            Append(c == 'P' ? "*" : c == 'R' ? "&" : "&&");
            AddSubstitution(begin);
            return true;
        case 'r':
        case 'V':
        case 'K': {
            const bool isRestrict = Accept('r');
            const bool isVolatile = Accept('V');
            const bool isConst = Accept('K');
            if (!Type())
                return false;
            if (isConst)
                Append(" const");
            if (isVolatile)
                Append(" volatile");
            if (isRestrict)
                Append(" restrict");
            AddSubstitution(begin);
            return true;
        }
        case 'D': {
            const char* name = fIn[1] == 'n'   ? "decltype(nullptr)"
                               : fIn[1] == 'i' ? "char32_t"
                               : fIn[1] == 's' ? "char16_t"
                               : fIn[1] == 'u' ? "char8_t"
                                               : nullptr;
            if (!name)
                return false;
            fIn += 2;
            Append(name);
            return true;
        }
        case 'N':
            return NestedName();
        case 'S':
            if (fIn[1] == 't')
                return UnscopedName();
            if (!Substitution())
                return false;
            if (*fIn == 'I') {
                if (!TemplateArgs())
                    return false;
                AddSubstitution(begin);
            }
            return true;
        default:
            return IsDigit(c) && UnscopedName();
        }
    }

    bool UnscopedName() noexcept
    {
        const std::size_t begin = fUsed;
        if (fIn[0] == 'S' && fIn[1] == 't') {
            fIn += 2;
            Append("std::");
        }
        if (!SourceName())
            return false;
        if (*fIn == 'I') {
            AddSubstitution(begin);
            if (!TemplateArgs())
                return false;
        }
        AddSubstitution(begin);
        return true;
    }

    bool NestedName() noexcept
    {
        ++fIn;
        const std::size_t begin = fUsed;
        bool first = true;
        while (*fIn != 'E') {
            if (*fIn == 'S' && first) {
                if (fIn[1] == 't') {
                    fIn += 2;
                    Append("std");
                } else if (!Substitution()) {
                    return false;
                }
            } else if (*fIn == 'I' && !first) {
                if (!TemplateArgs())
                    return false;
                AddSubstitution(begin);
            } else if (IsDigit(*fIn)) {
                if (!first)
                    Append("::");
                if (!SourceName())
                    return false;
                AddSubstitution(begin);
            } else {
                return false; // qualifiers, local names, unnamed types, template parameters
            }
            first = false;
        }
        ++fIn;
        return true;
    }

    bool Substitution() noexcept
    {
        ++fIn;
        const char* standard = nullptr;
        switch (*fIn) {
        case 'a': standard = "std::allocator"; break;
        case 'b': standard = "std::basic_string"; break;
        case 's': standard = "std::string"; break;
        case 'i': standard = "std::istream"; break;
        case 'o': standard = "std::ostream"; break;
        case 'd': standard = "std::iostream"; break;
        default: break;
        }
        if (standard) {
            ++fIn;
            Append(standard);
            return true;
        }
        std::size_t index = 0;
        if (*fIn != '_') {
            std::size_t value = 0;
            while (IsDigit(*fIn) || (*fIn >= 'A' && *fIn <= 'Z')) {
                value = value * 36 + static_cast<std::size_t>(IsDigit(*fIn) ? *fIn - '0' : *fIn - 'A' + 10);
                if (value > kMaxSubstitutions)
                    return false;
                ++fIn;
            }
            if (*fIn != '_')
                return false;
            index = value + 1;
        }
        ++fIn;
        if (index >= static_cast<std::size_t>(fSubstitutionCount))
            return false;
        AppendSpan(fSubstitutions[index]);
        return true;
    }

    bool TemplateArgs() noexcept
    {
        ++fIn;
        Append("<");
        bool first = true;
        while (*fIn != 'E') {
            if (*fIn == '\0')
                return false;
            if (!first)
                Append(", ");
            if (!TemplateArg())
                return false;
            first = false;
        }
        ++fIn;
        if (fUsed > 0 && fOut[fUsed - 1] == '>')
            Append(" ");
        Append(">");
        return true;
    }

    bool TemplateArg() noexcept
    {
        if (*fIn == 'L')
            return Literal();
        if (*fIn != 'J')
            return Type();
        ++fIn;
        bool first = true;
        while (*fIn != 'E') {
            if (*fIn == '\0')
                return false;
            if (!first)
                Append(", ");
            if (!TemplateArg())
                return false;
            first = false;
        }
        ++fIn;
        return true;
    }

    bool Literal() noexcept
    {
        ++fIn;
        const char type = *fIn;
        if (type == '\0')
            return false;
        ++fIn;
        const bool negative = *fIn == 'n';
        if (negative)
            ++fIn;
        const char* digits = fIn;
        while (IsDigit(*fIn))
            ++fIn;
        const std::size_t length = static_cast<std::size_t>(fIn - digits);
        if (length == 0 || *fIn != 'E')
            return false;
        ++fIn;
        const char* suffix = nullptr;
        switch (type) {
        case 'b':
            if (length != 1 || negative || (digits[0] != '0' && digits[0] != '1'))
                return false;
            Append(digits[0] == '1' ? "true" : "false");
            return true;
        case 'c': Append("(char)"); suffix = ""; break;
        case 'i': suffix = ""; break;
        case 'j': suffix = "u"; break;
        case 'l': suffix = "l"; break;
        case 'm': suffix = "ul"; break;
        case 'x': suffix = "ll"; break;
        case 'y': suffix = "ull"; break;
        default: return false;
        }
        if (negative)
            Append("-");
        Append(digits, length);
        Append(suffix);
        return true;
    }

    bool SourceName() noexcept
    {
        std::size_t length = 0;
        while (IsDigit(*fIn)) {
            length = length * 10 + static_cast<std::size_t>(*fIn - '0');
            if (length > 4096)
                return false;
            ++fIn;
        }
        if (length == 0 || ::strnlen(fIn, length) != length)
            return false;
        if (length >= 10 && std::strncmp(fIn, "_GLOBAL__N", 10) == 0)
            Append("(anonymous namespace)");
        else
            Append(fIn, length);
        fIn += length;
        return true;
    }

    const char* fIn;
    char* fOut;
    std::size_t fSize;
    std::size_t fUsed = 0;
    bool fOverflow = false;
    int fDepth = 0;
    TSpan fSubstitutions[kMaxSubstitutions];
    int fSubstitutionCount = 0;
};

void CopyTruncated(const char* text, char* out, std::size_t size) noexcept
{
    const std::size_t length = ::strnlen(text, size - 1);
    std::memcpy(out, text, length);
    out[length] = '\0';
}

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
// 0 not yet known, 1 vtable, 2 not.
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

bool DemangleTypeName(const char* mangled, char* out, std::size_t size) noexcept
{
    if (size == 0)
        return false;
    TDemangler demangler(mangled, out, size);
    if (demangler.Parse())
        return true;
    CopyTruncated(mangled, out, size);
    return false;
}

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
    CopyTruncated("?", out, size);
    return false;
}

} // namespace AllocCheck
