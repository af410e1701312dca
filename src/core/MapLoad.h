#pragma once
// The one load pipeline of both programs: a map file's path in; the map and its chip sheet out,
// or one refusal that says at which stage it stopped. The stages: read the file (core/FileIO),
// parse it (core/MapFile), find the sheet line 1 names (core/SheetLocator), read the sheet with
// the one sheet rule (core/SheetImage). A sheet that is not found is a refusal of its own kind,
// so the editor can offer to choose one and load again with it; tilora-cli's --sheet is that
// same choice made in advance.

#include "Bitmap.h"
#include "MapFile.h"
#include "Result.h"
#include "SheetImage.h"

#include <sys/types.h>

#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace tilora {

enum class LoadStage {
    Read,      // the file could not be read
    Parse,     // its contents are not a map
    Check,     // the caller's own check of the contents refused them
    FindSheet, // the sheet line 1 names is not found (and no other was given)
    LoadSheet, // the sheet was found but could not be read, or breaks the one sheet rule
};

struct LoadRefusal {
    LoadStage stage = LoadStage::Read;
    // For the user. Read and Parse do not name the map file (the caller does, as it shows
    // paths); FindSheet names the sheet as line 1 writes it; LoadSheet names the sheet's file.
    std::string message;
    std::string sheetPath; // FindSheet: line 1 as the file has it (bytes)
};

// What the load needs of the sheet.
enum class SheetUse {
    // Its picture: a sheet not found or refused refuses the load.
    Picture,
    // Only its size, from its header checked as the decoder checks it: a sheet not found or
    // refused is told in LoadedMap::sheetProblem and the map is loaded all the same.
    Header,
};

// The last sheet decoded, kept while its file stays the same file with the same size and time,
// so that a batch of maps on one sheet decodes it once. The previous one is let go before
// another is decoded, so two large sheets are never held together.
class SheetCache {
  public:
    Result<std::shared_ptr<const Bitmap>> load(const std::string& path);

  private:
    struct Identity {
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = -1;
        timespec modified{};
        bool operator==(const Identity& o) const;
    };
    std::string path_;
    Identity identity_;
    std::shared_ptr<const Bitmap> sheet_;
};

struct MapLoadOptions {
    SheetUse sheet = SheetUse::Picture;
    // A sheet file to use when line 1's is not found (bytes; relative to the working directory or
    // absolute): the sheet the user chose instead, or tilora-cli's --sheet.
    std::string sheetInstead;
    // Checks the contents once they are read, before any sheet is looked for (a command that
    // refuses a map for its size need not decode its sheet); its error is passed on as it is.
    std::function<Status(const MapContents&)> check;
    // Where sheets are kept between loads; none: each load decodes its sheet.
    SheetCache* cache = nullptr;
    // Only count the cells (LoadedMap::counts), with every check and refusal of a full load, for
    // a command that describes a map without drawing it: contents.cells stays empty. The sheet is
    // looked for once the first three lines are read, so that the cells past its last chip are
    // counted in the same pass; its refusals, and the check's (given the contents without cells),
    // still come after a refusal of the rows.
    bool countOnly = false;
};

struct LoadedMap {
    std::string file;         // the map's file as given (bytes); empty for a map with none
    MapContents contents;     // as read: contents.sheetPath is line 1 as the file has it
    std::string sheetName;    // the line 1 the map keeps: as read, or naming the sheet used instead
    std::string sheetFoundAt; // the sheet file found or given instead, absolute (bytes); or empty
    std::shared_ptr<const Bitmap> sheetPicture; // SheetUse::Picture
    ImageSize sheetSize;                        // when the sheet was read
    // SheetUse::Header: why the sheet has no size (not found: FindSheet; refused: LoadSheet).
    std::optional<LoadRefusal> sheetProblem;
    // The map differs from its file: another sheet stands in for line 1's, or it has no file.
    bool modified = false;
    // A sheet made for the map (an import), not yet on disk: the name its file is to be given.
    std::string generatedSheetName;
    // MapLoadOptions::countOnly: what the cells hold. fromBound counts the cells past the sheet's
    // last chip when the sheet's size is known (sheetProblem is empty), and none otherwise.
    std::optional<CellCounts> counts;
};

Result<LoadedMap, LoadRefusal> loadMap(const std::string& path, const MapLoadOptions& options = {});

} // namespace tilora
