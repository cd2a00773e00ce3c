#include "widgets/window_placement.h"

#include <QPoint>

#include <algorithm>

namespace placement {
namespace {

QSize fitted(const QRect& area, QSize client, const QMargins& frame) {
    return client.boundedTo(area.size().shrunkBy(frame)).expandedTo(QSize(1, 1));
}

} // namespace

QRect centred(const QRect& area, QSize client, const QMargins& frame) {
    const QSize size = fitted(area, client, frame);
    const QSize outer = size.grownBy(frame);
    const QPoint outerTopLeft(area.left() + (area.width() - outer.width()) / 2,
                              area.top() + (area.height() - outer.height()) / 2);
    return keptInside(area, QRect(outerTopLeft + QPoint(frame.left(), frame.top()), size), frame);
}

QRect keptInside(const QRect& area, const QRect& client, const QMargins& frame) {
    const QSize size = fitted(area, client.size(), frame);
    const QSize outer = size.grownBy(frame);
    // Past the right or bottom edge first, so that a window larger than the
    // area (a frame taller than the area itself) keeps its title bar in reach.
    const int left = std::max(
        area.left(), std::min(client.left() - frame.left(), area.right() + 1 - outer.width()));
    const int top = std::max(
        area.top(), std::min(client.top() - frame.top(), area.bottom() + 1 - outer.height()));
    return QRect(QPoint(left + frame.left(), top + frame.top()), size);
}

} // namespace placement
