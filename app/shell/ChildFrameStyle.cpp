#include "app/shell/ChildFrameStyle.h"

#include <QMdiSubWindow>

namespace quelby {

int ChildFrameStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                               QStyleHintReturn* returnData) const {
    // A maximized sub-window keeps its (empty) title bar instead of moving its buttons into
    // the menu bar.
    if (hint == SH_Workspace_FillSpaceOnMaximize) return 1;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

void ChildFrameStyle::dress(QMdiSubWindow& sub) {
    sub.setWindowFlags(Qt::FramelessWindowHint);
    sub.setStyle(this);
    sub.setSystemMenu(nullptr);
}

} // namespace quelby
