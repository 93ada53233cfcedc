#include "platform/shellutils.h"

#include "platform/errors.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QUrl>

namespace {
std::function<bool(const QString &)> &opener()
{
    static std::function<bool(const QString &)> hook;
    return hook;
}
} // namespace

QString ReplaceAll(const QString &source, const QString &search, const QString &replacement)
{
    if (search.isEmpty())
        return source;
    QString result;
    qsizetype from = 0;
    for (qsizetype at = source.indexOf(search); at >= 0; at = source.indexOf(search, from)) {
        result += QStringView(source).mid(from, at - from);
        result += replacement;
        from = at + search.size();
    }
    result += QStringView(source).mid(from);
    return result;
}

bool OpenURL(const QString &target)
{
    if (opener())
        return opener()(target);
    return QDesktopServices::openUrl(QUrl(target, QUrl::TolerantMode));
}

bool SendMail(const QString &address, const QString &subject, const QString &body)
{
    QString link = QStringLiteral("mailto:") + address + QStringLiteral("?subject=") + subject
                   + QStringLiteral("&body=") + body;
    link = ReplaceAll(link, QStringLiteral(" "), QStringLiteral("%20"));
    link = ReplaceAll(link, QStringLiteral("\r"), QStringLiteral("%0D"));
    link = ReplaceAll(link, QStringLiteral("\n"), QStringLiteral("%0A"));
    if (!OpenURL(link))
        throw AppError(QCoreApplication::translate("Errors", "Cannot run default Email Client!"));
    return true;
}

void SetUrlOpenerForTesting(std::function<bool(const QString &)> hook) { opener() = std::move(hook); }
