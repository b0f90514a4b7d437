#pragma once
// The packet reader handed to the engine. It reads binary packets; a packet without a binary
// header is meant for the XML reader, which is not available yet, and fails with
// errPacketMismatch.

#include <memory>

#include "TDATAPACKET_READ.h"

class DSEXTRACT final : public TDATAPACKET_READ {};

std::unique_ptr<IDSReader> createPacketReader();
