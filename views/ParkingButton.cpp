#include "views/ParkingButton.h"

#include <QPushButton>

namespace quelby {

QPushButton* MakeParkingButton(QWidget* window) {
    auto* button = new QPushButton(QStringLiteral("-"), window);
    button->setObjectName(QStringLiteral("cmdDefault"));
    button->setAutoDefault(false);
    button->setFlat(true);
    button->setFixedSize(0, 0);
    button->move(0, 0);
    return button;
}

} // namespace quelby
