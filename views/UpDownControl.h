#pragma once

#include <QWidget>

#include <vector>

class QLineEdit;
class QToolButton;

namespace quelby {

// The up-down (spin) arrows bound to a text box, their buddy. Each click steps Value by the
// increment inside Min..Max, starting from the number the buddy shows when it shows a whole
// number, writes the new Value into the buddy as decimal text and emits valueChanged. A click
// that cannot move (the value already at the limit) changes nothing and emits nothing. The
// arrows never take the focus.
class UpDownControl : public QWidget {
    Q_OBJECT
public:
    // Size of the pair beside its text box: two arrows each about 24 by 16 pixels.
    static constexpr int kWidth = 24;
    static constexpr int kMinimumHeight = 32;

    explicit UpDownControl(QWidget* parent = nullptr);

    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }
    int value() const { return m_value; }
    int increment() const { return m_increment; }
    QLineEdit* buddy() const { return m_buddy; }

    // Sets the limits and clamps Value into them.
    void setRange(int minimum, int maximum);
    // Sets Value (clamped into the limits) without writing the buddy or emitting.
    void setValue(int value);
    void setIncrement(int increment) { m_increment = increment; }
    void setBuddy(QLineEdit* buddy) { m_buddy = buddy; }
    // Values a step passes over: it goes on in its direction to the next value not among
    // them, and does not move when only skipped values lie before the limit.
    void setSkippedValues(std::vector<int> values) { m_skipped = std::move(values); }

    // What a click on the up (+1) or down (-1) arrow does.
    void step(int direction);
    void stepUp() { step(+1); }
    void stepDown() { step(-1); }

    QToolButton* upButton() const { return m_up; }
    QToolButton* downButton() const { return m_down; }

signals:
    void valueChanged(int value);

private:
    int startingValue() const;
    bool skipped(int value) const;

    int m_minimum = 0;
    int m_maximum = 100;
    int m_value = 0;
    int m_increment = 1;
    std::vector<int> m_skipped;
    QLineEdit* m_buddy = nullptr;
    QToolButton* m_up = nullptr;
    QToolButton* m_down = nullptr;
};

} // namespace quelby
