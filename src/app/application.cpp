#include "app/application.h"

#include "base/errorbox.h"

#include <QFont>

VimbraApplication::VimbraApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Vimbra"));
    setApplicationVersion(QStringLiteral(VIMBRA_VERSION));
    setOrganizationName(QStringLiteral("Vimbra"));
    setDesktopFileName(QStringLiteral("example.vimbra.Vimbra"));
    // One sans font everywhere: the family the main window is drawn in, at
    // the desktop's size. Where fontconfig's default is a monospace font (a
    // lean system with only the package's fonts) no window falls back to it.
    QFont font = QApplication::font();
    font.setFamily(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    setFont(font);
}

bool VimbraApplication::notify(QObject *receiver, QEvent *event)
{
    // The handlers guard themselves; this is the last line of defence.
    bool handled = false;
    Guard([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}
