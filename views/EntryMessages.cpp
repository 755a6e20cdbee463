#include "views/EntryMessages.h"

#include "app/data/EditedFields.h"

namespace quelby {

MessageRequest RangeMessage(const std::string& title, int low, int high) {
    return {title,
            {RangeMessageText(low, high)},
            MessageButtons::OK,
            MessageIcon::Information};
}

MessageRequest WriteNotConfirmedMessage(const std::string& address, const std::string& value) {
    return {"Write Not Confirmed",
            {"The target board did not confirm the value " + value + " written to " + address +
                 ".",
             "The window shows what the board holds at its next reading."},
            MessageButtons::OK,
            MessageIcon::Exclamation};
}

} // namespace quelby
