// Starts a window and reports, at its first painted frame, the wall clock
// (microseconds since the epoch) and the peak resident memory (KiB):
//   startup_vimbra    the program's own start-up, sound loaded; with
//                     --debrief, the debrief shown from the start (as a
//                     debrief shown at the end of the last run is)
//   startup_baseline  a bare Qt window of the same size with one label
// With --stay the window stays up instead (for measuring an idle window).

#include <QApplication>
#include <QTimer>

#include <sys/resource.h>
#include <time.h>

#include <cstdio>

#ifdef VIMBRA_PROGRAM
#include "base/appdir.h"
#include "app/application.h"
#include "app/program.h"
#include "ui/frmMain.h"
#else
#include <QLabel>
#endif

namespace {
class FirstPaint : public QObject
{
public:
    bool stay = false;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !m_seen && !stay) {
            m_seen = true;
            // Report once the frame is painted and flushed.
            QTimer::singleShot(0, [] {
                timespec now{};
                clock_gettime(CLOCK_REALTIME, &now);
                rusage usage{};
                getrusage(RUSAGE_SELF, &usage);
                std::printf("%lld %ld\n", (long long)now.tv_sec * 1000000 + now.tv_nsec / 1000, usage.ru_maxrss);
                std::fflush(stdout);
                std::_Exit(0);
            });
        }
        return false;
    }

private:
    bool m_seen = false;
};
} // namespace

int main(int argc, char *argv[])
{
    FirstPaint probe;
    probe.stay = argc > 1 && qstrcmp(argv[1], "--stay") == 0;
#ifdef VIMBRA_PROGRAM
    VimbraApplication app(argc, argv);
    SetAppDirForTesting(QStringLiteral(VIMBRA_APP_DIR));
    StartProgram();
    if (argc > 1 && qstrcmp(argv[1], "--debrief") == 0)
        MainF->ShowDebrief(true);
    MainF->installEventFilter(&probe);
#else
    QApplication app(argc, argv);
    QWidget window;
    window.resize(829, 517);
    QLabel label(QStringLiteral("Vimbra"), &window);
    label.move(10, 10);
    window.installEventFilter(&probe);
    window.show();
#endif
    return app.exec();
}
