#include "app/data/DataSet.h"

#include "app/data/DataSetMessages.h"

namespace quelby {
namespace {

constexpr int kComparedChannels = 8;

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
    for (int i = 0; i < kDataPointCount; ++i)
        if (PointValue(SavedData, i) != PointValue(CurrentData, i)) return true;
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
