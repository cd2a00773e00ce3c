#include "widgets/twips.h"

#include <QScreen>
#include <QVariant>
#include <QWidget>

#include <cmath>
#include <stdexcept>

namespace twips {
namespace {

constexpr const char* kLeft = "twipsLeft";
constexpr const char* kTop = "twipsTop";
constexpr const char* kWidth = "twipsWidth";
constexpr const char* kHeight = "twipsHeight";

} // namespace

double pixelsPerTwip(const QWidget* widget) {
    double dpi = widget ? widget->logicalDpiY() : 96.0;
    if (dpi <= 0)
        dpi = 96.0;
    return dpi / 1440.0;
}

int toPixels(double value, double scale) {
    return static_cast<int>(std::lround(value * scale));
}

float fromPixels(int pixels, double scale) {
    return static_cast<float>(pixels / scale);
}

Rect geometry(const QWidget* widget) {
    Rect r;
    double scale = pixelsPerTwip(widget);
    auto read = [&](const char* name, int pixels) {
        QVariant v = widget->property(name);
        return v.isValid() ? v.toFloat() : fromPixels(pixels, scale);
    };
    QRect g = widget->geometry();
    r.left = read(kLeft, g.x());
    r.top = read(kTop, g.y());
    r.width = read(kWidth, g.width());
    r.height = read(kHeight, g.height());
    return r;
}

namespace {

// Keeps the twips on the widget and sets its pixel geometry from them.
void store(QWidget* widget, const Rect& r) {
    widget->setProperty(kLeft, r.left);
    widget->setProperty(kTop, r.top);
    widget->setProperty(kWidth, r.width);
    widget->setProperty(kHeight, r.height);
    const double s = pixelsPerTwip(widget);
    widget->setGeometry(toPixels(r.left, s), toPixels(r.top, s), toPixels(r.width, s),
                        toPixels(r.height, s));
}

} // namespace

void setGeometry(QWidget* widget, float left, float top, float width, float height) {
    if (width < 0 || height < 0)
        throw std::invalid_argument("negative size");
    store(widget, Rect{left, top, width, height});
}

void setTop(QWidget* widget, float top) {
    Rect r = geometry(widget);
    r.top = top;
    store(widget, r);
}

void setWidth(QWidget* widget, float width) {
    if (width < 0)
        throw std::invalid_argument("negative width");
    Rect r = geometry(widget);
    r.width = width;
    store(widget, r);
}

void setHeight(QWidget* widget, float height) {
    if (height < 0)
        throw std::invalid_argument("negative height");
    Rect r = geometry(widget);
    r.height = height;
    store(widget, r);
}

} // namespace twips
