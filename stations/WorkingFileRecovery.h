#pragma once
// Stations left in the working file by a run that never closed (a crash, a power loss, a kill):
// at start-up they are offered back before the working file is replaced by the empty table.

#include <string>

#include "stations/TableRecovery.h"

class TClientDataSet;

struct LeftStations {
    TablePacket packet;  // the working file's bytes
    int count = 0;       // stations it holds; 0 when there is nothing to offer
};

// Reads the working file at `path`. Offers its stations only when it is a readable station
// table (the 20 station fields, in order) with at least one station; a missing, empty, damaged
// or foreign file offers nothing. Never changes the file.
LeftStations findLeftStations(const std::u16string& path);

// Opens the dataset on the left stations, the first one current. Errors of the dataset layer
// pass on to the caller.
void openLeftStations(TClientDataSet& table, const LeftStations& left);

// The start-up question: "发现上次未生成文件的 N 个电台，是否恢复？".
std::u16string recoveryQuestion(int count);
