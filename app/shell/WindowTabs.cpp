#include "app/shell/WindowTabs.h"

#include "app/shell/MainMenus.h"

#include <QAction>
#include <QMdiSubWindow>

namespace quelby {

WindowTabs::WindowTabs(const MainMenus& menus, QWidget* parent) : QTabBar(parent) {
    setObjectName("tbsWindows");
    setDocumentMode(true);
    setExpanding(false);
    setDrawBase(true);
    setFocusPolicy(Qt::NoFocus); // the child window keeps the focus
    for (int i = 0; i < MainMenus::kWindowCount; ++i) {
        const QAction* item = menus.windowForm(i);
        QString caption = item->text();
        caption.remove(QLatin1Char('&')); // the menu's access keys stay with the menu
        addTab(caption);
        setTabEnabled(i, item->isEnabled());
    }
    connect(this, &QTabBar::currentChanged, this, [this](int index) {
        if (index >= 0) emit windowChosen(index);
    });
}

void WindowTabs::showCurrent(int index) {
    const QSignalBlocker quiet(this);
    setCurrentIndex(index);
}

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
