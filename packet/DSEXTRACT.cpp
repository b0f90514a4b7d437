#include "DSEXTRACT.h"

std::unique_ptr<IDSReader> createPacketReader() {
    return std::make_unique<DSEXTRACT>();
}
