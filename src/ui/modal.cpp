#include "ui/modal.h"

#include "base/errorbox.h"

#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QPointer>
#include <QWindow>

#include <memory>

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

    // A box of no window's own stands over the window it was opened from, as
    // that window's transient: so the desktop stacks it (and a Wayland
    // compositor, which alone places windows there, places it) as that
    // window's dialog.
    if (!dialog->parentWidget()) {
        QWidget *owner = previous ? previous->window() : nullptr;
        for (QWidget *top : QApplication::topLevelWidgets()) {
            if (owner)
                break;
            if (top->isVisible() && top->windowType() == Qt::Window)
                owner = top;
        }
        if (owner && owner != dialog && owner->windowHandle()) {
            dialog->winId();
            dialog->windowHandle()->setTransientParent(owner->windowHandle());
        }
    }
    dialog->setWindowModality(Qt::ApplicationModal);
    const int result = dialog->exec();
    dialog->hide();

    if (ScreenCursor() == Qt::ArrowCursor)
        SetScreenCursor(saved);
    if (previous && previous->isVisible())
        previous->activateWindow();
    return result;
}

void OpenModal(QDialog *dialog, QWidget *owner, std::function<void(int result)> done)
{
    ReleaseMouseCapture();
    const Qt::CursorShape saved = ScreenCursor();
    SetScreenCursor(Qt::ArrowCursor);
    if (owner && dialog->parentWidget() != owner && owner->windowHandle()) {
        dialog->winId();
        dialog->windowHandle()->setTransientParent(owner->windowHandle());
    }
    dialog->setWindowModality(Qt::WindowModal);
    // Once: the next showing says its own result to its own caller.
    auto once = std::make_shared<QMetaObject::Connection>();
    *once = QObject::connect(dialog, &QDialog::finished, dialog, [once, saved, done = std::move(done)](int result) {
        QObject::disconnect(*once);
        if (ScreenCursor() == Qt::ArrowCursor)
            SetScreenCursor(saved);
        if (done)
            done(result);
    });
    dialog->open();
}
