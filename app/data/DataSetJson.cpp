#include "app/data/DataSetJson.h"

namespace quelby {

void WriteDataSetJson(JsonWriter& json, const MachineData& data) {
    json.beginObject().key("version").value(data.Version).key("dataPoints").beginArray();
    for (std::size_t i = 0; i < data.Value.size(); ++i) {
        const int index = static_cast<int>(i);
        json.beginObject()
            .key("index").value(index)
            .key("address").value(i < data.Address.size() ? data.Address[i] : std::string())
            .key("name").value(DataPointName(index))
            .key("value").value(data.Value[i])
            .endObject();
    }
    json.endArray()
        .key("plsChannels").value(int{data.PLSChannels})
        .key("plsScale").value(int{data.PLSScale})
        .key("resolverOffset").value(int{data.ResolverOffset})
        .key("plsProgram").value(int{data.PLSProgram})
        .key("speedComp").beginArray();
    for (std::int16_t speed : data.SpeedComp) json.value(int{speed});
    json.endArray().key("setpoints").beginArray();
    for (std::size_t channel = 0; channel < data.Setpoint.size(); ++channel)
        json.beginObject()
            .key("channel").value(ChannelName(static_cast<int>(channel)))
            .key("on").value(int{data.Setpoint[channel][kOnSetpoint]})
            .key("off").value(int{data.Setpoint[channel][kOffSetpoint]})
            .endObject();
    json.endArray().endObject();
}

void WriteDifferencesJson(JsonWriter& json, const std::vector<DataSetDifference>& differences,
                          std::string_view firstName, std::string_view secondName) {
    json.beginObject().key("agree").value(differences.empty()).key("differences").beginArray();
    for (const DataSetDifference& difference : differences) {
        json.beginObject().key("kind").value(DifferenceKindName(difference.kind)).key("index");
        if (difference.index < 0) json.null();
        else json.value(difference.index);
        json.key("address").value(difference.address).key("name").value(difference.name);
        if (difference.kind == DataSetDifference::Kind::Address)
            json.key(firstName).value(difference.firstText).key(secondName).value(difference.secondText);
        else
            json.key(firstName).value(difference.first).key(secondName).value(difference.second);
        json.endObject();
    }
    json.endArray().endObject();
}

} // namespace quelby
