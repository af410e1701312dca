#pragma once
// Keeps this editor's recovery copy in step with its unsaved map. The editor calls update() every
// few seconds; the copy is written on a worker thread, so the editor's thread only compares the
// map with the last copy (a pass over at most 4 MB) and, when it changed, takes a copy of the
// cells; formatting, writing and fsync happen beside it and never hold up painting.

#include "EditorState.h"
#include "RecoveryStore.h"

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace tilora {

// A sheet as the bytes of a PNG file (called on the worker thread).
using SheetEncoder = std::function<Result<std::string>(const Bitmap&)>;

class RecoveryKeeper {
  public:
    // encodeSheet: how a sheet with no file of its own (an import's) is kept beside the copy;
    // without one such a sheet is not kept.
    explicit RecoveryKeeper(std::string folder, SheetEncoder encodeSheet = {});
    // Finishes the write in hand and the one waiting, then stops. A copy on disk stays for a later
    // start to offer: a clean end calls removeCopy first.
    ~RecoveryKeeper();
    RecoveryKeeper(const RecoveryKeeper&) = delete;
    RecoveryKeeper& operator=(const RecoveryKeeper&) = delete;

    // With unsaved changes (MapModified 1), a copy of the map and `info` is handed to the worker
    // unless the last one handed over is the same; without, the copy is removed. A sheet with no
    // file (state.sheetUnwritten()) goes with it, written once for each picture.
    void update(const EditorState& state, const RecoveryInfo& info);
    // The map was saved, loaded or otherwise matches its file: the copy goes (after any write
    // still in hand).
    void removeCopy();
    // Waits until the worker has nothing left to do.
    void flush();
    // The message of the first write that failed since the last call, if any.
    std::optional<std::string> takeFailure();
    // Copies written so far (for tests and the benchmark).
    int writesDone();

    const std::string& folder() const { return store_.folder(); }
    std::vector<OrphanCopy> orphans();
    // The orphan becomes this editor's copy of `copy` (restored into the editor); no rewrite.
    Status adopt(OrphanCopy& orphan, const RecoveredMap& copy);

  private:
    struct Snapshot {
        MapContents map;
        RecoveryInfo info;
        std::shared_ptr<const Bitmap> unwrittenSheet; // the sheet to keep beside the copy, if any
    };
    // A write of the snapshot, or a removal when it is null.
    using Job = std::shared_ptr<const Snapshot>;

    void submit(Job job);
    void run();
    Status write(const Snapshot& job); // the worker's, with storeMutex_ held

    RecoveryStore store_; // touched only with storeMutex_ held
    std::mutex storeMutex_;
    const SheetEncoder encodeSheet_;
    std::shared_ptr<const Bitmap>
        sheetKept_; // the worker's: the sheet last written beside the copy

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::optional<Job> pending_;
    bool busy_ = false;
    bool stop_ = false;
    int writes_ = 0;
    std::optional<std::string> failure_;

    // The editor's thread only: what was last handed over.
    std::shared_ptr<const Snapshot> last_;
    bool haveCopy_ = false;

    std::thread worker_; // last: started once everything above exists
};

} // namespace tilora
