#pragma once

#include <QFont>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <optional>

#include "host/Colours.h"

class QSettings;

// The property store of a hosted control: named values with defaults. A control reads its
// properties from a bag when it is created from saved state and writes them to one when its host
// saves. Reading a name that is absent gives the default; writing a value equal to its default
// removes the name, so a bag holds only what differs from the defaults and a later write of a
// name replaces an earlier one.
namespace rq::host {

class PropertyBag {
public:
    virtual ~PropertyBag() = default;

    bool readBool(const QString& name, bool defaultValue) const;
    int readInt(const QString& name, int defaultValue) const;
    double readDouble(const QString& name, double defaultValue) const;
    QString readString(const QString& name, const QString& defaultValue) const;
    Colour readColour(const QString& name, Colour defaultValue) const;
    // A stored font comes back with its family mapped onto the installed stand-in.
    QFont readFont(const QString& name, const QFont& defaultValue) const;

    void writeBool(const QString& name, bool value, bool defaultValue);
    void writeInt(const QString& name, int value, int defaultValue);
    void writeDouble(const QString& name, double value, double defaultValue);
    void writeString(const QString& name, const QString& value, const QString& defaultValue);
    void writeColour(const QString& name, Colour value, Colour defaultValue);
    void writeFont(const QString& name, const QFont& value, const QFont& defaultValue);

    // The back end. Values are stored as booleans, numbers and strings (fonts as their
    // QFont::toString text); reading accepts text for any type, including "&H" hexadecimal
    // numbers and "True"/"False", so a hand-written design file works. A number read as an int
    // beyond 32 bits raises 6 (overflow).
    virtual std::optional<QVariant> value(const QString& name) const = 0;
    virtual void setValue(const QString& name, const QVariant& value) = 0;
    virtual void remove(const QString& name) = 0;

private:
    void write(const QString& name, const QVariant& value, bool isDefault);
};

// A bag in memory. It logs every access in order ("r Name", "w Name"), so a test can check the
// order in which a control reads and writes its keys.
class MemoryPropertyBag : public PropertyBag {
public:
    std::optional<QVariant> value(const QString& name) const override;
    void setValue(const QString& name, const QVariant& value) override;
    void remove(const QString& name) override;

    bool contains(const QString& name) const { return m_values.contains(name); }
    QStringList names() const { return m_values.keys(); }
    // What is stored under a name as text, empty when absent.
    QString text(const QString& name) const { return m_values.value(name).toString(); }

    mutable QStringList log;

private:
    QMap<QString, QVariant> m_values;
};

// A bag on one group of a QSettings file. A window keeps its controls' design-time values in an
// INI resource of its own (read-only, one group per control name, e.g. ":/frmMainScreen.ini"
// group "ToggleButton1"); the per-user saved state is a group in the user's INI file, the same
// file the program's settings store uses.
class SettingsPropertyBag : public PropertyBag {
public:
    // Opens the INI file itself.
    SettingsPropertyBag(const QString& iniFile, QString group);
    // Shares one open file among the bags of a window's controls.
    SettingsPropertyBag(std::shared_ptr<QSettings> settings, QString group);
    ~SettingsPropertyBag() override;

    std::optional<QVariant> value(const QString& name) const override;
    void setValue(const QString& name, const QVariant& value) override;
    void remove(const QString& name) override;

    QSettings& settings() const { return *m_settings; }
    const QString& group() const { return m_group; }

private:
    QString key(const QString& name) const;

    std::shared_ptr<QSettings> m_settings;
    QString m_group;
};

}  // namespace rq::host
