#include "app/application.h"

#include "base/errorbox.h"

VimbraApplication::VimbraApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Vimbra"));
    setApplicationVersion(QStringLiteral(VIMBRA_VERSION));
    setOrganizationName(QStringLiteral("Vimbra"));
    setDesktopFileName(QStringLiteral("example.vimbra.Vimbra"));
}

bool VimbraApplication::notify(QObject *receiver, QEvent *event)
{
    // The handlers guard themselves; this is the last line of defence.
    bool handled = false;
    Guard([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}
