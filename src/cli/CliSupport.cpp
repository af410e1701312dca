#include "cli/CliSupport.h"

#include "cli/InputFile.h"
#include "core/FileIO.h"
#include "core/PathText.h"
#include "core/SheetImage.h"
#include "core/SheetLocator.h"
#include "core/Texts.h"

#include <sys/stat.h>

#include <filesystem>
#include <ostream>

namespace tilora::cli {

Error fileError(const CliPath& path, const std::string& message) {
    return Error{pathForMessage(path.bytes) + ": " + message};
}

namespace {

Result<InputFile> readMapInput(const CliPath& path) {
    auto file = readInputFile(path.bytes);
    if (!file) return fileError(path, file.error().message);
    if (file->missing)
        return fileError(path, i18n("Cannot read the file: %1", {i18n("the file does not exist")}));
    return file;
}

} // namespace

Result<MapContents> loadMapFile(const CliPath& path) {
    auto file = readMapInput(path);
    if (!file) return file.error();
    auto map = parseMapFile(file->bytes);
    if (!map) return fileError(path, map.error().message);
    return std::move(*map);
}

Result<MapFileHeader> scanMapFile(const CliPath& path,
                                  const std::function<void(const MapFileHeader&)>& onHeader,
                                  const std::function<void(const std::int32_t*, int)>& onRow) {
    auto file = readMapInput(path);
    if (!file) return file.error();
    auto header = tilora::scanMapFile(file->bytes, onHeader, onRow);
    if (!header) return fileError(path, header.error().message);
    return header;
}

Result<std::string> findMapSheet(const MapContents& map, const CliPath& mapPath,
                                 const CliPath* fallback) {
    const SheetLocation found = locateSheet(map.sheetPath, mapPath.bytes);
    if (found.found()) return found.path;
    if (fallback) {
        std::error_code ec;
        return std::filesystem::absolute(fallback->bytes, ec).lexically_normal().string();
    }
    return fileError(mapPath,
                     i18n("The chip sheet is not found: %1", {pathForMessage(map.sheetPath)}));
}

Result<LoadedSheet> loadMapSheet(const MapContents& map, const CliPath& mapPath,
                                 const CliPath* fallback) {
    Result<std::string> found = findMapSheet(map, mapPath, fallback);
    if (!found) return found.error();
    const std::string& path = *found;

    struct Identity {
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = -1;
        timespec modified{};
        bool operator==(const Identity& o) const {
            return device == o.device && inode == o.inode && size == o.size &&
                   modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec;
        }
    };
    static LoadedSheet last;
    static Identity lastIdentity;
    struct stat st {};
    Identity identity;
    if (::stat(path.c_str(), &st) == 0) identity = {st.st_dev, st.st_ino, st.st_size, st.st_mtim};
    if (last.bitmap && last.path == path && identity.size >= 0 && identity == lastIdentity)
        return last;

    // Let go of the previous sheet before decoding the next: a batch over two large sheets would
    // otherwise hold both at once.
    last = LoadedSheet{};
    auto bitmap = loadSheetImage(path);
    if (!bitmap) return bitmap.error(); // the loader names the file
    last = LoadedSheet{path, std::make_shared<const Bitmap>(std::move(*bitmap))};
    lastIdentity = identity;
    return last;
}

void InputFiles::add(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) entries_.push_back(Entry{st.st_dev, st.st_ino, path});
}

Status InputFiles::checkOutput(const CliPath& output) const {
    struct stat st {};
    if (output.isStandardOutput() || ::stat(output.bytes.c_str(), &st) != 0) return Ok{};
    for (const Entry& input : entries_)
        if (input.device == st.st_dev && input.inode == st.st_ino)
            return fileError(
                output, i18n("the output is the same file as the input (%1); give another name",
                             {input.path}));
    return Ok{};
}

Status writeOutput(const CliPath& path, std::string_view bytes, std::ostream& out) {
    bool given = false;
    return writeOutput(
        path,
        [&]() -> std::string_view {
            if (given) return {};
            given = true;
            return bytes;
        },
        out);
}

Status writeOutput(const CliPath& path, const std::function<std::string_view()>& nextPiece,
                   std::ostream& out) {
    if (path.isStandardOutput()) {
        for (std::string_view piece = nextPiece(); !piece.empty(); piece = nextPiece())
            out.write(piece.data(), std::streamsize(piece.size()));
        out.flush();
        if (!out) return Error{i18n("Cannot write to standard output")};
        return Ok{};
    }
    auto saved = saveFileAtomically(path.bytes, nextPiece);
    if (!saved) return fileError(path, saved.error().message);
    return Ok{};
}

} // namespace tilora::cli
