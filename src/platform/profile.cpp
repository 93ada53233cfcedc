#include "platform/profile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

// Bytes in, bytes out: the settings are plain ASCII numbers.
#define SI_NO_CONVERSION
#include <SimpleIni.h>

namespace {

// Loads an existing file into ini; a missing file is an empty one.
bool load(CSimpleIniA &ini, const QString &path)
{
    ini.SetUnicode(false);
    ini.SetMultiKey(false);
    ini.SetSpaces(false);
    if (!QFileInfo::exists(path))
        return true;
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    return ini.LoadData(data.constData(), size_t(data.size())) >= 0;
}

} // namespace

QString GetPrivateProfileString(const QString &section, const QString &key,
                                const QString &defaultValue, const QString &path)
{
    CSimpleIniA ini;
    if (!load(ini, path))
        return defaultValue;
    const char *value = ini.GetValue(section.toLatin1().constData(), key.toLatin1().constData(), nullptr);
    if (!value)
        return defaultValue;
    // The platform call fills a buffer of 2048 characters.
    return QString::fromLatin1(value).left(2047);
}

bool WritePrivateProfileString(const QString &section, const QString &key,
                               const QString &value, const QString &path)
{
    // A file nobody may write to stays as it is, also for the superuser.
    const QFileInfo existing(path);
    if (existing.exists() && !(existing.permissions() & (QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther)))
        return false;
    CSimpleIniA ini;
    if (!load(ini, path))
        return false;
    if (ini.SetValue(section.toLatin1().constData(), key.toLatin1().constData(), value.toLatin1().constData()) < 0)
        return false;
    std::string text;
    if (ini.Save(text) < 0)
        return false;

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(text.data(), qint64(text.size())) != qint64(text.size())) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
