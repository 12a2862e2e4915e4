#include "toggle/ToggleButton.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <algorithm>

#include "common/BasicText.h"
#include "host/ControlRegistry.h"
#include "host/PropertyBag.h"
#include "host/ReadOut.h"
#include "host/Twips.h"

namespace rq::controls {

using host::Colour;

namespace {

const QString DefaultOnText = QStringLiteral("On");
const QString DefaultOffText = QStringLiteral("Off");
constexpr Colour DefaultOnTextColour = 0xFF0000;
constexpr Colour DefaultOffTextColour = 0xFFFF;
constexpr Colour DefaultOnBackColour = 0xFF00;
constexpr Colour DefaultOffBackColour = 0xFF;

int16_t buttonCode(Qt::MouseButtons buttons) {
    int16_t code = 0;
    if (buttons & Qt::LeftButton) {
        code |= 1;
    }
    if (buttons & Qt::RightButton) {
        code |= 2;
    }
    if (buttons & Qt::MiddleButton) {
        code |= 4;
    }
    return code;
}

int16_t shiftCode(Qt::KeyboardModifiers modifiers) {
    int16_t code = 0;
    if (modifiers & Qt::ShiftModifier) {
        code |= 1;
    }
    if (modifiers & Qt::ControlModifier) {
        code |= 2;
    }
    if (modifiers & Qt::AltModifier) {
        code |= 4;
    }
    return code;
}

QFrame* makeFace(QWidget* parent, const char* name, QFrame::Shadow shadow, Colour back) {
    auto* face = new QFrame(parent);
    face->setObjectName(QString::fromLatin1(name));
    face->setFrameStyle(QFrame::Panel | shadow);
    face->setLineWidth(1);
    face->setMouseTracking(true);
    host::setBackColour(face, back);
    return face;
}

QLabel* makeCaption(QFrame* face, const char* name, Colour fore) {
    auto* label = new QLabel(face);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignCenter);
    label->setMouseTracking(true);
    host::setForeColour(label, fore);
    return label;
}

// A caption sized to its text, in twips.
QSize captionSize(const QLabel* label) {
    return host::toTwips(label->sizeHint());
}

int centred(int outer, int inner, int margin) {
    return int(roundHalfEven((outer - inner - margin) / 2.0));
}

}  // namespace

ToggleButton::ToggleButton(QWidget* parent)
    : HostedControl(parent),
      m_toggleOn(makeFace(this, "ToggleOn", QFrame::Sunken, DefaultOnBackColour)),
      m_toggleOff(makeFace(this, "ToggleOff", QFrame::Raised, DefaultOffBackColour)),
      m_lblOn(makeCaption(m_toggleOn, "lblOn", DefaultOnTextColour)),
      m_lblOff(makeCaption(m_toggleOff, "lblOff", DefaultOffTextColour)) {
    applyText(m_lblOn, m_toggleOn, DefaultOnText);
    applyText(m_lblOff, m_toggleOff, DefaultOffText);
    for (QWidget* w : {static_cast<QWidget*>(m_toggleOn), static_cast<QWidget*>(m_toggleOff),
                       static_cast<QWidget*>(m_lblOn), static_cast<QWidget*>(m_lblOff)}) {
        w->installEventFilter(this);
    }
    setMouseTracking(true);
    // Off first: the face of the initial Value.
    m_toggleOn->hide();
    setBounds(0, 0, 1335, 315);
}

void ToggleButton::applyText(QLabel* label, QFrame* face, const QString& text) {
    host::showReadOut(label, text);
    face->setAccessibleName(text);
}

void ToggleButton::setValue(bool value) {
    m_value = value;
    reportChange(QStringLiteral("Value"));
}

QFont ToggleButton::Font() const {
    return m_lblOff->font();
}

void ToggleButton::setFont(const QFont& font) {
    m_lblOn->setFont(font);
    m_lblOff->setFont(font);
    relayout();
    reportChange(QStringLiteral("Font"));
}

QString ToggleButton::OnText() const {
    return m_lblOn->text();
}

void ToggleButton::setOnText(const QString& text) {
    applyText(m_lblOn, m_toggleOn, text);
    relayout();
    reportChange(QStringLiteral("OnText"));
}

QString ToggleButton::OffText() const {
    return m_lblOff->text();
}

void ToggleButton::setOffText(const QString& text) {
    applyText(m_lblOff, m_toggleOff, text);
    relayout();
    reportChange(QStringLiteral("OffText"));
}

Colour ToggleButton::OnTextColour() const {
    return host::foreColour(m_lblOn);
}

void ToggleButton::setOnTextColour(Colour value) {
    host::setForeColour(m_lblOn, value);
    reportChange(QStringLiteral("OnTextColour"));
}

Colour ToggleButton::OffTextColour() const {
    return host::foreColour(m_lblOff);
}

void ToggleButton::setOffTextColour(Colour value) {
    host::setForeColour(m_lblOff, value);
    reportChange(QStringLiteral("OffTextColour"));
}

Colour ToggleButton::OnBackColour() const {
    return host::backColour(m_toggleOn);
}

void ToggleButton::setOnBackColour(Colour value) {
    host::setBackColour(m_toggleOn, value);
    reportChange(QStringLiteral("OnBackColour"));
}

Colour ToggleButton::OffBackColour() const {
    return host::backColour(m_toggleOff);
}

void ToggleButton::setOffBackColour(Colour value) {
    host::setBackColour(m_toggleOff, value);
    reportChange(QStringLiteral("OffBackColour"));
}

