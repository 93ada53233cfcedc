#include "base/appdir.h"

#include <QCoreApplication>

namespace {
QString &appDirOverride()
{
    static QString dir;
    return dir;
}
} // namespace

QString AppDir()
{
    if (!appDirOverride().isEmpty())
        return appDirOverride();
    const QString exe = QCoreApplication::applicationFilePath();
    return exe.left(exe.lastIndexOf(QLatin1Char('/')) + 1);
}

void SetAppDirForTesting(const QString &dir)
{
    appDirOverride() = dir.isEmpty() || dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/');
}
