#pragma once

#include <QFont>
#include <QString>
#include <cstdint>

#include "host/Colours.h"
#include "host/HostedControl.h"

class QFrame;
class QLabel;
class QMouseEvent;

namespace rq::host {
class ControlRegistry;
}

namespace rq::controls {

// A two-state switch drawn as one of two coloured faces with a caption. A click on the face
// showing flips the switch and raises Click; the host reads Value in its handler. Setting Value
// only stores it: the face changes with clicks alone, and the face shown first is the one of the
// initial Value (off).
//
// Constituents: the faces "ToggleOn" and "ToggleOff", each covering the whole control, exactly
// one visible, with the captions "lblOn" and "lblOff" on them (sized to their text and centred
// by the resize rule). Captions are the accessible names of the labels and their faces.
//
// Mouse events over the faces, their captions or the control itself raise MouseDown, MouseMove
// and MouseUp with X and Y in twips from the control's top-left corner, Button 1 left, 2 right,
// 4 middle (MouseMove: the buttons held, added) and Shift 1 shift, 2 ctrl, 4 alt, added. A left
// click on a face raises Click after MouseUp; a fast second click counts as a click of its own.
class ToggleButton : public host::HostedControl {
    Q_OBJECT
    Q_PROPERTY(bool Value READ Value WRITE setValue)
    Q_PROPERTY(QFont Font READ Font WRITE setFont)
    Q_PROPERTY(QString OnText READ OnText WRITE setOnText)
    Q_PROPERTY(QString OffText READ OffText WRITE setOffText)
    Q_PROPERTY(uint OnTextColour READ OnTextColour WRITE setOnTextColour)
    Q_PROPERTY(uint OffTextColour READ OffTextColour WRITE setOffTextColour)
    Q_PROPERTY(uint OnBackColour READ OnBackColour WRITE setOnBackColour)
    Q_PROPERTY(uint OffBackColour READ OffBackColour WRITE setOffBackColour)

public:
    static constexpr char ProgId[] = "FlipSwitch.ToggleButton";

    explicit ToggleButton(QWidget* parent = nullptr);

    // Every setter reports the change under the property's own name; the text and colour
    // getters read the constituents back. Enabled is the base's.
    bool Value() const { return m_value; }
    void setValue(bool value);
    // The captions' font (read from lblOff). Hides QWidget::setFont, which sets the control's
    // own font: the captions follow that one only until a Font is set.
    QFont Font() const;
    void setFont(const QFont& font);
    QString OnText() const;
    void setOnText(const QString& text);
    QString OffText() const;
    void setOffText(const QString& text);
    host::Colour OnTextColour() const;
    void setOnTextColour(host::Colour value);
    host::Colour OffTextColour() const;
    void setOffTextColour(host::Colour value);
    host::Colour OnBackColour() const;
    void setOnBackColour(host::Colour value);
    host::Colour OffBackColour() const;
    void setOffBackColour(host::Colour value);

    void Refresh() {}

    void initProperties() override;
    // Loading applies every key but leaves the face as it is, whatever Value says.
    void readProperties(const host::PropertyBag& bag) override;
    void writeProperties(host::PropertyBag& bag) const override;

Q_SIGNALS:
    void Click();
    void MouseDown(int16_t Button, int16_t Shift, float X, float Y);
    void MouseMove(int16_t Button, int16_t Shift, float X, float Y);
    void MouseUp(int16_t Button, int16_t Shift, float X, float Y);

protected:
    QSize onResize(QSize askedTwips) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Raises the mouse event of one over widget (a face, a caption or the control); true when
    // it was a mouse event.
    bool handleMouse(QWidget* over, QMouseEvent* event);
    void clicked(QWidget* over);
    void applyText(QLabel* label, QFrame* face, const QString& text);

    QFrame* m_toggleOn;
    QFrame* m_toggleOff;
    QLabel* m_lblOn;
    QLabel* m_lblOff;
    bool m_value = false;
    QWidget* m_pressed = nullptr;  // where the left button went down
};

// Adds "FlipSwitch.ToggleButton" to the registry.
void registerFlipSwitch(host::ControlRegistry& registry);

}  // namespace rq::controls
