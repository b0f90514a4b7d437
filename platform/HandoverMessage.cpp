#include "platform/HandoverMessage.h"

#include <algorithm>
#include <cstring>

std::string encodeHandover(const std::vector<std::string>& paths) {
    std::string payload;
    for (const std::string& path : paths) {
        if (path.find('\0') != std::string::npos) return {};
        payload += path;
        payload.push_back('\0');
        if (payload.size() > kMaxHandoverPayload) return {};
    }
    std::string message(kHandoverMagic, sizeof kHandoverMagic);
    const auto size = static_cast<std::uint32_t>(payload.size());
    for (int shift = 24; shift >= 0; shift -= 8)
        message.push_back(static_cast<char>((size >> shift) & 0xFF));
    return message + payload;
}

std::size_t HandoverReader::wanted() const {
    if (FState != State::Incomplete) return 0;
    if (FHeader.size() < kHandoverHeaderSize) return kHandoverHeaderSize - FHeader.size();
    return FPayloadSize - FPayload.size();
}

std::size_t HandoverReader::feed(const char* data, std::size_t size) {
    std::size_t used = 0;
    while (FState == State::Incomplete && used < size) {
        const std::size_t take = std::min(wanted(), size - used);
        if (FHeader.size() < kHandoverHeaderSize) {
            FHeader.append(data + used, take);
            used += take;
            // The magic is checked as soon as it is there, the length as soon as it is read.
            const std::size_t magic = std::min(FHeader.size(), sizeof kHandoverMagic);
            if (std::memcmp(FHeader.data(), kHandoverMagic, magic) != 0) {
                FState = State::Broken;
                break;
            }
            if (FHeader.size() < kHandoverHeaderSize) continue;
            FPayloadSize = 0;
            for (std::size_t i = 4; i < kHandoverHeaderSize; ++i)
                FPayloadSize = (FPayloadSize << 8) | static_cast<unsigned char>(FHeader[i]);
            if (FPayloadSize > kMaxHandoverPayload) {
                FState = State::Broken;
                break;
            }
            FPayload.reserve(FPayloadSize);
        } else {
            FPayload.append(data + used, take);
            used += take;
        }
        if (FHeader.size() == kHandoverHeaderSize && FPayload.size() == FPayloadSize) finish();
    }
    return used;
}

void HandoverReader::finish() {
    // Every path ends in its 0 byte: a payload that stops in the middle of one is no list.
    if (!FPayload.empty() && FPayload.back() != '\0') {
        FState = State::Broken;
        return;
    }
    std::size_t start = 0;
    while (start < FPayload.size()) {
        const std::size_t end = FPayload.find('\0', start);
        FPaths.emplace_back(FPayload, start, end - start);
        start = end + 1;
    }
    FPayload.clear();
    FState = State::Complete;
}
