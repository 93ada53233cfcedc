// The exercises a coach runs, and the aim trace: their rules on
// hand-computed cases, and each exercise driven through the main window.

#include "testsupport.h"

#include "analysis/aimtrace.h"
#include "session/exercises.h"
#include "session/timedrule.h"
#include "analysis/thresholds.h"
#include "journal/journalstore.h"
#include "platform/profile.h"
#include "platform/random.h"
#include "ui/frmDebrief.h"
#include "ui/frmMain.h"
#include "journal/journalkeeper.h"

namespace {

const TargetGeometry kTarget{90, 3, 1}; // a ring width of 6 pixels
const QPoint kBare(300, 460);           // bare window area

// The zeroing exercise's state, as its rule keeps it.
const ZeroingRule &Zeroing(const TMainF &w)
{
    const auto *rule = dynamic_cast<const ZeroingRule *>(&w.Lesson().Rule());
    if (!rule)
        qFatal("not zeroing");
    return *rule;
}

const QString kLearner = QStringLiteral("Ученик");

ShotRecord at(double x, double y) { return ShotRecord{QPointF(x, y), QPointF(x, y), QPointF(), QPointF(), 9}; }

struct Window {
    ProgramFolder folder;
    Recorders rec;
    TMainF w{rec};
    QWindow *window = nullptr;

    explicit Window(Exercise exercise = Exercise::Free)
    {
        w.show();
        if (!QTest::qWaitForWindowExposed(&w))
            qFatal("no window");
        window = w.windowHandle();
        w.Journal()->SetShooter(kLearner); // the series are filed, not asked for
        if (exercise != Exercise::Free)
            w.cbExercise->setCurrentIndex(int(exercise));
    }
    QPoint centre() const { return w.Target->FAnchor; }
    // The sights straight, so the next shot goes where the gun points
    // (plus a gun's hidden error).
    void aimAt(QPoint p)
    {
        w.Gun->SetSightDX(0);
        w.Gun->SetSightDY(0);
        w.Gun->MoveTo(p + QPoint(0, w.Gun->FPlankaCorrection));
    }
    void fire() { QTest::mouseDClick(window, Qt::LeftButton, {}, kBare); }
    int shots() const { return w.Target->FSeries->Count(); }
    void openDebrief() { QTest::mouseClick(window, Qt::LeftButton, {}, w.btnDebrief->geometry().center()); }
};

} // namespace

