#pragma once
// Byte streams that datasets save to and load from.

#include <cstdint>
#include <string>
#include <vector>

class TStream {
  public:
    virtual ~TStream() = default;
    // Reads up to count bytes; answers the number read.
    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    // Writes count bytes; raises EWriteError when not all of them could be written.
    virtual void Write(const void* buffer, std::size_t count) = 0;
    virtual std::uint64_t Size() const = 0;
    virtual std::uint64_t Position() const = 0;
    virtual void SetPosition(std::uint64_t position) = 0;
};

class TMemoryStream : public TStream {
  public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<unsigned char> bytes) : FBytes(std::move(bytes)) {}
    std::size_t Read(void* buffer, std::size_t count) override;
    void Write(const void* buffer, std::size_t count) override;
    std::uint64_t Size() const override { return FBytes.size(); }
    std::uint64_t Position() const override { return FPosition; }
    void SetPosition(std::uint64_t position) override { FPosition = position; }
    const std::vector<unsigned char>& Bytes() const { return FBytes; }

  private:
    std::vector<unsigned char> FBytes;
    std::uint64_t FPosition = 0;
};
