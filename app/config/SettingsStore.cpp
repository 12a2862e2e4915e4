#include "config/SettingsStore.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

#include "common/AtomicFile.h"

namespace rq {

QSettingsStore::QSettingsStore(QString folder) : m_folder(std::move(folder)) {
    if (m_folder.isEmpty()) {
        m_folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    }
}

QString QSettingsStore::fileFor(const QString& application) const {
    return QDir(m_folder).filePath(application + QStringLiteral(".ini"));
}

QString QSettingsStore::get(const QString& application, const QString& section, const QString& key,
                            const QString& defaultValue) {
    QSettings settings(fileFor(application), QSettings::IniFormat);
    return settings.value(section + u'/' + key, defaultValue).toString();
}

void QSettingsStore::save(const QString& application, const QString& section, const QString& key,
                          const QString& value) {
    QDir().mkpath(m_folder);
    QSettings settings(fileFor(application), QSettings::IniFormat);
    settings.setValue(section + u'/' + key, value);
    settings.sync();
    switch (settings.status()) {
        case QSettings::NoError:
            return;
        case QSettings::FormatError:
            throw WriteFailure(fileFor(application),
                               QStringLiteral("the file is not in the settings format"));
        case QSettings::AccessError:
            break;
    }
    throw WriteFailure(fileFor(application), QStringLiteral("the file could not be written"));
}

void QSettingsStore::deleteSection(const QString& application, const QString& section) {
    QSettings settings(fileFor(application), QSettings::IniFormat);
    settings.remove(section);
}

}  // namespace rq
