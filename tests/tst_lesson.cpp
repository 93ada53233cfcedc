// The lesson's rules without a window: a scene and a clock of the test's
// own stand in for the target, the gun and the time. Built against the
// session's layer alone, so it also shows the lesson needs no widget.

#include "analysis/thresholds.h"
#include "platform/effects.h"
#include "platform/random.h"
#include "journal/classroster.h"
#include "session/lesson.h"

#include <QSignalSpy>
#include <QtTest>

#include <cmath>

Q_DECLARE_METATYPE(Scoreboard)
Q_DECLARE_METATYPE(JournalSeries)

// Failures print the labels' texts.
char *toString(const Scoreboard &b)
{
    return QTest::toString(QStringLiteral("count '%1', last '%2', total '%3', singles '%4'")
                               .arg(b.count, b.last, b.total, b.singles));
}

namespace {

// A target 90 pixels wide (a ring width of 6) centred on (100, 100) that
// takes five shots, scoring a point less for every ring width from the
// centre; a gun whose aim is its notch plus its sight picture, raised by the
// bar's correction.
class FakeScene : public Scene
{
public:
    TargetGeometry geometry{90, 3, 1};
    QPoint centre{100, 100};
    QList<QPoint> marks;
    QList<bool> shown;
    int total = 0;
    QPoint notch;
    QPointF alignment;
    ElevationBar bar{6, 10};
    QList<int> barSet; // every position the lesson set

    bool SeriesOpen() const override { return marks.size() < 5; }
    int Total() const override { return total; }
    TargetGeometry Geometry() const override { return geometry; }
    int BlackCircleValue() const override { return geometry.blackCircleValue; }
    bool LargeTarget() const override { return true; }
    QPoint Centre() const override { return centre; }
    int Hit(QPoint p) override
    {
        marks << p;
        shown << true;
        const QPoint d = p - centre;
        const int score = std::max(0, 10 - int(std::hypot(d.x(), d.y()) / geometry.RingWidth()));
        total += score;
        return score;
    }
    void ShowMark(int shot, bool visible) override { shown[shot] = visible; }
    QPoint Notch() const override { return notch; }
    QPointF Alignment() const override { return alignment; }
    int Correction() const override { return (bar.maximum - bar.position) * Thresholds::kPixelsPerDivision; }
    ElevationBar Bar() const override { return bar; }
    void SetBar(int position) override
    {
        bar.position = position;
        barSet << position;
    }
    // What the target does once the lesson has cleared its series.
    void Reset()
    {
        marks.clear();
        shown.clear();
        total = 0;
    }
    // The notch where a straight sight picture sends the shot to p (before
    // a gun's hidden error); the aim point that gives.
    QPoint AimTo(QPoint p)
    {
        alignment = QPointF();
        notch = p + QPoint(0, Correction());
        return p;
    }
};

// A clock the test moves; no sound, no pause, no error expected.
class Clock : public Effects
{
public:
    qint64 now = 0;
    QStringList errors;
    void PreloadSound(const QString &) override {}
    void PlaySound(const QString &) override {}
    void Pause(int) override {}
    qint64 Now() const override { return now; }
    void ShowError(const QString &message) override { errors << message; }
};

struct Fixture {
    FakeScene scene;
    Clock clock;
    TLesson lesson{scene, clock};
    QSignalSpy filed{&lesson, &TLesson::SeriesFiled};

    // A learner at the gun: the series are filed as they finish.
    Fixture() { lesson.SetShooter(QStringLiteral("Тест")); }

    // Five shots (or as many as given) at points off the centre.
    void fire(const QList<QPoint> &offsets)
    {
        for (QPoint offset : offsets) {
            lesson.Fire(scene.AimTo(scene.centre + offset));
            clock.now += 1000;
        }
    }
    void clear()
    {
        lesson.Clear();
        scene.Reset();
    }
    JournalSeries lastFiled() const { return filed.last().first().value<JournalSeries>(); }
};

const QList<QPoint> kTight{{0, 0}, {1, 0}, {0, 1}, {-1, 0}, {0, -1}};

} // namespace

