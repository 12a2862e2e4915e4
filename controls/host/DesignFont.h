#pragma once

#include <QFont>
#include <QString>

// The design's fonts on this platform. The controls and windows were laid out for
// "MS Sans Serif" at 8 points, which free desktops do not have; Liberation Sans (Debian package
// fonts-liberation2) has the metrics of the sans-serif the design's sizes were checked against,
// so captions fit the same boxes. This is the one place that knows the stand-ins.
namespace rq::host {

inline const QString DesignFontFamily = QStringLiteral("MS Sans Serif");
constexpr double DesignFontPoints = 8.0;

// The installed family that draws a design family; any other family is returned as it is.
QString platformFamily(const QString& family);

// The font with its family replaced by its stand-in.
QFont mapFont(QFont font);

// "MS Sans Serif", 8 points, in its stand-in: the font of every control and window unless
// their container gives another.
QFont designFont();

// Registers the stand-ins with Qt's font substitution once, so a design family that reaches
// a widget by another path still draws in its stand-in. Safe to call again.
void installFontSubstitutions();

}  // namespace rq::host
