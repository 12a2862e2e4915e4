#pragma once

#include <QString>
#include <memory>

namespace rq {

// The per-user store of string values addressed by application, section and key.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // The stored value, or the default's text when the key or its section is absent.
    virtual QString get(const QString& application, const QString& section, const QString& key,
                        const QString& defaultValue) = 0;
    // Raises WriteFailure when the value could not be kept.
    virtual void save(const QString& application, const QString& section, const QString& key,
                      const QString& value) = 0;
    // Removes a section with all its keys; quiet when there is none.
    virtual void deleteSection(const QString& application, const QString& section) = 0;
};

// The store on QSettings: one INI file per application in a folder (by default the user's
// configuration folder), one group per section. QSettings writes the file whole through a
// temporary file of its own; a save that it could not write raises WriteFailure.
class QSettingsStore : public SettingsStore {
public:
    explicit QSettingsStore(QString folder = QString());
    QString get(const QString& application, const QString& section, const QString& key,
                const QString& defaultValue) override;
    void save(const QString& application, const QString& section, const QString& key,
              const QString& value) override;
    void deleteSection(const QString& application, const QString& section) override;

    QString fileFor(const QString& application) const;

private:
    QString m_folder;
};

}  // namespace rq
