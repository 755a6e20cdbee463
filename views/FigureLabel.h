#pragma once

#include <QLabel>

namespace quelby {

// A live figure of the Main Display: the text drawn bold and as large as the label allows,
// shrunk to fit its width, so a long count never widens the window or gets cut off. Offline
// (disabled) it is drawn in the palette's disabled text colour.
class FigureLabel : public QLabel {
public:
    explicit FigureLabel(const QString& text, QWidget* parent = nullptr);

    QSize minimumSizeHint() const override;
    // The point size the text is drawn with in the present size; for tests.
    qreal fittedPointSize() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QFont fittedFont() const;
};

} // namespace quelby
