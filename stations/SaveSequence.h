#pragma once
// The save sequence, run after every change of the station table: merge the change log, apply
// updates, write the table to the working file, and reopen it.

class TClientDataSet;

enum class ReopenForm {
    CloseAndOpen,    // after adding or modifying a station: the same rows come back
    ReloadFromFile,  // after deleting a station: the rows are read back from the file just written
};

// Either way the first station is the current record afterwards. Errors of the dataset layer
// pass on to the caller.
void runSaveSequence(TClientDataSet& table, ReopenForm reopen);
