#pragma once

#include <QWidget>

#include <array>
#include <cstdint>
#include <optional>

namespace quelby {

// The trips of the 24 spindles as bars, spindle 1 on the left, scaled to the largest; the
// tripped spindle's bar marked. Values are drawn as the fields show them. A picture only.
class SpindleBarChart : public QWidget {
    Q_OBJECT

public:
    static constexpr int kSpindles = 24;

    explicit SpindleBarChart(QWidget* parent = nullptr);

    // Spindle `spindle` (1..24); others are ignored.
    void setValue(int spindle, std::int64_t value);
    // The spindle to mark (1..24); nullopt or any other number marks none.
    void setMarked(std::optional<int> spindle);

    std::int64_t value(int spindle) const { return m_values[static_cast<std::size_t>(spindle - 1)]; }
    std::optional<int> marked() const { return m_marked; }
    // Where spindle `spindle`'s bar is drawn: its height follows its share of the largest value,
    // at least a pixel; an empty rectangle for a spindle without trips.
    QRect barRect(int spindle) const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    QRect plotArea() const;
    int slotWidth() const;

    std::array<std::int64_t, kSpindles> m_values{};
    std::optional<int> m_marked;
};

} // namespace quelby
