#pragma once

#include <QFont>
#include <QRect>
#include <QString>
#include <QWidget>

namespace rq::host {

class PropertyBag;

// The base of the program's controls: what a control host gives a control and asks of it.
//
// - Container notifications: initProperties (created without saved state), readProperties
//   (created from saved or design-time state), writeProperties (the host saves). The registry
//   runs the first or the second when it creates a control.
// - propertyChanged: a property was set, under the name it is persisted as.
// - Extender properties in twips: Left, Top, Width, Height, Visible. The twips given are kept,
//   so they read back exactly while the widget stands where they put it (Qt places it on whole
//   pixels, 15 twips each).
// - Resize notification: every change of size, asked in twips by the host or made by Qt in
//   pixels, runs onResize, where the control lays out its constituents and applies its size
//   rule in twips. (Qt holds back a pixel resize of a hidden widget until it is shown; the rule
//   runs then.)
// - ambientFont: the container's font, the default of a control's font.
// - Enabled: the control's own enabled state; a change is reported as "Enabled".
//
// Events are the subclasses' own Qt signals (Click, MouseDown, ...). A subclass builds its
// constituents in its constructor and ends it with setBounds at its design size, so its size
// rule has run before anyone looks (the base cannot call onResize from its own constructor).
class HostedControl : public QWidget {
    Q_OBJECT
    // Not designable: in Qt Designer they would repeat geometry, visible and enabled, and a
    // Visible set there would hide the control on the form being edited.
    Q_PROPERTY(int Left READ Left WRITE setLeft DESIGNABLE false)
    Q_PROPERTY(int Top READ Top WRITE setTop DESIGNABLE false)
    Q_PROPERTY(int Width READ Width WRITE setWidth DESIGNABLE false)
    Q_PROPERTY(int Height READ Height WRITE setHeight DESIGNABLE false)
    Q_PROPERTY(bool Visible READ Visible WRITE setVisible DESIGNABLE false)
    Q_PROPERTY(bool Enabled READ Enabled WRITE setEnabled DESIGNABLE false)

public:
    explicit HostedControl(QWidget* parent = nullptr);

    virtual void initProperties() {}
    virtual void readProperties(const PropertyBag& bag) {}
    virtual void writeProperties(PropertyBag& bag) const {}

    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    // Shown, or to be shown with its container (Qt's isVisibleTo).
    bool Visible() const;
    bool Enabled() const { return !testAttribute(Qt::WA_ForceDisabled); }
    void setLeft(int twips);
    void setTop(int twips);
    void setWidth(int twips);
    void setHeight(int twips);
    // Place and size in one step; the size goes through the control's size rule.
    void setBounds(int left, int top, int width, int height);

    // The container's font: the parent's when it (or an ancestor) was given a font, otherwise
    // the design font, which every window of the program uses.
    QFont ambientFont() const;

Q_SIGNALS:
    void propertyChanged(const QString& name);

protected:
    // The size asked for, in twips; returns the size the control takes. Lay out the
    // constituents here. The default takes the size asked for.
    virtual QSize onResize(QSize askedTwips) { return askedTwips; }

    // Runs the size rule again at the present size (after a change that moves constituents).
    void relayout();
    void reportChange(const QString& name) { Q_EMIT propertyChanged(name); }

    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void applySize(QSize askedTwips);

    QRect m_twips;  // the extender place as last set, in twips
    bool m_resizing = false;
    bool m_enabled = true;
};

}  // namespace rq::host
