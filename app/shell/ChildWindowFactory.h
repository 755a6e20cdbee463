#pragma once

class QWidget;

namespace quelby {

class ShellContext;

// The window table: the six child windows of the Window menu, by index 0..5 (Main Display,
// Set-up Parameters, Serial Communications, Machine Timing, Shift Data, I/O States).
class ChildWindowFactory {
public:
    static constexpr int kWindowCount = 6;

    virtual ~ChildWindowFactory() = default;
    // False for a window this build does not have: its Window menu item is disabled.
    virtual bool isBuilt(int index) const = 0;
    // Loads the window of `index` from scratch. Never returns nullptr for an index 0..5; a
    // window that is not built yet comes back as a placeholder saying so.
    virtual QWidget* create(int index, ShellContext& shell, QWidget* parent) = 0;
};

} // namespace quelby
