// Every form of the global operator new and delete, handed to the checker.
// Each takes its caller's address itself: that is the code that allocates.

#include "alloccheck/Checker.h"

#include <new>

namespace {

void* AllocateOrThrow(std::size_t size, std::size_t alignment, const void* caller)
{
    for (;;) {
        if (void* block = AllocCheck::Allocate(size, alignment, caller))
            return block;
        std::new_handler handler = std::get_new_handler();
        if (!handler)
            throw std::bad_alloc();
        handler();
    }
}

void* AllocateOrNull(std::size_t size, std::size_t alignment, const void* caller) noexcept
{
    try {
        return AllocateOrThrow(size, alignment, caller);
    } catch (...) {
        return nullptr;
    }
}

std::size_t Alignment(std::align_val_t alignment)
{
    return static_cast<std::size_t>(alignment);
}

} // namespace

#define QV_CALLER __builtin_return_address(0)

void* operator new(std::size_t size)
{
    return AllocateOrThrow(size, 0, QV_CALLER);
}

void* operator new[](std::size_t size)
{
    return AllocateOrThrow(size, 0, QV_CALLER);
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return AllocateOrNull(size, 0, QV_CALLER);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return AllocateOrNull(size, 0, QV_CALLER);
}

void* operator new(std::size_t size, std::align_val_t alignment)
{
    return AllocateOrThrow(size, Alignment(alignment), QV_CALLER);
}

void* operator new[](std::size_t size, std::align_val_t alignment)
{
    return AllocateOrThrow(size, Alignment(alignment), QV_CALLER);
}

void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept
{
    return AllocateOrNull(size, Alignment(alignment), QV_CALLER);
}

void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept
{
    return AllocateOrNull(size, Alignment(alignment), QV_CALLER);
}

void operator delete(void* block) noexcept
{
    AllocCheck::Release(block, QV_CALLER);
}

void operator delete[](void* block) noexcept
{
    AllocCheck::Release(block, QV_CALLER);
}

void operator delete(void* block, const std::nothrow_t&) noexcept
{
    AllocCheck::Release(block, QV_CALLER);
}

void operator delete[](void* block, const std::nothrow_t&) noexcept
{
    AllocCheck::Release(block, QV_CALLER);
}

void operator delete(void* block, std::size_t) noexcept
{
    AllocCheck::Release(block, QV_CALLER);
}

void operator delete[](void* block, std::size_t) noexcept
{
    AllocCheck::Release(block, QV_CALLER);
}

void operator delete(void* block, std::align_val_t) noexcept
{
    AllocCheck::Release(block, QV_CALLER);
}

void operator delete[](void* block, std::align_val_t) noexcept
{
    AllocCheck::Release(block, QV_CALLER);
}

void operator delete(void* block, std::align_val_t, const std::nothrow_t&) noexcept
{
    AllocCheck::Release(block, QV_CALLER);
}

void operator delete[](void* block, std::align_val_t, const std::nothrow_t&) noexcept
{
    AllocCheck::Release(block, QV_CALLER);
}

void operator delete(void* block, std::size_t, std::align_val_t) noexcept
{
    AllocCheck::Release(block, QV_CALLER);
}

void operator delete[](void* block, std::size_t, std::align_val_t) noexcept
{
    AllocCheck::Release(block, QV_CALLER);
}
