#pragma once

class QPushButton;
class QWidget;

namespace quelby {

// The window's focus-parking button cmdDefault: moving the focus to it is how a numeric entry
// field is left. It can take the focus but has no action, takes no room and is never seen,
// and stands outside the window's layout.
QPushButton* MakeParkingButton(QWidget* window);

} // namespace quelby
