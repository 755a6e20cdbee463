#pragma once

#include "app/data/FileDialogs.h"

#include <deque>
#include <optional>
#include <vector>

namespace quelby::test {

// Answers file dialogs from a script (nullopt = cancelled) and records every request.
class ScriptedFileDialogs : public FileDialogs {
public:
    void answerNext(std::optional<std::filesystem::path> path) {
        m_answers.push_back(std::move(path));
    }
    std::optional<std::filesystem::path> openFile(const FileDialogRequest& request) override {
        return next(request);
    }
    std::optional<std::filesystem::path> saveFile(const FileDialogRequest& request) override {
        return next(request);
    }
    const std::vector<FileDialogRequest>& requests() const { return m_requests; }

private:
    std::optional<std::filesystem::path> next(const FileDialogRequest& request) {
        m_requests.push_back(request);
        if (m_answers.empty()) return std::nullopt;
        auto answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }
    std::deque<std::optional<std::filesystem::path>> m_answers;
    std::vector<FileDialogRequest> m_requests;
};

} // namespace quelby::test
