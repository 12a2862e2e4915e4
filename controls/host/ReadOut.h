#pragma once

#include <QString>

class QLabel;

namespace rq::host {

// Shows text on a label whose text is a value (a measurement, a count, a message line): its
// accessible name follows the text, so a screen reader reads what the label shows. The caption
// beside it names it.
void showReadOut(QLabel* label, const QString& text);

}  // namespace rq::host
