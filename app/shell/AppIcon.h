#pragma once

#include <QIcon>

namespace quelby {

// The program's own icon (a printed can before its timing wheel), drawn from the SVG built
// into the program. Null when this Qt has no SVG support; windows then keep the system's.
QIcon AppIcon();

} // namespace quelby
