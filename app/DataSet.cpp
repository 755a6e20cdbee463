#include "DataSet.h"

#include "DataSetMessages.h"

namespace quelby {
namespace {

constexpr int kComparedChannels = 8;

std::int32_t valueAt(const MachineData& data, std::size_t index) {
    return index < data.Value.size() ? data.Value[index] : 0;
}

} // namespace

DataSet::DataSet()
    : CurrentData(BuildDefaultData()), SavedData(CurrentData), DefaultData(CurrentData) {}

void DataSet::ApplyFileData() {
    FileData.Address.resize(kDataPointCount);
    FileData.Value.resize(kDataPointCount, 0);
    CurrentData = FileData;
    SavedData = CurrentData;
    UnnamedData = false;
}

bool DataSet::HasUnsavedChanges() const {
    for (std::size_t i = 0; i < static_cast<std::size_t>(kDataPointCount); ++i)
        if (valueAt(SavedData, i) != valueAt(CurrentData, i)) return true;
    if (CurrentData.Version != ProgramVersion) return true;
    for (std::size_t channel = 0; channel < kComparedChannels; ++channel)
        if (SavedData.Setpoint[channel] != CurrentData.Setpoint[channel]) return true;
    return false;
}

std::optional<MessageAnswer> DataSet::ConfirmSaveChanges(UserPrompt& prompt) const {
    if (!HasUnsavedChanges()) return std::nullopt;
    return prompt.ask(DataSetMessages::SaveChanges());
}

} // namespace quelby
