#include "app/shell/BuiltChildWindows.h"

#include "app/shell/NotBuiltWindow.h"

#if QUELBY_HAVE_FRMMAIN
#include "views/frmMain.h"
#include "views/frmTiming.h"
#endif

namespace quelby {
namespace {
constexpr int kMachineTiming = 3;
} // namespace

bool BuiltChildWindows::isBuilt(int index) const {
#if QUELBY_HAVE_FRMMAIN
    return index == 0 || index == kMachineTiming;
#else
    (void)index;
    return false;
#endif
}

QWidget* BuiltChildWindows::create(int index, ShellContext& shell, QWidget* parent) {
#if QUELBY_HAVE_FRMMAIN
    if (index == 0) return new frmMain(shell, m_prompt, parent);
    if (index == kMachineTiming) return new frmTiming(shell, m_prompt, parent);
#else
    (void)shell;
#endif
    return new NotBuiltWindow(index, parent);
}

} // namespace quelby
