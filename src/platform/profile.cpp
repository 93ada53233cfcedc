#include "platform/profile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

// Bytes in, bytes out: the settings are plain ASCII numbers.
#define SI_NO_CONVERSION
#include <SimpleIni.h>

namespace {

bool parse(CSimpleIniA &ini, const QByteArray &content)
{
    ini.SetUnicode(false);
    ini.SetMultiKey(false);
    ini.SetSpaces(false);
    return content.isEmpty() || ini.LoadData(content.constData(), size_t(content.size())) >= 0;
}

// The file's contents; empty for a missing file, nothing when it cannot be read.
std::optional<QByteArray> readFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QByteArray();
    QFile file(path);
    if (info.isDir() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return data;
}

} // namespace

std::optional<QByteArray> ProfileValue(const QByteArray &content, const QByteArray &section, const QByteArray &key)
{
    CSimpleIniA ini;
    if (!parse(ini, content))
        return std::nullopt;
    const char *value = ini.GetValue(section.constData(), key.constData(), nullptr);
    if (!value)
        return std::nullopt;
    return QByteArray(value);
}

std::optional<QByteArray> ProfileWithValue(const QByteArray &content, const QByteArray &section,
                                           const QByteArray &key, const QByteArray &value)
{
    CSimpleIniA ini;
    if (!parse(ini, content) || ini.SetValue(section.constData(), key.constData(), value.constData()) < 0)
        return std::nullopt;
    std::string text;
    if (ini.Save(text) < 0)
        return std::nullopt;
    return QByteArray(text.data(), qsizetype(text.size()));
}

QString GetPrivateProfileString(const QString &section, const QString &key,
                                const QString &defaultValue, const QString &path)
{
    const std::optional<QByteArray> content = readFile(path);
    const std::optional<QByteArray> value =
        content ? ProfileValue(*content, section.toLatin1(), key.toLatin1()) : std::nullopt;
    // The platform call fills a buffer of 2048 characters.
    return value ? QString::fromLatin1(*value).left(2047) : defaultValue;
}

bool WritePrivateProfileString(const QString &section, const QString &key,
                               const QString &value, const QString &path)
{
    // A file nobody may write to stays as it is, also for the superuser.
    const QFileInfo existing(path);
    constexpr auto anyWrite = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    if (existing.exists() && !(existing.permissions() & anyWrite))
        return false;
    const std::optional<QByteArray> content = readFile(path);
    const std::optional<QByteArray> text =
        content ? ProfileWithValue(*content, section.toLatin1(), key.toLatin1(), value.toLatin1()) : std::nullopt;
    if (!text)
        return false;

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(*text) != text->size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
