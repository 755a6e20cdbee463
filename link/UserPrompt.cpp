#include "link/UserPrompt.h"

namespace quelby {

std::string MessageRequest::text(const char* separator) const {
    std::string joined;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) joined += separator;
        joined += lines[i];
    }
    return joined;
}

MessageAnswer DismissedAnswer(MessageButtons buttons) {
    switch (buttons) {
    case MessageButtons::OK:
        return MessageAnswer::OK;
    case MessageButtons::YesNo:
        return MessageAnswer::No;
    default:
        return MessageAnswer::Cancel;
    }
}

} // namespace quelby
