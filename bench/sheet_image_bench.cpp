// Decoding a 1024 x 1024 chip sheet: Tilora's decoder on a 24-bit BMP and on a PNG, the floor
// (copying the same pixel bytes into a new bitmap), and the naive way (Qt's image reader plus a
// conversion to the bitmap's pixel layout).

#include "core/SheetImage.h"

#include <QBuffer>
#include <QImage>

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

namespace tilora {
namespace {

constexpr int Side = 1024;

struct SheetFixture {
    Bitmap picture{Side, Side};
    std::string bmp;
    std::string png;

    SheetFixture() {
        // Chips of their own colour with a little texture, as drawn sheets have.
        for (int y = 0; y < Side; ++y)
            for (int x = 0; x < Side; ++x) {
                const std::uint32_t chip = std::uint32_t(y / 32 * 32 + x / 32);
                const std::uint32_t texture = std::uint32_t((x * 7 + y * 13) % 5) * 0x030303u;
                picture.setPixel(x, y, 0xFF000000u | ((chip * 0x00010307u + texture) & 0xFFFFFFu));
            }
        QImage image(reinterpret_cast<const uchar*>(picture.data()), Side, Side, Side * 4,
                     QImage::Format_RGB32);
        bmp = encode(image.convertToFormat(QImage::Format_RGB888), "BMP");
        png = encode(image, "PNG");
    }
    static std::string encode(const QImage& image, const char* format) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, format);
        return bytes.toStdString();
    }
};

const SheetFixture& fixture() {
    static const SheetFixture f;
    return f;
}

void countPixels(benchmark::State& bs) {
    bs.SetItemsProcessed(std::int64_t(bs.iterations()) * Side * Side);
}

const std::string& encoded(bool png) {
    return png ? fixture().png : fixture().bmp;
}

void decodeTilora(benchmark::State& bs, bool png) {
    const std::string& bytes = encoded(png);
    for (auto _ : bs) {
        auto decoded = decodeSheetImage(bytes);
        if (!decoded) bs.SkipWithError(decoded.error().message.c_str());
        benchmark::DoNotOptimize(decoded);
    }
    countPixels(bs);
}

// The least a decoder can do: fill a new bitmap with pixel bytes that are already decoded.
void decodeFloor(benchmark::State& bs) {
    const Bitmap& picture = fixture().picture;
    for (auto _ : bs) {
        Bitmap copy(Side, Side);
        std::memcpy(copy.data(), picture.data(), std::size_t(Side) * Side * sizeof(Pixel));
        benchmark::DoNotOptimize(copy);
    }
    countPixels(bs);
}

void decodeNaive(benchmark::State& bs, bool png) {
    const std::string& bytes = encoded(png);
    const QByteArray data = QByteArray::fromRawData(bytes.data(), qsizetype(bytes.size()));
    for (auto _ : bs) {
        const QImage image = QImage::fromData(data).convertToFormat(QImage::Format_RGB32);
        Bitmap out(image.width(), image.height());
        for (int y = 0; y < image.height(); ++y)
            std::memcpy(out.row(y), image.constScanLine(y), std::size_t(image.width()) * 4);
        benchmark::DoNotOptimize(out);
    }
    countPixels(bs);
}

[[maybe_unused]] const bool registered = [] {
    benchmark::RegisterBenchmark("SheetDecode/tilora/bmp", decodeTilora, false)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("SheetDecode/tilora/png", decodeTilora, true)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("SheetDecode/floor", decodeFloor)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("SheetDecode/naive/bmp", decodeNaive, false)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("SheetDecode/naive/png", decodeNaive, true)
        ->Unit(benchmark::kMillisecond);
    return true;
}();

} // namespace
} // namespace tilora
