#pragma once

#include <QWidget>

#include <array>
#include <optional>
#include <vector>

namespace quelby {

// The timing channels as bands across one turn of the resolver, 0..359 degrees: a row a
// channel, from its ON to its OFF setpoint; a band that passes 359 goes on from 0 and is
// drawn in two pieces. A row without both setpoints is empty. While the machine position is
// known, a line marks it. Hovering a band shows its setpoints. A picture only: it never
// writes anything.
class TimingDiagram : public QWidget {
    Q_OBJECT

public:
    static constexpr int kRows = 9;
    static constexpr int kDegrees = 360;
    // Degrees `from` to `to` of a row, both in 0..359, from <= to.
    struct Piece {
        int from = 0;
        int to = 0;
        bool operator==(const Piece&) const = default;
    };
    // The pieces of a band from `on` to `off`, each clipped into 0..359 first (an old file may
    // hold others). ON after OFF wraps: two pieces, ON..359 and 0..OFF.
    static std::vector<Piece> Pieces(int on, int off);

    explicit TimingDiagram(QWidget* parent = nullptr);

    // Row `row` (0..8) from the setpoints its fields show; nullopt for a field showing a mark
    // ("-", "****", "---"), which leaves the row empty.
    void setRow(int row, std::optional<int> on, std::optional<int> off);
    // The machine position in degrees, or nullopt when none is shown.
    void setPosition(std::optional<int> degrees);

    const std::vector<Piece>& pieces(int row) const { return m_rows[static_cast<std::size_t>(row)].pieces; }
    std::optional<int> position() const { return m_position; }
    // Where a piece of a row is drawn, and the setpoints text the row's tip shows.
    QRect pieceRect(int row, const Piece& piece) const;
    QString rowTip(int row) const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    struct Row {
        std::optional<int> on;
        std::optional<int> off;
        std::vector<Piece> pieces;
    };
    QRect plotArea() const;
    int xOf(int degree) const;
    int rowTop(int row) const;
    int rowHeight() const;

    std::array<Row, kRows> m_rows{};
    std::optional<int> m_position;
    int m_labelWidth = 0;
};

} // namespace quelby
