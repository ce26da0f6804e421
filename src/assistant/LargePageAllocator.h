// An allocator that asks for large memory pages for big blocks, so that filling a big table takes few page faults.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <new>
#include <sys/mman.h>

namespace pellamor {

template <class T> class LargePageAllocator {
public:
    using value_type = T;
    static constexpr std::size_t largePage = std::size_t { 2 } << 20;

    LargePageAllocator() = default;
    template <class U> LargePageAllocator(const LargePageAllocator<U>&) noexcept { }

    T* allocate(std::size_t count)
    {
        const std::size_t bytes = count * sizeof(T);
        if (bytes < largePage)
            return static_cast<T*>(::operator new(bytes));
        const std::size_t rounded = (bytes + largePage - 1) / largePage * largePage;
        void* block = std::aligned_alloc(largePage, rounded);
        if (!block)
            throw std::bad_alloc();
        // Advice only: without large pages the block works the same.
        ::madvise(block, rounded, MADV_HUGEPAGE);
        return static_cast<T*>(block);
    }
    void deallocate(T* block, std::size_t count) noexcept
    {
        if (count * sizeof(T) < largePage)
            ::operator delete(block);
        else
            std::free(block);
    }

    template <class U> bool operator==(const LargePageAllocator<U>&) const noexcept { return true; }
};

} // namespace pellamor
