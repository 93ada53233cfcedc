// The program's work, each measured against a baseline in the same run:
//   dragging (mode 1, mode 2) against a bare window moving one child,
//   loading 5 MiB instructions against QTextEdit::setPlainText,
//   scoring and aim points against the bare arithmetic.
//   bench_work [moves]

#include "base/appdir.h"
#include "app/application.h"
#include "analysis/aimtrace.h"
#include "platform/effects.h"
#include "model/Globals.h"
#include "platform/richedit.h"
#include "platform/pause.h"
#include "platform/sound.h"
#include "ui/frmDebrief.h"
#include "ui/frmMain.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPaintEvent>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtTest>

#include <valgrind/callgrind.h>

#include <cmath>
#include <cstdio>

namespace {

// Sums, per pointer movement, the window area that was repainted.
class PaintMeter : public QObject
{
public:
    explicit PaintMeter(QWidget *window) : m_window(window)
    {
        window->installEventFilter(this);
        for (QWidget *w : window->findChildren<QWidget *>())
            w->installEventFilter(this);
    }
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            auto *w = static_cast<QWidget *>(watched);
            m_frame += static_cast<QPaintEvent *>(event)->region().translated(w->mapTo(m_window, QPoint(0, 0)));
        }
        return false;
    }
    // Ends one movement: its repainted area in pixels.
    qint64 take()
    {
        qint64 area = 0;
        for (const QRect &r : m_frame)
            area += qint64(r.width()) * r.height();
        m_frame = QRegion();
        return area;
    }

private:
    QWidget *m_window;
    QRegion m_frame;
};

struct DragResult {
    double microsPerMove;
    double meanArea;
    qint64 maxArea;
};

// Triangle-wave pointer path around start, span pixels either way.
QPoint pathPoint(QPoint start, int i, int span)
{
    auto wave = [span](int t) {
        const int period = 4 * span;
        const int p = t % period;
        return p < 2 * span ? p - span : 3 * span - p;
    };
    return start + QPoint(wave(i), wave(i * 3 / 2));
}

DragResult drag(QWidget *window, Qt::MouseButton button, QPoint start, int span, int moves)
{
    QWindow *handle = window->windowHandle();
    PaintMeter meter(window);
    QTest::mousePress(handle, button, {}, start);
    QCoreApplication::processEvents();
    meter.take();
    qint64 total = 0, worst = 0;
    QElapsedTimer clock;
    clock.start();
    for (int i = 1; i <= moves; ++i) {
        QTest::mouseMove(handle, pathPoint(start, i, span));
        QCoreApplication::processEvents();
        const qint64 area = meter.take();
        total += area;
        worst = qMax(worst, area);
    }
    const double micros = clock.nsecsElapsed() / 1000.0 / moves;
    QTest::mouseRelease(handle, button, {}, pathPoint(start, moves, span));
    return {micros, double(total) / moves, worst};
}

// The baseline: a bare window whose one child follows the pointer.
class BareWindow : public QWidget
{
public:
    BareWindow()
    {
        resize(829, 517);
        m_child = new QLabel(QStringLiteral("Vimbra"), this);
        m_child->resize(151, 130);
        setMouseTracking(true);
    }
    void mouseMoveEvent(QMouseEvent *e) override { m_child->move(e->position().toPoint() - QPoint(75, 65)); }

private:
    QLabel *m_child;
};

double seconds(const std::function<void()> &f)
{
    double best = 1e9;
    for (int round = 0; round < 7; ++round) {
        QElapsedTimer clock;
        clock.start();
        f();
        best = std::min(best, clock.nsecsElapsed() / 1e9);
    }
    return best;
}

// The real clock and error box; no sound is made and no pause taken, so
// that only the program's own work is measured.
class QuietEffects : public SystemEffects
{
public:
    void PreloadSound(const QString &) override {}
    void PlaySound(const QString &) override {}
    void Pause(int) override {}
};

