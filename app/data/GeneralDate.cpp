#include "app/data/GeneralDate.h"

namespace quelby {
namespace {

std::string twoDigits(int value) {
    return (value < 10 ? "0" : "") + std::to_string(value);
}

} // namespace

std::string GeneralDateText(const LocalDateTime& when) {
    std::string text = std::to_string(when.month) + "/" + std::to_string(when.day) + "/" +
                       std::to_string(when.year);
    if (when.hour == 0 && when.minute == 0 && when.second == 0) return text;
    const int hour12 = when.hour % 12 == 0 ? 12 : when.hour % 12;
    return text + " " + std::to_string(hour12) + ":" + twoDigits(when.minute) + ":" +
           twoDigits(when.second) + (when.hour < 12 ? " AM" : " PM");
}

} // namespace quelby
