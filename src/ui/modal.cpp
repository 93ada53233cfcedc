#include "ui/modal.h"

#include "base/errorbox.h"

#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QPointer>

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
    ReleaseMouseCapture();
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
