#pragma once

#include "link/UserPrompt.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace quelby::test {

// A message box with only an OK button.
inline MessageRequest OkBox(std::string title, std::vector<std::string> lines, MessageIcon icon) {
    return {std::move(title), std::move(lines), MessageButtons::OK, icon};
}

// Answers the core's questions from a script and records every request, so tests can assert
// exact titles, texts, buttons and icons. An unscripted question is answered with the
// box's default (OK, No for Yes/No, else Cancel) and still recorded; unscripted text input
// is cancelled.
class ScriptedPrompt : public UserPrompt {
public:
    void answerNext(MessageAnswer answer) { m_answers.push_back(answer); }
    void answerNextInput(std::optional<std::string> text) { m_inputs.push_back(std::move(text)); }
    // Runs before each answer, e.g. to let time pass while the user reads the message.
    void onAsk(std::function<void(const MessageRequest&)> hook) { m_onAsk = std::move(hook); }

    MessageAnswer ask(const MessageRequest& request) override {
        m_requests.push_back(request);
        if (m_onAsk) m_onAsk(request);
        if (m_answers.empty())
            return request.buttons == MessageButtons::OK      ? MessageAnswer::OK
                   : request.buttons == MessageButtons::YesNo ? MessageAnswer::No
                                                              : MessageAnswer::Cancel;
        const MessageAnswer answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }
    std::optional<std::string> input(const InputRequest& request) override {
        m_inputRequests.push_back(request);
        if (m_inputs.empty()) return std::nullopt;
        auto text = m_inputs.front();
        m_inputs.pop_front();
        return text;
    }

    const std::vector<MessageRequest>& requests() const { return m_requests; }
    const std::vector<InputRequest>& inputRequests() const { return m_inputRequests; }
    std::vector<std::string> titles() const {
        std::vector<std::string> result;
        for (const auto& request : m_requests) result.push_back(request.title);
        return result;
    }
    void clear() { m_requests.clear(); m_inputRequests.clear(); }

private:
    std::deque<MessageAnswer> m_answers;
    std::deque<std::optional<std::string>> m_inputs;
    std::vector<MessageRequest> m_requests;
    std::vector<InputRequest> m_inputRequests;
    std::function<void(const MessageRequest&)> m_onAsk;
};

} // namespace quelby::test
