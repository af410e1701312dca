#include "cli/PngEncoder.h"

#include "core/Texts.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <thread>
#include <vector>

namespace tilora::cli {

namespace {

// Bytes of band work kept in memory at most: the drawn rows, the filtered rows and the
// compressed output of every band in flight.
constexpr std::uint64_t InFlightBudget = 48u << 20;

void putBe32(std::string& out, std::uint32_t v) {
    out += char(v >> 24);
    out += char((v >> 16) & 0xFF);
    out += char((v >> 8) & 0xFF);
    out += char(v & 0xFF);
}

// The zlib header: deflate with a 32 KB window, the level hint matching the level used.
std::string_view zlibHeader(int level) {
    if (level <= 1) return {"\x78\x01", 2};
    if (level <= 5) return {"\x78\x5E", 2};
    if (level == 6) return {"\x78\x9C", 2};
    return {"\x78\xDA", 2};
}

} // namespace

PngEncoder::PngEncoder(int width, int height, int bandRows, int level, DrawRows draw)
    : width_(width), height_(height), bandRows_(std::max(1, bandRows)), level_(level),
      draw_(std::move(draw)) {
    bands_ = (height_ + bandRows_ - 1) / bandRows_;
    const std::uint64_t rowBytes = std::uint64_t(width_) * 3 + 1;
    // Drawn rows, filtered rows, and the compressed band (at most a little more than filtered).
    const std::uint64_t bandBytes = rowBytes * std::uint64_t(bandRows_) * 3;
    const int cores = int(std::max(1u, std::thread::hardware_concurrency()));
    window_ = int(std::clamp<std::uint64_t>(InFlightBudget / std::max<std::uint64_t>(1, bandBytes),
                                            1, std::uint64_t(cores)));
}

PngEncoder::~PngEncoder() {
    for (auto& f : pending_)
        if (f.valid()) f.wait();
}

void PngEncoder::appendChunk(std::string& out, const char* type, std::string_view data) {
    putBe32(out, std::uint32_t(data.size()));
    const std::size_t typeAt = out.size();
    out.append(type, 4);
    out.append(data);
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(out.data() + typeAt), 4);
    if (!data.empty()) crc = crc32_z(crc, reinterpret_cast<const Bytef*>(data.data()), data.size());
    putBe32(out, std::uint32_t(crc));
}

std::string PngEncoder::takeBuffer() {
    std::lock_guard lock(poolLock_);
    if (pool_.empty()) return {};
    std::string buffer = std::move(pool_.back());
    pool_.pop_back();
    return buffer;
}

void PngEncoder::giveBuffer(std::string buffer) {
    std::lock_guard lock(poolLock_);
    pool_.push_back(std::move(buffer));
}

PngEncoder::Band PngEncoder::encodeBand(int band) {
    const int first = band * bandRows_;
    const int rows = std::min(bandRows_, height_ - first);
    const std::size_t stride = std::size_t(width_) * 3;
    std::string rgbBuffer = takeBuffer();
    rgbBuffer.resize(stride * std::size_t(rows));
    auto* rgb = reinterpret_cast<unsigned char*>(rgbBuffer.data());
    draw_(first, rows, rgb);

    // Filters: a row equal to the one above (an enlarged cell repeats its rows) is filtered Up,
    // which makes it zeros, however wide the row; every other row, and the band's first (so every
    // band stands alone), None. The picture is made of chips repeated across the map, so a row
    // repeats the same few runs of bytes over and over, which deflate finds as long matches (and
    // skips over quickly). Sub would tie each cell's first pixel to its neighbour's last and cut
    // every match short: on a map of varied chips it made the file twice as large and took three
    // times as long.
    std::string filteredBuffer = takeBuffer();
    filteredBuffer.resize((stride + 1) * std::size_t(rows));
    auto* filtered = reinterpret_cast<unsigned char*>(filteredBuffer.data());
    for (int y = 0; y < rows; ++y) {
        unsigned char* out = filtered + (stride + 1) * std::size_t(y);
        const unsigned char* row = rgb + stride * std::size_t(y);
        if (y > 0 && std::memcmp(row, row - stride, stride) == 0) {
            out[0] = 2;
            std::memset(out + 1, 0, stride);
        } else {
            out[0] = 0;
            std::memcpy(out + 1, row, stride);
        }
    }
    giveBuffer(std::move(rgbBuffer));

    Band result;
    result.length = filteredBuffer.size();
    result.adler = std::uint32_t(adler32_z(1, filtered, filteredBuffer.size()));
    z_stream zs{};
    if (deflateInit2(&zs, level_, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::bad_alloc();
    result.compressed = takeBuffer();
    result.compressed.resize(deflateBound(&zs, uLong(filteredBuffer.size())) + 16);
    zs.next_in = filtered;
    zs.avail_in = uInt(filteredBuffer.size());
    zs.next_out = reinterpret_cast<Bytef*>(result.compressed.data());
    zs.avail_out = uInt(result.compressed.size());
    // The last band ends the deflate stream; every other one ends on a byte boundary with the
    // dictionary dropped, so the next band's stream can follow it directly.
    const int rc = deflate(&zs, band == bands_ - 1 ? Z_FINISH : Z_FULL_FLUSH);
    const bool done = band == bands_ - 1 ? rc == Z_STREAM_END : rc == Z_OK && zs.avail_in == 0;
    result.compressed.resize(zs.total_out);
    deflateEnd(&zs);
    giveBuffer(std::move(filteredBuffer));
    if (!done) throw std::runtime_error(i18n("compressing the PNG failed"));
    return result;
}

void PngEncoder::launch() {
    while (launched_ < bands_ && int(pending_.size()) < window_) {
        const int band = launched_++;
        pending_.push_back(
            std::async(std::launch::async, [this, band] { return encodeBand(band); }));
    }
}

std::string_view PngEncoder::next() {
    piece_.clear();
    if (stage_ == 0) {
        stage_ = 1;
        launch();
        piece_.append("\x89PNG\r\n\x1A\n", 8);
        std::string ihdr;
        putBe32(ihdr, std::uint32_t(width_));
        putBe32(ihdr, std::uint32_t(height_));
        ihdr += char(8);      // bits per channel
        ihdr += char(2);      // colour type: RGB
        ihdr.append(3, '\0'); // deflate, adaptive filters, no interlace
        appendChunk(piece_, "IHDR", ihdr);
        return piece_;
    }
    if (stage_ == 1 && !pending_.empty()) {
        const bool first = launched_ - int(pending_.size()) == 0;
        Band band = pending_.front().get();
        pending_.pop_front();
        launch();
        adler_ = std::uint32_t(adler32_combine(adler_, band.adler, z_off_t(band.length)));
        if (first) band.compressed.insert(0, zlibHeader(level_));
        appendChunk(piece_, "IDAT", band.compressed);
        giveBuffer(std::move(band.compressed));
        return piece_;
    }
    if (stage_ == 1) {
        stage_ = 2;
        std::string trailer;
        putBe32(trailer, adler_);
        appendChunk(piece_, "IDAT", trailer);
        appendChunk(piece_, "IEND", {});
        return piece_;
    }
    return {};
}

} // namespace tilora::cli
