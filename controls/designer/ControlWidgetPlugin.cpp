#include "designer/ControlWidgetPlugin.h"

#include <utility>

#include "host/HostedControl.h"
#include "host/Twips.h"

namespace rq::designer {

const QString ControlWidgetPlugin::GroupName = QStringLiteral("RQ3118");

ControlWidgetPlugin::ControlWidgetPlugin(ControlDescription description)
    : m_description(std::move(description)) {}

QString ControlWidgetPlugin::group() const {
    return GroupName;
}

QIcon ControlWidgetPlugin::icon() const {
    return m_description.icon ? m_description.icon() : QIcon();
}

QString ControlWidgetPlugin::domXml() const {
    // Designer keeps geometry in pixels; the controls keep theirs in twips.
    const QSize pixels = host::toPixels(m_description.designTwips);
    return QStringLiteral(
               "<ui language=\"c++\" displayname=\"%1\">\n"
               " <widget class=\"%2\" name=\"%3\">\n"
               "  <property name=\"geometry\">\n"
               "   <rect><x>0</x><y>0</y><width>%4</width><height>%5</height></rect>\n"
               "  </property>\n"
               " </widget>\n"
               "</ui>\n")
        .arg(m_description.displayName.toHtmlEscaped(), m_description.className.toHtmlEscaped(),
             m_description.objectName.toHtmlEscaped())
        .arg(pixels.width())
        .arg(pixels.height());
}

QWidget* ControlWidgetPlugin::createWidget(QWidget* parent) {
    host::HostedControl* control = m_description.create(parent);
    control->initProperties();
    control->setBounds(control->Left(), control->Top(), control->Width(), control->Height());
    return control;
}

void ControlWidgetPlugin::initialize(QDesignerFormEditorInterface*) {
    m_initialized = true;
}

}  // namespace rq::designer
