#include "Overview.h"

#include "ChipRenderer.h"
#include "EditorState.h"

#include <algorithm>

namespace tilora {

namespace {

// The average of a 32 x 32 square's pixels, channel by channel, rounded; always opaque.
Pixel averageColour(const Bitmap& from, int left, int top) {
    std::uint32_t r = 0, g = 0, b = 0;
    for (int y = top; y < top + ChipPixels; ++y) {
        const Pixel* p = from.row(y) + left;
        for (int x = 0; x < ChipPixels; ++x) {
            r += (p[x] >> 16) & 0xFFu;
            g += (p[x] >> 8) & 0xFFu;
            b += p[x] & 0xFFu;
        }
    }
    constexpr std::uint32_t n = ChipPixels * ChipPixels;
    return 0xFF000000u | ((r + n / 2) / n) << 16 | ((g + n / 2) / n) << 8 | ((b + n / 2) / n);
}

} // namespace

OverviewScale OverviewScale::forMap(int width, int height) {
    const int side = std::max({width, height, 1});
    if (side <= OverviewPixels) return {OverviewPixels / side, 1};
    return {1, (side + OverviewPixels - 1) / OverviewPixels};
}

int OverviewScale::pictureSide(int cellCount) const {
    return pixelEnd(std::max(cellCount, 0));
}

int OverviewScale::cellAt(int pixel) const {
    return pixels > 1 ? pixel / pixels : pixel * cells + cells / 2;
}

void ChipColours::build(const Bitmap* sheet, int sheetColumns) {
    neutral_ = averageColour(neutralChip(), 0, 0);
    colours_.clear();
    if (sheet == nullptr || sheetColumns <= 0) return;
    // Chip k sits at column k mod sheetColumns, row k div sheetColumns; only whole squares count.
    const int rows = sheet->height() / ChipPixels;
    const int wholeColumns = sheet->width() / ChipPixels;
    colours_.assign(std::size_t(sheetColumns) * std::size_t(std::max(rows, 0)), neutral_);
    for (int row = 0; row < rows; ++row) {
        for (int col = 0; col < std::min(sheetColumns, wholeColumns); ++col) {
            colours_[std::size_t(row) * std::size_t(sheetColumns) + std::size_t(col)] =
                averageColour(*sheet, col * ChipPixels, row * ChipPixels);
        }
    }
}

void Overview::rebuild(const EditorState& state) {
    mapWidth_ = std::clamp<int>(state.MapWidth, 0, GridSide);
    mapHeight_ = std::clamp<int>(state.MapHeight, 0, GridSide);
    scale_ = OverviewScale::forMap(mapWidth_, mapHeight_);
    picture_ = Bitmap(scale_.pictureSide(mapWidth_), scale_.pictureSide(mapHeight_));
    sums_.assign(std::size_t(picture_.width()) * 4, 0);
    draw(state, 0, 0, mapHeight_, mapWidth_);
}

Rect Overview::update(const EditorState& state, const CellArea& area) {
    if (state.MapWidth != mapWidth_ || state.MapHeight != mapHeight_ || picture_.isNull()) {
        rebuild(state);
        return {0, 0, picture_.width(), picture_.height()};
    }
    // Whole pixels: every cell under a pixel that shows a changed cell is added up again.
    const int c = scale_.cells;
    const int top = std::max(area.top, 0) / c * c;
    const int left = std::max(area.left, 0) / c * c;
    const int bottom = std::min(area.bottom + 1, mapHeight_);
    const int right = std::min(area.right + 1, mapWidth_);
    if (area.empty() || top >= bottom || left >= right) return {};
    draw(state, top, left, bottom, right);
    const int x = scale_.pixelOf(left);
    const int y = scale_.pixelOf(top);
    return {x, y, scale_.pixelEnd(right) - x, scale_.pixelEnd(bottom) - y};
}

void Overview::draw(const EditorState& state, int top, int left, int bottom, int right) {
    const int p = scale_.pixels;
    const int c = scale_.cells;
    if (c == 1) {
        // A block of p x p pixels per cell.
        for (int r = top; r < bottom; ++r) {
            const std::int32_t* cells = state.MapCells.data() + std::size_t(r) * GridSide;
            for (int y = r * p; y < (r + 1) * p; ++y) {
                Pixel* out = picture_.row(y);
                for (int col = left; col < right; ++col)
                    std::fill_n(out + std::size_t(col) * p, p, colours_.colour(cells[col]));
            }
        }
        return;
    }
    // Several cells a side per pixel: each channel summed over the cells under the pixel, then
    // averaged over the cells that exist (a pixel at the map's edge may have fewer).
    const int firstPixel = left / c;
    const int endPixel = (right + c - 1) / c;
    for (int y = top / c; y < (bottom + c - 1) / c; ++y) {
        const int rowEnd = std::min((y + 1) * c, mapHeight_);
        std::fill(sums_.begin() + std::ptrdiff_t(firstPixel) * 4,
                  sums_.begin() + std::ptrdiff_t(endPixel) * 4, 0u);
        for (int r = y * c; r < rowEnd; ++r) {
            const std::int32_t* cells = state.MapCells.data() + std::size_t(r) * GridSide;
            for (int x = firstPixel; x < endPixel; ++x) {
                std::uint32_t* sum = sums_.data() + std::size_t(x) * 4;
                const int colEnd = std::min((x + 1) * c, mapWidth_);
                for (int col = x * c; col < colEnd; ++col) {
                    const Pixel colour = colours_.colour(cells[col]);
                    sum[0] += (colour >> 16) & 0xFFu;
                    sum[1] += (colour >> 8) & 0xFFu;
                    sum[2] += colour & 0xFFu;
                    ++sum[3];
                }
            }
        }
        Pixel* out = picture_.row(y);
        for (int x = firstPixel; x < endPixel; ++x) {
            const std::uint32_t* sum = sums_.data() + std::size_t(x) * 4;
            const std::uint32_t n = std::max(sum[3], 1u);
            out[x] = 0xFF000000u | ((sum[0] + n / 2) / n) << 16 | ((sum[1] + n / 2) / n) << 8 |
                     ((sum[2] + n / 2) / n);
        }
    }
}

Rect Overview::viewRect(const EditorState& state, const ViewSize& view) const {
    const int size = std::max<int>(state.CellSize, 1);
    const auto span = [](int origin, int cells, int side) {
        const int first = std::clamp(origin, 0, side);
        return std::pair{first, std::clamp(origin + cells, first, side)};
    };
    const auto [col0, col1] = span(state.ViewCol, view.columns(size), mapWidth_);
    const auto [row0, row1] = span(state.ViewRow, view.rows(size), mapHeight_);
    const int x = scale_.pixelOf(col0);
    const int y = scale_.pixelOf(row0);
    return {x, y, scale_.pixelEnd(col1) - x, scale_.pixelEnd(row1) - y};
}

Overview::Cell Overview::cellAt(int x, int y) const {
    const auto inside = [](int cell, int side) {
        return std::clamp(cell, 0, std::max(side - 1, 0));
    };
    return {inside(scale_.cellAt(std::max(y, 0)), mapHeight_),
            inside(scale_.cellAt(std::max(x, 0)), mapWidth_)};
}

} // namespace tilora
