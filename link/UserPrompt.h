#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quelby {

enum class MessageButtons { OK, OKCancel, RetryCancel, YesNo, YesNoCancel };
enum class MessageIcon { None, Critical, Exclamation, Question, Information };
enum class MessageAnswer { OK, Cancel, Retry, Yes, No };

// One message box: each entry of `lines` is shown on its own line (the pieces that the
// original texts join with CR LF; an empty entry is an empty line).
struct MessageRequest {
    std::string title;
    std::vector<std::string> lines;
    MessageButtons buttons = MessageButtons::OK;
    MessageIcon icon = MessageIcon::None;

    std::string text(const char* separator = "\r\n") const;
    bool operator==(const MessageRequest&) const = default;
};

struct InputRequest {
    std::string title;
    std::string prompt;
    std::string defaultText;
};

// The answer of a message dismissed without a button (Escape, the close box, nobody there to
// answer): OK for an OK box, No for Yes/No, else Cancel.
MessageAnswer DismissedAnswer(MessageButtons buttons);

// How the core asks the user. The desktop answers with dialogs, the command-line tool from
// its options, tests from a script.
class UserPrompt {
public:
    virtual ~UserPrompt() = default;
    virtual MessageAnswer ask(const MessageRequest& request) = 0;
    // The one-line input box; nullopt when the user cancelled.
    virtual std::optional<std::string> input(const InputRequest& request) = 0;
};

} // namespace quelby
