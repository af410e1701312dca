#pragma once
// A PNG writer for large RGB pictures that never holds the picture whole: the rows are drawn in
// bands, each band filtered and deflated on its own core into a raw deflate stream ended by a
// full flush, and the streams are joined into one zlib stream (one header, the bands' Adler-32
// checksums combined at the end). Only a few bands are in memory at any time.
//
// The file is handed out piece by piece: signature and IHDR, one IDAT chunk per band, then the
// checksum's IDAT and IEND.

#include <cstdint>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace tilora::cli {

inline constexpr int DefaultPngLevel = 1;

class PngEncoder {
  public:
    // Fills `rows` pixel rows from `firstRow` on, 3 bytes (R, G, B) per pixel, into rgb. Called
    // from several threads at once for different bands.
    using DrawRows = std::function<void(int firstRow, int rows, unsigned char* rgb)>;

    // bandRows: pixel rows per band (the last band may be shorter). level: zlib's 0..9.
    PngEncoder(int width, int height, int bandRows, int level, DrawRows draw);
    ~PngEncoder();

    // The next piece; valid until the following call. Empty when the file is complete.
    std::string_view next();

  private:
    struct Band {
        std::string compressed;
        std::uint32_t adler = 1;
        std::uint64_t length = 0; // filtered bytes fed to the compressor
    };
    Band encodeBand(int band);
    // Band buffers are reused, so a large picture does not fault in fresh pages for every band.
    std::string takeBuffer();
    void giveBuffer(std::string buffer);
    void launch();
    static void appendChunk(std::string& out, const char* type, std::string_view data);

    int width_;
    int height_;
    int bandRows_;
    int level_;
    DrawRows draw_;
    int bands_;
    int launched_ = 0;
    int window_; // bands in flight at most
    int stage_ = 0;
    std::deque<std::future<Band>> pending_;
    std::uint32_t adler_ = 1;
    std::string piece_;
    std::mutex poolLock_;
    std::vector<std::string> pool_;
};

} // namespace tilora::cli
