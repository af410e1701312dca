#include "PageMemory.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>

#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer) ||                         \
    __has_feature(thread_sanitizer)
#define TILORA_HEAP_ONLY 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define TILORA_HEAP_ONLY 1
#endif

namespace tilora {

#ifndef TILORA_HEAP_ONLY
namespace {

constexpr std::size_t HugePage = std::size_t(2) << 20;

// What the system maps for `bytes`: whole 2 MB pages, so that the last one can be a huge page too.
std::size_t mappedSize(std::size_t bytes) {
    return (bytes + HugePage - 1) & ~(HugePage - 1);
}

} // namespace
#endif

void* allocatePageMemory(std::size_t bytes) {
#ifndef TILORA_HEAP_ONLY
    if (bytes >= PageMemoryThreshold && bytes <= std::size_t(-1) - 2 * HugePage) {
        // Mapped 2 MB more than needed, then trimmed to a 2 MB boundary at both ends: a huge
        // page can only sit at such a boundary.
        const std::size_t size = mappedSize(bytes);
        void* raw = ::mmap(nullptr, size + HugePage, PROT_READ | PROT_WRITE,
                           MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        if (raw == MAP_FAILED) throw std::bad_alloc();
        const auto start = reinterpret_cast<std::uintptr_t>(raw);
        const std::uintptr_t aligned = (start + HugePage - 1) & ~std::uintptr_t(HugePage - 1);
        if (aligned > start) ::munmap(raw, aligned - start);
        const std::uintptr_t tail = start + size + HugePage - (aligned + size);
        if (tail > 0) ::munmap(reinterpret_cast<void*>(aligned + size), tail);
        // Advice only: without huge pages the memory still works, in 4 KB pages.
        ::madvise(reinterpret_cast<void*>(aligned), size, MADV_HUGEPAGE);
        return reinterpret_cast<void*>(aligned);
    }
#endif
    return ::operator new(bytes == 0 ? 1 : bytes);
}

void releasePageMemory(void* p, [[maybe_unused]] std::size_t bytes) noexcept {
    if (!p) return;
#ifndef TILORA_HEAP_ONLY
    if (bytes >= PageMemoryThreshold && bytes <= std::size_t(-1) - 2 * HugePage) {
        ::munmap(p, mappedSize(bytes));
        return;
    }
#endif
    ::operator delete(p);
}

} // namespace tilora
