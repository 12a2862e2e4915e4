#pragma once

#include <QIcon>

// The widget box icons of the five controls, drawn small in each control's own colours.
namespace rq::designer {

QIcon statusIcon();
QIcon toggleIcon();
QIcon buttonsIcon();
QIcon fftIcon();
QIcon histogramIcon();

}  // namespace rq::designer
