#include "host/ControlRegistry.h"

#include "host/PropertyBag.h"

namespace rq::host {

void ControlRegistry::add(const QString& progId, Factory factory) {
    m_entries.insert(progId.toLower(), Entry{progId, std::move(factory)});
}

bool ControlRegistry::contains(const QString& progId) const {
    return m_entries.contains(progId.toLower());
}

QStringList ControlRegistry::progIds() const {
    QStringList ids;
    for (const Entry& e : m_entries) {
        ids << e.progId;
    }
    ids.sort();
    return ids;
}

HostedControl* ControlRegistry::create(const QString& progId, QWidget* parent,
                                       const QString& objectName, const PropertyBag* design) const {
    const auto it = m_entries.constFind(progId.toLower());
    if (it == m_entries.constEnd() || !it->factory) {
        throw NumberedError(
            CannotCreateControl, QStringLiteral("Control host"),
            QStringLiteral("Cannot create control \"%1\": no control library registers it")
                .arg(progId));
    }
    HostedControl* control = it->factory(parent);
    if (control == nullptr) {
        throw NumberedError(
            CannotCreateControl, QStringLiteral("Control host"),
            QStringLiteral("Cannot create control \"%1\": its library made nothing").arg(progId));
    }
    control->setObjectName(objectName);
    try {
        if (design != nullptr) {
            control->readProperties(*design);
        } else {
            control->initProperties();
        }
        control->setBounds(control->Left(), control->Top(), control->Width(), control->Height());
        if (parent != nullptr) {
            control->show();  // visible with its container, as a sited control is
        }
    } catch (...) {
        delete control;
        throw;
    }
    return control;
}

}  // namespace rq::host
