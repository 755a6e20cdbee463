#include "views/EntryMessages.h"

namespace quelby {

MessageRequest RangeMessage(const std::string& title, int low, int high) {
    return {title,
            {"Only a Number Between " + std::to_string(low) + " and " + std::to_string(high) +
             " can be Entered"},
            MessageButtons::OK,
            MessageIcon::Information};
}

} // namespace quelby
