#pragma once

#include "app/shell/ChildWindowFactory.h"

namespace quelby {

class UserPrompt;

// The six child windows of the Window menu.
class BuiltChildWindows : public ChildWindowFactory {
public:
    explicit BuiltChildWindows(UserPrompt& prompt) : m_prompt(prompt) {}

    bool isBuilt(int index) const override;
    QWidget* create(int index, ShellContext& shell, QWidget* parent) override;

private:
    UserPrompt& m_prompt;
};

} // namespace quelby
