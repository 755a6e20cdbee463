#pragma once

#include <QString>
#include <QWidget>

#include <string>

namespace quelby {

// Small helpers shared by the files of the Target Board Interface window.

inline QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// Whether a control is shown as far as its own state goes, whatever its tab or window.
inline bool Shown(const QWidget* widget) {
    return widget->isVisibleTo(widget->parentWidget());
}

} // namespace quelby
