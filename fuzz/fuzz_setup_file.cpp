// The set-up file reader on arbitrary bytes: it refuses or reads without a fault, a record it
// reads fits the data set, and the fitted record is written and read back unchanged.
#include "app/data/DataSet.h"
#include "app/data/SetupFile.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace quelby;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const SetupFileRead read = ParseSetupFile(bytes);
    if (read.outcome != SetupFileRead::Outcome::Read) {
        if (!(read.data == MachineData{})) std::abort();
        return 0;
    }
    // Every element came from the file: at least two bytes per address, four per value.
    if (read.data.Address.size() > LastDataIndex + size / 2 ||
        read.data.Value.size() > LastDataIndex + size / 4)
        std::abort();

    DataSet set;
    set.FileData = read.data;
    set.ApplyFileData();
    if (set.CurrentData.Address.size() != kDataPointCount ||
        set.CurrentData.Value.size() != kDataPointCount)
        std::abort();
    const SetupFileRead again = ParseSetupFile(SetupFileBytes(set.CurrentData));
    if (again.outcome != SetupFileRead::Outcome::Read || !(again.data == set.CurrentData))
        std::abort();
    return 0;
}
