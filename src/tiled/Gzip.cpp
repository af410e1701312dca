#include "tiled/Gzip.h"

#include "core/Texts.h"

#include <zlib.h>

#include <algorithm>

namespace tilora::tiled {

namespace {

Error gzipError(const std::string& what) {
    return Error{i18n("Cannot unpack the gzip file: %1", {what})};
}

} // namespace

bool isGzip(std::string_view bytes) {
    return bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0x1F &&
           static_cast<unsigned char>(bytes[1]) == 0x8B;
}

Result<std::string> gunzip(std::string_view bytes, std::size_t maxBytes) {
    z_stream zs{};
    if (inflateInit2(&zs, 15 + 16) != Z_OK) return gzipError(i18n("not enough memory"));
    struct End {
        z_stream& zs;
        ~End() { inflateEnd(&zs); }
    } end{zs};
    std::string out;
    out.resize(std::min<std::size_t>(std::max<std::size_t>(bytes.size() * 4, 4096), maxBytes + 1));
    std::size_t have = 0;
    std::string_view rest = bytes;
    while (true) {
        zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(rest.data()));
        zs.avail_in = uInt(std::min<std::size_t>(rest.size(), 1u << 30));
        const std::size_t offered = zs.avail_in;
        if (have == out.size()) out.resize(std::min(out.size() * 2, maxBytes + 1));
        zs.next_out = reinterpret_cast<Bytef*>(out.data() + have);
        zs.avail_out = uInt(std::min<std::size_t>(out.size() - have, 1u << 30));
        const std::size_t room = zs.avail_out;
        const int rc = inflate(&zs, Z_NO_FLUSH);
        rest.remove_prefix(offered - zs.avail_in);
        have += room - zs.avail_out;
        if (have > maxBytes)
            return gzipError(i18n("too large when unpacked (the limit is %1 bytes)", {maxBytes}));
        if (rc == Z_STREAM_END) {
            if (rest.empty()) break;
            // gzip(1) writes concatenated files as members one after another.
            if (!isGzip(rest)) return gzipError(i18n("extra data after the compressed data"));
            inflateReset(&zs);
            continue;
        }
        if (rc == Z_BUF_ERROR && rest.empty()) return gzipError(i18n("the file is cut short"));
        if (rc != Z_OK && rc != Z_BUF_ERROR) return gzipError(i18n("the data is damaged"));
    }
    out.resize(have);
    return out;
}

} // namespace tilora::tiled
