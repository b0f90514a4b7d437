#pragma once
// What a packet reader found wrong when a read failed: the check that failed, in a few English
// words ("column descriptor runs past the end"), and the byte offset in the packet where the
// item that failed it begins. The result code stays the answer of the read; this only says
// where and why, for a person reading an error report.

#include <cstddef>
#include <string>

struct ReadFailure {
    const char* check = nullptr;  // a fixed text; null while no read has failed
    std::size_t offset = 0;

    bool failed() const { return check != nullptr; }
};

// "<check> at byte <offset>", or the empty text when nothing failed.
inline std::string describeReadFailure(const ReadFailure& failure) {
    if (!failure.failed()) return {};
    return std::string(failure.check) + " at byte " + std::to_string(failure.offset);
}
