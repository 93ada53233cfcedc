#include "app/app.h"

#include <QCursor>
#include <QDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>

namespace {

QString &appDirOverride()
{
    static QString dir;
    return dir;
}

std::function<void(const QString &)> &errorBoxHook()
{
    static std::function<void(const QString &)> hook;
    return hook;
}

// A mouse capture held by any control ends before a modal loop starts.
void releaseMouseCapture()
{
    if (QWidget *grabber = QWidget::mouseGrabber())
        grabber->releaseMouse();
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

void ShowException(const QString &message)
{
    releaseMouseCapture();
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

VimbraApplication::VimbraApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Vimbra"));
    setApplicationVersion(QStringLiteral(VIMBRA_VERSION));
    setOrganizationName(QStringLiteral("Vimbra"));
    setDesktopFileName(QStringLiteral("vimbra"));
}

bool VimbraApplication::notify(QObject *receiver, QEvent *event)
{
    // The handlers guard themselves; this is the last line of defence.
    bool handled = false;
    Guard([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

void SetScreenCursor(Qt::CursorShape shape)
{
    if (shape == Qt::ArrowCursor) {
        while (QGuiApplication::overrideCursor())
            QGuiApplication::restoreOverrideCursor();
    } else if (QGuiApplication::overrideCursor()) {
        QGuiApplication::changeOverrideCursor(QCursor(shape));
    } else {
        QGuiApplication::setOverrideCursor(QCursor(shape));
    }
}

Qt::CursorShape ScreenCursor()
{
    const QCursor *cursor = QGuiApplication::overrideCursor();
    return cursor ? cursor->shape() : Qt::ArrowCursor;
}

int ShowModal(QDialog *dialog)
{
    releaseMouseCapture();
    const Qt::CursorShape saved = ScreenCursor();
    SetScreenCursor(Qt::ArrowCursor);
    const QPointer<QWidget> previous = QApplication::activeWindow();

    dialog->setWindowModality(Qt::ApplicationModal);
    const int result = dialog->exec();
    dialog->hide();

    if (ScreenCursor() == Qt::ArrowCursor)
        SetScreenCursor(saved);
    if (previous && previous->isVisible())
        previous->activateWindow();
    return result;
}
