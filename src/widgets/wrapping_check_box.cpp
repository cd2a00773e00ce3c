#include "widgets/wrapping_check_box.h"

#include <QFontMetrics>
#include <QStyleOptionButton>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

#include <initializer_list>

namespace {

constexpr int kTextFlags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap;

QFont resized(QFont font, double factor) {
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * factor);
    else
        font.setPixelSize(qMax(1, qRound(font.pixelSize() * factor)));
    return font;
}

} // namespace

WrappingCheckBox::Caption WrappingCheckBox::caption() const {
    QStyleOptionButton option;
    initStyleOption(&option);
    Caption c;
    c.area = style()->subElementRect(QStyle::SE_CheckBoxContents, &option, this);
    c.area.setTop(0);
    c.area.setBottom(height() - 1);
    // Narrower letters first, since they keep the caption's height; a smaller
    // size only where those do not do. Below five eighths of the size the
    // caption would be too small to read: the last try stands, clipped.
    for (double factor = 1.0; factor > 0.62; factor -= 0.0625) {
        for (int stretch : {QFont::Unstretched, QFont::SemiCondensed, QFont::Condensed}) {
            c.font = resized(font(), factor);
            c.font.setStretch(stretch);
            c.bounds = QFontMetrics(c.font).boundingRect(c.area, kTextFlags | Qt::TextShowMnemonic,
                                                         text());
            if (c.bounds.height() <= c.area.height() && c.bounds.width() <= c.area.width())
                return c;
        }
    }
    return c;
}

QRect WrappingCheckBox::indicatorRect() const {
    QStyleOptionButton option;
    initStyleOption(&option);
    return style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, this);
}

void WrappingCheckBox::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    QStyleOptionButton indicator = option;
    indicator.rect = indicatorRect();
    painter.drawPrimitive(QStyle::PE_IndicatorCheckBox, indicator);

    const Caption c = caption();
    painter.setFont(c.font);
    style()->drawItemText(&painter, c.area, kTextFlags | Qt::TextShowMnemonic, option.palette,
                          isEnabled(), text(), QPalette::WindowText);
    if (option.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = c.bounds.adjusted(-1, 0, 1, 0) & rect();
        focus.backgroundColor = option.palette.color(QPalette::Window);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

// The indicator and every line of the caption take the click.
bool WrappingCheckBox::hitButton(const QPoint& pos) const {
    const Caption c = caption();
    return indicatorRect()
        .united(QRect(c.bounds.left(), 0, c.bounds.width(), height()))
        .contains(pos);
}
