#include "app/program.h"

#include "platform/effects.h"
#include "ui/appicon.h"
#include "platform/random.h"
#include "platform/translation.h"
#include "ui/frmAbout.h"
#include "ui/frmHelp.h"
#include "ui/frmMain.h"
#include "ui/placement.h"

#include <QScreen>

namespace {
// The lesson's sound, pause, clock and error box: the real ones.
SystemEffects *effects = nullptr;
} // namespace

void StartProgram()
{
    InstallTranslation(); // before any window is made: they take their texts as they are made
    QApplication::setWindowIcon(AppIcon());
    Randomize();

    effects = new SystemEffects;
    MainF = new TMainF(*effects);
    AboutBox = new TAboutBox;
    HelpF = new THelpF;
    QObject::connect(MainF, &TMainF::Closed, qApp, &QCoreApplication::quit, Qt::QueuedConnection);

    if (QScreen *screen = MainF->screen()) {
        // Centred; on a screen too small for it (large fonts on a small
        // screen), with its title bar still on the screen.
        QRect frame = MainF->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        MainF->move(KeepWithin(frame, screen->availableGeometry()));
    }
    MainF->show();
}

void EndProgram()
{
    delete HelpF;
    HelpF = nullptr;
    delete AboutBox;
    AboutBox = nullptr;
    delete MainF;
    MainF = nullptr;
    delete effects;
    effects = nullptr;
}
