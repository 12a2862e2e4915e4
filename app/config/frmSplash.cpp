#include "config/frmSplash.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <cmath>

#include "host/DesignFont.h"
#include "host/Twips.h"

namespace rq {
namespace {

// A converter chip with a sine entering it and codes leaving it; the phase of the sine and the
// lit output bit move from frame to frame.
QPixmap drawFrame(int width, int phase) {
    QPixmap pixmap(width, 98);
    pixmap.fill(QColor(0xF4, 0xF6, 0xFA));
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    // The sine wave, on the left.
    QPainterPath wave;
    for (int x = 4; x <= 40; ++x) {
        const double y = 49 - 16 * std::sin((x - 4) / 36.0 * 2 * M_PI + phase * 2 * M_PI / 3);
        if (x == 4) {
            wave.moveTo(x, y);
        } else {
            wave.lineTo(x, y);
        }
    }
    p.setPen(QPen(QColor(0x1F, 0x6F, 0xD0), 2.2));
    p.drawPath(wave);
    // The chip, with its pins.
    p.setPen(QPen(QColor(0x30, 0x30, 0x38), 1));
    for (int i = 0; i < 5; ++i) {
        p.drawLine(44 + 7 * i, 20, 44 + 7 * i, 26);
        p.drawLine(44 + 7 * i, 72, 44 + 7 * i, 78);
    }
    p.setBrush(QColor(0x26, 0x28, 0x30));
    p.drawRoundedRect(QRectF(40, 26, 34, 46), 3, 3);
    p.setPen(QColor(0xE8, 0xE8, 0xE8));
    QFont f = host::designFont();
    f.setPointSizeF(6.5);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRectF(40, 26, 34, 46), Qt::AlignCenter, QStringLiteral("ADC"));
    // The output bits, one of them lit.
    for (int i = 0; i < 4; ++i) {
        const bool lit = (i + phase) % 3 == 0;
        p.setPen(Qt::NoPen);
        p.setBrush(lit ? QColor(0x20, 0xC0, 0x40) : QColor(0xC8, 0xCC, 0xD4));
        p.drawRect(QRectF(80, 30 + 10 * i, width - 86, 6));
    }
    return pixmap;
}

QFont arialBold(double points) {
    QFont f(host::platformFamily(QStringLiteral("Arial")));
    f.setPointSizeF(points);
    f.setBold(true);
    return f;
}

}  // namespace

std::array<QPixmap, 3> frmSplash::animationFrames() {
    return {drawFrame(107, 0), drawFrame(107, 1), drawFrame(108, 2)};
}

frmSplash::frmSplash(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("frmSplash"));
    setAccessibleName(QStringLiteral("About RQ3118"));
    setFixedSize(host::toPixels(QSize(6225, 2910)));

    m_frame1 = new QFrame(this);
    m_frame1->setObjectName(QStringLiteral("Frame1"));
    m_frame1->setFrameShape(QFrame::Box);
    m_frame1->setFrameShadow(QFrame::Sunken);
    host::placeTwips(m_frame1, 120, 60, 5940, 2730);

    const std::array<QPixmap, 3> frames = animationFrames();
    for (int i = 0; i < 3; ++i) {
        auto* holder = new QLabel(m_frame1);
        holder->setObjectName(QStringLiteral("Picture2%1").arg(i));
        holder->setProperty("Index", i);
        holder->setPixmap(frames[static_cast<size_t>(i)]);
        holder->setVisible(false);
        m_picture2[static_cast<size_t>(i)] = holder;
    }
    m_picture1 = new QLabel(m_frame1);
    m_picture1->setObjectName(QStringLiteral("Picture1"));
    m_picture1->setAccessibleName(QStringLiteral("Animation"));
    m_picture1->setPixmap(frames[2]);
    host::placeTwips(m_picture1, 240, 900, 1620, 1470);

    m_productName = new QLabel(QStringLiteral("RQ3118 Evaluation Board"), m_frame1);
    m_productName->setObjectName(QStringLiteral("lblProductName"));
    m_productName->setFont(arialBold(21.75));
    m_productName->setAlignment(Qt::AlignCenter);
    host::placeTwips(m_productName, 60, 120, 5820, 660);

    m_label1 =
        new QLabel(QStringLiteral("Check FormLoad event for version revision info."), m_frame1);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_label1->setFont(arialBold(12));
    m_label1->setWordWrap(true);
    host::placeTwips(m_label1, 2040, 900, 3720, 900);

    m_version = new QLabel(QStringLiteral("Version 2.0"), m_frame1);
    m_version->setObjectName(QStringLiteral("V"));
    m_version->setFont(arialBold(12));
    host::placeTwips(m_version, 2040, 1980, 3720, 360);

    for (QLabel* label : {m_productName, m_label1, m_version}) {
        label->setAccessibleName(label->text());
    }
    for (QWidget* w : std::initializer_list<QWidget*>{m_frame1, m_picture1, m_productName, m_label1,
                                                      m_version}) {
        w->installEventFilter(this);
    }

    m_timer1.setObjectName(QStringLiteral("Timer1"));
    m_timer1.setInterval(100);
    connect(&m_timer1, &QTimer::timeout, this, &frmSplash::Timer1_Timer);
}

void frmSplash::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Centred on the screen, and active so that it gets the keys.
    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->geometry();
        move(area.left() + (area.width() - frameGeometry().width()) / 2,
             area.top() + (area.height() - frameGeometry().height()) / 2);
    }
    activateWindow();
    setFocus(Qt::ActiveWindowFocusReason);
    m_animationFrame = 0;
    m_timer1.start();
}

void frmSplash::Timer1_Timer() {
    m_animationFrame += 1;
    if (m_animationFrame > 2) {
        m_animationFrame = 0;
    }
    m_picture1->setPixmap(m_picture2[static_cast<size_t>(m_animationFrame)]->pixmap());
}

void frmSplash::keyPressEvent(QKeyEvent* event) {
    event->accept();
    m_timer1.stop();
    accept();
}

bool frmSplash::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::MouseButtonRelease) {
        return QDialog::eventFilter(watched, event);
    }
    // The version label takes its clicks without closing; every other part of the content
    // closes the box (a click is a release over the widget that was pressed).
    auto* widget = static_cast<QWidget*>(watched);
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (watched == m_version) {
        return true;
    }
    if (widget->rect().contains(mouse->position().toPoint())) {
        m_timer1.stop();
        accept();
        return true;
    }
    return false;
}

}  // namespace rq
