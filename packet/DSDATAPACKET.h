#pragma once
// The packet writer handed to the engine. It writes the binary form; the XML form (a mode with
// bit 0 or bit 1 set) is not available yet and is refused with errNotSupported, leaving the
// writer in binary mode.

#include <memory>

#include "TDATAPACKET_WRITE.h"

class DSDATAPACKET final : public TDATAPACKET_WRITE {
  public:
    DBResult setXmlMode(std::uint32_t mode) override;
};

std::unique_ptr<IDSWriter> createPacketWriter();
