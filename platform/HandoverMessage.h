#pragma once
// The message a later start of the program hands to the running one: the files named on its
// command line (full paths, UTF-8), possibly none, which then means "come forward".
//
// Layout of a handover (all the peer ever sends):
//   offset 0  4 bytes  "RVNH"
//   offset 4  4 bytes  payload length, unsigned, most significant byte first, at most
//                      kMaxHandoverPayload
//   offset 8  payload  each path's UTF-8 bytes followed by one 0 byte, in order; an empty
//                      payload is an empty list
// The running program answers one byte, kHandoverTaken, once it holds the whole list.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

inline constexpr char kHandoverMagic[4] = {'R', 'V', 'N', 'H'};
inline constexpr std::size_t kHandoverHeaderSize = 8;
// Far beyond any command line; keeps a broken or hostile peer from making the program buffer
// without end.
inline constexpr std::uint32_t kMaxHandoverPayload = 1u << 20;
inline constexpr char kHandoverTaken = 0x06;

// The bytes of a handover of `paths`. A path holding a 0 byte, or a list too long for a payload,
// cannot be sent: the empty text then.
std::string encodeHandover(const std::vector<std::string>& paths);

// Reads one handover from bytes as they arrive, never asking for more than the message still
// lacks, and refusing it as soon as its bytes cannot be one.
class HandoverReader {
  public:
    enum class State { Incomplete, Complete, Broken };

    // How many more bytes the message needs (at most: the header may announce fewer). The
    // caller reads no more than this, so bytes after the message stay unread. 0 once complete
    // or broken.
    std::size_t wanted() const;

    // Takes up to `size` bytes (no more than wanted() are used; the answer says how many were).
    std::size_t feed(const char* data, std::size_t size);

    State state() const { return FState; }
    // The paths, once complete.
    const std::vector<std::string>& paths() const { return FPaths; }

  private:
    void finish();

    State FState = State::Incomplete;
    std::string FHeader;
    std::string FPayload;
    std::uint32_t FPayloadSize = 0;
    std::vector<std::string> FPaths;
};
