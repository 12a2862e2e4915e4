#pragma once

#include <QIcon>
#include <QSize>
#include <QString>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>
#include <functional>

namespace rq::host {
class HostedControl;
}

namespace rq::designer {

// What Designer is told about one control.
struct ControlDescription {
    QString className;    // as the meta-object names it, namespace included
    QString displayName;  // the widget box's entry
    QString includeFile;
    QString objectName;  // the name a new one gets on a form, as the program's windows use
    QString toolTip;
    QString whatsThis;
    QSize designTwips;  // the size the control makes itself at
    std::function<host::HostedControl*(QWidget* parent)> create;
    std::function<QIcon()> icon;
};

// One control in Designer's widget box, described by a ControlDescription.
class ControlWidgetPlugin : public QDesignerCustomWidgetInterface {
public:
    explicit ControlWidgetPlugin(ControlDescription description);

    QString name() const override { return m_description.className; }
    QString group() const override;
    QString toolTip() const override { return m_description.toolTip; }
    QString whatsThis() const override { return m_description.whatsThis; }
    QString includeFile() const override { return m_description.includeFile; }
    QIcon icon() const override;
    bool isContainer() const override { return false; }
    QString domXml() const override;

    // The control as a new one sited without saved state: initProperties, then its size rule.
    QWidget* createWidget(QWidget* parent) override;

    bool isInitialized() const override { return m_initialized; }
    void initialize(QDesignerFormEditorInterface* core) override;

    static const QString GroupName;

private:
    ControlDescription m_description;
    bool m_initialized = false;
};

}  // namespace rq::designer
