#pragma once

#include <QApplication>

// The application object: besides the usual, no error ever leaves an event
// handler through the event loop; it is shown in the error box instead.
class VimbraApplication : public QApplication
{
public:
    VimbraApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};
