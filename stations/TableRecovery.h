#pragma once
// Holding the station table aside while a file is loaded into the dataset, so that a failed
// load does not leave the table closed (or open on the bad bytes).

#include <memory>
#include <vector>

class TClientDataSet;

// The kept packet's bytes, shared with the dataset and never changed by it.
using TablePacket = std::shared_ptr<const std::vector<unsigned char>>;

// Closes the dataset, which turns an open table into the kept packet, and answers that packet
// (none when the dataset had none).
TablePacket closeKeepingPacket(TClientDataSet& table);

// After a failed load: opens the dataset again on the packet held aside, unless it is open
// already. Answers whether the dataset is open afterwards; a packet that cannot be opened
// either leaves it closed.
bool reopenOnPacket(TClientDataSet& table, const TablePacket& packet);
