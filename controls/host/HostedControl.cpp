#include "host/HostedControl.h"

#include <QEvent>
#include <QMoveEvent>
#include <QResizeEvent>

#include "host/DesignFont.h"
#include "host/Twips.h"

namespace rq::host {

HostedControl::HostedControl(QWidget* parent) : QWidget(parent) {
    installFontSubstitutions();
    setFont(ambientFont());
    m_twips = toTwips(geometry());
}

QFont HostedControl::ambientFont() const {
    for (const QWidget* w = parentWidget(); w != nullptr; w = w->parentWidget()) {
        if (w->testAttribute(Qt::WA_SetFont)) {
            return w->font();
        }
    }
    return designFont();
}

// Each extender value reads back as set while Qt keeps the widget on the pixels it gave.
int HostedControl::Left() const {
    return pos().x() == toPixels(m_twips.left()) ? m_twips.left() : toTwips(pos().x());
}

int HostedControl::Top() const {
    return pos().y() == toPixels(m_twips.top()) ? m_twips.top() : toTwips(pos().y());
}

int HostedControl::Width() const {
    return width() == toPixels(m_twips.width()) ? m_twips.width() : toTwips(width());
}

int HostedControl::Height() const {
    return height() == toPixels(m_twips.height()) ? m_twips.height() : toTwips(height());
}

bool HostedControl::Visible() const {
    return parentWidget() ? isVisibleTo(parentWidget()) : !isHidden();
}

void HostedControl::setLeft(int twips) {
    setBounds(twips, Top(), Width(), Height());
}

void HostedControl::setTop(int twips) {
    setBounds(Left(), twips, Width(), Height());
}

void HostedControl::setWidth(int twips) {
    setBounds(Left(), Top(), twips, Height());
}

void HostedControl::setHeight(int twips) {
    setBounds(Left(), Top(), Width(), twips);
}

void HostedControl::setBounds(int left, int top, int width, int height) {
    m_twips.moveTo(left, top);
    move(toPixels(left), toPixels(top));
    applySize(QSize(width, height));
}

void HostedControl::relayout() {
    applySize(QSize(Width(), Height()));
}

void HostedControl::applySize(QSize askedTwips) {
    if (m_resizing) {
        return;
    }
    m_resizing = true;
    const QSize taken = onResize(askedTwips);
    m_twips.setSize(taken);
    resize(toPixels(taken));
    m_resizing = false;
}

void HostedControl::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // A size made by Qt in pixels (a layout, the user) still goes through the size rule.
    if (!m_resizing && event->size() != toPixels(m_twips.size())) {
        applySize(toTwips(event->size()));
    }
}

void HostedControl::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (event->pos() != toPixels(m_twips).topLeft()) {
        m_twips.moveTo(toTwips(event->pos().x()), toTwips(event->pos().y()));
    }
}

void HostedControl::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange && Enabled() != m_enabled) {
        m_enabled = Enabled();
        reportChange(QStringLiteral("Enabled"));
    }
}

}  // namespace rq::host
