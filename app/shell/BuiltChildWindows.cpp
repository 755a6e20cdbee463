#include "app/shell/BuiltChildWindows.h"

#include "app/shell/NotBuiltWindow.h"

#if QUELBY_HAVE_FRMMAIN
#include "views/frmData.h"
#include "views/frmMain.h"
#include "views/frmSetup.h"
#endif

namespace quelby {

bool BuiltChildWindows::isBuilt(int index) const {
#if QUELBY_HAVE_FRMMAIN
    return index == 0 || index == 1 || index == 4;
#else
    (void)index;
    return false;
#endif
}

QWidget* BuiltChildWindows::create(int index, ShellContext& shell, QWidget* parent) {
#if QUELBY_HAVE_FRMMAIN
    if (index == 0) return new frmMain(shell, m_prompt, parent);
    if (index == 1) return new frmSetup(shell, m_prompt, parent);
    if (index == 4) return new frmData(shell, m_prompt, parent);
#else
    (void)shell;
#endif
    return new NotBuiltWindow(index, parent);
}

} // namespace quelby
