#include "app/app.h"
#include "app/appicon.h"
#include "platform/random.h"
#include "ui/frmAbout.h"
#include "ui/frmHelp.h"
#include "ui/frmMain.h"

#include <QScreen>

int main(int argc, char *argv[])
{
    VimbraApplication app(argc, argv);
    app.setWindowIcon(AppIcon());
    Randomize();

    // The main window first: closing it ends the program.
    MainF = new TMainF;
    AboutBox = new TAboutBox;
    HelpF = new THelpF;
    QObject::connect(MainF, &TMainF::Closed, &app, &QCoreApplication::quit, Qt::QueuedConnection);

    if (QScreen *screen = MainF->screen()) {
        QRect frame = MainF->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        MainF->move(frame.topLeft());
    }
    MainF->show();
    const int result = app.exec();

    // The last window made goes first; the main window saves the settings.
    delete HelpF;
    HelpF = nullptr;
    delete AboutBox;
    AboutBox = nullptr;
    delete MainF;
    MainF = nullptr;
    return result;
}
