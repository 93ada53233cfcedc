#pragma once

#include <QApplication>
#include <QString>

#include <exception>
#include <functional>
#include <type_traits>

class QDialog;

// The directory of the running executable, ending with "/". Every file of the
// program is AppDir() + a relative name; the working directory plays no part.
QString AppDir();
// Tests point AppDir() at a folder of their own; an empty text undoes it.
void SetAppDirForTesting(const QString &dir);

// The title rule: the file name without its directory, cut at its first full
// stop, every character after the first in lower case ("TRAINER.EXE" -> "Trainer").
QString ApplicationTitle(const QString &executablePath);
// The running program's title: the caption of every error box.
QString AppTitle();

// The error box text: a full stop is added when the message's last character
// sorts above ".", so "...?" gains one and "...!", "...)" or "... " do not.
QString ErrorBoxText(const QString &message);
// Shows the error box (stop icon, one OK button, AppTitle() as caption).
void ShowException(const QString &message);
// The same for an error caught: its message, whatever kind it is.
void ShowException(const std::exception &error);
// Tests receive the box text instead of a box; an empty function undoes it.
void SetErrorBoxHook(std::function<void(const QString &text)> hook);

// Runs f; an error escaping it is shown in the error box and the program goes on.
template <class F>
void Guard(F &&f)
{
    try {
        f();
    } catch (const std::exception &e) {
        ShowException(e);
    }
}

// Wraps a handler for connect(): every call runs inside Guard. A handler that
// takes no arguments ignores those of the signal.
template <class F>
auto Guarded(F f)
{
    return [f](auto &&...args) {
        Guard([&] {
            if constexpr (std::is_invocable_v<F, decltype(args)...>)
                f(args...);
            else
                f();
        });
    };
}

// The application object: besides the usual, no error ever leaves an event
// handler through the event loop; it is shown in the error box instead.
class VimbraApplication : public QApplication
{
public:
    VimbraApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};

// The application-wide cursor: while it is not Qt::ArrowCursor it overrides
// every control's own cursor; Qt::ArrowCursor gives each its own back.
void SetScreenCursor(Qt::CursorShape shape);
Qt::CursorShape ScreenCursor();

// Shows a window modally: releases the mouse, resets the application cursor
// for the duration, disables the other windows, runs until the window is
// closed, hides it, then restores the cursor (unless it changed meanwhile)
// and reactivates the window that was active before. Returns the modal result.
int ShowModal(QDialog *dialog);
