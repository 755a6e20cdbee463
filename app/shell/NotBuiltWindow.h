#pragma once

#include <QWidget>

namespace quelby {

// Stands in for a child window this build does not have yet, and says so in its title and
// body; it offers no commands.
class NotBuiltWindow : public QWidget {
    Q_OBJECT

public:
    NotBuiltWindow(int index, QWidget* parent = nullptr);

    // The child window's title: "Main Display", "Set-up Parameters" ...; empty outside 0..5.
    static QString WindowTitle(int index);
};

} // namespace quelby
