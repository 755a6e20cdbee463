#pragma once

#include "tests/views/TestShell.h"
#include "views/RefreshCycleWindow.h"

#include <QLineEdit>
#include <QTest>

#include <cstdint>
#include <map>
#include <memory>
#include <type_traits>
#include <vector>

namespace quelby::test {

// Enters the text box and replaces its text as the user would, without leaving it.
inline void ReplaceText(QLineEdit* box, const QString& text) {
    box->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_Delete);
    if (!text.isEmpty()) QTest::keyClicks(box, text);
}

// A child window on the test shell with what its tests watch: the board bytes it reads, the
// board bytes written (address and value), the refresh passes that ended.
template <typename Window>
struct WindowRig {
    TestShell shell;
    std::unique_ptr<Window> window;
    std::vector<std::uint16_t> reads;
    std::vector<std::pair<std::uint16_t, std::uint8_t>> writes;
    int passes = 0;

    WindowRig() {
        shell.rig.board.setReadObserver([this](std::uint16_t address) { reads.push_back(address); });
        shell.rig.board.setWriteObserver([this](std::uint16_t address) {
            writes.push_back({address, shell.rig.board.peek(address)});
        });
    }
    void open() {
        if constexpr (std::is_constructible_v<Window, ShellContext&, UserPrompt&>)
            window = std::make_unique<Window>(shell, shell.rig.prompt);
        else // a window that asks the user nothing
            window = std::make_unique<Window>(shell);
        QObject::connect(window.get(), &RefreshCycleWindow::passEnded, [this] { ++passes; });
        window->resize(720, 520);
        ShowActive(*window);
    }
    // Lets `count` more refresh passes end; false when they did not.
    bool waitPasses(int count) {
        const int target = passes + count;
        return RunEventsUntil([&] { return passes >= target; });
    }
    template <typename T = QWidget>
    T* control(const QString& name) const {
        return window->template findChild<T*>(name);
    }
    // Enters the text box, replaces its text as the user would and presses Enter.
    static void typeAndEnter(QLineEdit* box, const QString& text) {
        ReplaceText(box, text);
        QTest::keyClick(box, Qt::Key_Return);
    }
};

} // namespace quelby::test
