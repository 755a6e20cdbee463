#pragma once

#include "link/UserPrompt.h"

#include <cstdio>
#include <optional>
#include <string>

namespace quelby::bench {

// Answers Yes to questions and gives up at once on a communication warning, printing every
// message on standard error so a benchmark that went wrong says why.
class BenchPrompt : public UserPrompt {
public:
    MessageAnswer ask(const MessageRequest& request) override {
        std::fprintf(stderr, "%s: %s\n", request.title.c_str(), request.text(" ").c_str());
        switch (request.buttons) {
        case MessageButtons::YesNo:
        case MessageButtons::YesNoCancel:
            return MessageAnswer::Yes;
        case MessageButtons::OK:
            return MessageAnswer::OK;
        default:
            return MessageAnswer::Cancel;
        }
    }
    std::optional<std::string> input(const InputRequest&) override { return std::nullopt; }
};

} // namespace quelby::bench
