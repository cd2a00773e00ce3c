#pragma once

#include <QCheckBox>
#include <QFont>
#include <QRect>

// A check box whose caption wraps on word boundaries inside the box's own
// rectangle, as the classic check box does; QCheckBox keeps its caption on one
// line and cuts it off. Where the box's font needs more lines than the box
// has room for, the caption is drawn narrower, then smaller, until it fits.
// The caption itself (the text, and so the accessible name) is unchanged.
class WrappingCheckBox : public QCheckBox {
    Q_OBJECT
public:
    using QCheckBox::QCheckBox;

    struct Caption {
        QFont font;
        QRect area;   // right of the indicator, the box's full height
        QRect bounds; // the wrapped text as drawn
    };
    Caption caption() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    QRect indicatorRect() const;
};
