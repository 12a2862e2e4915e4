#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>

#include "common/NumberedError.h"
#include "host/HostedControl.h"

// Creation of controls by programmatic identifier ("StatusPane.QuorStatus"). Each control
// library has a registration function that adds its identifiers (registerStatusPane,
// registerFlipSwitch, ...); the program calls them once on its registry, so the controls are
// linked in however the libraries are built, and tests build registries of their own.
namespace rq::host {

// The failure of creating a control whose identifier nobody registered.
constexpr int CannotCreateControl = 429;

class ControlRegistry {
public:
    using Factory = std::function<HostedControl*(QWidget* parent)>;

    // Identifiers are matched without regard to letter case; adding one again replaces it.
    void add(const QString& progId, Factory factory);
    bool contains(const QString& progId) const;
    QStringList progIds() const;

    // Creates the control as a child of parent with the given object name, then runs
    // readProperties on the design-time bag when there is one, or initProperties when there is
    // none, and then the resize notification at the control's size, as siting a control does;
    // a control with a parent is shown with it.
    // Raises CannotCreateControl (source "Control host") for an unknown identifier; a failure
    // while the properties are read deletes the control and passes on.
    HostedControl* create(const QString& progId, QWidget* parent, const QString& objectName,
                          const PropertyBag* design = nullptr) const;

    // The same, as the control's own class; 13 (type mismatch) when the identifier makes
    // another class.
    template <class T>
    T* create(const QString& progId, QWidget* parent, const QString& objectName,
              const PropertyBag* design = nullptr) const {
        HostedControl* made = create(progId, parent, objectName, design);
        if (auto* typed = qobject_cast<T*>(made)) {
            return typed;
        }
        delete made;
        throw runtimeError(RuntimeError::TypeMismatch);
    }

private:
    struct Entry {
        QString progId;
        Factory factory;
    };
    QHash<QString, Entry> m_entries;  // by identifier in lower case
};

}  // namespace rq::host