void ToggleButton::initProperties() {
    m_value = false;
}

void ToggleButton::readProperties(const host::PropertyBag& bag) {
    m_value = bag.readBool(QStringLiteral("Value"), false);
    QWidget::setEnabled(bag.readBool(QStringLiteral("Enabled"), true));
    const QFont font = bag.readFont(QStringLiteral("Font"), ambientFont());
    m_lblOn->setFont(font);
    m_lblOff->setFont(font);
    applyText(m_lblOn, m_toggleOn, bag.readString(QStringLiteral("OnText"), DefaultOnText));
    applyText(m_lblOff, m_toggleOff, bag.readString(QStringLiteral("OffText"), DefaultOffText));
    host::setForeColour(m_lblOn,
                        bag.readColour(QStringLiteral("OnTextColour"), DefaultOnTextColour));
    host::setForeColour(m_lblOff,
                        bag.readColour(QStringLiteral("OffTextColour"), DefaultOffTextColour));
    host::setBackColour(m_toggleOn,
                        bag.readColour(QStringLiteral("OnBackColour"), DefaultOnBackColour));
    host::setBackColour(m_toggleOff,
                        bag.readColour(QStringLiteral("OffBackColour"), DefaultOffBackColour));
    relayout();
}

void ToggleButton::writeProperties(host::PropertyBag& bag) const {
    bag.writeBool(QStringLiteral("Value"), m_value, false);
    bag.writeBool(QStringLiteral("Enabled"), Enabled(), true);
    bag.writeFont(QStringLiteral("Font"), Font(), ambientFont());
    bag.writeString(QStringLiteral("OnText"), OnText(), DefaultOnText);
    bag.writeString(QStringLiteral("OffText"), OffText(), DefaultOffText);
    bag.writeColour(QStringLiteral("OnTextColour"), OnTextColour(), DefaultOnTextColour);
    bag.writeColour(QStringLiteral("OffTextColour"), OffTextColour(), DefaultOffTextColour);
    bag.writeColour(QStringLiteral("OnBackColour"), OnBackColour(), DefaultOnBackColour);
    bag.writeColour(QStringLiteral("OffBackColour"), OffBackColour(), DefaultOffBackColour);
}

QSize ToggleButton::onResize(QSize asked) {
    const int w = std::max(asked.width(), 0);
    const int h = std::max(asked.height(), 0);
    host::placeTwips(m_toggleOn, 0, 0, w, h);
    host::placeTwips(m_toggleOff, 0, 0, w, h);
    const QSize on = captionSize(m_lblOn);
    host::placeTwips(m_lblOn, centred(w, on.width(), 20), centred(h, on.height(), 20), on.width(),
                     on.height());
    const QSize off = captionSize(m_lblOff);
    host::placeTwips(m_lblOff, centred(w, off.width(), 30), centred(h, off.height(), 30),
                     off.width(), off.height());
    return {w, h};
}

void ToggleButton::changeEvent(QEvent* event) {
    HostedControl::changeEvent(event);
    // A font from the container changes the captions' sizes.
    if (event->type() == QEvent::FontChange) {
        relayout();
    }
}

bool ToggleButton::handleMouse(QWidget* over, QMouseEvent* event) {
    if (!over->isEnabled()) {
        return false;  // Qt drops it after the filter
    }
    const QPointF at = over->mapTo(this, event->position()) * host::TwipsPerPixel;
    const int16_t shift = shiftCode(event->modifiers());
    const auto x = float(at.x());
    const auto y = float(at.y());
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            if (event->button() == Qt::LeftButton) {
                m_pressed = over;
            }
            Q_EMIT MouseDown(buttonCode(event->button()), shift, x, y);
            return true;
        case QEvent::MouseMove:
            Q_EMIT MouseMove(buttonCode(event->buttons()), shift, x, y);
            return true;
        case QEvent::MouseButtonRelease: {
            const bool click = event->button() == Qt::LeftButton && m_pressed == over &&
                               over->rect().contains(event->position().toPoint());
            if (event->button() == Qt::LeftButton) {
                m_pressed = nullptr;
            }
            Q_EMIT MouseUp(buttonCode(event->button()), shift, x, y);
            if (click) {
                clicked(over);
            }
            return true;
        }
        default:
            return false;
    }
}

void ToggleButton::clicked(QWidget* over) {
    if (over == m_toggleOff || over == m_lblOff) {
        setValue(true);
        m_toggleOff->hide();
        m_toggleOn->show();
    } else if (over == m_toggleOn || over == m_lblOn) {
        setValue(false);
        m_toggleOff->show();
        m_toggleOn->hide();
    }
    Q_EMIT Click();
}

bool ToggleButton::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease:
            return handleMouse(static_cast<QWidget*>(watched), static_cast<QMouseEvent*>(event));
        default:
            return HostedControl::eventFilter(watched, event);
    }
}

void ToggleButton::mousePressEvent(QMouseEvent* event) {
    handleMouse(this, event);
}

void ToggleButton::mouseDoubleClickEvent(QMouseEvent* event) {
    handleMouse(this, event);
}

void ToggleButton::mouseMoveEvent(QMouseEvent* event) {
    handleMouse(this, event);
}

void ToggleButton::mouseReleaseEvent(QMouseEvent* event) {
    handleMouse(this, event);
}

void registerFlipSwitch(host::ControlRegistry& registry) {
    registry.add(QString::fromLatin1(ToggleButton::ProgId),
                 [](QWidget* parent) { return new ToggleButton(parent); });
}

}  // namespace rq::controls
