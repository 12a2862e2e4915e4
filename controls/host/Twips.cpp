#include "host/Twips.h"

#include <QVariant>
#include <QWidget>

#include "host/HostedControl.h"

namespace rq::host {

namespace {
// Where the place in twips is kept on a plain widget.
constexpr char TwipsPlace[] = "rqTwipsGeometry";
}  // namespace

QRect toPixels(const QRect& twips) {
    return {toPixels(twips.left()), toPixels(twips.top()), toPixels(twips.width()),
            toPixels(twips.height())};
}

QSize toPixels(const QSize& twips) {
    return {toPixels(twips.width()), toPixels(twips.height())};
}

QRect toTwips(const QRect& pixels) {
    return {toTwips(pixels.left()), toTwips(pixels.top()), toTwips(pixels.width()),
            toTwips(pixels.height())};
}

QSize toTwips(const QSize& pixels) {
    return {toTwips(pixels.width()), toTwips(pixels.height())};
}

void placeTwips(QWidget* widget, int left, int top, int width, int height) {
    placeTwips(widget, QRect(left, top, width, height));
}

void placeTwips(QWidget* widget, const QRect& twips) {
    if (auto* control = qobject_cast<HostedControl*>(widget)) {
        control->setBounds(twips.left(), twips.top(), twips.width(), twips.height());
        return;
    }
    widget->setProperty(TwipsPlace, twips);
    widget->setGeometry(toPixels(twips));
}

QRect twipsGeometry(const QWidget* widget) {
    if (auto* control = qobject_cast<const HostedControl*>(widget)) {
        return {control->Left(), control->Top(), control->Width(), control->Height()};
    }
    const QRect px = widget->geometry();
    const QVariant kept = widget->property(TwipsPlace);
    if (!kept.isValid()) {
        return toTwips(px);
    }
    // Each value as given while its pixels are unchanged.
    const QRect twips = kept.toRect();
    const auto pick = [](int given, int pixels) {
        return toPixels(given) == pixels ? given : toTwips(pixels);
    };
    return {pick(twips.left(), px.left()), pick(twips.top(), px.top()),
            pick(twips.width(), px.width()), pick(twips.height(), px.height())};
}

}  // namespace rq::host
