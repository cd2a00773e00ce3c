#pragma once

class QWidget;

// Control geometry in twips (1440 per inch). The twips values a control was
// given are kept on the control as they were assigned, so layout arithmetic
// can be read back exactly; the pixel geometry follows from the screen's
// logical DPI.
namespace twips {

struct Rect {
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;
};

// Pixels per twip for the screen the widget is shown on.
double pixelsPerTwip(const QWidget* widget);
int toPixels(double twips, double pixelsPerTwip);
float fromPixels(int pixels, double pixelsPerTwip);

Rect geometry(const QWidget* widget);
void setGeometry(QWidget* widget, float left, float top, float width, float height);
void setTop(QWidget* widget, float top); // a negative Top is allowed
// A negative width or height is a failing assignment: throws
// std::invalid_argument and leaves the control as it was.
void setWidth(QWidget* widget, float width);
void setHeight(QWidget* widget, float height);

} // namespace twips
