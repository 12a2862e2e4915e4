#include "host/ReadOut.h"

#include <QLabel>

namespace rq::host {

void showReadOut(QLabel* label, const QString& text) {
    label->setText(text);
    label->setAccessibleName(text);
}

}  // namespace rq::host
