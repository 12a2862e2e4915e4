#pragma once

#include <QRect>
#include <QSize>
#include <cmath>

class QWidget;

// Geometry in twips (1440 per inch) at the widget edge. The controls and windows keep their
// places and size rules in twips so the design's numbers hold exactly; Qt sees whole logical
// pixels, 15 twips each, and scales those on high-density screens itself.
namespace rq::host {

constexpr int TwipsPerPixel = 15;

// Nearest whole pixel, halves up, so a place shifted by whole pixels keeps its shape.
inline int toPixels(int twips) {
    return static_cast<int>(std::floor(twips / double(TwipsPerPixel) + 0.5));
}
constexpr int toTwips(int pixels) {
    return pixels * TwipsPerPixel;
}
// What the platform reports back for a length set in twips: 1690 reads back as 1695.
inline int onPixelGrid(int twips) {
    return toTwips(toPixels(twips));
}

// Each of left, top, width and height rounded on its own, as the platform does for each
// extender property, so a size reads back the same wherever the widget stands.
QRect toPixels(const QRect& twips);
QSize toPixels(const QSize& twips);
QRect toTwips(const QRect& pixels);
QSize toTwips(const QSize& pixels);

// Gives a widget its design place in twips. A hosted control takes it through its resize rule
// (HostedControl::setBounds); any other widget is simply placed.
void placeTwips(QWidget* widget, int left, int top, int width, int height);
void placeTwips(QWidget* widget, const QRect& twips);

// The place last given in twips, each of its values while the widget's pixels still match it;
// a value Qt has changed since (a layout, the user) is its pixels in twips.
QRect twipsGeometry(const QWidget* widget);

}  // namespace rq::host
