#pragma once
// Stations passed from the thread that reads and converts a station list to the thread that
// appends them to the table: a few batches go round, filled on one side and emptied on the
// other, so that neither thread waits while the other has work and memory stays bounded.

#include <array>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <vector>

#include "interchange/EntryToStation.h"

// Entries converted to stations (none of them skipped by the entry rules), not yet tested for
// a duplicate nor in the table.
struct StationBatch {
    std::vector<EntryConversion> stations;  // the first `count` are filled
    std::size_t count = 0;
    std::size_t entriesDone = 0;  // entries read when the batch was handed over
};

// Thrown on the reading side when the table side has stopped the handover.
struct ImportStopped {};

class StationHandover {
  public:
    // `batchSize` stations a batch holds at most.
    explicit StationHandover(std::size_t batchSize);

    // Reading side: an empty batch to fill, waiting while the table side holds every batch.
    // Throws ImportStopped once stop() was called.
    StationBatch& emptyBatch();
    // Reading side: the filled batch goes to the table side.
    void handOver(StationBatch& batch);
    // Reading side: no more batches will come (called again, it changes nothing).
    void finish();

    // Table side: the next filled batch, waiting for it; null once the reading side has
    // finished and every batch it handed over was taken.
    StationBatch* nextFull();
    // Table side: the batch, emptied, goes back to the reading side.
    void giveBack(StationBatch& batch);
    // Table side: ends the handover; the reading side's next call throws ImportStopped.
    void stop();

  private:
    std::mutex FLock;
    std::condition_variable FChanged;
    std::array<StationBatch, 3> FBatches;
    std::deque<StationBatch*> FFull;
    std::vector<StationBatch*> FEmpty;
    bool FFinished = false;
    bool FStopped = false;
};
