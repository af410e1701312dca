#pragma once
// The recovery folder: copies of unsaved maps that a later start of the editor can offer back
// after a crash, a kill or a lost session.
//
// Each running editor has an id ("<pid>-<random hex>") and up to three files named by it:
//   <id>.lock  locked (flock) by the editor for as long as it runs; the lock ends with the
//              process however it ends, so a copy whose lock can be taken is an orphan;
//   <id>.map   the copy itself, an ordinary map file (any map reader opens it);
//   <id>.info  the map file the copy belongs to and the sheet it was drawn with (see
//              formatRecoveryInfo), since line 1 of the copy may be relative to that map's folder;
//   <id>.sheet.png  for a map whose sheet has no file yet (an import's), that sheet.
// The lock file is created before the first copy and removed at a clean end. Copies go through
// the safe save (temporary file, fsync, rename), so a copy is whole or absent, never half.
// flock locks belong to an open file, not to a process: two stores in one process exclude each
// other as two editors do.

#include "MapFile.h"
#include "Result.h"

#include <string>
#include <string_view>
#include <vector>

namespace tilora {

// $XDG_STATE_HOME/tilora/recovery, or $HOME/.local/state/tilora/recovery when XDG_STATE_HOME is
// unset, empty or not absolute (as the XDG base directory rules say). Empty when neither gives an
// absolute path. Either argument may be null.
std::string recoveryFolder(const char* xdgStateHome, const char* home);
// The same from this process's environment.
std::string recoveryFolderFromEnvironment();

// What a copy records beside the map: the path of the map file it belongs to (empty for a map
// never saved) and where its chip sheet was found; both as the system's bytes. A sheet with no
// file of its own (an import's) is kept in the folder beside the copy: generatedSheet is then the
// name its file is to be given at the first save, and a copy read back finds it at sheetFile.
struct RecoveryInfo {
    std::string mapFile;
    std::string sheetFile;
    std::string generatedSheet;
    friend bool operator==(const RecoveryInfo&, const RecoveryInfo&) = default;
};

// "tilora recovery 1\n", then one line per field: "<name> <byte count> <bytes>\n". The counts make
// any byte of a path (a newline too) read back as written. "generated" follows only when set, so
// the files of earlier editors read as before.
std::string formatRecoveryInfo(const RecoveryInfo& info);
Result<RecoveryInfo> parseRecoveryInfo(std::string_view bytes);

// A copy read back from the folder.
struct RecoveredMap {
    MapContents map;
    RecoveryInfo info;
};

// A copy left by an editor that no longer runs. Its lock is held by this object, so no other
// editor starting now offers it too; destroying the object lets it go (the files stay).
class OrphanCopy {
  public:
    OrphanCopy(std::string folder, std::string id, int lockFd);
    OrphanCopy(OrphanCopy&& other) noexcept;
    OrphanCopy& operator=(OrphanCopy&& other) noexcept;
    OrphanCopy(const OrphanCopy&) = delete;
    OrphanCopy& operator=(const OrphanCopy&) = delete;
    ~OrphanCopy();

    std::string mapPath() const;
    std::string infoPath() const;
    std::string sheetPath() const;
    const std::string& id() const { return id_; }
    // The copy and what it records. A missing or unreadable info file reads as an empty one: the
    // map is what matters.
    Result<RecoveredMap> read() const;
    // Deletes the copy's files, the lock file last, and lets the lock go.
    void discard();
    void release();

  private:
    std::string folder_;
    std::string id_;
    int lockFd_ = -1;
};

class RecoveryStore {
  public:
    // An empty folder means there is nowhere to write: every write fails with a message.
    explicit RecoveryStore(std::string folder);
    // Lets the lock go. A copy still on disk stays for a later start to offer; without one, the
    // lock file goes too.
    ~RecoveryStore();
    RecoveryStore(const RecoveryStore&) = delete;
    RecoveryStore& operator=(const RecoveryStore&) = delete;

    const std::string& folder() const { return folder_; }
    // This editor's copy (it exists only after a write).
    std::string copyPath() const;
    bool hasCopy() const { return hasCopy_; }

    // Writes this editor's copy: the folder (mode 0700) and the lock are made first if needed,
    // then the info and the map through the safe save. The message names the folder.
    Status write(const MapContents& map, const RecoveryInfo& info);
    // Writes the sheet kept beside this editor's copy (PNG bytes), before the copy that needs it.
    Status writeSheet(std::string_view png);
    // Deletes this editor's copy; the lock stays while the editor runs.
    void remove();

    // Copies whose editors no longer run, oldest first, each locked for this store's owner.
    // Leftovers of such editors that hold no copy (a lock file, a temporary file of a save cut
    // short) are deleted on the way.
    std::vector<OrphanCopy> orphans();
    // Makes the orphan this editor's copy by renaming its files, so a copy exists at every
    // moment; the orphan's lock file goes.
    Status adopt(OrphanCopy& orphan);

  private:
    Status lockOwn();
    // Writes one of this editor's files (by its extension) through the safe save.
    Status save(const char* ext, std::string_view bytes);

    std::string folder_;
    std::string id_;
    int lockFd_ = -1;
    bool hasCopy_ = false;
};

} // namespace tilora