class TestLesson : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { RandSeed(2024); }

    // What the result labels say after each shot, in each exercise: scores
    // hidden until the series ends («Кучность») or the shot is called
    // («Объявление пробоины»). Shots 0, 7 and 13 px off score 10, 9 and 8.
    void scoreboardAsEachExerciseShowsIt_data()
    {
        QTest::addColumn<Exercise>("exercise");
        QTest::addColumn<Scoreboard>("afterTwo");
        QTest::addColumn<Scoreboard>("afterFive");
        QTest::newRow("free") << Exercise::Free << Scoreboard{"2", "9", "19", "  10  9"}
                              << Scoreboard{"5", "9", "46", "  10  9  8  10  9"};
        QTest::newRow("grouping") << Exercise::Grouping << Scoreboard{"2", "?", "?", "  ·  ·"}
                                  << Scoreboard{"5", "9", "46", "  10  9  8  10  9"};
        QTest::newRow("calling, not yet called") << Exercise::Calling << Scoreboard{"2", "?", "?", "  ·  ·"}
                                                 << Scoreboard{"5", "?", "?", "  ·  ·  ·  ·  ·"};
    }
    void scoreboardAsEachExerciseShowsIt()
    {
        QFETCH(Exercise, exercise);
        QFETCH(Scoreboard, afterTwo);
        QFETCH(Scoreboard, afterFive);
        Fixture f;
        f.lesson.StartExercise(exercise);
        QSignalSpy boards(&f.lesson, &TLesson::ScoreboardChanged);
        const QList<QPoint> offsets{{0, 0}, {7, 0}, {0, 13}, {0, 0}, {7, 0}};
        f.fire(offsets.mid(0, 2));
        QCOMPARE(f.lesson.Board(), afterTwo);
        QCOMPARE(boards.last().first().value<Scoreboard>(), afterTwo);
        f.fire(offsets.mid(2));
        QCOMPARE(f.lesson.Board(), afterFive);
        QCOMPARE(boards.last().first().value<Scoreboard>(), afterFive);
    }

    // A series is filed once, complete, when it is finished: with all five
    // shots and their parts, the exercise's name and what it keeps.
    void aFinishedSeriesIsFiledOnceAndComplete_data()
    {
        QTest::addColumn<Exercise>("exercise");
        QTest::addColumn<QString>("name");
        QTest::newRow("free") << Exercise::Free << QString();
        QTest::newRow("grouping") << Exercise::Grouping << QStringLiteral("Кучность");
        QTest::newRow("zeroing") << Exercise::Zeroing << QStringLiteral("Приведение к нормальному бою");
    }
    void aFinishedSeriesIsFiledOnceAndComplete()
    {
        QFETCH(Exercise, exercise);
        QFETCH(QString, name);
        Fixture f;
        f.lesson.StartExercise(exercise);
        f.fire(kTight.mid(0, 4));
        QCOMPARE(f.filed.size(), 0);
        QVERIFY(!f.lesson.Finished());
        f.fire({kTight[4]});
        QCOMPARE(f.filed.size(), 1);
        QVERIFY(f.lesson.Finished());
        const JournalSeries s = f.lastFiled();
        QCOMPARE(s.exercise, name);
        QVERIFY(!s.uid.isNull());
        QCOMPARE(s.shots.size(), 5);
        QCOMPARE(s.total, f.scene.total);
        QCOMPARE(s.correction, f.scene.Correction());
        QCOMPARE(s.ringWidth, 6.0);
        const QPoint error = f.lesson.HiddenError();
        QCOMPARE(s.hiddenError, error);
        for (int i = 0; i < 5; ++i) {
            const JournalShot &shot = s.shots[i];
            QCOMPARE(shot.number, i + 1);
            QCOMPARE(shot.hole, QPointF(kTight[i] + error));
            QCOMPARE(shot.hold + shot.alignment + shot.correction, shot.hole);
            QCOMPARE(shot.sincePreviousMs, i == 0 ? -1 : 1000);
        }
        // Nothing more is filed: the series takes no more shots or calls.
        f.lesson.SettingsChanged();
        QVERIFY(!f.lesson.CallAt(f.scene.centre));
        QCOMPARE(f.filed.size(), 1);
    }

    // Calling: each shot hidden until called; the call is where the learner
    // clicked, the debrief sees neither the shot nor its score before it; the
    // series is filed once its last shot is called.
    void callingTheShot()
    {
        Fixture f;
        QVERIFY(!f.lesson.CallAt(QPoint(1, 1))); // nothing awaits a call
        f.lesson.StartExercise(Exercise::Calling);
        QSignalSpy awaited(&f.lesson, &TLesson::CallAwaited);
        QSignalSpy called(&f.lesson, &TLesson::ShotCalled);
        f.fire({{7, 0}});
        QCOMPARE(awaited.size(), 1);
        QVERIFY(f.lesson.AwaitingCall());
        QVERIFY(!f.scene.shown[0]);
        QCOMPARE(f.lesson.Hint(), QStringLiteral("Щёлкните там, куда, по-вашему, попала пуля."));
        DebriefView view = f.lesson.Debrief();
        QCOMPARE(view.current.shots.size(), 0);
        QCOMPARE(view.total, 0);

        QVERIFY(f.lesson.CallAt(f.scene.centre + QPoint(10, 0)));
        QVERIFY(!f.lesson.AwaitingCall());
        QVERIFY(f.scene.shown[0]);
        QCOMPARE(called.size(), 1);
        QCOMPARE(called[0][0].toPoint(), f.scene.centre + QPoint(10, 0));
        QCOMPARE(called[0][1].toPoint(), f.scene.centre + QPoint(7, 0));
        QCOMPARE(f.lesson.Shots()[0].call, QPointF(10, 0));
        QCOMPARE(CallError(f.lesson.Shots()[0], 6), 0.5);
        QVERIFY(!f.lesson.CallAt(f.scene.centre)); // called already
        view = f.lesson.Debrief();
        QCOMPARE(view.current.shots.size(), 1);
        QCOMPARE(view.total, 9);
        QVERIFY(view.callsShown);
        QVERIFY(view.exerciseWords.join(QString()).contains(QStringLiteral("Объявлено выстрелов: 1; в пределах 1,0 "
                                                                            "ширины кольца от пробоины: 100%")));

        for (int i = 1; i < 5; ++i) {
            f.fire({{0, 0}});
            QCOMPARE(f.filed.size(), 0);
            f.lesson.CallAt(f.scene.centre);
        }
        QCOMPARE(f.filed.size(), 1);
        QVERIFY(f.lastFiled().shots[4].called);
        QCOMPARE(f.lesson.Board().singles, QStringLiteral("  9  10  10  10  10"));
    }

    // Clearing: a finished series stays as the previous one, an unfinished
    // one is dropped; the results, the calls' lines and an awaited call go.
    void clearing_data()
    {
        QTest::addColumn<int>("shots");
        QTest::addColumn<bool>("kept");
        QTest::newRow("no shot") << 0 << false;
        QTest::newRow("three shots") << 3 << false;
        QTest::newRow("a finished series") << 5 << true;
    }
    void clearing()
    {
        QFETCH(int, shots);
        QFETCH(bool, kept);
        Fixture f;
        f.fire(kTight.mid(0, shots));
        QSignalSpy cleared(&f.lesson, &TLesson::SeriesCleared);
        QSignalSpy boards(&f.lesson, &TLesson::ScoreboardChanged);
        f.clear();
        QCOMPARE(cleared.size(), 1);
        QCOMPARE(boards.last().first().value<Scoreboard>(), Scoreboard{});
        QVERIFY(f.lesson.Shots().isEmpty());
        QCOMPARE(f.lesson.Debrief().previous.shots.size(), kept ? 5 : 0);
        // The next series' first shot has no shot before it.
        f.fire({{0, 0}});
        QCOMPARE(f.lesson.Shots()[0].sincePreviousMs, -1);

        // A call awaited is dropped with the series.
        f.lesson.StartExercise(Exercise::Calling);
        f.clear();
        f.fire({{0, 0}});
        QVERIFY(f.lesson.AwaitingCall());
        f.clear();
        QVERIFY(!f.lesson.AwaitingCall());
    }

    // Zeroing's hidden error is chosen for the sight picture the program
    // teaches: holding it, the bar zeroes the gun 2 to 5 divisions from
    // where it stands, within its range, and 4 to 12 pixels off sideways.
    void zeroingErrorTheTaughtHoldCanMakeGood_data()
    {
        QTest::addColumn<int>("width"); // of the target picture
        QTest::addColumn<int>("bar");
        for (int width : {97, 49})
            for (int bar : {0, 1, 3, 5, 6, 9, 10})
                QTest::addRow("%d px target, bar at %d", width, bar) << width << bar;
    }
    void zeroingErrorTheTaughtHoldCanMakeGood()
    {
        QFETCH(int, width);
        QFETCH(int, bar);
        for (quint32 seed = 1; seed <= 200; ++seed) {
            RandSeed(seed);
            Fixture f;
            f.scene.geometry.width = width;
            f.scene.bar.position = bar;
            f.lesson.StartExercise(Exercise::Zeroing);
            const auto &rule = dynamic_cast<const ZeroingRule &>(f.lesson.Rule());
            const QPoint e = rule.Error();
            const int zeroing = rule.BarZeroing();
            const QString where = QStringLiteral("seed %1: error (%2, %3), zeroed at %4")
                                      .arg(seed).arg(e.x()).arg(e.y()).arg(zeroing);
            QVERIFY2(zeroing >= 0 && zeroing <= 10, qPrintable(where));
            QVERIFY2(std::abs(zeroing - bar) >= 2 && std::abs(zeroing - bar) <= 5, qPrintable(where));
            // The taught hold with the bar there: on the centre in height.
            const double miss = TaughtHold(f.scene.geometry).y() + e.y() - (10 - zeroing) * 5;
            QVERIFY2(std::abs(miss) <= 1.5, qPrintable(where));
            QVERIFY(std::abs(e.x()) >= 4 && std::abs(e.x()) <= 12);
        }
    }

    // Zeroing played to its end by a learner who follows the debrief: fires
    // a tight group holding one sight picture, applies what «Применить»
    // offers and aims higher, lower or off as the advice says. From the
    // taught hold, and from holds the bar alone cannot make good (the notch
    // on the centre, or well above it), the exercise always ends, within a
    // few series.
    void zeroingCanAlwaysBeFinished_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("bar");
        QTest::addColumn<QPoint>("hold"); // the notch, from the taught hold
        QTest::addColumn<int>("series");  // at most
        for (int width : {97, 49})
            for (int bar : {0, 6, 10}) {
                QTest::addRow("%d px, bar %d, the taught hold", width, bar) << width << bar << QPoint() << 3;
                QTest::addRow("%d px, bar %d, the notch on the centre", width, bar)
                    << width << bar << QPoint(0, -width / 2) << 4;
                QTest::addRow("%d px, bar %d, 60 px above the taught hold", width, bar)
                    << width << bar << QPoint(0, -60) << 4;
            }
    }
    void zeroingCanAlwaysBeFinished()
    {
        QFETCH(int, width);
        QFETCH(int, bar);
        QFETCH(QPoint, hold);
        QFETCH(int, series);
        for (quint32 seed = 1; seed <= 50; ++seed) {
            RandSeed(seed);
            Fixture f;
            f.scene.geometry.width = width;
            f.scene.bar.position = bar;
            f.lesson.StartExercise(Exercise::Zeroing);
            const auto &rule = dynamic_cast<const ZeroingRule &>(f.lesson.Rule());
            QPointF aimOff; // what the learner has been told to aim off by
            int fired = 0;
            for (; fired < series + 2 && !rule.Done(); ++fired) {
                const QPointF notch = QPointF(f.scene.centre) + TaughtHold(f.scene.geometry) + QPointF(hold) + aimOff;
                for (QPoint p : kTight) {
                    f.scene.notch = (notch + QPointF(p)).toPoint();
                    f.scene.alignment = QPointF();
                    f.lesson.Fire(f.scene.notch - QPoint(0, f.scene.Correction()));
                }
                if (rule.Done())
                    break;
                const Advice advice = f.lesson.Debrief().current.figures.advice;
                QVERIFY2(!advice.lines.isEmpty(), qPrintable(QStringLiteral("seed %1: no advice").arg(seed)));
                f.lesson.ApplyCorrection();
                aimOff += QPointF(advice.aimOff, -advice.aimUp);
                f.clear();
            }
            QVERIFY2(rule.Done(), qPrintable(QStringLiteral("seed %1: error (%2, %3) not zeroed in %4 series; the bar at %5")
                                                 .arg(seed)
                                                 .arg(rule.Error().x())
                                                 .arg(rule.Error().y())
                                                 .arg(fired)
                                                 .arg(f.scene.bar.position)));
            QVERIFY2(rule.SeriesFired() <= series, qPrintable(QStringLiteral("seed %1: %2 series")
                                                                  .arg(seed).arg(rule.SeriesFired())));
        }
    }

    // Zeroing: the hidden error goes into the holes and the hold; a tight
    // group on the centre ends it; the next clear gives another gun over the
    // bar as it stood before, and ending the exercise gives the bar back.
    void zeroingRunsItsCourse()
    {
        Fixture f;
        f.lesson.StartExercise(Exercise::Zeroing);
        const auto &rule = dynamic_cast<const ZeroingRule &>(f.lesson.Rule());
        const QPoint error = rule.Error();
        QCOMPARE(rule.BarBefore(), 6);
        f.fire({{0, 0}});
        QCOMPARE(f.scene.marks[0], f.scene.centre + error);
        QCOMPARE(f.lesson.Shots()[0].hold + f.lesson.Shots()[0].correction, QPointF(error));
        f.clear();

        // Aimed so that the error is made good: the group lies 4 pixels low,
        // within a ring width of the centre: done, and no correction is
        // offered for what is left.
        for (QPoint p : kTight)
            f.lesson.Fire(f.scene.AimTo(f.scene.centre + QPoint(0, 4) + p - error));
        QVERIFY(rule.Done());
        QVERIFY(!f.lesson.Debrief().correctionOffered);
        QVERIFY(!f.lesson.ApplyCorrection());
        QVERIFY(f.scene.barSet.isEmpty());
        QCOMPARE(rule.SeriesFired(), 1);
        QCOMPARE(f.lastFiled().zeroingSeries, 1);
        QVERIFY(f.lesson.Debrief().exerciseWords.join(QString()).contains(QStringLiteral("за 1 серию")));
        QVERIFY(f.lesson.Hint().startsWith(QStringLiteral("Оружие приведено")));

        f.scene.bar.position = 3; // the learner moved the bar meanwhile
        f.clear();
        QCOMPARE(f.scene.barSet, QList<int>{6}); // given back before the new gun
        const auto &next = dynamic_cast<const ZeroingRule &>(f.lesson.Rule());
        QVERIFY(!next.Done());
        QCOMPARE(next.SeriesFired(), 0);
        QCOMPARE(next.BarBefore(), 6); // the new gun over the bar given back

        f.scene.bar.position = 8;
        f.lesson.EndExercise();
        QCOMPARE(f.scene.barSet, (QList<int>{6, 6}));
        QCOMPARE(f.lesson.CurrentExercise(), Exercise::Free);
        QCOMPARE(f.lesson.HiddenError(), QPoint());
    }

    // «Применить»: the bar goes where the advice says, and only then; in
    // «Кучность» the sights are the learner's own business: nothing applies.
    void applyingTheCorrection_data()
    {
        QTest::addColumn<Exercise>("exercise");
        QTest::addColumn<QPoint>("groupAt");
        QTest::addColumn<int>("bar"); // -1: nothing applied
        const Exercise free = Exercise::Free, grouping = Exercise::Grouping;
        QTest::newRow("on the centre: nothing to apply") << free << QPoint(0, 0) << -1;
        QTest::newRow("15 px low: three divisions up") << free << QPoint(0, 15) << 3;
        QTest::newRow("10 px high: two divisions down") << free << QPoint(0, -10) << 8;
        QTest::newRow("«Кучность», 15 px low: no correction") << grouping << QPoint(0, 15) << -1;
        QTest::newRow("«Кучность», 10 px high: no correction") << grouping << QPoint(0, -10) << -1;
    }
    void applyingTheCorrection()
    {
        QFETCH(Exercise, exercise);
        QFETCH(QPoint, groupAt);
        QFETCH(int, bar);
        Fixture f;
        f.lesson.StartExercise(exercise);
        for (QPoint p : kTight)
            f.fire({groupAt + p});
        QCOMPARE(f.lesson.Debrief().correctionOffered, exercise == Exercise::Free);
        QCOMPARE(f.lesson.ApplyCorrection(), bar >= 0);
        QCOMPARE(f.scene.barSet, bar >= 0 ? QList<int>{bar} : QList<int>{});
    }

    // A flyer is named whatever the exercise, and the series is filed with
    // the group as the debrief judged it: without the flyer.
    void aFlyerIsFiledOutOfTheGroup_data()
    {
        QTest::addColumn<Exercise>("exercise");
        QTest::newRow("free") << Exercise::Free;
        QTest::newRow("grouping") << Exercise::Grouping;
    }
    void aFlyerIsFiledOutOfTheGroup()
    {
        QFETCH(Exercise, exercise);
        Fixture f;
        f.lesson.StartExercise(exercise);
        f.fire({{1, 0}, {-1, 0}, {0, 30}, {0, 1}, {0, -1}});
        const JournalSeries s = f.lastFiled();
        QCOMPARE(s.meanPoint, QPointF(0, 0));
        QCOMPARE(s.meanRadius, 1.0);
        QCOMPARE(s.extremeSpread, 2.0);
        const DebriefView view = f.lesson.Debrief();
        QCOMPARE(view.current.figures.flyers, QList<int>{3});
        QVERIFY(view.current.figures.flyerWords.join(QString()).startsWith(QStringLiteral("3-я пробоина — отрыв")));
        if (exercise == Exercise::Grouping)
            QVERIFY(view.exerciseWords.join(QString()).contains(QStringLiteral("с отрывом")));
    }

    // The session's group: the finished series as one group, each shot where
    // the bar as it stands now would have sent it; «Применить» from it moves
    // the bar once; a new exercise or another target starts a new session.
    void theSessionsGroup()
    {
        Fixture f;
        const QList<QList<QPoint>> series{{{0, 9}, {1, 10}, {-1, 10}, {0, 11}, {0, 10}},
                                          {{2, 10}, {-2, 10}, {0, 8}, {0, 12}, {0, 10}},
                                          {{1, 9}, {-1, 11}, {1, 11}, {-1, 9}, {0, 10}}};
        for (const QList<QPoint> &s : series) {
            f.fire(s);
            f.clear();
        }
        DebriefView view = f.lesson.Debrief();
        QCOMPARE(view.session.shots.size(), 15);
        QCOMPARE(view.session.figures.meanPoint, QPointF(0, 10));
        QCOMPARE(view.session.figures.advice.barDivisions, 2);
        QCOMPARE(view.history.size(), 3);
        QCOMPARE(view.history[2].number, 3);
        QCOMPARE(view.history[2].shots, 5);
        QVERIFY(f.lesson.ApplyCorrection(true));
        QCOMPARE(f.scene.barSet, QList<int>{4});
        // Brought to the bar as it stands now: on the centre, nothing more.
        view = f.lesson.Debrief();
        QCOMPARE(view.session.figures.meanPoint, QPointF(0, 0));
        QCOMPARE(view.session.shots[0].hole, QPointF(0, -1));
        QCOMPARE(view.session.figures.advice.newBarPosition, -1);
        QVERIFY(!f.lesson.ApplyCorrection(true));

        // A flyer of the fourth series is one of the session's group.
        f.fire({{0, 0}, {1, 0}, {0, 40}, {-1, 0}, {0, 1}});
        view = f.lesson.Debrief();
        QCOMPARE(view.session.figures.flyers, QList<int>{18});
        QCOMPARE(view.history.last().flyers, 1);

        // Another target: a new session, from the change on; «Применить»
        // has nothing of the old one to apply.
        f.clear();
        f.scene.geometry.width = 49;
        QCOMPARE(f.lesson.Debrief().session.shots.size(), 0);
        QCOMPARE(f.lesson.Debrief().history.size(), 0);
        QVERIFY(!f.lesson.ApplyCorrection(true));
        f.fire(kTight);
        QCOMPARE(f.lesson.Debrief().session.shots.size(), 5);
        QCOMPARE(f.lesson.Debrief().history.size(), 1);
        // Another exercise: a new session, empty.
        f.lesson.StartExercise(Exercise::Grouping);
        QCOMPARE(f.lesson.Debrief().session.shots.size(), 0);
        QVERIFY(f.lesson.Debrief().trend.isEmpty());
    }

    // The aim's path: samples on the lesson's clock, relative to the centre,
    // ending at the shot; a jolt starts a new one.
    void aimTrace()
    {
        Fixture f;
        for (int i = 0; i < 10; ++i) {
            f.clock.now = 100 * i;
            f.lesson.AimAt(f.scene.centre + QPoint(i, 0));
        }
        f.clock.now = 1000;
        f.lesson.Fire(f.scene.AimTo(f.scene.centre + QPoint(10, 0)));
        const QList<TraceSample> &trace = f.lesson.Shots()[0].trace;
        QCOMPARE(trace.size(), 11);
        QCOMPARE(trace.first().ms, -1000);
        QCOMPARE(trace.first().aim, QPointF(0, 0));
        QCOMPARE(trace.last().ms, 0);
        QCOMPARE(trace.last().aim, QPointF(10, 0));

        f.lesson.Jolted(f.scene.centre + QPoint(3, 3));
        f.clock.now = 5000;
        f.lesson.Fire(f.scene.AimTo(f.scene.centre));
        const QList<TraceSample> &still = f.lesson.Shots()[1].trace;
        QCOMPARE(still.size(), 2); // where the jolt left it, then the shot
        QCOMPARE(still.first().aim, QPointF(3, 3));
        QCOMPARE(f.lesson.Shots()[1].sincePreviousMs, 4000);
    }

    // «Стрельба на время», shot by shot on the lesson's clock: all shots
    // at the centre (10 each). The clock starts with the first movement (or
    // the first shot, fired without one); a shot later than the limit counts
    // 0 on the board, in the debrief's sum and in the journal, while the
    // target's own total keeps it; one at the limit exactly is in time.
    void timedSeries_data()
    {
        QTest::addColumn<int>("limit");          // seconds
        QTest::addColumn<int>("movedAt");        // ms of the first movement; -1: none
        QTest::addColumn<QList<int>>("firedAt"); // ms of each shot
        QTest::addColumn<QList<int>>("times");   // each shot's time from the clock's start
        QTest::addColumn<QList<bool>>("late");
        QTest::addColumn<Scoreboard>("board");
        const QList<bool> none(5, false);
        QTest::newRow("all five within the time")
            << 30 << 1000 << QList<int>{5000, 10000, 15000, 20000, 25600} << QList<int>{4000, 9000, 14000, 19000, 24600}
            << none << Scoreboard{"5", "10", "50", "  10  10  10  10  10"};
        QTest::newRow("the 4th and 5th after it")
            << 30 << 1000 << QList<int>{5000, 12000, 20000, 31500, 40000} << QList<int>{4000, 11000, 19000, 30500, 39000}
            << QList<bool>{false, false, false, true, true} << Scoreboard{"5", "0", "30", "  10  10  10  0  0"};
        QTest::newRow("the last at the limit exactly: in time")
            << 30 << 2000 << QList<int>{8000, 14000, 20000, 26000, 32000} << QList<int>{6000, 12000, 18000, 24000, 30000}
            << none << Scoreboard{"5", "10", "50", "  10  10  10  10  10"};
        QTest::newRow("the last a millisecond after it")
            << 30 << 2000 << QList<int>{8000, 14000, 20000, 26000, 32001} << QList<int>{6000, 12000, 18000, 24000, 30001}
            << QList<bool>{false, false, false, false, true} << Scoreboard{"5", "0", "40", "  10  10  10  10  0"};
        QTest::newRow("no movement: from the first shot")
            << 10 << -1 << QList<int>{3000, 6000, 9000, 12000, 13001} << QList<int>{0, 3000, 6000, 9000, 10001}
            << QList<bool>{false, false, false, false, true} << Scoreboard{"5", "0", "40", "  10  10  10  10  0"};
        QTest::newRow("every shot after a short limit")
            << 5 << 0 << QList<int>{6000, 7000, 8000, 9000, 10000} << QList<int>{6000, 7000, 8000, 9000, 10000}
            << QList<bool>(5, true) << Scoreboard{"5", "0", "0", "  0  0  0  0  0"};
    }
    void timedSeries()
    {
        QFETCH(int, limit);
        QFETCH(int, movedAt);
        QFETCH(QList<int>, firedAt);
        QFETCH(QList<int>, times);
        QFETCH(QList<bool>, late);
        QFETCH(Scoreboard, board);
        Fixture f;
        f.lesson.SetTimeLimit(limit);
        f.lesson.StartExercise(Exercise::Timed);
        QCOMPARE(f.lesson.Hint(), QStringLiteral("На время: 5 выстрелов за %1 с. Время пойдёт с первым движением "
                                                 "оружия или мушки.").arg(limit));
        QSignalSpy boards(&f.lesson, &TLesson::ScoreboardChanged);
        if (movedAt >= 0) {
            f.clock.now = movedAt;
            f.lesson.AimAt(f.scene.centre + QPoint(20, 20));
        }
        for (int i = 0; i < 5; ++i) {
            f.clock.now = firedAt[i];
            f.lesson.Fire(f.scene.AimTo(f.scene.centre));
            QCOMPARE(f.lesson.Shots()[i].sinceStartMs, times[i]);
            QCOMPARE(f.lesson.Shots()[i].late, late[i]);
            QCOMPARE(f.lesson.Shots()[i].score, 10); // as the target scored it
        }
        QCOMPARE(f.lesson.Board(), board);
        QCOMPARE(boards.last().first().value<Scoreboard>(), board);
        QCOMPARE(f.scene.total, 50); // the target's own total keeps every shot
        const DebriefView view = f.lesson.Debrief();
        QCOMPARE(view.total, board.total.toInt());
        QVERIFY(view.timesShown);
        const int lateCount = int(late.count(true));
        QCOMPARE(view.exerciseWords.first(),
                 QStringLiteral("Стрельба на время: 5 выстрелов за %1 с из %2; после времени — %3.")
                     .arg(Decimal(times[4] / 1000.0))
                     .arg(limit)
                     .arg(lateCount));
        QCOMPARE(view.exerciseWords.size(), lateCount > 0 ? 2 : 1);

        // Stopped at the last shot.
        f.clock.now += 60000;
        const ClockView clock = f.lesson.Clock();
        QVERIFY(clock.shown && !clock.running);
        QCOMPARE(clock.elapsedMs, times[4]);
        QCOMPARE(clock.limitMs, limit * 1000);
        QCOMPARE(clock.over, late[4]);

        // Filed as the exercise counted it.
        QCOMPARE(f.filed.size(), 1);
        const JournalSeries s = f.lastFiled();
        QCOMPARE(s.exercise, QStringLiteral("Стрельба на время"));
        QCOMPARE(s.timeLimitMs, limit * 1000);
        QCOMPARE(s.total, board.total.toInt());
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(s.shots[i].sinceStartMs, times[i]);
            QCOMPARE(s.shots[i].late, late[i]);
            QCOMPARE(s.shots[i].score, late[i] ? 0 : 10);
        }
        QVERIFY(f.clock.errors.isEmpty());
    }

    // The clock: shown in the timed exercise only; started by the first
    // movement, not moved on by later ones; past the limit it says so; it
    // stops at the last shot, a movement then starts nothing, and a clear
    // sets it back, for the next movement to start it again.
    void timedClockRunsAndStartsAgainAfterAClear()
    {
        Fixture f;
        QSignalSpy changed(&f.lesson, &TLesson::ClockChanged);
        f.lesson.AimAt(f.scene.centre);
        QVERIFY(!f.lesson.Clock().shown); // free shooting has no clock
        f.fire({{0, 0}});
        QCOMPARE(f.lesson.Shots()[0].sinceStartMs, -1);
        QVERIFY(!f.lesson.Shots()[0].late);
        f.clear();

        f.lesson.SetTimeLimit(20);
        f.lesson.StartExercise(Exercise::Timed);
        ClockView clock = f.lesson.Clock();
        QVERIFY(clock.shown && !clock.running && !clock.over);
        QCOMPARE(clock.elapsedMs, 0);
        QCOMPARE(clock.limitMs, 20000);
        f.clock.now = 10000;
        changed.clear();
        f.lesson.AimAt(f.scene.centre);
        QCOMPARE(changed.size(), 1);
        f.clock.now = 11000;
        f.lesson.AimAt(f.scene.centre + QPoint(1, 0)); // not started again
        QCOMPARE(changed.size(), 1);
        f.clock.now = 13500;
        clock = f.lesson.Clock();
        QVERIFY(clock.running && !clock.over);
        QCOMPARE(clock.elapsedMs, 3500);
        f.clock.now = 30000; // the limit exactly
        QVERIFY(!f.lesson.Clock().over);
        f.clock.now = 30001;
        QVERIFY(f.lesson.Clock().over && f.lesson.Clock().running);

        for (int i = 0; i < 5; ++i) {
            f.clock.now = 31000 + 1000 * i;
            f.lesson.Fire(f.scene.AimTo(f.scene.centre));
            f.lesson.Jolted(f.scene.centre + QPoint(3, 3)); // as the window does after each shot
        }
        QCOMPARE(f.lesson.Board().total, QStringLiteral("0"));
        f.clock.now = 50000;
        f.lesson.AimAt(f.scene.centre); // the series is over: nothing starts
        clock = f.lesson.Clock();
        QVERIFY(!clock.running && clock.over);
        QCOMPARE(clock.elapsedMs, 25000);

        changed.clear();
        f.clear();
        QVERIFY(changed.size() >= 1);
        clock = f.lesson.Clock();
        QVERIFY(clock.shown && !clock.running && !clock.over);
        QCOMPARE(clock.elapsedMs, 0);
        QCOMPARE(f.lesson.Debrief().exerciseWords,
                 QStringList{QStringLiteral("Стрельба на время: 5 выстрелов за 20 с; время считается от первого "
                                            "движения оружия или мушки.")});
        f.clock.now = 100000;
        f.lesson.AimAt(f.scene.centre);
        f.clock.now = 101500;
        f.lesson.Fire(f.scene.AimTo(f.scene.centre));
        QCOMPARE(f.lesson.Shots()[0].sinceStartMs, 1500);
        QCOMPARE(f.lesson.Board(), (Scoreboard{"1", "10", "10", "  10"}));

        // Another exercise: no clock, and nothing counted late.
        f.lesson.StartExercise(Exercise::Grouping);
        f.clear();
        QVERIFY(!f.lesson.Clock().shown);
        QVERIFY(!f.lesson.Debrief().timesShown);
        QVERIFY(f.clock.errors.isEmpty());
    }

    // The limit: one out of the range gives the default; it holds for the
    // exercise in progress and for one chosen later.
    void timedLimit_data()
    {
        QTest::addColumn<int>("given");
        QTest::addColumn<int>("limit");
        QTest::newRow("30") << 30 << 30;
        QTest::newRow("the least: 5") << 5 << 5;
        QTest::newRow("the most: 600") << 600 << 600;
        QTest::newRow("4: too short") << 4 << 30;
        QTest::newRow("601: too long") << 601 << 30;
        QTest::newRow("0") << 0 << 30;
        QTest::newRow("negative") << -45 << 30;
    }
    void timedLimit()
    {
        QFETCH(int, given);
        QFETCH(int, limit);
        Fixture f;
        f.lesson.SetTimeLimit(given);
        QCOMPARE(f.lesson.TimeLimit(), limit);
        f.lesson.StartExercise(Exercise::Timed);
        QCOMPARE(f.lesson.Clock().limitMs, limit * 1000);
        QCOMPARE(dynamic_cast<const TimedRule &>(f.lesson.Rule()).LimitSeconds(), limit);
        f.lesson.SetTimeLimit(45); // in progress
        QCOMPARE(f.lesson.Clock().limitMs, 45000);
        QVERIFY(f.lesson.Hint().contains(QStringLiteral("за 45 с")));
    }

    // The shooter chosen is filed with the series, with their class; with
    // nobody chosen a finished series waits (kept safe under nobody's name
    // meanwhile) and a shooter is asked for once the start is known; the
    // series that waited are filed, in the order fired, under the one chosen.
    void theShooter()
    {
        Fixture f;
        f.lesson.SetShooter(QStringLiteral("  Вера "), QStringLiteral("7Б"));
        f.fire(kTight);
        QCOMPARE(f.lastFiled().shooter, QStringLiteral("Вера"));
        QCOMPARE(f.lastFiled().klass, QStringLiteral("7Б"));
        QVERIFY(f.lastFiled().forClassJournal); // a named series: on to the class journal where there is one

        QSignalSpy changed(&f.lesson, &TLesson::ShooterChanged);
        QSignalSpy wanted(&f.lesson, &TLesson::ShooterWanted);
        QSignalSpy waiting(&f.lesson, &TLesson::SeriesWaiting);
        QVERIFY(f.lesson.SetShooter(QStringLiteral("   "))); // nobody
        QCOMPARE(changed.size(), 1);
        QVERIFY(!f.lesson.Shooter());
        f.filed.clear();
        QList<int> totals;
        for (int series = 0; series < 2; ++series) {
            f.clear();
            f.fire(series == 0 ? kTight : QList<QPoint>{{0, 0}, {7, 0}, {0, 7}, {13, 0}, {0, 0}});
            totals << f.lesson.Debrief().history.last().total;
        }
        QCOMPARE(f.filed.size(), 0);
        QCOMPARE(f.lesson.Waiting(), 2);
        QCOMPARE(waiting.size(), 2);
        QCOMPARE(waiting[1].first().value<JournalSeries>().shooter, TLesson::UnnamedShooter());
        QCOMPARE(wanted.size(), 0); // the start is not known yet: nobody asked

        f.lesson.StartWith(QString(), QString()); // the journal remembers nobody
        QCOMPARE(wanted.size(), 1);
        QCOMPARE(f.filed.size(), 0);
        QVERIFY(!f.lesson.SetShooter(QString(ClassRoster::kMaxName + 1, QLatin1Char('x'))));
        QCOMPARE(f.lesson.Waiting(), 2);
        QVERIFY(f.lesson.SetShooter(QStringLiteral("Борис")));
        QCOMPARE(f.filed.size(), 2);
        QCOMPARE(f.lesson.Waiting(), 0);
        for (int i = 0; i < 2; ++i) {
            const auto series = f.filed[i].first().value<JournalSeries>();
            QCOMPARE(series.shooter, QStringLiteral("Борис"));
            QCOMPARE(series.total, totals[i]); // in the order fired
            QCOMPARE(series.uid, waiting[i].first().value<JournalSeries>().uid); // the one kept safe
        }

        // Waiting at the end: filed under nobody's name, never for a class.
        f.lesson.SetShooter(QString());
        f.clear();
        f.fire(kTight);
        QCOMPARE(wanted.size(), 2);
        f.lesson.FileWaitingUnnamed();
        QCOMPARE(f.lastFiled().shooter, TLesson::UnnamedShooter());
        QVERIFY(f.lastFiled().klass.isEmpty());
        QVERIFY(!f.lastFiled().forClassJournal);
        QCOMPARE(f.lesson.Waiting(), 0);
        QVERIFY(f.clock.errors.isEmpty());
    }

    // The start: without a roster the remembered shooter goes on; with one
    // nobody is carried over and a shooter is asked for; a shooter chosen
    // before the start stays.
    void theStart_data()
    {
        QTest::addColumn<bool>("roster");
        QTest::addColumn<bool>("chosenBefore");
        QTest::addColumn<QString>("shooter"); // after the start; "-": nobody
        QTest::addColumn<bool>("asked");
        QTest::newRow("no roster: carried over") << false << false << "Иванова Мария" << false;
        QTest::newRow("roster: nobody, asked") << true << false << "-" << true;
        QTest::newRow("chosen before the start") << true << true << "Петров Пётр" << false;
    }
    void theStart()
    {
        QFETCH(bool, roster);
        QFETCH(bool, chosenBefore);
        QFETCH(QString, shooter);
        QFETCH(bool, asked);
        Fixture f;
        f.lesson.SetShooter(QString());
        if (roster)
            f.lesson.SetRoster(ClassRoster({{QStringLiteral("7Б"), QStringLiteral("Иванова Мария")},
                                            {QStringLiteral("7Б"), QStringLiteral("Петров Пётр")}}));
        if (chosenBefore)
            QVERIFY(f.lesson.SetShooter(QStringLiteral("Петров Пётр"), QStringLiteral("7Б")));
        QSignalSpy wanted(&f.lesson, &TLesson::ShooterWanted);
        f.lesson.StartWith(QStringLiteral("Иванова Мария"), QStringLiteral("7Б"));
        QCOMPARE(f.lesson.Shooter().value_or(QStringLiteral("-")), shooter);
        QCOMPARE(wanted.size(), asked ? 1 : 0);
        f.fire(kTight);
        QCOMPARE(f.filed.size(), shooter == QLatin1String("-") ? 0 : 1);
        if (!f.filed.isEmpty())
            QVERIFY(f.lastFiled().forClassJournal);
    }

    // A roster that comes into use takes the shooter in use only if it names
    // them; a name off it is refused.
    void aRosterComesIntoUse()
    {
        Fixture f;
        f.lesson.StartWith(QString(), QString());
        QVERIFY(f.lesson.SetShooter(QStringLiteral("Тест"), QStringLiteral("7Б")));
        QSignalSpy wanted(&f.lesson, &TLesson::ShooterWanted);
        f.lesson.SetRoster(ClassRoster({{QStringLiteral("7Б"), QStringLiteral("Тест")}}));
        QCOMPARE(f.lesson.Shooter().value_or(QString()), QStringLiteral("Тест")); // on it
        QVERIFY(wanted.isEmpty());
        f.lesson.SetRoster(ClassRoster({{QStringLiteral("7Б"), QStringLiteral("Вера")}}));
        QVERIFY(!f.lesson.Shooter());
        QCOMPARE(wanted.size(), 1);
        QVERIFY(!f.lesson.SetShooter(QStringLiteral("Тест"), QStringLiteral("7Б")));
        QVERIFY(!f.lesson.SetShooter(QStringLiteral("Вера"), QStringLiteral("8А")));
        QVERIFY(f.lesson.SetShooter(QStringLiteral("Вера"), QStringLiteral("7Б")));
    }

    // The roster read from the class journal a moment after the start (the
    // first run on a computer): who shoots is asked, as a start with it
    // does; the name the last run left is not carried over silently, one
    // chosen in this run stays.
    void aRosterArrivingAfterTheStart_data()
    {
        QTest::addColumn<QString>("remembered");
        QTest::addColumn<QString>("chosenNow");
        QTest::addColumn<QString>("after");  // "-": nobody
        QTest::addColumn<bool>("asked");
        QTest::newRow("nobody") << "" << "" << "-" << true;
        QTest::newRow("the last run's, on the roster") << "Вера" << "" << "-" << true;
        QTest::newRow("the last run's, off it") << "Тест" << "" << "-" << true;
        QTest::newRow("chosen now, on the roster") << "Тест" << "Вера" << "Вера" << false;
    }
    void aRosterArrivingAfterTheStart()
    {
        QFETCH(QString, remembered);
        QFETCH(QString, chosenNow);
        QFETCH(QString, after);
        QFETCH(bool, asked);
        Fixture f;
        f.lesson.StartWith(remembered, QStringLiteral("7Б"));
        if (!chosenNow.isEmpty())
            QVERIFY(f.lesson.SetShooter(chosenNow, QStringLiteral("7Б")));
        QSignalSpy wanted(&f.lesson, &TLesson::ShooterWanted);
        f.lesson.SetRoster(ClassRoster({{QStringLiteral("7Б"), QStringLiteral("Вера")}}));
        QCOMPARE(f.lesson.Shooter().value_or(QStringLiteral("-")), after);
        QCOMPARE(wanted.size(), asked ? 1 : 0);
        // The same roster read again asks nothing more.
        f.lesson.SetRoster(ClassRoster({{QStringLiteral("7Б"), QStringLiteral("Вера")}}));
        QCOMPARE(wanted.size(), asked ? 1 : 0);
    }

    // A roster first known after the start (a computer's first lesson with
    // the class journal: it comes from the server) asks who shoots when
    // nobody is chosen, once; the same roster again does not ask again.
    void aRosterAfterTheStartAsks()
    {
        Fixture f;
        f.lesson.SetShooter(QString());
        QSignalSpy wanted(&f.lesson, &TLesson::ShooterWanted);
        f.lesson.StartWith(QString(), QString()); // nothing remembered, no roster yet
        QVERIFY(wanted.isEmpty());
        const ClassRoster roster({{QStringLiteral("9А"), QStringLiteral("Анна Смирнова")}});
        f.lesson.SetRoster(roster);
        QCOMPARE(wanted.size(), 1);
        f.lesson.SetRoster(roster);
        QCOMPARE(wanted.size(), 1);
        f.fire(kTight);
        QVERIFY(f.filed.isEmpty()); // waits for a name
        QVERIFY(f.lesson.SetShooter(QStringLiteral("Анна Смирнова"), QStringLiteral("9А")));
        QCOMPARE(f.filed.size(), 1);
        QCOMPARE(f.lastFiled().shooter, QStringLiteral("Анна Смирнова"));
    }

    // The names a roster takes, and the reason for one it does not.
    void rosterAccepts_data()
    {
        QTest::addColumn<bool>("inUse");
        QTest::addColumn<QString>("klass");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("reason"); // empty: taken
        const QString max(ClassRoster::kMaxName, QChar(u'Я'));
        QTest::newRow("free: a name") << false << "" << "Иванова Мария" << "";
        QTest::newRow("free: trimmed") << false << "" << "  Вера  " << "";
        QTest::newRow("free: quotes and SQL") << false << "" << "'; DROP TABLE x; --" << "";
        QTest::newRow("free: 200 characters") << false << "" << max << "";
        QTest::newRow("free: 201 characters") << false << "" << max + u'Я' << "имя длиннее 200 знаков";
        QTest::newRow("free: empty") << false << "" << "" << "имя не указано";
        QTest::newRow("free: blanks") << false << "" << " \t " << "имя не указано";
        QTest::newRow("roster: on it") << true << "7Б" << "Иванова Мария" << "";
        QTest::newRow("roster: quoted name on it") << true << "7Б" << "Д'Артаньян \"Шарль\"" << "";
        QTest::newRow("roster: another class") << true << "8А" << "Иванова Мария"
                                               << "«Иванова Мария» нет в списке класса 8А";
        QTest::newRow("roster: off it") << true << "7Б" << "Вера" << "«Вера» нет в списке класса 7Б";
        QTest::newRow("roster: empty") << true << "7Б" << "" << "имя не указано";
    }
    void rosterAccepts()
    {
        QFETCH(bool, inUse);
        QFETCH(QString, klass);
        QFETCH(QString, name);
        QFETCH(QString, reason);
        const ClassRoster roster = inUse ? ClassRoster({{QStringLiteral("7Б"), QStringLiteral("Иванова Мария")},
                                                        {QStringLiteral("7Б"), QStringLiteral("Д'Артаньян \"Шарль\"")}})
                                         : ClassRoster();
        QString why;
        QCOMPARE(roster.Accepts(klass, name, &why), reason.isEmpty());
        QCOMPARE(why, reason);
    }

    // Kept as text and read back as it was: sorted, trimmed, each once; a
    // line without a tab or a name is no learner.
    void rosterAsText()
    {
        const ClassRoster roster({{QStringLiteral(" 7Б "), QStringLiteral("Петров Пётр")},
                                  {QStringLiteral("10А"), QStringLiteral("'; DROP TABLE x; --")},
                                  {QStringLiteral("7Б"), QStringLiteral("Иванова \"Маша\"")},
                                  {QStringLiteral("7Б"), QStringLiteral("Петров Пётр")},
                                  {QStringLiteral("7Б"), QStringLiteral("  ")},
                                  {QString(), QStringLiteral("Без класса")}});
        QCOMPARE(roster.Classes(), (QStringList{QString(), QStringLiteral("7Б"), QStringLiteral("10А")}));
        QCOMPARE(roster.Names(QStringLiteral("7Б")),
                 (QStringList{QStringLiteral("Иванова \"Маша\""), QStringLiteral("Петров Пётр")}));
        QCOMPARE(ClassRoster::FromText(roster.ToText()), roster);
        QCOMPARE(ClassRoster::FromText(roster.ToText() + QStringLiteral("\nбез табуляции\n7Б\t\n")), roster);
        QVERIFY(!ClassRoster::FromText(QString()).InUse());
        QCOMPARE(ClassRoster().ToText(), QString());
    }
};

QTEST_GUILESS_MAIN(TestLesson)
#include "tst_lesson.moc"