void benchDrag(int moves)
{
    BareWindow bare;
    bare.show();
    if (!QTest::qWaitForWindowExposed(&bare))
        qFatal("the window did not show");
    const DragResult base = drag(&bare, Qt::LeftButton, QPoint(300, 250), 100, moves);

    QuietEffects effects;
    TMainF main(effects);
    main.show();
    if (!QTest::qWaitForWindowExposed(&main))
        qFatal("the window did not show");
    const QPoint gun = main.Gun->geometry().center();
    const DragResult gunDrag = drag(&main, Qt::RightButton, gun, 100, moves);
    const QPoint sight = main.Gun->geometry().center();
    const DragResult sightDrag = drag(&main, Qt::LeftButton, sight, 15, moves);

    const double window = 829.0 * 517.0;
    std::printf("drag, %d movements each, with repainting:\n", moves);
    std::printf("  bare window moving one child: %.1f us per movement, %.1f%% of the window repainted\n",
                base.microsPerMove, 100 * base.meanArea / window);
    for (const auto &[name, r] : {std::pair{"moving the gun     ", gunDrag}, std::pair{"moving the sight   ", sightDrag}})
        std::printf("  %s %.1f us per movement, ratio %.2f; repainted %.1f%% of the window on average, %.1f%% at most\n",
                    name, r.microsPerMove, r.microsPerMove / base.microsPerMove, 100 * r.meanArea / window,
                    100 * r.maxArea / window);
}

void benchLoad()
{
    QTemporaryDir dir;
    QStringEncoder cp1251("windows-1251");
    const QByteArray line = cp1251(QStringLiteral("Совместите ровную мушку с мишенью и плавно нажмите на спуск. "
                                                  "Следите за прорезью целика и вершиной мушки.\r\n"));
    QByteArray plain;
    while (plain.size() < 5 * 1024 * 1024)
        plain += line;
    // RTF as a word processor saves instructions: Cyrillic as \'hh escapes,
    // a bold heading every eighth paragraph.
    auto escaped = [&cp1251](const QString &text) {
        QByteArray out;
        for (char c : QByteArray(cp1251(text)))
            out += (c & 0x80) ? "\\'" + QByteArray::number(uchar(c), 16) : QByteArray(1, c);
        return out;
    };
    const QByteArray head = "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fcharset204 Arial;}}"
                            "{\\colortbl ;\\red200\\green0\\blue0;}\r\n";
    const QByteArray heading = "\\pard\\qc{\\b " + escaped(QStringLiteral("Прицеливание")) + "}\\par\r\n";
    const QByteArray body = "\\pard " + escaped(QStringLiteral("Совместите ровную мушку с мишенью и плавно нажмите на "
                                                                "спуск. Следите за прорезью целика и вершиной мушки, "
                                                                "не заваливайте оружие.")) + "\\par\r\n";
    QByteArray document = head;
    for (int i = 0; document.size() < 5 * 1024 * 1024; ++i)
        document += i % 8 ? body : heading;
    document += "}";
    // And a stress case: formatting changes every few words.
    QByteArray dense = head;
    const QByteArray paragraph = "\\pard{\\b \\'cf\\'f0\\'e8\\'f6\\'e5\\'eb\\'e8\\'e2\\'e0\\'ed\\'e8\\'e5:} "
                                 "{\\i aim} with the {\\cf1 front sight} level in the notch.\\par\r\n";
    while (dense.size() < 5 * 1024 * 1024)
        dense += paragraph;
    dense += "}";

    for (const auto &[name, bytes] : {std::pair{"plain text                  ", plain},
                                      std::pair{"RTF instructions            ", document},
                                      std::pair{"RTF, formatting every 3 words", dense}}) {
        const QString path = dir.filePath(QStringLiteral("instructions.txt"));
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        file.close();

        QString text;
        const double ours = seconds([&] {
            QTextEdit memo;
            LoadRichEditFromFile(memo.document(), path);
            text = memo.toPlainText();
        });
        const double base = seconds([&] {
            QTextEdit memo;
            memo.setPlainText(text);
        });
        std::printf("loading 5 MiB of %s: %.0f ms, QTextEdit::setPlainText of its text %.0f ms, ratio %.2f\n", name,
                    ours * 1000, base * 1000, ours / base);
    }
}

void benchModel()
{
    QWidget host;
    TRoundTarget target(&host);
    target.PlaceAt(QPoint(528, 188));
    target.AddShot(QPoint(528, 188));
    TGun gun(&host);

    const int n = 2000000;
    volatile int sink = 0;
    const double score = seconds([&] {
        for (int i = 0; i < n; ++i)
            sink = sink + target.Score(QPoint(480 + (i & 127), 140 + ((i >> 7) & 127)));
        target.FTotal = 0;
    });
    const double scoreBase = seconds([&] {
        for (int i = 0; i < n; ++i) {
            const int dx = 480 + (i & 127) - 528, dy = 140 + ((i >> 7) & 127) - 188;
            sink = sink + int(std::sqrt(double(dx * dx + dy * dy)));
        }
    });
    const double aim = seconds([&] {
        for (int i = 0; i < n; ++i) {
            gun.FPlankaCorrection = i & 63;
            sink = sink + gun.AimPoint(false).x();
        }
    });
    const double aimBase = seconds([&] {
        for (int i = 0; i < n; ++i) {
            volatile int correction = i & 63;
            sink = sink + 500 + 5 * 3 + correction * 0;
        }
    });
    std::printf("scoring: %.1f ns per call, the distance alone %.1f ns, ratio %.2f\n", score * 1e9 / n,
                scoreBase * 1e9 / n, score / scoreBase);
    std::printf("aim point: %.1f ns per call, the bare arithmetic %.1f ns, ratio %.2f\n", aim * 1e9 / n,
                aimBase * 1e9 / n, aim / aimBase);
}

