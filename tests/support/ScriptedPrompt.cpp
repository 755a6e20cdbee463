#include "ScriptedPrompt.h"

namespace quelby::test {

MessageAnswer ScriptedPrompt::ask(const MessageRequest& request) {
    m_requests.push_back(request);
    if (m_onAsk) m_onAsk(request);
    if (!m_answers.empty()) {
        MessageAnswer answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }
    switch (request.buttons) {
    case MessageButtons::OK:
        return MessageAnswer::OK;
    case MessageButtons::YesNo:
        return MessageAnswer::No;
    default:
        return MessageAnswer::Cancel;
    }
}

std::optional<std::string> ScriptedPrompt::input(const InputRequest& request) {
    m_inputRequests.push_back(request);
    if (m_inputs.empty()) return std::nullopt;
    auto text = m_inputs.front();
    m_inputs.pop_front();
    return text;
}

std::vector<std::string> ScriptedPrompt::titles() const {
    std::vector<std::string> result;
    for (const auto& request : m_requests) result.push_back(request.title);
    return result;
}

} // namespace quelby::test
