#include "app/shell/BuiltChildWindows.h"

#include "app/shell/NotBuiltWindow.h"
#include "diagnostics/frmDisplayIO.h"
#include "diagnostics/frmR760DF1.h"

#if QUELBY_HAVE_FRMMAIN
#include "views/frmMain.h"
#endif

namespace quelby {
namespace {

constexpr int kSerialCommunications = 2;
constexpr int kIoStates = 5;

} // namespace

bool BuiltChildWindows::isBuilt(int index) const {
    if (index == kSerialCommunications || index == kIoStates) return true;
#if QUELBY_HAVE_FRMMAIN
    return index == 0;
#else
    return false;
#endif
}

QWidget* BuiltChildWindows::create(int index, ShellContext& shell, QWidget* parent) {
    if (index == kSerialCommunications) return new frmR760DF1(shell, m_prompt, parent);
    if (index == kIoStates) return new frmDisplayIO(shell, parent);
#if QUELBY_HAVE_FRMMAIN
    if (index == 0) return new frmMain(shell, m_prompt, parent);
#endif
    return new NotBuiltWindow(index, parent);
}

} // namespace quelby
