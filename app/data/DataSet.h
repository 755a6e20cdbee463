#pragma once

#include "app/data/MachineData.h"
#include "link/UserPrompt.h"

#include <optional>

namespace quelby {

// The machine data set as the main window owns it for the whole run: the four records and
// the data-set flags. Windows and transfers read and write CurrentData directly.
struct DataSet {
    // Builds the data set: DefaultData from the built-in table, CurrentData and SavedData
    // equal to it, UnnamedData true. Never fails.
    DataSet();

    MachineData CurrentData; // the working data set
    MachineData SavedData;   // as last made new, opened or saved: the reference for changes
    MachineData DefaultData; // the built-in addresses and defaults
    MachineData FileData;    // a file read by File Open, before it is accepted

    bool UnnamedData = true;       // File Save asks for a name first
    bool TimingReload = false;     // a new data set was loaded: the timing window refills
    bool TimingDownloaded = false; // timing data reached the board: the timing window recalls

    // Fits FileData's arrays to 0..LastDataIndex (entries past the file's arrays become empty
    // text and 0, entries past LastDataIndex are dropped) and makes it the current and saved
    // data set, addresses included; UnnamedData false. Never fails.
    void ApplyFileData();

    // Whether File New, Open or Exit must offer to save: a Value 0..LastDataIndex differs from
    // SavedData, CurrentData's Version is not ProgramVersion, or a setpoint of channels 0..7
    // differs. The PLS configuration and channels 8..15 do not count. Never fails.
    bool HasUnsavedChanges() const;

    // ConfirmSaveChanges: nullopt when nothing changed, else the answer to "Save Changes to
    // File?" (Yes, No or Cancel).
    std::optional<MessageAnswer> ConfirmSaveChanges(UserPrompt& prompt) const;
};

} // namespace quelby
