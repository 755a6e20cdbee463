#include "app/shell/BuiltChildWindows.h"

#include "app/shell/NotBuiltWindow.h"
#include "diagnostics/frmDisplayIO.h"
#include "diagnostics/frmR760DF1.h"
#include "views/frmData.h"
#include "views/frmMain.h"
#include "views/frmSetup.h"
#include "views/frmTiming.h"

namespace quelby {
namespace {

// Window menu indexes.
constexpr int kMainDisplayWindow = 0;
constexpr int kSetupWindow = 1;
constexpr int kDf1Window = 2;
constexpr int kTimingWindow = 3;
constexpr int kShiftDataWindow = 4;
constexpr int kIoWindow = 5;

} // namespace

bool BuiltChildWindows::isBuilt(int index) const {
    switch (index) {
    case kMainDisplayWindow:
    case kSetupWindow:
    case kDf1Window:
    case kTimingWindow:
    case kShiftDataWindow:
    case kIoWindow:
        return true;
    default:
        return false;
    }
}

QWidget* BuiltChildWindows::create(int index, ShellContext& shell, QWidget* parent) {
    switch (index) {
    case kMainDisplayWindow:
        return new frmMain(shell, m_prompt, parent);
    case kSetupWindow:
        return new frmSetup(shell, m_prompt, parent);
    case kDf1Window:
        return new frmR760DF1(shell, m_prompt, parent);
    case kTimingWindow:
        return new frmTiming(shell, m_prompt, parent);
    case kShiftDataWindow:
        return new frmData(shell, m_prompt, parent);
    case kIoWindow:
        return new frmDisplayIO(shell, parent);
    default:
        return new NotBuiltWindow(index, parent);
    }
}

} // namespace quelby