class TestExercises : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { RandSeed(4321); }

    // ------------------------------------------------------------- the rules

    void groupingNorm_data()
    {
        QTest::addColumn<QList<double>>("xs"); // five holes on a horizontal line
        QTest::addColumn<bool>("passed");
        // Mean radius and extreme spread in ring widths (6 px).
        QTest::newRow("all in one hole") << QList<double>{0, 0, 0, 0, 0} << true;
        QTest::newRow("mean radius 0.96, spread 2.0: passes") << QList<double>{-6, -6, 6, 6, 0} << true;
        QTest::newRow("spread 3.0 exactly: passes") << QList<double>{-9, 9, 0, 0, 0} << true;
        QTest::newRow("spread 3.2: fails") << QList<double>{-9.6, 9.6, 0, 0, 0} << false;
        QTest::newRow("mean radius 1.2: fails") << QList<double>{-9, -9, 9, 9, 0} << false;
    }
    void groupingNorm()
    {
        QFETCH(QList<double>, xs);
        QFETCH(bool, passed);
        QList<ShotRecord> shots;
        for (double x : xs)
            shots << at(x, 0);
        const GroupingVerdict v = JudgeGrouping(AnalyseSeries(shots, kTarget, ElevationBar{6, 10}));
        QCOMPARE(v.passed, passed);
        QVERIFY(v.text.contains(passed ? QStringLiteral(": выполнен") : QStringLiteral("не выполнен")));
        // A group that fails is told what spreads it, tight enough for the
        // sights (mean radius 1.2) or not.
        QCOMPARE(v.text.contains(QStringLiteral("Разброс дают") + QString()) || v.text.contains(QStringLiteral("Разброс даёт")),
                 !passed);
    }

    // A failing group is told its sight-picture faults as the debrief names
    // them, unless the hold spreads it.
    void groupingNamesTheSightFaults_data()
    {
        QTest::addColumn<bool>("fromAlignment");
        QTest::newRow("the front sight left and right") << true;
        QTest::newRow("the hold left and right") << false;
    }
    void groupingNamesTheSightFaults()
    {
        QFETCH(bool, fromAlignment);
        QList<ShotRecord> shots;
        for (double x : {-12.0, -6.0, 0.0, 6.0, 12.0}) {
            const QPointF miss(x, 0);
            shots << ShotRecord{miss, fromAlignment ? QPointF() : miss, fromAlignment ? miss : QPointF(), QPointF(), 9};
        }
        const SeriesFigures f = AnalyseSeries(shots, kTarget, ElevationBar{6, 10});
        const GroupingVerdict v = JudgeGrouping(f);
        QVERIFY(!v.passed);
        QVERIFY(v.text.contains(fromAlignment ? QStringLiteral("Разброс даёт прицеливание")
                                              : QStringLiteral("Разброс даёт удержание")));
        const QString hint = QStringLiteral("Мушка то левее, то правее середины прорези");
        QCOMPARE(v.text.contains(hint), fromAlignment);
        QCOMPARE(f.advice.lines.join(QLatin1Char(' ')).contains(hint), fromAlignment);
    }

    void zeroingDone_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("spread"); // of the group around its centre
        QTest::addColumn<bool>("done");
        QTest::newRow("tight, on the centre") << 0.0 << 2.0 << true;
        QTest::newRow("tight, one ring width out") << 6.0 << 2.0 << true;
        QTest::newRow("tight, further out") << 6.5 << 2.0 << false;
        QTest::newRow("centred but loose") << 0.0 << 12.0 << false;
    }
    void zeroingDone()
    {
        QFETCH(double, x);
        QFETCH(double, spread);
        QFETCH(bool, done);
        const QList<ShotRecord> shots{at(x - spread, 0), at(x + spread, 0), at(x, spread), at(x, -spread), at(x, 0)};
        QCOMPARE(ZeroingDone(AnalyseSeries(shots, kTarget, ElevationBar{6, 10})), done);
    }

    // A call's error is the distance from the call to the hole in ring widths.
    void callErrors()
    {
        QList<ShotRecord> shots{at(0, 0), at(6, 6), at(-3, 0), at(10, 0)};
        shots[0].called = true, shots[0].call = QPointF(3, 4);   // 5 px: 0.83
        shots[1].called = true, shots[1].call = QPointF(6, 18);  // 12 px: 2.0
        shots[2].called = true, shots[2].call = QPointF(3, 0);   // 6 px: 1.0, within
        const CallFigures c = JudgeCalls(shots, kTarget);         // the fourth was not called
        QCOMPARE(c.called, 3);
        QCOMPARE(c.errors, (QList<double>{5.0 / 6, 2.0, 1.0}));
        QCOMPARE(c.share, 2.0 / 3);
    }

    // The trace keeps two seconds (and where the aim stood as they began), in
    // order; its length counts from a time.
    void aimTrace()
    {
        AimTrace trace;
        for (int ms = 0; ms <= 5000; ms += 10)
            trace.Add(ms, QPointF(ms / 10.0, 0));
        QCOMPARE(trace.Size(), size_t(202)); // 3000 to 5000, and 2990
        const QList<TraceSample> before = trace.Before(5000);
        QCOMPARE(before.size(), 201);
        QCOMPARE(before.first().ms, -2000);
        QCOMPARE(before.last().ms, 0);
        for (int i = 1; i < before.size(); ++i)
            QVERIFY(before[i].ms > before[i - 1].ms);
        QCOMPARE(trace.Before(4000).last().ms, 0); // up to a time, not past it
        QCOMPARE(TraceLength(before, -1000), 100.0);
        QCOMPARE(TraceLength(before, -2000), 200.0);
        QCOMPARE(TraceLength(before, -995), 99.5); // from between two samples
        QCOMPARE(TraceLength({}, -1000), 0.0);

        // A still hold: the last movement long ago stands at the span's start.
        AimTrace still;
        still.Add(0, QPointF(5, 5));
        still.Add(100, QPointF(7, 5));
        const QList<TraceSample> held = still.Before(10000);
        QCOMPARE(held.size(), 1);
        QCOMPARE(held[0].ms, -2000);
        QCOMPARE(held[0].aim, QPointF(7, 5));
        QCOMPARE(TraceLength(held, -1000), 0.0);
    }

    void exerciseKeys()
    {
        for (Exercise e : {Exercise::Free, Exercise::Grouping, Exercise::Zeroing, Exercise::Calling, Exercise::Timed})
            QCOMPARE(ExerciseFromKey(ExerciseKey(e)), e);
        QCOMPARE(ExerciseKey(Exercise::Timed), QStringLiteral("timed"));
        QCOMPARE(ExerciseFromKey(QStringLiteral("nonsense")), Exercise::Free);
    }

    // «Стрельба на время»: the limit as the settings file gives it, seconds;
    // a value out of 5 to 600, or no number, gives the default 30.
    void timeLimitFromASetting_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("limit");
        QTest::newRow("45") << "45" << 45;
        QTest::newRow("the least, 5") << "5" << 5;
        QTest::newRow("the most, 600") << "600" << 600;
        QTest::newRow("leading spaces") << "  90" << 90;
        QTest::newRow("4: out of range") << "4" << 30;
        QTest::newRow("601: out of range") << "601" << 30;
        QTest::newRow("0") << "0" << 30;
        QTest::newRow("negative") << "-20" << 30;
        QTest::newRow("none") << "" << 30;
        QTest::newRow("not a number") << "half a minute" << 30;
        QTest::newRow("a unit after it") << "45s" << 30;
        QTest::newRow("a fraction") << "45.5" << 30;
        QTest::newRow("beyond an int") << "99999999999" << 30;
    }
    void timeLimitFromASetting()
    {
        QFETCH(QString, text);
        QFETCH(int, limit);
        QCOMPARE(TimeLimitFromSetting(text), limit);
    }

    // ----------------------------------------------------- through the window

    // «Кучность»: the count shows, the scores do not until the series ends;
    // then the debrief judges the group by the norm, and the journal says so.
    void groupingHidesTheScoresAndJudgesTheGroup_data()
    {
        QTest::addColumn<int>("step"); // pixels between the holes
        QTest::addColumn<int>("low");  // pixels below the centre
        QTest::addColumn<bool>("passed");
        QTest::newRow("tight") << 1 << 0 << true;
        QTest::newRow("loose") << 9 << 0 << false;
        QTest::newRow("tight, 15 px low") << 1 << 15 << true;
        QTest::newRow("loose, 15 px low") << 9 << 15 << false;
    }
    void groupingHidesTheScoresAndJudgesTheGroup()
    {
        QFETCH(int, step);
        QFETCH(int, low);
        QFETCH(bool, passed);
        Window f(Exercise::Grouping);
        f.openDebrief();
        for (int i = 0; i < 5; ++i) {
            f.aimAt(f.centre() + QPoint((i - 2) * step, low));
            f.fire();
            QCOMPARE(f.w.edCount->text(), QString::number(i + 1));
            if (i < 4) {
                QCOMPARE(f.w.edBalls->text(), QStringLiteral("?"));
                QCOMPARE(f.w.edSum->text(), QStringLiteral("?"));
                QCOMPARE(f.w.lbSingles->text(), QStringLiteral("  ·").repeated(i + 1));
            }
        }
        QTRY_VERIFY(f.w.edSum->text() != QStringLiteral("?")); // shown at the end
        QCOMPARE(f.w.edSum->text(), QString::number(f.w.Target->FTotal));
        QStringList scores;
        for (const ShotRecord &r : std::as_const(f.w.Lesson().Shots()))
            scores << QString::number(r.score);
        QCOMPARE(f.w.lbSingles->text(), QStringLiteral("  ") + scores.join(QStringLiteral("  ")));
        QTRY_VERIFY(f.w.DebriefWindow()->lbAdvice->text().contains(QStringLiteral("Норматив упражнения")));
        QCOMPARE(f.w.DebriefWindow()->lbAdvice->text().contains(QStringLiteral(": выполнен")), passed);
        // The sights are the learner's own business here: no correction.
        QVERIFY(!f.w.DebriefWindow()->btnApply->isEnabled());
        QTRY_COMPARE(f.w.Journal()->Written(), 1);
        JournalStore store;
        QVERIFY(store.Open(JournalStore::DefaultPath(), nullptr));
        QCOMPARE(store.Summaries(kLearner).first().exercise, QStringLiteral("Кучность"));
    }

    // «Приведение к нормальному бою»: a hidden error; the advice applied and
    // the hold aimed off, the next tight group lies on the centre: done in two
    // series, the error told, the count in the journal; the bar given back.
    void zeroingEndsOnceTheAdviceIsApplied()
    {
        Window f;
        const int barBefore = f.w.PlankaCorrectionBar->value();
        f.w.cbExercise->setCurrentIndex(int(Exercise::Zeroing));
        const QPoint error = Zeroing(f.w).Error();
        QVERIFY(error.y() != 0 && error.x() != 0);
        QCOMPARE(f.w.PlankaCorrectionBar->value(), barBefore); // hidden: the bar does not show it
        f.openDebrief();
        TDebriefF *d = f.w.DebriefWindow();
        // The learner holds the sights on the centre as the bar stood at first:
        // a moved bar then moves the shots.
        const int correction = f.w.Gun->FPlankaCorrection;
        auto hold = [&](QPoint p) {
            f.w.Gun->SetSightDX(0);
            f.w.Gun->SetSightDY(0);
            f.w.Gun->MoveTo(p + QPoint(0, correction));
        };

        for (int i = 0; i < 5; ++i) { // aimed at the centre: the error shows in the group
            hold(f.centre());
            f.fire();
        }
        QTRY_COMPARE(d->Figures().meanPoint, QPointF(error));
        QVERIFY(!Zeroing(f.w).Done());
        QCOMPARE(Zeroing(f.w).SeriesFired(), 1);
        QVERIFY(d->btnApply->isEnabled());
        d->btnApply->click();
        QCOMPARE(f.w.PlankaCorrectionBar->value(), barBefore - int(std::lround(error.y() / 5.0)));

        f.w.btnReset->click();
        for (int i = 0; i < 5; ++i) { // the sideways error aimed off
            hold(f.centre() - QPoint(error.x(), 0));
            f.fire();
        }
        QTRY_VERIFY(Zeroing(f.w).Done());
        QCOMPARE(Zeroing(f.w).SeriesFired(), 2);
        QTRY_VERIFY(d->lbAdvice->text().contains(QStringLiteral("приведено к нормальному бою за 2 серии")));
        QTRY_COMPARE(f.w.Journal()->Written(), 2);
        {
            JournalStore store;
            QVERIFY(store.Open(JournalStore::DefaultPath(), nullptr));
            const QList<JournalSeries> list = store.Summaries(kLearner);
            QCOMPARE(list.size(), 2);
            QCOMPARE(list[0].zeroingSeries, 2); // newest first
            QCOMPARE(list[1].zeroingSeries, 0);
            QCOMPARE(list[0].hiddenError, error);
        }
        // Another gun on a change of target too: the zeroed series' notice
        // goes with it.
        QCOMPARE(f.w.lbFinish->text(), QStringLiteral("Серия закончена!"));
        f.w.rbSmall->click();
        QVERIFY(!Zeroing(f.w).Done());
        QCOMPARE(Zeroing(f.w).SeriesFired(), 0);
        QCOMPARE(f.w.lbFinish->text(), QString());
        f.w.rbLarge->click();
        f.w.cbExercise->setCurrentIndex(int(Exercise::Free));
        QCOMPARE(f.w.PlankaCorrectionBar->value(), barBefore);
        f.aimAt(f.centre());
        f.fire();
        QCOMPARE(f.w.Target->GetShot(0)->FCenter, f.centre()); // no error outside the exercise
    }

    // «Объявление пробоины»: the mark hidden until the shot is called; a
    // double-click then fires nothing; the call shows and its error is exact.
    void callingTheShot()
    {
        Window f(Exercise::Calling);
        f.openDebrief();
        f.aimAt(f.centre() + QPoint(6, 0));
        f.fire();
        QCOMPARE(f.shots(), 1);
        QVERIFY(f.w.Lesson().AwaitingCall());
        QVERIFY(!f.w.Target->GetShot(0)->isVisible());
        QCOMPARE(f.w.edBalls->text(), QStringLiteral("?"));
        f.fire(); // its first press is the call, at the bare area: no second shot
        QCOMPARE(f.shots(), 1);
        QVERIFY(!f.w.Lesson().AwaitingCall());
        QVERIFY(f.w.Target->GetShot(0)->isVisible());
        const ShotRecord called = f.w.Lesson().Shots()[0];
        QVERIFY(called.called);
        QCOMPARE(called.call, QPointF(kBare - f.centre()));
        QCOMPARE(f.w.Client->findChildren<TCallMark *>().size(), 1);
        QVERIFY(f.w.edBalls->text() != QStringLiteral("?"));

        // The next shot, called on the target itself, 6 px from its hole.
        f.aimAt(f.centre() + QPoint(0, 6));
        f.fire();
        QCOMPARE(f.shots(), 2);
        // The called score stays in sight; the new one waits for its call.
        QCOMPARE(f.w.lbSingles->text(), QStringLiteral("  %1  ·").arg(called.score));
        QTest::mouseClick(f.window, Qt::LeftButton, {}, f.centre() + QPoint(0, 12));
        QVERIFY(!f.w.Lesson().AwaitingCall());
        const double ring = f.w.Lesson().Debrief().current.target.RingWidth();
        const CallFigures calls = JudgeCalls(f.w.Lesson().Shots(), f.w.Lesson().Debrief().current.target);
        QCOMPARE(calls.called, 2);
        QCOMPARE(calls.errors[1], 6 / ring);
        QTRY_VERIFY(f.w.DebriefWindow()->lbAdvice->text().contains(QStringLiteral("Объявлено выстрелов: 2")));
        f.fire(); // a plain double-click fires again
        QCOMPARE(f.shots(), 3);
        // Called on the mark of an earlier shot, and on a caption: taken too.
        QTest::mouseClick(f.window, Qt::LeftButton, {}, f.w.Target->GetShot(0)->FCenter);
        QVERIFY(!f.w.Lesson().AwaitingCall());
        QCOMPARE(f.w.Lesson().Shots()[2].call, QPointF(f.w.Target->GetShot(0)->FCenter - f.centre()));
        f.fire();
        QTest::mouseClick(f.window, Qt::LeftButton, {}, f.w.Label4->geometry().center());
        QVERIFY(!f.w.Lesson().AwaitingCall());
    }

    // The trace: the aim's samples in order, only the last two seconds, and
    // the replay draws the same points.
    void aimTraceOfEachShot()
    {
        Window f;
        qint64 &now = f.rec.time.emplace(0); // a clock the test moves: no real time need pass
        f.aimAt(f.centre());
        const QPoint start = f.w.Gun->FPosition + QPoint(0, 60);
        QTest::mousePress(f.window, Qt::RightButton, {}, start);
        for (int i = 1; i <= 30; ++i) {
            now += 5;
            QTest::mouseMove(f.window, start + QPoint(i, 0));
        }
        QTest::mouseRelease(f.window, Qt::RightButton, {}, start + QPoint(30, 0));
        f.fire();
        const QList<TraceSample> &trace = f.w.Lesson().Shots()[0].trace;
        QVERIFY2(trace.size() >= 30, qPrintable(QString::number(trace.size())));
        for (int i = 1; i < trace.size() - 1; ++i) {
            QVERIFY(trace[i].ms >= trace[i - 1].ms);
            QCOMPARE(trace[i].aim.x() - trace[i - 1].aim.x(), 1.0); // a pixel a movement
        }
        QVERIFY(trace.first().ms >= -2000);
        // It ends at the shot, where the laser would have shown it.
        QCOMPARE(trace.last().ms, 0);
        QCOMPARE(trace.last().aim + QPointF(f.centre()), QPointF(f.w.Gun->FLastShot));

        f.openDebrief();
        TDebriefF *d = f.w.DebriefWindow();
        QTRY_COMPARE(d->Target->Trace().size(), trace.size());
        d->Replay();
        QCOMPARE(d->Target->Trace().size(), trace.size());
        for (int i = 0; i < trace.size(); ++i)
            QVERIFY(d->Target->Trace()[i].ms == trace[i].ms && d->Target->Trace()[i].aim == trace[i].aim);
        QTRY_VERIFY_WITH_TIMEOUT(!d->findChild<QTimer *>()->isActive(), 4000);

        // Held still for long after (the jolt is no movement of the shooter's):
        // the next shot's trace stands where the jolt left the aim, length 0.
        now += 2100;
        f.fire();
        const QList<TraceSample> &still = f.w.Lesson().Shots()[1].trace;
        QCOMPARE(still.size(), 2);
        QCOMPARE(still.first().ms, -2000);
        QCOMPARE(TraceLength(still, -1000), 0.0);
        QVERIFY(f.w.Lesson().Shots()[1].sincePreviousMs >= 2100);
    }

    // «Стрельба на время» through the window: the clock under the results,
    // started by the first drag, counting every tenth of a second while it
    // runs, red past the limit and stopped by the last shot; the shots after
    // the time 0 on the board (the target's own total keeps them), marked in
    // the debrief beside each shot's time, and filed so; a clear sets the
    // clock back.
    void timedSeriesThroughTheWindow()
    {
        Window f(Exercise::Timed);
        qint64 &now = f.rec.time.emplace(0);
        f.openDebrief();
        TDebriefF *d = f.w.DebriefWindow();
        QVERIFY(f.w.lbClock->isVisible());
        QCOMPARE(f.w.lbClock->text(), QStringLiteral("Время: 0,0 с из 30"));
        QVERIFY(f.w.lbExerciseHint->text().startsWith(QStringLiteral("На время: 5 выстрелов за 30 с.")));

        // The first drag starts it.
        now = 1000;
        f.aimAt(f.centre());
        const QPoint start = f.w.Gun->FPosition + QPoint(0, 60);
        QTest::mousePress(f.window, Qt::RightButton, {}, start);
        QTest::mouseMove(f.window, start + QPoint(1, 0));
        QTest::mouseRelease(f.window, Qt::RightButton, {}, start + QPoint(1, 0));
        now = 13300;
        QTRY_COMPARE(f.w.lbClock->text(), QStringLiteral("Время: 12,3 с из 30"));
        QVERIFY(!f.w.lbClock->styleSheet().contains(QStringLiteral("c00000")));
        for (int i = 0; i < 3; ++i) {
            f.aimAt(f.centre());
            f.fire();
            now += 2000;
        }
        now = 32000;
        QTRY_COMPARE(f.w.lbClock->text(), QStringLiteral("Время: 31,0 с из 30"));
        QVERIFY(f.w.lbClock->styleSheet().contains(QStringLiteral("c00000")));
        for (int i = 0; i < 2; ++i) {
            f.aimAt(f.centre());
            f.fire();
            now += 1000;
        }
        QCOMPARE(f.shots(), 5);
        const QList<ShotRecord> shots = f.w.Lesson().Shots();
        QCOMPARE(shots[0].sinceStartMs, 12300);
        QCOMPARE(shots[4].sinceStartMs, 32000);
        int counted = 0;
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(shots[i].late, i >= 3);
            counted += i >= 3 ? 0 : shots[i].score;
        }
        QCOMPARE(f.w.lbSingles->text(), QStringLiteral("  %1  %2  %3  0  0").arg(shots[0].score).arg(shots[1].score).arg(shots[2].score));
        QCOMPARE(f.w.edBalls->text(), QStringLiteral("0"));
        QCOMPARE(f.w.edSum->text(), QString::number(counted));
        QCOMPARE(f.w.Target->FTotal, counted + shots[3].score + shots[4].score); // the model's own, untouched
        // Stopped at the last shot, red: it came after the time.
        now = 90000;
        QTest::qWait(300);
        QCOMPARE(f.w.lbClock->text(), QStringLiteral("Время: 32,0 с из 30"));
        QVERIFY(f.w.lbClock->styleSheet().contains(QStringLiteral("c00000")));

        // The debrief: each shot's time, the late ones marked, the sum as counted.
        int timeColumn = -1;
        for (int c = 0; c < d->tblShots->columnCount(); ++c)
            if (d->tblShots->horizontalHeaderItem(c) && d->tblShots->horizontalHeaderItem(c)->text() == QStringLiteral("Время, с"))
                timeColumn = c;
        QVERIFY(timeColumn >= 0);
        QTRY_COMPARE(d->tblShots->rowCount(), 5);
        QTRY_VERIFY(d->lbAdvice->text().contains(QStringLiteral("Стрельба на время: 5 выстрелов за 32,0 с из 30; после "
                                                                "времени — 2.")));
        QVERIFY(!d->tblShots->isColumnHidden(timeColumn));
        QCOMPARE(d->tblShots->item(0, timeColumn)->text(), QStringLiteral("12,3"));
        QCOMPARE(d->tblShots->item(4, timeColumn)->text(), QStringLiteral("32,0"));
        QCOMPARE(d->tblShots->item(2, 1)->text(), QString::number(shots[2].score));
        QCOMPARE(d->tblShots->item(3, 1)->text(), QStringLiteral("0 (после времени)"));
        QCOMPARE(d->tblShots->item(4, 1)->text(), QStringLiteral("0 (после времени)"));
        QVERIFY(d->lbFigures->text().contains(QStringLiteral("сумма %1.").arg(counted)));

        // The journal keeps it as counted, with each shot's time.
        QTRY_COMPARE(f.w.Journal()->Written(), 1);
        {
            JournalStore store;
            QVERIFY(store.Open(JournalStore::DefaultPath(), nullptr));
            const JournalSeries s = store.ReadAll(kLearner).first();
            QCOMPARE(s.exercise, QStringLiteral("Стрельба на время"));
            QCOMPARE(s.timeLimitMs, 30000);
            QCOMPARE(s.total, counted);
            for (int i = 0; i < 5; ++i) {
                QCOMPARE(s.shots[i].sinceStartMs, shots[i].sinceStartMs);
                QCOMPARE(s.shots[i].late, i >= 3);
                QCOMPARE(s.shots[i].score, i >= 3 ? 0 : shots[i].score);
            }
        }

        // Cleared: back to nothing, until the next movement.
        f.w.btnReset->click();
        QCOMPARE(f.w.lbClock->text(), QStringLiteral("Время: 0,0 с из 30"));
        QVERIFY(!f.w.lbClock->styleSheet().contains(QStringLiteral("c00000")));
        now = 95000;
        f.aimAt(f.centre());
        f.fire(); // no movement: the shot starts it
        QCOMPARE(f.w.Lesson().Shots()[0].sinceStartMs, 0);
        now = 97500;
        QTRY_COMPARE(f.w.lbClock->text(), QStringLiteral("Время: 2,5 с из 30"));

        // Another exercise: no clock, no column.
        f.w.cbExercise->setCurrentIndex(int(Exercise::Free));
        QVERIFY(!f.w.lbClock->isVisible());
        f.aimAt(f.centre());
        f.fire();
        QTRY_COMPARE(d->tblShots->rowCount(), 1);
        QTRY_VERIFY(d->tblShots->isColumnHidden(timeColumn));
        QVERIFY(f.rec.errors.isEmpty());
    }

    // The clock is shown in «Стрельба на время» only; the drop-down lists the
    // exercises in the enum's order, this one last.
    void clockShownInTheTimedExerciseOnly()
    {
        Window f;
        QCOMPARE(f.w.cbExercise->count(), int(Exercise::Timed) + 1);
        for (int i = 0; i < f.w.cbExercise->count(); ++i)
            QCOMPARE(f.w.cbExercise->itemText(i), ExerciseName(Exercise(i)));
        for (Exercise e : {Exercise::Free, Exercise::Grouping, Exercise::Zeroing, Exercise::Calling, Exercise::Timed,
                           Exercise::Free, Exercise::Timed, Exercise::Calling}) {
            f.w.cbExercise->setCurrentIndex(int(e));
            QCOMPARE(f.w.Lesson().CurrentExercise(), e);
            QCOMPARE(f.w.lbClock->isVisible(), e == Exercise::Timed);
        }
    }

    // The limit read from the settings file ([Exercise] TimeLimit, seconds),
    // the default for a value out of range or no number; written back as in
    // use, where the coach will look for it.
    void timeLimitFromTheSettingsFile_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("limit");
        QTest::newRow("45") << QByteArray("TimeLimit=45") << 45;
        QTest::newRow("the least, 5") << QByteArray("TimeLimit=5") << 5;
        QTest::newRow("the most, 600") << QByteArray("TimeLimit=600") << 600;
        QTest::newRow("4: out of range") << QByteArray("TimeLimit=4") << 30;
        QTest::newRow("601: out of range") << QByteArray("TimeLimit=601") << 30;
        QTest::newRow("negative") << QByteArray("TimeLimit=-45") << 30;
        QTest::newRow("garbage") << QByteArray("TimeLimit=half a minute") << 30;
        QTest::newRow("a unit after it") << QByteArray("TimeLimit=45s") << 30;
        QTest::newRow("empty") << QByteArray("TimeLimit=") << 30;
        QTest::newRow("none") << QByteArray() << 30;
    }
    void timeLimitFromTheSettingsFile()
    {
        QFETCH(QByteArray, line);
        QFETCH(int, limit);
        ProgramFolder folder;
        Recorders rec;
        folder.write("Vimbra.INI", "[Exercise]\r\nCurrent=timed\r\n" + line + "\r\n");
        {
            TMainF w(rec);
            QCOMPARE(w.Lesson().CurrentExercise(), Exercise::Timed);
            QCOMPARE(w.Lesson().TimeLimit(), limit);
            QCOMPARE(w.Lesson().Clock().limitMs, limit * 1000);
            QCOMPARE(w.lbClock->text(), QStringLiteral("Время: 0,0 с из %1").arg(limit));
            QVERIFY(w.lbExerciseHint->text().contains(QStringLiteral("за %1 с").arg(limit)));
        }
        const QString ini = folder.file("Vimbra.INI");
        QCOMPARE(GetPrivateProfileString("Exercise", "TimeLimit", "", ini), QString::number(limit));
        QCOMPARE(GetPrivateProfileString("Exercise", "Current", "", ini), QStringLiteral("timed"));
    }

    // The choice is remembered; free shooting leaves the settings as before.
    void exerciseRemembered()
    {
        ProgramFolder folder;
        Recorders rec;
        {
            TMainF w(rec);
            w.cbExercise->setCurrentIndex(int(Exercise::Calling));
        }
        QCOMPARE(GetPrivateProfileString("Exercise", "Current", "", folder.file("Vimbra.INI")), QStringLiteral("calling"));
        {
            TMainF w(rec);
            QCOMPARE(w.cbExercise->currentIndex(), int(Exercise::Calling));
            QCOMPARE(w.Lesson().CurrentExercise(), Exercise::Calling);
            w.cbExercise->setCurrentIndex(int(Exercise::Free));
        }
        QCOMPARE(GetPrivateProfileString("Exercise", "Current", "", folder.file("Vimbra.INI")), QStringLiteral("free"));
        folder.remove("Vimbra.INI");
        {
            TMainF w(rec);
        }
        QVERIFY(!folder.read("Vimbra.INI").contains("Exercise"));
    }

    // Ended in the middle of zeroing, with the bar moved by the learner: the
    // saved correction is the bar as it stood before the exercise, and the
    // next start gives the gun a hidden error of its own over that bar.
    void zeroingGivesTheBarBackAtTheEnd()
    {
        ProgramFolder folder;
        Recorders rec;
        folder.write("Vimbra.INI", "[Options]\r\nPlankaCorrection=6\r\n");
        {
            TMainF w(rec);
            w.cbExercise->setCurrentIndex(int(Exercise::Zeroing));
            w.PlankaCorrectionBar->setValue(2);
        }
        const QString ini = folder.file("Vimbra.INI");
        QCOMPARE(GetPrivateProfileString("Options", "PlankaCorrection", "", ini), QStringLiteral("6"));
        QCOMPARE(GetPrivateProfileString("Exercise", "Current", "", ini), QStringLiteral("zeroing"));
        {
            TMainF w(rec);
            QCOMPARE(w.Lesson().CurrentExercise(), Exercise::Zeroing);
            QCOMPARE(w.PlankaCorrectionBar->value(), 6);
            QCOMPARE(Zeroing(w).BarBefore(), 6);
            QVERIFY(Zeroing(w).Error().y() != 0);
        }
        QCOMPARE(GetPrivateProfileString("Options", "PlankaCorrection", "", ini), QStringLiteral("6"));
    }
};

VIMBRA_TEST_MAIN(TestExercises)
#include "tst_exercises.moc"
