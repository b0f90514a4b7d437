#include "interchange/StationHandover.h"

#include "platform/CodePage.h"

void CodePageStations::append(std::size_t field, std::u16string_view value, std::string& texts,
                              std::vector<std::uint32_t>& ends) {
    Remembered& seen = FFields[field];
    std::size_t k = 0;
    while (k < seen.count && seen.values[k] != value) ++k;
    if (k == seen.count) {
        k = seen.count < kRemembered ? seen.count++ : seen.next;
        seen.next = (k + 1) % kRemembered;
        seen.values[k] = value;
        unicodeToAnsi(value, seen.texts[k]);
    }
    texts += seen.texts[k];
    ends.push_back(static_cast<std::uint32_t>(texts.size()));
}

void CodePageStations::restart() {
    for (Remembered& seen : FFields) seen.count = 0;
}

void CodePageStations::append(const StationValues& station, std::string& texts,
                              std::vector<std::uint32_t>& ends) {
    for (std::size_t f = 0; f < kStationFieldCount; ++f) append(f, station[f], texts, ends);
}

std::u16string_view StationBatch::value(std::size_t station, std::size_t field) const {
    const std::size_t i = station * kStationFieldCount + field;
    const std::uint32_t start = i == 0 ? 0 : valueEnds[i - 1];
    return std::u16string_view(values).substr(start, valueEnds[i] - start);
}

std::u16string_view StationBatch::key(std::size_t station) const {
    const std::uint32_t start = station == 0 ? 0 : keyEnds[station - 1];
    return std::u16string_view(keys).substr(start, keyEnds[station] - start);
}

void StationBatch::clear() {
    count = 0;
    entriesDone = 0;
    values.clear();
    valueEnds.clear();
    keys.clear();
    keyEnds.clear();
    keyHashes.clear();
    notes.clear();
    cutNames.clear();
}

StationHandover::StationHandover() {
    for (StationBatch& batch : FBatches) FEmpty.push_back(&batch);
}

StationBatch& StationHandover::emptyBatch() {
    std::unique_lock lock(FLock);
    FChanged.wait(lock, [this] { return FStopped || !FEmpty.empty(); });
    if (FStopped) throw ImportStopped{};
    StationBatch* batch = FEmpty.back();
    FEmpty.pop_back();
    batch->clear();
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
