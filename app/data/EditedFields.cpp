#include "app/data/EditedFields.h"

#include "app/data/Df1Status.h"
#include "app/data/SetupParameters.h"
#include "app/data/ShiftDataTable.h"
#include "app/data/TargetBoardSetup.h"
#include "link/BoardAddress.h"

#include <limits>
#include <vector>

namespace quelby {
namespace {

std::vector<EditedField> AllEditedFields() {
    std::vector<EditedField> fields;
    fields.reserve(kSetupParameters.size() + 1 + kDf1Entries.size() + kTargetSetupFields.size());
    for (const SetupParameter& parameter : kSetupParameters)
        fields.push_back({parameter.address, parameter.minimum, parameter.maximum, "Set-up"});
    fields.push_back({kTripOffsetAddress, 0, kTripOffsetMax, "Spindle #1 Trip Offset:"});
    for (int entry = kDf1PlcTypeEntry + 1; entry < static_cast<int>(kDf1Entries.size()); ++entry)
        fields.push_back({kDf1Entries[static_cast<std::size_t>(entry)].address, 0, kDf1NumberFieldMax,
                          "R760DF1 Set-up"});
    for (const TargetSetupField& field : kTargetSetupFields)
        fields.push_back({field.address, field.minimum, field.maximum, SetupFieldTitle(field)});
    return fields;
}

} // namespace

std::optional<EditedField> EditedFieldAt(std::string_view address) {
    const auto wanted = ParseAddress(address);
    if (!wanted) return std::nullopt;
    static const std::vector<EditedField> fields = AllEditedFields();
    for (const EditedField& field : fields)
        if (ParseAddress(field.address) == wanted) return field;
    return std::nullopt;
}

std::optional<std::int64_t> WholeNumberValue(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    constexpr std::int64_t kLargest = std::numeric_limits<std::int64_t>::max();
    std::int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        const int digit = c - '0';
        value = value > (kLargest - digit) / 10 ? kLargest : value * 10 + digit;
    }
    return negative ? -value : value;
}

std::string RangeMessageText(int low, int high) {
    return "Only a Number Between " + std::to_string(low) + " and " + std::to_string(high) +
           " can be Entered";
}

} // namespace quelby
