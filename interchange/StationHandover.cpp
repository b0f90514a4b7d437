#include "interchange/StationHandover.h"

StationHandover::StationHandover(std::size_t batchSize) {
    for (StationBatch& batch : FBatches) {
        batch.stations.resize(batchSize);
        FEmpty.push_back(&batch);
    }
}

StationBatch& StationHandover::emptyBatch() {
    std::unique_lock lock(FLock);
    FChanged.wait(lock, [this] { return FStopped || !FEmpty.empty(); });
    if (FStopped) throw ImportStopped{};
    StationBatch* batch = FEmpty.back();
    FEmpty.pop_back();
    batch->count = 0;
    batch->entriesDone = 0;
    return *batch;
}

void StationHandover::handOver(StationBatch& batch) {
    {
        std::lock_guard lock(FLock);
        if (FStopped) throw ImportStopped{};
        FFull.push_back(&batch);
    }
    FChanged.notify_all();
}

void StationHandover::finish() {
    {
        std::lock_guard lock(FLock);
        FFinished = true;
    }
    FChanged.notify_all();
}

StationBatch* StationHandover::nextFull() {
    std::unique_lock lock(FLock);
    FChanged.wait(lock, [this] { return FFinished || !FFull.empty(); });
    if (FFull.empty()) return nullptr;
    StationBatch* batch = FFull.front();
    FFull.pop_front();
    return batch;
}

void StationHandover::giveBack(StationBatch& batch) {
    {
        std::lock_guard lock(FLock);
        FEmpty.push_back(&batch);
    }
    FChanged.notify_all();
}

void StationHandover::stop() {
    {
        std::lock_guard lock(FLock);
        FStopped = true;
    }
    FChanged.notify_all();
}
