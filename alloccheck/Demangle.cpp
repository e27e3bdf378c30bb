#include "alloccheck/Demangle.h"

#include <cstring>

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

} // namespace AllocCheck
