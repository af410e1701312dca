#include "core/Bitmap.h"

#include <algorithm>
#include <cstdint>

namespace tilora {

Bitmap::Bitmap(int width, int height, Pixel fill) {
    if (width <= 0 || height <= 0) return; // a surface with no pixels is the null bitmap
    width_ = width;
    height_ = height;
    pixels_.assign(std::size_t(width) * std::size_t(height), fill);
}

Bitmap Bitmap::uninitialized(int width, int height) {
    Bitmap b;
    if (width <= 0 || height <= 0) return b;
    b.width_ = width;
    b.height_ = height;
    b.pixels_.resize(std::size_t(width) * std::size_t(height));
    return b;
}

void Bitmap::fill(Pixel p) {
    std::fill(pixels_.begin(), pixels_.end(), p);
}

namespace {

// The run of source pixels [first, last) that destination pixel d of a span of `dstLen` pixels
// takes from a span of `srcLen` source pixels (both > 0). Enlarging and the one-to-one copy take
// exactly one pixel; shrinking takes every pixel between this destination pixel's edge and the
// next one's. A destination one pixel long drops the last source pixel: the AND-combining shrink
// steps through the source the same way at every length.
struct Span {
    std::int64_t first;
    std::int64_t last;
};

Span sourceSpan(std::int64_t d, std::int64_t dstLen, std::int64_t srcLen) {
    if (dstLen >= srcLen) {
        std::int64_t s = d * srcLen / dstLen;
        return {s, s + 1};
    }
    if (dstLen == 1) return {0, srcLen - 1};
    return {d * srcLen / dstLen, (d + 1) * srcLen / dstLen};
}

} // namespace

void stretchBlt(Bitmap& dst, Rect dstRect, const Bitmap& src, Rect srcRect) {
    if (dstRect.w <= 0 || dstRect.h <= 0 || srcRect.w <= 0 || srcRect.h <= 0) return;
    if (dst.isNull()) return;

    // Destination pixels that land on dst, counted from dstRect's corner. 64-bit so that rects near
    // the int limits cannot overflow.
    const std::int64_t dx0 = std::max<std::int64_t>(0, -std::int64_t(dstRect.x));
    const std::int64_t dy0 = std::max<std::int64_t>(0, -std::int64_t(dstRect.y));
    const std::int64_t dx1 =
        std::min<std::int64_t>(dstRect.w, std::int64_t(dst.width()) - dstRect.x);
    const std::int64_t dy1 =
        std::min<std::int64_t>(dstRect.h, std::int64_t(dst.height()) - dstRect.y);
    if (dx0 >= dx1 || dy0 >= dy1) return;

    const std::int64_t srcW = src.width();
    const std::int64_t srcH = src.height();
    const bool sameSize = dstRect.w == srcRect.w && dstRect.h == srcRect.h;
    const bool srcInside = srcRect.x >= 0 && srcRect.y >= 0 &&
                           std::int64_t(srcRect.x) + srcRect.w <= srcW &&
                           std::int64_t(srcRect.y) + srcRect.h <= srcH;

    if (sameSize && srcInside) {
        // The common case of every chip copy: straight rows.
        for (std::int64_t dy = dy0; dy < dy1; ++dy) {
            const Pixel* from = src.row(int(srcRect.y + dy)) + srcRect.x + dx0;
            std::copy(from, from + (dx1 - dx0), dst.row(int(dstRect.y + dy)) + dstRect.x + dx0);
        }
        return;
    }

    for (std::int64_t dy = dy0; dy < dy1; ++dy) {
        const Span ys = sourceSpan(dy, dstRect.h, srcRect.h);
        Pixel* out = dst.row(int(dstRect.y + dy)) + dstRect.x;
        for (std::int64_t dx = dx0; dx < dx1; ++dx) {
            const Span xs = sourceSpan(dx, dstRect.w, srcRect.w);
            // Columns [in0, in1) of the span lie on src. AND is idempotent, so any number of
            // neutral pixels in a row counts as one.
            const std::int64_t x0 = srcRect.x + xs.first;
            const std::int64_t x1 = srcRect.x + xs.last;
            const std::int64_t in0 = std::clamp<std::int64_t>(x0, 0, srcW);
            const std::int64_t in1 = std::clamp<std::int64_t>(x1, in0, srcW);
            const Pixel edge = in1 - in0 < x1 - x0 ? NeutralPixel : ~Pixel(0);
            Pixel p = ~Pixel(0);
            for (std::int64_t sy = srcRect.y + ys.first; sy < srcRect.y + ys.last; ++sy) {
                if (sy < 0 || sy >= srcH) {
                    p &= NeutralPixel;
                    continue;
                }
                const Pixel* in = src.row(int(sy));
                p &= edge;
                for (std::int64_t sx = in0; sx < in1; ++sx)
                    p &= in[sx];
            }
            out[dx] = p;
        }
    }
}

} // namespace tilora
