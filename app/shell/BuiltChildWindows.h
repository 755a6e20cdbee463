#pragma once

#include "app/shell/ChildWindowFactory.h"

namespace quelby {

class UserPrompt;

// The child windows this program has: the Main Display, Set-up Parameters, Serial
// Communications, Shift Data and I/O States; the others are not built yet.
class BuiltChildWindows : public ChildWindowFactory {
public:
    explicit BuiltChildWindows(UserPrompt& prompt) : m_prompt(prompt) {}

    bool isBuilt(int index) const override;
    QWidget* create(int index, ShellContext& shell, QWidget* parent) override;

private:
    UserPrompt& m_prompt;
};

} // namespace quelby
