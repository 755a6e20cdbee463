#pragma once

#include "app/data/DataSetCompare.h"
#include "app/data/JsonWriter.h"
#include "app/data/MachineData.h"

#include <string_view>
#include <vector>

// The machine-readable shapes of a data set and of a comparison.
namespace quelby {

// {"version", "dataPoints":[{"index","address","name","value"}...], "plsChannels", "plsScale",
//  "resolverOffset", "plsProgram", "speedComp":[8], "setpoints":[{"channel","on","off"}...]}
// An address the data set does not hold is "". Never fails.
void WriteDataSetJson(JsonWriter& json, const MachineData& data);

// {"agree", "differences":[{"kind","index","address","name",FIRST,SECOND}...]}: index null for
// the PLS fields; FIRST and SECOND are the names given for the two sides (numbers, texts for an
// address difference). Never fails.
void WriteDifferencesJson(JsonWriter& json, const std::vector<DataSetDifference>& differences,
                          std::string_view firstName, std::string_view secondName);

} // namespace quelby
