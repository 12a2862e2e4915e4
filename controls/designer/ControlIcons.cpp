#include "designer/ControlIcons.h"

#include <QPainter>
#include <QPixmap>
#include <array>
#include <functional>

namespace rq::designer {

namespace {

constexpr int IconSize = 32;

QIcon drawIcon(const std::function<void(QPainter&)>& draw) {
    QPixmap pixmap(IconSize, IconSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    draw(painter);
    painter.end();
    return QIcon(pixmap);
}

void frame(QPainter& p, const QRect& r, const QColor& fill) {
    p.setPen(QColor(96, 96, 96));
    p.setBrush(fill);
    p.drawRect(r.adjusted(0, 0, -1, -1));
}

}  // namespace

// A white list with lines of text in several colours.
QIcon statusIcon() {
    return drawIcon([](QPainter& p) {
        frame(p, {2, 4, 28, 24}, Qt::white);
        const std::array<QColor, 4> colours{Qt::black, Qt::blue, Qt::black, Qt::red};
        for (int k = 0; k < int(colours.size()); ++k) {
            p.fillRect(5, 7 + 5 * k, k % 2 ? 16 : 21, 2, colours[k]);
        }
    });
}

// The switch's off face beside its on face, each with its caption colour.
QIcon toggleIcon() {
    return drawIcon([](QPainter& p) {
        frame(p, {1, 9, 15, 14}, QColor(255, 0, 0));
        frame(p, {16, 9, 15, 14}, QColor(0, 255, 0));
        p.fillRect(4, 15, 9, 2, QColor(255, 255, 0));
        p.fillRect(19, 15, 9, 2, QColor(0, 0, 255));
    });
}

// A row of switch faces in the panel's colours.
QIcon buttonsIcon() {
    return drawIcon([](QPainter& p) {
        const std::array<QColor, 4> faces{QColor(255, 0, 0), QColor(0, 255, 0), QColor(255, 255, 0),
                                          QColor(255, 0, 0)};
        for (int k = 0; k < int(faces.size()); ++k) {
            p.fillRect(2 + 7 * k, 4, 6, 3, QColor(64, 64, 64));
            frame(p, {2 + 7 * k, 10, 7, 18}, faces[k]);
        }
    });
}

// A spectrum: a noise floor with one tall peak and two harmonics.
QIcon fftIcon() {
    return drawIcon([](QPainter& p) {
        frame(p, {1, 1, 30, 30}, QColor(240, 240, 240));
        p.setPen(QPen(QColor(0, 0, 160), 1));
        const std::array<int, 14> heights{3, 2, 4, 22, 3, 2, 9, 2, 3, 6, 2, 3, 2, 3};
        for (int k = 0; k < int(heights.size()); ++k) {
            const int x = 4 + 2 * k;
            p.drawLine(x, 28, x, 28 - heights[k]);
        }
    });
}

// The panel's cyan with blue bars of a bell shape.
QIcon histogramIcon() {
    return drawIcon([](QPainter& p) {
        frame(p, {1, 2, 30, 28}, QColor(0, 255, 255));
        const std::array<int, 6> lengths{6, 14, 22, 20, 12, 5};
        for (int k = 0; k < int(lengths.size()); ++k) {
            p.fillRect(4, 5 + 4 * k, lengths[k], 3, QColor(0, 0, 255));
        }
    });
}

}  // namespace rq::designer
