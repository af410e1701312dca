#pragma once
// A 32-bit pixel surface and the stretching copy every picture in the editor is drawn with.

#include <cstdint>
#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace tilora {

// Pixels are 0xAARRGGBB, the layout of QImage::Format_RGB32 / ARGB32 on every platform.
using Pixel = std::uint32_t;

// What a source pixel outside the source bitmap reads as.
inline constexpr Pixel NeutralPixel = 0xFF808080u;

struct Rect {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

// Storage whose elements are left as they come from the allocator when the vector grows without a
// value, so a large surface costs no page until it is written (a vector zero-fills otherwise).
template <class T> struct LeaveUninitialized : std::allocator<T> {
    template <class U> struct rebind { using other = LeaveUninitialized<U>; };
    using std::allocator<T>::allocator;
    template <class U> void construct(U* p) noexcept { ::new (static_cast<void*>(p)) U; }
    template <class U, class... Args> void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

class Bitmap {
  public:
    Bitmap() = default;
    Bitmap(int width, int height, Pixel fill = 0xFF000000u);
    // A surface whose pixels are unspecified until written: for a decoder that writes them all.
    static Bitmap uninitialized(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    bool isNull() const { return width_ == 0 || height_ == 0; }

    Pixel* row(int y) { return pixels_.data() + std::size_t(y) * width_; }
    const Pixel* row(int y) const { return pixels_.data() + std::size_t(y) * width_; }
    Pixel* data() { return pixels_.data(); }
    const Pixel* data() const { return pixels_.data(); }
    Pixel pixel(int x, int y) const { return row(y)[x]; }
    void setPixel(int x, int y, Pixel p) { row(y)[x] = p; }
    void fill(Pixel p);

    friend bool operator==(const Bitmap&, const Bitmap&) = default;

  private:
    int width_ = 0;
    int height_ = 0;
    std::vector<Pixel, LeaveUninitialized<Pixel>> pixels_;
};

// Copies srcRect of src onto dstRect of dst, replacing what was there:
// - same size: one-to-one copy;
// - enlarging: pixel replication;
// - shrinking: the source pixels that fall on one destination pixel are combined with a bitwise
//   AND of the whole pixel value (the AND-combining shrink: dark lines survive);
// - destination pixels outside dst are clipped away; source pixels outside src read as
//   NeutralPixel.
void stretchBlt(Bitmap& dst, Rect dstRect, const Bitmap& src, Rect srcRect);

} // namespace tilora
