#include "views/UpDownControl.h"

#include "views/NumericText.h"

#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace quelby {

UpDownControl::UpDownControl(QWidget* parent)
    : QWidget(parent), m_up(new QToolButton(this)), m_down(new QToolButton(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (auto* button : {m_up, m_down}) {
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRepeat(true);
        button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
        layout->addWidget(button);
    }
    m_up->setArrowType(Qt::UpArrow);
    m_down->setArrowType(Qt::DownArrow);
    connect(m_up, &QToolButton::clicked, this, &UpDownControl::stepUp);
    connect(m_down, &QToolButton::clicked, this, &UpDownControl::stepDown);
}

void UpDownControl::setRange(int minimum, int maximum) {
    m_minimum = minimum;
    m_maximum = std::max(minimum, maximum);
    m_value = std::clamp(m_value, m_minimum, m_maximum);
}

void UpDownControl::setValue(int value) {
    m_value = std::clamp(value, m_minimum, m_maximum);
}

int UpDownControl::startingValue() const {
    if (!m_buddy) return m_value;
    const auto shown = WholeNumericValue(m_buddy->text().toStdString());
    if (!shown || !std::isfinite(*shown)) return m_value;
    const double clamped = std::clamp(*shown, double(m_minimum), double(m_maximum));
    return static_cast<int>(std::lround(clamped));
}

bool UpDownControl::skipped(int value) const {
    return std::find(m_skipped.begin(), m_skipped.end(), value) != m_skipped.end();
}

void UpDownControl::step(int direction) {
    const int from = startingValue();
    const auto stepFrom = [&](int value) {
        const long long wanted = static_cast<long long>(value) + static_cast<long long>(direction) * m_increment;
        return static_cast<int>(std::clamp<long long>(wanted, m_minimum, m_maximum));
    };
    int next = stepFrom(from);
    while (next != from && skipped(next)) {
        const int further = stepFrom(next);
        next = further == next ? from : further;
    }
    if (next == from) return;
    m_value = next;
    if (m_buddy) m_buddy->setText(QString::number(next));
    emit valueChanged(next);
}

} // namespace quelby
