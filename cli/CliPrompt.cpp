#include "cli/CliPrompt.h"

namespace quelby::cli {

MessageAnswer CliPrompt::ask(const MessageRequest& request) {
    ++m_asked;
    std::string text;
    for (const auto& line : request.lines) {
        if (line.empty()) continue;
        if (!text.empty()) text += ' ';
        text += line;
    }
    m_err << request.title << ": " << text << std::endl;
    switch (request.buttons) {
    case MessageButtons::OK:
        return MessageAnswer::OK;
    case MessageButtons::OKCancel:
        return m_yes ? MessageAnswer::OK : MessageAnswer::Cancel;
    case MessageButtons::RetryCancel:
        if (m_retriesLeft > 0) {
            --m_retriesLeft;
            m_err << "(retrying)" << std::endl;
            return MessageAnswer::Retry;
        }
        return MessageAnswer::Cancel;
    case MessageButtons::YesNo:
    case MessageButtons::YesNoCancel:
        return m_yes ? MessageAnswer::Yes : MessageAnswer::No;
    }
    return MessageAnswer::Cancel;
}

std::optional<std::string> CliPrompt::input(const InputRequest& request) {
    m_err << request.title << ": " << request.prompt << " (no answer from the command line)"
          << std::endl;
    return std::nullopt;
}

} // namespace quelby::cli
