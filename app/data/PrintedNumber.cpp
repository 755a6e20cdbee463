#include "app/data/PrintedNumber.h"

namespace quelby {

std::string PrintedNumber(std::int64_t value) {
    return value < 0 ? std::to_string(value) : " " + std::to_string(value);
}

} // namespace quelby
