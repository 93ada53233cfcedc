#include "platform/settingsfile.h"

#include "base/appdir.h"
#include "platform/errors.h"
#include "platform/intconv.h"
#include "platform/profile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {
const QString kSection = QStringLiteral("Options");
const QString kSettingsFile = QStringLiteral("Vimbra.INI");
} // namespace

QString UserSettingsPath()
{
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || !QDir::isAbsolutePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/vimbra/") + kSettingsFile;
}

QString SettingsPath()
{
    if (QFileInfo(AppDir()).isWritable())
        return AppDir() + kSettingsFile;
    return UserSettingsPath();
}

QString SettingsReadPath()
{
    const QString path = SettingsPath();
    return QFileInfo::exists(path) || path == AppDir() + kSettingsFile ? path : AppDir() + kSettingsFile;
}

int ReadIntSetting(const QString &key, int defaultValue)
{
    const QString text = GetPrivateProfileString(kSection, key, QString(), SettingsReadPath());
    return TextToInt(text).value_or(defaultValue);
}

void WriteIntSetting(const QString &key, int value)
{
    const QString path = SettingsPath();
    if (path != AppDir() + kSettingsFile)
        QDir().mkpath(QFileInfo(path).absolutePath()); // the user's own folder, made on first use
    if (!WriteProfileNumber(kSection, key, value, path))
        throw AppError(QCoreApplication::translate("Errors", "Unable to write to %1").arg(path));
}

QString ReadSharedSetting(const QString &section, const QString &key)
{
    const QString missing = QStringLiteral("\x01");
    const QString user = SettingsPath();
    const QString admin = AppDir() + kSettingsFile;
    if (user != admin) {
        const QString own = GetPrivateProfileString(section, key, missing, user);
        if (own != missing)
            return own.trimmed();
    }
    const QString shared = GetPrivateProfileString(section, key, missing, admin);
    return shared == missing ? QString() : shared.trimmed();
}
