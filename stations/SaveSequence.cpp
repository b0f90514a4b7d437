#include "stations/SaveSequence.h"

#include "dataset/ClientDataSet.h"
#include "stations/WorkingFiles.h"

void runSaveSequence(TClientDataSet& table, ReopenForm reopen) {
    // Ends a pending edit or insert (stored when a field was written), then merges the log.
    table.MergeChangeLog();
    // The log is empty now, so there is nothing to apply and no result to look at.
    table.ApplyUpdates(-1);
    const std::u16string path = workingFilePath();
    table.SaveToFile(path, dfBinary);
    if (reopen == ReopenForm::CloseAndOpen) {
        table.Close();
        table.Open();
    } else {
        table.LoadFromFile(path);
        table.Open();  // already open after the load: nothing to do
    }
}
