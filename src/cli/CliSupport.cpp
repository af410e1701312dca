#include "cli/CliSupport.h"

#include "core/FileIO.h"
#include "core/PathText.h"
#include "core/Texts.h"

#include <sys/stat.h>

#include <ostream>

namespace tilora::cli {

Error fileError(const CliPath& path, const std::string& message) {
    return Error{pathForMessage(path.bytes) + ": " + message};
}

Error loadError(const CliPath& path, const LoadRefusal& refusal) {
    switch (refusal.stage) {
    case LoadStage::Check:
    case LoadStage::LoadSheet:
        return Error{refusal.message};
    case LoadStage::Read:
    case LoadStage::Parse:
    case LoadStage::FindSheet:
        break;
    }
    return fileError(path, refusal.message);
}

namespace {

Result<LoadedMap> loadWith(const CliPath& path, MapLoadOptions options, const CliPath* fallback) {
    static SheetCache sheets;
    if (fallback) options.sheetInstead = fallback->bytes;
    options.cache = &sheets;
    auto loaded = loadMap(path.bytes, options);
    if (!loaded) return loadError(path, loaded.error());
    return std::move(*loaded);
}

} // namespace

Result<LoadedMap> loadCliMap(const CliPath& path, SheetUse use, const CliPath* fallback,
                             const std::function<Status(const MapContents&)>& check) {
    MapLoadOptions options;
    options.sheet = use;
    options.check = check;
    return loadWith(path, std::move(options), fallback);
}

Result<LoadedMap> countCliMap(const CliPath& path, const CliPath* fallback) {
    MapLoadOptions options;
    options.sheet = SheetUse::Header;
    options.countOnly = true;
    return loadWith(path, std::move(options), fallback);
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
