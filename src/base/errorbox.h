#pragma once

#include <QString>

#include <exception>
#include <functional>
#include <type_traits>

// The title rule: the file name without its directory, cut at its first full
// stop, every character after the first in lower case ("TRAINER.EXE" -> "Trainer").
QString ApplicationTitle(const QString &executablePath);
// The running program's title: the caption of every error box.
QString AppTitle();

// The error box text: a full stop is added when the message's last character
// sorts above ".", so "...?" gains one and "...!", "...)" or "... " do not.
QString ErrorBoxText(const QString &message);
// Ends a mouse capture held by any control: before a box or a modal loop
// takes the mouse.
void ReleaseMouseCapture();
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
