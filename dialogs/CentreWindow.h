#pragma once

class QWidget;

namespace quelby {

// Moves a top-level window so that it sits in the middle of its screen's available area
// ((screen width - window width) / 2, (screen height - window height) / 2). Does nothing
// when there is no screen.
void CentreWindow(QWidget& window);

} // namespace quelby
