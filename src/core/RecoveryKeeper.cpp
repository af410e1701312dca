#include "RecoveryKeeper.h"

#include "MapOnDisk.h"

#include <utility>

namespace tilora {

RecoveryKeeper::RecoveryKeeper(std::string folder, SheetEncoder encodeSheet)
    : store_(std::move(folder)), encodeSheet_(std::move(encodeSheet)), worker_([this] { run(); }) {}

RecoveryKeeper::~RecoveryKeeper() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_one();
    worker_.join();
}

void RecoveryKeeper::update(const EditorState& state, const RecoveryInfo& info) {
    if (state.MapModified == 0) {
        if (haveCopy_) removeCopy();
        return;
    }
    std::shared_ptr<const Bitmap> sheet = state.sheetUnwritten() ? state.SheetPicture : nullptr;
    if (last_ && last_->info == info && last_->unwrittenSheet == sheet &&
        mapMatchesState(last_->map, state))
        return;
    last_ = std::make_shared<const Snapshot>(
        Snapshot{mapContentsFromState(state), info, std::move(sheet)});
    haveCopy_ = true;
    submit(last_);
}

void RecoveryKeeper::removeCopy() {
    last_.reset();
    haveCopy_ = false;
    submit(nullptr);
}

void RecoveryKeeper::submit(Job job) {
    {
        std::lock_guard lock(mutex_);
        // Only the newest state matters: a write still waiting is replaced, not queued.
        pending_ = std::move(job);
    }
    wake_.notify_one();
}

void RecoveryKeeper::flush() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return !pending_ && !busy_; });
}

std::optional<std::string> RecoveryKeeper::takeFailure() {
    std::lock_guard lock(mutex_);
    return std::exchange(failure_, std::nullopt);
}

int RecoveryKeeper::writesDone() {
    std::lock_guard lock(mutex_);
    return writes_;
}

std::vector<OrphanCopy> RecoveryKeeper::orphans() {
    std::lock_guard lock(storeMutex_);
    return store_.orphans();
}

Status RecoveryKeeper::adopt(OrphanCopy& orphan, const RecoveredMap& copy) {
    flush();
    std::lock_guard lock(storeMutex_);
    Status adopted = store_.adopt(orphan);
    if (adopted) {
        last_ = std::make_shared<const Snapshot>(Snapshot{copy.map, copy.info, nullptr});
        haveCopy_ = true;
    }
    return adopted;
}

Status RecoveryKeeper::write(const Snapshot& job) {
    // The sheet before the copy that needs it, and only when it is another picture.
    if (job.unwrittenSheet && job.unwrittenSheet != sheetKept_ && encodeSheet_) {
        Result<std::string> png = encodeSheet_(*job.unwrittenSheet);
        if (!png) return png.error();
        if (Status saved = store_.writeSheet(*png); !saved) return saved;
        sheetKept_ = job.unwrittenSheet;
    }
    return store_.write(job.map, job.info);
}

void RecoveryKeeper::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_ || pending_; });
        if (!pending_) return; // stopping, and nothing left to write
        const Job job = std::move(*pending_);
        pending_.reset();
        busy_ = true;
        lock.unlock();
        Status done = Ok{};
        {
            std::lock_guard store(storeMutex_);
            if (job)
                done = write(*job);
            else {
                store_.remove();
                sheetKept_.reset();
            }
        }
        lock.lock();
        busy_ = false;
        if (job && done) ++writes_;
        if (!done && !failure_) failure_ = done.error().message;
        idle_.notify_all();
    }
}

} // namespace tilora
