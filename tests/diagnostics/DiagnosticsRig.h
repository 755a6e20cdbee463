#pragma once

#include "tests/views/TestShell.h"

#include <functional>

namespace quelby::test {

// The shell as the Target Board window needs it: going online opens the port, a failed open
// falls back to offline. `onUpdate` runs first at each update.
class OpeningShell : public TestShell {
public:
    std::function<void()> onUpdate;
    void updateOnlineStatus() override {
        if (onUpdate) onUpdate();
        if (rig.link.OnlineMode) rig.link.OpenRSComm(rig.port);
        TestShell::updateOnlineStatus();
        if (rig.link.CommError) rig.link.OnlineMode = false;
    }
};

} // namespace quelby::test
