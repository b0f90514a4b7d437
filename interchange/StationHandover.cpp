#include "interchange/StationHandover.h"

#include "platform/CodePage.h"

void CodePageStations::append(std::size_t field, std::u16string_view value, std::string& texts,
                              std::vector<std::uint32_t>& ends) {
    if (value.empty()) {  // half the fields of an imported station are never filled
        ends.push_back(static_cast<std::uint32_t>(texts.size()));
        return;
    }
    Remembered& seen = FFields[field];
    std::size_t k = find(seen, value);
    if (k == kRemembered) {
        k = seen.count < kRemembered ? seen.count++ : seen.next;
        seen.next = (k + 1) % kRemembered;
        seen.values[k] = value;
        unicodeToAnsi(value, seen.texts[k]);
    }
    texts += seen.texts[k];
    ends.push_back(static_cast<std::uint32_t>(texts.size()));
}

std::size_t CodePageStations::find(const Remembered& seen, std::u16string_view value) {
    for (std::size_t k = 0; k < seen.count; ++k) {
        if (seen.values[k] == value) return k;
    }
    return kRemembered;
}

void CodePageStations::restart() {
    for (Remembered& seen : FFields) seen.count = 0;
    FCopied.clear();
    FCopiedViews.clear();
}

void CodePageStations::addView(std::size_t field, std::u16string_view value,
                               std::vector<std::string_view>& views) {
    if (value.empty()) {
        views.emplace_back();
        return;
    }
    Remembered& seen = FFields[field];
    std::size_t k = find(seen, value);
    if (k == kRemembered && seen.count < kRemembered) {
        k = seen.count++;
        seen.values[k] = value;
        unicodeToAnsi(value, seen.texts[k]);
    }
    if (k < kRemembered) {
        views.emplace_back(seen.texts[k]);
        return;
    }
    // FCopied may still move: the view is made when every text is in.
    unicodeToAnsi(value, FText);
    FCopiedViews.emplace_back(views.size(), FCopied.size());
    FCopied += FText;
    views.emplace_back(nullptr, FText.size());
}

void CodePageStations::finishViews(std::vector<std::string_view>& views) {
    for (const auto& [view, start] : FCopiedViews)
        views[view] = std::string_view(FCopied.data() + start, views[view].size());
}

void CodePageStations::append(const StationValues& station, std::string& texts,
                              std::vector<std::uint32_t>& ends) {
    for (std::size_t f = 0; f < kStationFieldCount; ++f) append(f, station[f], texts, ends);
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
