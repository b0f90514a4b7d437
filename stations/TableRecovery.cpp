#include "stations/TableRecovery.h"

#include <exception>

#include "dataset/ClientDataSet.h"
#include "dataset/Streams.h"

TablePacket closeKeepingPacket(TClientDataSet& table) {
    table.Close();
    return table.SavedPacket();
}

bool reopenOnPacket(TClientDataSet& table, const TablePacket& packet) {
    if (table.Active()) return true;
    try {
        if (packet != nullptr && !packet->empty()) {
            TMemoryStream stream(*packet);
            table.LoadFromStream(stream);
        } else {
            table.Open();
        }
    } catch (const std::exception&) {
        // Nothing more to fall back on: the dataset stays closed.
    }
    return table.Active();
}
