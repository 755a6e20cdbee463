#include "app/data/LiveMessage.h"

#include "app/data/JsonWriter.h"
#include "app/data/ServiceLog.h"

#include <sstream>

namespace quelby {
namespace {

void member(JsonWriter& json, const char* name, const std::optional<std::int64_t>& number) {
    json.key(name);
    if (number)
        json.value(*number);
    else
        json.null();
}

} // namespace

std::string LiveMessageJson(const LiveMessage& message) {
    std::ostringstream text;
    JsonWriter json(text);
    json.beginObject().key("time").value(IsoLocalTime(message.time));
    member(json, "cpm", message.values.machineCpm);
    member(json, "good_cans", message.values.goodCans);
    member(json, "blowoffs", message.values.blowoffs);
    member(json, "fault", message.faultCode);
    json.key("fault_text");
    if (message.faultText)
        json.value(*message.faultText);
    else
        json.null();
    json.endObject();
    return text.str();
}

} // namespace quelby
