#pragma once

#include "UserPrompt.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace quelby::test {

// Answers the core's questions from a script and records every request, so tests can assert
// exact titles, texts, buttons and icons. An unscripted question is answered with the
// box's default (OK, or Cancel where there is one) and still recorded.
class ScriptedPrompt : public UserPrompt {
public:
    void answerNext(MessageAnswer answer) { m_answers.push_back(answer); }
    void answerNextInput(std::optional<std::string> text) { m_inputs.push_back(std::move(text)); }
    // Runs before each answer, e.g. to let time pass while the user reads the message.
    void onAsk(std::function<void(const MessageRequest&)> hook) { m_onAsk = std::move(hook); }

    MessageAnswer ask(const MessageRequest& request) override;
    std::optional<std::string> input(const InputRequest& request) override;

    const std::vector<MessageRequest>& requests() const { return m_requests; }
    const std::vector<InputRequest>& inputRequests() const { return m_inputRequests; }
    std::vector<std::string> titles() const;
    void clear() { m_requests.clear(); m_inputRequests.clear(); }

private:
    std::deque<MessageAnswer> m_answers;
    std::deque<std::optional<std::string>> m_inputs;
    std::vector<MessageRequest> m_requests;
    std::vector<InputRequest> m_inputRequests;
    std::function<void(const MessageRequest&)> m_onAsk;
};

} // namespace quelby::test
