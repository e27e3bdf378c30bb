#include "alloccheck/FreedInstance.h"

#include "alloccheck/AllocCheck.h"
#include "alloccheck/Checker.h"
#include "alloccheck/TypeNames.h"

#include <cstdio>
#include <cstring>
#include <utility>

namespace AllocCheck {

namespace {

// More virtual methods than any class of the program has; a call beyond the
// table would jump anywhere.
constexpr std::size_t kReleasedSlots = 512;

using TSlot = void (*)(void*);

struct TReleasedVtable
{
    std::ptrdiff_t OffsetToTop;
    const std::type_info* Type;
    TSlot Slots[kReleasedSlots];
};

[[noreturn]] void ThrowBadInstance(const void* self, std::size_t method)
{
    char name[256] = "an unknown class";
    if (const void* vtable = ReleasedClassOf(self))
        ClassNameOfVtable(vtable, name, sizeof name);
    char message[400];
    std::snprintf(message, sizeof message, "Virtual method #%zu of %s called on a FREED instance", method, name);
    throw EBadInstance(message);
}

// Each slot knows its number; `self` is the object the method was called on.
template <std::size_t Method>
void ReleasedMethod(void* self)
{
    ThrowBadInstance(self, Method);
}

[[noreturn]] void FreedInterfaceMethod(void*)
{
    throw EInterfaceFreedInstance("An interface method was called on a freed instance");
}

template <std::size_t... Method>
constexpr TReleasedVtable ReleasedVtable(std::index_sequence<Method...>)
{
    return {0, &typeid(ReleasedInstance), {&ReleasedMethod<Method>...}};
}

template <std::size_t... Method>
constexpr TReleasedVtable FreedInterfaceVtable(std::index_sequence<Method...>)
{
    return {0, &typeid(ReleasedInstance), {((void)Method, &FreedInterfaceMethod)...}};
}

constinit const TReleasedVtable gReleasedVtable = ReleasedVtable(std::make_index_sequence<kReleasedSlots>());
constinit const TReleasedVtable gFreedInterfaceVtable =
    FreedInterfaceVtable(std::make_index_sequence<kReleasedSlots>());

} // namespace

void RetireObject(void* object, std::size_t size, unsigned char fill) noexcept
{
    constexpr std::size_t kMaxWords = kSmallBlockLimit / sizeof(void*) + 1;
    auto** words = static_cast<const void**>(object);
    const std::size_t count = size / sizeof(void*);
    // Found before the fill wipes them.
    bool secondary[kMaxWords] = {};
    for (std::size_t i = 1; i < count && i < kMaxWords; ++i)
        secondary[i] = IsVtablePointer(words[i]);
    std::memset(static_cast<char*>(object) + sizeof(void*), fill, size - sizeof(void*));
    words[0] = gReleasedVtable.Slots;
    for (std::size_t i = 1; i < count && i < kMaxWords; ++i) {
        if (secondary[i])
            words[i] = gFreedInterfaceVtable.Slots;
    }
}

} // namespace AllocCheck
