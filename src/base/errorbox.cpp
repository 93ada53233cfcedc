#include "base/errorbox.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>

namespace {

std::function<void(const QString &)> &errorBoxHook()
{
    static std::function<void(const QString &)> hook;
    return hook;
}

} // namespace

QString ApplicationTitle(const QString &executablePath)
{
    QString name = QFileInfo(executablePath).fileName();
    const int dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        name.truncate(dot);
    return name.left(1) + name.mid(1).toLower();
}

QString AppTitle() { return ApplicationTitle(QCoreApplication::applicationFilePath()); }

QString ErrorBoxText(const QString &message)
{
    if (!message.isEmpty() && message.back().unicode() > u'.')
        return message + QLatin1Char('.');
    return message;
}

void ReleaseMouseCapture()
{
    if (QWidget *grabber = QWidget::mouseGrabber())
        grabber->releaseMouse();
}

void ShowException(const QString &message)
{
    ReleaseMouseCapture();
    const QString text = ErrorBoxText(message);
    if (errorBoxHook()) {
        errorBoxHook()(text);
        return;
    }
    QMessageBox box(QMessageBox::Critical, AppTitle(), text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

void SetErrorBoxHook(std::function<void(const QString &)> hook) { errorBoxHook() = std::move(hook); }

void ShowException(const std::exception &error)
{
    // An AppError's what() is its message; any other error says what it can.
    ShowException(QString::fromUtf8(error.what()));
}