// A shot through the main window's double-click handler, without the pause, with
// the debrief closed and open: the firing path itself, and the debrief's
// update that follows it once the shot's event is done.
// Under callgrind (--collect-atstart=no) only the double-click handlers are
// counted: `bench_work --firing SHOTS closed|open` runs that part alone.
void benchFiring(int shots, const QString &only = QString())
{
    QuietEffects effects;
    TMainF w(effects);
    w.show();
    if (!QTest::qWaitForWindowExposed(&w))
        return;
    auto fire = [&](double *firing, double *after) {
        QElapsedTimer clock;
        double inFire = 0, following = 0;
        for (int i = 0; i < shots; ++i) {
            if (i % 5 == 0)
                w.btnReset->click();
            QCoreApplication::processEvents();
            clock.start();
            CALLGRIND_TOGGLE_COLLECT;
            w.FormDblClick(w.Client);
            CALLGRIND_TOGGLE_COLLECT;
            inFire += clock.nsecsElapsed();
            clock.start();
            QCoreApplication::processEvents();
            following += clock.nsecsElapsed();
        }
        *firing = inFire / shots / 1000;
        *after = following / shots / 1000;
    };
    double closedFire = 0, closedAfter = 0, openFire = 0, openAfter = 0;
    if (only.isEmpty())
        fire(&closedFire, &closedAfter); // warms up
    if (only != QLatin1String("open"))
        fire(&closedFire, &closedAfter);
    if (only == QLatin1String("closed"))
        return;
    w.btnDebrief->click();
    if (!QTest::qWaitForWindowExposed(w.DebriefWindow()))
        return;
    fire(&openFire, &openAfter);
    if (only == QLatin1String("open"))
        return;
    std::printf("a shot (the double-click handler, no pause), %d shots: debrief closed %.1f us, "
                "open %.1f us, ratio %.2f; the debrief's update after it %.0f us\n",
                shots, closedFire, openFire, openFire / closedFire, openAfter - closedAfter);
}

// The aim trace over an hour of movement: samples every 8 ms (a mouse at
// 125 Hz) and a shot every 5 s taking its last two seconds. What the trace
// holds must stay bounded however long the session.
void benchTrace()
{
    AimTrace trace;
    size_t most = 0;
    qint64 taken = 0;
    QElapsedTimer clock;
    clock.start();
    const qint64 hour = 3600LL * 1000;
    for (qint64 ms = 0; ms < hour; ms += 8) {
        trace.Add(ms, QPointF(double(ms % 1000), double(ms % 777)));
        most = std::max(most, trace.Size());
        if (ms % 5000 == 0)
            taken += trace.Before(ms).size();
    }
    const double perSample = clock.nsecsElapsed() / double(hour / 8);
    std::printf("aim trace, an hour of movement (%lld samples, a shot every 5 s): at most %zu samples held "
                "(%zu bytes), %.0f ns a sample; %lld samples taken into shots\n",
                hour / 8, most, most * (sizeof(qint64) + sizeof(QPointF)), perSample, taken);
}

} // namespace

int main(int argc, char *argv[])
{
    VimbraApplication app(argc, argv);
    // The series fired here go into a journal of their own, not the user's.
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
    SetAppDirForTesting(QStringLiteral(VIMBRA_APP_DIR));
    if (argc > 3 && qstrcmp(argv[1], "--firing") == 0) {
        benchFiring(std::max(1, atoi(argv[2])), QString::fromLatin1(argv[3]));
        return 0;
    }
    const int moves = argc > 1 ? std::max(1, atoi(argv[1])) : 10000;
    benchDrag(moves);
    benchLoad();
    benchModel();
    benchTrace();
    benchFiring(500);
    return 0;
}
