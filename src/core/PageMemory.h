#pragma once
// Memory for buffers of megabytes that a program fills once: taken from the system in 2 MB pages
// where the kernel offers them (madvise), so that filling 4 MB costs two page faults instead of
// a thousand, and never cleared by the program (the system hands it out zeroed; the owner writes
// it anyway). Smaller sizes come from the heap as usual, and so does everything in a build under
// the sanitizers, which must see every allocation.

#include <cstddef>
#include <memory>
#include <new>
#include <utility>

namespace tilora {

// Sizes from this on are taken from the system.
inline constexpr std::size_t PageMemoryThreshold = std::size_t(1) << 20;

// `bytes` of memory (contents unspecified); throws std::bad_alloc when there is none.
void* allocatePageMemory(std::size_t bytes);
// Gives back what allocatePageMemory(bytes) returned.
void releasePageMemory(void* p, std::size_t bytes) noexcept;

// A buffer of bytes from allocatePageMemory, owned alone.
class PageBuffer {
  public:
    PageBuffer() = default;
    explicit PageBuffer(std::size_t bytes)
        : data_(static_cast<char*>(allocatePageMemory(bytes))), size_(bytes) {}
    PageBuffer(PageBuffer&& other) noexcept
        : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}
    PageBuffer& operator=(PageBuffer&& other) noexcept {
        std::swap(data_, other.data_);
        std::swap(size_, other.size_);
        return *this;
    }
    PageBuffer(const PageBuffer&) = delete;
    PageBuffer& operator=(const PageBuffer&) = delete;
    ~PageBuffer() {
        if (data_) releasePageMemory(data_, size_);
    }

    char* data() const { return data_; }
    std::size_t size() const { return size_; }

  private:
    char* data_ = nullptr;
    std::size_t size_ = 0;
};

// An allocator for vectors of such sizes. Elements a vector grows by without a value are left as
// they come (a parser that writes every one pays for no clearing), as Bitmap's storage does.
template <class T> struct PageAllocator {
    using value_type = T;
    PageAllocator() = default;
    template <class U> PageAllocator(const PageAllocator<U>&) noexcept {}

    T* allocate(std::size_t n) {
        if (n > std::size_t(-1) / sizeof(T)) throw std::bad_array_new_length();
        return static_cast<T*>(allocatePageMemory(n * sizeof(T)));
    }
    void deallocate(T* p, std::size_t n) noexcept { releasePageMemory(p, n * sizeof(T)); }

    template <class U> void construct(U* p) noexcept { ::new (static_cast<void*>(p)) U; }
    template <class U, class... Args> void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }

    friend bool operator==(const PageAllocator&, const PageAllocator&) { return true; }
};

} // namespace tilora
