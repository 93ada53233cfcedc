// The series debrief: its arithmetic on hand-computed series, and its
// window driven through the main window as a user drives it.

#include "testsupport.h"

#include "analysis/debrief.h"
#include "analysis/history.h"
#include "analysis/steadiness.h"
#include "analysis/thresholds.h"
#include "session/exercises.h"
#include "model/roundtarget.h"
#include "platform/profile.h"
#include "platform/random.h"
#include "ui/frmDebrief.h"
#include "ui/placement.h"
#include "analysis/targetpicture.h"
#include "journal/journalkeeper.h"
#include "ui/frmMain.h"

#include <QScrollBar>

namespace {

// A target 90 pixels wide with the black circle at 3: f = 45 / 15 = 3, so a
// ring width is 6 pixels.
const TargetGeometry kTarget{90, 3, 1};

ShotRecord at(double x, double y, int score = 0)
{
    return ShotRecord{QPointF(x, y), QPointF(x, y), QPointF(), QPointF(), score};
}

QList<ShotRecord> fiveAt(double x, double y)
{
    return QList<ShotRecord>(5, at(x, y));
}

// A shot whose hole comes from a hold and a front-sight offset (times 3).
ShotRecord caused(QPointF hold, QPointF sight)
{
    return ShotRecord{hold + 3 * sight, hold, 3 * sight, QPointF(), 0};
}

bool near(double a, double b) { return std::abs(a - b) < 1e-9; }

const QPoint kBare(300, 460); // bare window area of the main window

} // namespace

Q_DECLARE_METATYPE(QList<ShotRecord>)

class TestDebrief : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { RandSeed(1234); }

    // --------------------------------------------------------- the arithmetic

    // Where the group is and how tight it is.
    void groupFigures_data()
    {
        QTest::addColumn<QList<ShotRecord>>("shots");
        QTest::addColumn<QPointF>("meanPoint");
        QTest::addColumn<int>("hour");
        QTest::addColumn<double>("meanRadius"); // pixels
        QTest::addColumn<double>("spread");     // pixels
        QTest::addColumn<int>("spreadFrom");
        QTest::addColumn<int>("spreadTo");
        QTest::addColumn<bool>("tight");
        QTest::newRow("symmetric group around the centre")
            << QList<ShotRecord>{at(6, 0), at(-6, 0), at(0, 6), at(0, -6), at(0, 0)} << QPointF(0, 0) << 0 << 4.8
            << 12.0 << 1 << 2 << true;
        QTest::newRow("one flyer: the group without it")
            << QList<ShotRecord>{at(0, 0), at(0, 0), at(0, 0), at(0, 0), at(24, 0)} << QPointF(0, 0) << 0 << 0.0
            << 0.0 << 1 << 1 << true;
        QTest::newRow("tight by its mean radius, not by its spread")
            << QList<ShotRecord>{at(-13, 0), at(13, 0), at(0, 2), at(0, -2), at(0, 0)} << QPointF(0, 0) << 0 << 6.0
            << 26.0 << 1 << 2 << false;
        QTest::newRow("all on one point") << fiveAt(12, 18) << QPointF(12, 18) << 5 << 0.0 << 0.0 << 1 << 1 << true;
        QTest::newRow("one shot") << QList<ShotRecord>{at(-5.196, -3)} << QPointF(-5.196, -3) << 10 << 0.0 << 0.0 << 1
                                  << 1 << true;
        QTest::newRow("loose: mean radius over 1.5 rings")
            << QList<ShotRecord>{at(-12, 0), at(12, 0), at(0, 12), at(0, -12), at(0, 0)} << QPointF(0, 0) << 0 << 9.6
            << 24.0 << 1 << 2 << false;
        QTest::newRow("straight down") << QList<ShotRecord>{at(0, 30), at(0, 30), at(0, 30)} << QPointF(0, 30) << 6
                                       << 0.0 << 0.0 << 1 << 1 << true;
    }
    void groupFigures()
    {
        QFETCH(QList<ShotRecord>, shots);
        QFETCH(QPointF, meanPoint);
        QFETCH(int, hour);
        QFETCH(double, meanRadius);
        QFETCH(double, spread);
        QFETCH(int, spreadFrom);
        QFETCH(int, spreadTo);
        QFETCH(bool, tight);
        const SeriesFigures f = AnalyseSeries(shots, kTarget, ElevationBar{6, 10});
        QCOMPARE(f.shots, int(shots.size()));
        QVERIFY(near(f.meanPoint.x(), meanPoint.x()) && near(f.meanPoint.y(), meanPoint.y()));
        QCOMPARE(f.meanPointHour, hour);
        QVERIFY(near(f.meanPointRings, std::hypot(meanPoint.x(), meanPoint.y()) / 6));
        QVERIFY2(near(f.meanRadius, meanRadius), qPrintable(QString::number(f.meanRadius)));
        QVERIFY(near(f.meanRadiusRings, meanRadius / 6));
        QVERIFY(near(f.extremeSpread, spread));
        QCOMPARE(f.spreadFrom, spreadFrom);
        QCOMPARE(f.spreadTo, spreadTo);
        QCOMPARE(f.tight, tight);
        QCOMPARE(f.perShot.size(), shots.size());
        for (const ShotFigures &s : f.perShot)
            QCOMPARE(s.alignment + s.holdAndCorrection, s.hole);
    }

    // What the coach says: tightness first, the correction only then.
    void advice_data()
    {
        QTest::addColumn<QList<ShotRecord>>("shots");
        QTest::addColumn<int>("bar");         // where it stood for the series (and stands now)
        QTest::addColumn<int>("divisions");   // > 0: raise
        QTest::addColumn<int>("newPosition"); // -1: nothing to apply
        QTest::addColumn<QStringList>("says");
        QTest::addColumn<QStringList>("neverSays");
        const QStringList correction{"планку на"};
        QTest::newRow("low tight group: raise by round(10 / 5) = 2")
            << fiveAt(0, 10) << 6 << 2 << 4 << QStringList{"Группа кучная", "Поднять прицельную планку на 2 деления."}
            << QStringList{"Выносите"};
        QTest::newRow("high tight group: lower by 2")
            << fiveAt(0, -10) << 6 << -2 << 8 << QStringList{"Опустить прицельную планку на 2 деления."}
            << QStringList{};
        QTest::newRow("within half a ring of the centre: nothing to correct")
            << fiveAt(1, 2.5) << 6 << 0 << -1 << QStringList{"в центре: так держать"}
            << correction + QStringList{"Выносите", "По высоте"};
        QTest::newRow("half a division up rounds away from zero")
            << fiveAt(0, 12.5) << 6 << 3 << 3 << QStringList{"Поднять прицельную планку на 3 деления."} << QStringList{};
        QTest::newRow("more than the bar can: to its limit")
            << fiveAt(0, 30) << 1 << 1 << 0 << QStringList{"Поднять прицельную планку на 1 деление (до предела).",
                           "Выносите точку прицеливания выше на 4,2 ширины кольца (25 пикс.)."}
            << QStringList{};
        QTest::newRow("already at its limit: aim higher")
            << fiveAt(0, 30) << 0 << 0 << -1
            << QStringList{"уже поднята до предела", "Выносите точку прицеливания выше на 5,0 ширины кольца (30 пикс.)."}
            << QStringList{};
        QTest::newRow("at its limit, the rest under half a ring: still aim higher")
            << fiveAt(2, 3) << 0 << 0 << -1
            << QStringList{"уже поднята до предела", "Выносите точку прицеливания выше на 0,5 ширины кольца (3 пикс.)."}
            << QStringList{"так держать"};
        QTest::newRow("off the centre by less than any correction: said so")
            << fiveAt(2.9, 2.4) << 6 << 0 << -1 << QStringList{"рядом с центром: поправки не нужны"}
            << correction + QStringList{"Выносите", "По высоте"};
        QTest::newRow("lowered to its limit: aim lower for the rest")
            << fiveAt(0, -30) << 8 << -2 << 10
            << QStringList{"Опустить прицельную планку на 2 деления (до предела).",
                           "Выносите точку прицеливания ниже на 3,3 ширины кольца (20 пикс.)."}
            << QStringList{};
        QTest::newRow("sideways: aim off, the sight has no windage")
            << fiveAt(12, 0) << 6 << 0 << -1
            << QStringList{"Выносите точку прицеливания левее на 2,0 ширины кольца (12 пикс.)."} << correction;
        QTest::newRow("left: aim off to the right")
            << fiveAt(-6, 0) << 6 << 0 << -1 << QStringList{"правее на 1,0"} << correction;
        QTest::newRow("one shot: not enough to judge")
            << QList<ShotRecord>{at(0, 30)} << 6 << 0 << -1 << QStringList{"не меньше 3 пробоин"} << correction;
        QTest::newRow("loose group from the sight picture: no correction, the hint")
            << QList<ShotRecord>{caused({0, 20}, {0, -5}), caused({0, 20}, {0, 5}), caused({0, 20}, {0, -5}),
                                 caused({0, 20}, {0, 5}), caused({0, 20}, {0, 0})}
            << 6 << 0 << -1
            << QStringList{"Группа не кучная", "Разброс даёт прицеливание", "Мушка то выше, то ниже краёв прорези"}
            << correction + QStringList{"удержание"};
        QTest::newRow("loose group from the hold")
            << QList<ShotRecord>{caused({-12, 0}, {}), caused({12, 0}, {}), caused({0, 12}, {}), caused({0, -12}, {}),
                                 caused({0, 0}, {})}
            << 6 << 0 << -1 << QStringList{"Группа не кучная", "Разброс даёт удержание"}
            << correction + QStringList{"Мушка"};
        QTest::newRow("loose group from both")
            << QList<ShotRecord>{caused({-12, 0}, {4, 0}), caused({12, 0}, {-4, 0}), caused({0, 12}, {0, 4}),
                                 caused({0, -12}, {0, -4}), caused({0, 0}, {0, 0})}
            << 6 << 0 << -1 << QStringList{"Разброс дают и прицеливание, и удержание."} << correction;
        QTest::newRow("applied already: nothing more to apply")
            << fiveAt(0, 10) << -6 << 2 << -1 << QStringList{"Поднять прицельную планку на 2 деления.", "Поправка уже внесена"}
            << QStringList{};
        QTest::newRow("tight but the front sight stands high: holes go up")
            << QList<ShotRecord>{caused({0, 12}, {0, -4}), caused({1, 12}, {0, -4}), caused({0, 13}, {0, -4})}
            << 6 << 0 << -1 << QStringList{"Мушка чаще выше краёв прорези — пробоины уходят вверх."}
            << QStringList{};
    }
    void advice()
    {
        QFETCH(QList<ShotRecord>, shots);
        QFETCH(int, bar);
        QFETCH(int, divisions);
        QFETCH(int, newPosition);
        QFETCH(QStringList, says);
        QFETCH(QStringList, neverSays);
        // A negative bar: fired at its magnitude, moved up by the advice since.
        const int fired = std::abs(bar), now = bar < 0 ? fired - 2 : bar;
        for (ShotRecord &s : shots)
            s.correction = QPointF(0, -(10 - fired) * 5);
        const Advice a = AnalyseSeries(shots, kTarget, ElevationBar{now, 10}).advice;
        const QString text = a.lines.join(QLatin1Char('\n'));
        QCOMPARE(a.barDivisions, divisions);
        QCOMPARE(a.newBarPosition, newPosition);
        for (const QString &phrase : says)
            QVERIFY2(text.contains(phrase), qPrintable(text));
        for (const QString &phrase : neverSays)
            QVERIFY2(!text.contains(phrase), qPrintable(text));
    }

    // Flyers: a shot far from the others, by their own spread, is named with
    // what sent it astray, and the group is judged without it; a group that
    // is merely loose has none.
    void flyers_data()
    {
        QTest::addColumn<QList<ShotRecord>>("shots");
        QTest::addColumn<QList<int>>("flyers");
        QTest::addColumn<QStringList>("says");
        const QList<ShotRecord> fourTens{caused({1, 0}, {}), caused({-1, 0}, {}), caused({0, 1}, {}), caused({0, -1}, {})};
        QTest::newRow("four tens and a snatch sideways: the 4th, the hold")
            << QList<ShotRecord>{fourTens[0], fourTens[1], fourTens[2], caused({30, 0}, {}), fourTens[3]}
            << QList<int>{4}
            << QStringList{"4-я пробоина — отрыв: удержание сбилось — оружие было наведено правее, чем в остальных "
                           "выстрелах.",
                           "Группа кучная", "в центре: так держать"};
        QTest::newRow("a front sight dropped in the notch: the 5th, the sight picture")
            << fourTens + QList<ShotRecord>{caused({0, 0}, {0, 6})} << QList<int>{5}
            << QStringList{"5-я пробоина — отрыв: мушка стояла в прорези ниже, чем в остальных выстрелах."};
        QTest::newRow("two shots out, either side: loose, no flyer")
            << QList<ShotRecord>{at(0, 0), at(0, 0), at(0, 24), at(0, -24), at(0, 0)} << QList<int>{}
            << QStringList{"Группа не кучная"};
        QTest::newRow("2.4 times the others' mean radius: no flyer")
            << QList<ShotRecord>{at(0, 0), at(9, 0), at(-9, 0), at(0, 9), at(0, -14.3)} << QList<int>{}
            << QStringList{};
        QTest::newRow("far by ratio, but within two ring widths: no flyer")
            << fourTens + QList<ShotRecord>{at(0, 11)} << QList<int>{} << QStringList{"Группа кучная"};
        QTest::newRow("three shots are too few to have one")
            << QList<ShotRecord>{at(0, 0), at(1, 0), at(30, 0)} << QList<int>{} << QStringList{};
        QTest::newRow("fifteen shots: a flyer and an edge shot, the flyer kept")
            << fourTens + fourTens + fourTens + QList<ShotRecord>{at(0, 13), at(0, -10), at(40, 0)}
            << QList<int>{15} << QStringList{"15-я пробоина — отрыв"};
        QTest::newRow("ten shots, two flyers: both named, the group without them")
            << fourTens + fourTens + QList<ShotRecord>{at(0, 40), at(-40, 0)} << QList<int>{9, 10}
            << QStringList{"9-я пробоина — отрыв", "10-я пробоина — отрыв", "без них", "так держать"};
    }
    void flyers()
    {
        QFETCH(QList<ShotRecord>, shots);
        QFETCH(QList<int>, flyers);
        QFETCH(QStringList, says);
        const SeriesFigures f = AnalyseSeries(shots, kTarget, ElevationBar{6, 10});
        QCOMPARE(f.flyers, flyers);
        QList<QPointF> group;
        for (const ShotFigures &s : f.perShot) {
            QCOMPARE(s.flyer, flyers.contains(s.number));
            if (!s.flyer)
                group << s.hole;
        }
        // The group's figures are those of the shots that are no flyers.
        QPointF sum;
        for (QPointF p : group)
            sum += p;
        QVERIFY(std::hypot(f.meanPoint.x() - sum.x() / group.size(), f.meanPoint.y() - sum.y() / group.size()) < 1e-9);
        QVERIFY(!flyers.contains(f.spreadFrom) && !flyers.contains(f.spreadTo));
        const QString text = (f.flyerWords + f.advice.lines).join(QLatin1Char('\n'));
        for (const QString &phrase : says)
            QVERIFY2(text.contains(phrase), qPrintable(text));
        QCOMPARE(f.flyerWords.isEmpty(), flyers.isEmpty());
    }

    // One definition of a tight group, the same wherever a verdict is given:
    // the figures, the advice, and the «Кучность» norm, which is stricter and
    // says so rather than calling a tight group loose.
    void oneTightness_data()
    {
        QTest::addColumn<QList<ShotRecord>>("shots");
        QTest::addColumn<bool>("tight");
        QTest::addColumn<bool>("norm");
        QTest::addColumn<QString>("normSays");
        // Mean radius 1.4, extreme spread 3.8 ring widths: tight, beyond the norm.
        QTest::newRow("tight, not within the norm")
            << QList<ShotRecord>{at(-11.4, 0), at(11.4, 0), at(0, 7), at(0, -7), at(0, 5.2)} << true << false
            << QStringLiteral("Группа кучная, но норматив строже.");
        QTest::newRow("within the norm") << QList<ShotRecord>{at(-3, 0), at(3, 0), at(0, 3), at(0, -3), at(0, 0)}
                                         << true << true << QStringLiteral(": выполнен");
        QTest::newRow("within the norm but for a flyer")
            << QList<ShotRecord>{at(-3, 0), at(3, 0), at(0, 3), at(0, -3), at(0, 40)} << true << false
            << QStringLiteral("в пределах норматива, но с отрывом");
        QTest::newRow("loose by its spread alone")
            << QList<ShotRecord>{at(-13, 0), at(13, 0), at(0, 2), at(0, -2), at(0, 0)} << false << false
            << QStringLiteral("не выполнен");
    }
    void oneTightness()
    {
        QFETCH(QList<ShotRecord>, shots);
        QFETCH(bool, tight);
        QFETCH(bool, norm);
        QFETCH(QString, normSays);
        const SeriesFigures f = AnalyseSeries(shots, kTarget, ElevationBar{6, 10});
        QCOMPARE(f.tight, tight);
        QCOMPARE(f.tight, IsTight(f.meanRadiusRings, f.extremeSpreadRings));
        QCOMPARE(GroupVerdict(f.tight), tight ? QStringLiteral("группа кучная") : QStringLiteral("группа не кучная"));
        const QString advice = f.advice.lines.join(QLatin1Char('\n'));
        QVERIFY2(advice.contains(tight ? QStringLiteral("Группа кучная") : QStringLiteral("Группа не кучная")),
                 qPrintable(advice));
        // No sight advice on a loose group.
        if (!tight)
            QVERIFY(f.advice.barDivisions == 0 && f.advice.aimOff == 0 && f.advice.aimUp == 0
                    && !advice.contains(QStringLiteral("Выносите")));
        const GroupingVerdict v = JudgeGrouping(f);
        QCOMPARE(v.passed, norm);
        QVERIFY2(v.text.startsWith(QStringLiteral("Норматив упражнения")) && v.text.contains(normSays), qPrintable(v.text));
        QVERIFY2(!v.text.contains(QStringLiteral("не кучная")) || !tight, qPrintable(v.text));
    }

    // The session's series one by one: which way the total and the mean
    // radius go, by their least-squares slope.
    void trend_data()
    {
        QTest::addColumn<QList<int>>("totals");
        QTest::addColumn<QList<double>>("radii");
        QTest::addColumn<QList<double>>("tens"); // shares of the last second in the 10; none: no trace
        QTest::addColumn<QStringList>("says");
        QTest::newRow("one series: nothing to compare") << QList<int>{44} << QList<double>{1.2} << QList<double>{}
                                                        << QStringList{};
        QTest::newRow("better and tighter")
            << QList<int>{40, 44, 48} << QList<double>{2.0, 1.5, 1.0} << QList<double>{}
            << QStringList{"Сумма: 40 → 48, растёт (+4,0 за серию).", "Средний радиус: 2,0 → 1,0, группа становится кучнее."};
        QTest::newRow("a steadier hold")
            << QList<int>{44, 44} << QList<double>{1.0, 1.0} << QList<double>{0.3, 0.6}
            << QStringList{"Сумма: 44 → 44, держится ровно.", "Средний радиус: 1,0 → 1,0, кучность прежняя.",
                           "В 10: 30% → 60% последней секунды, удержание крепнет."};
        QTest::newRow("a hold that weakens")
            << QList<int>{44, 44, 44} << QList<double>{1.0, 1.0, 1.0} << QList<double>{0.7, 0.5, 0.4}
            << QStringList{"Сумма: 44 → 44, держится ровно.", "Средний радиус: 1,0 → 1,0, кучность прежняя.",
                           "В 10: 70% → 40% последней секунды, удержание слабеет."};
        QTest::newRow("worse and looser")
            << QList<int>{47, 45, 41} << QList<double>{0.8, 1.1, 1.4} << QList<double>{}
            << QStringList{"Сумма: 47 → 41, падает (\u22123,0 за серию).", "Средний радиус: 0,8 → 1,4, группа расползается."};
        QTest::newRow("a dip is no trend")
            << QList<int>{45, 40, 45} << QList<double>{1.0, 1.3, 1.0} << QList<double>{}
            << QStringList{"Сумма: 45 → 45, держится ровно.", "Средний радиус: 1,0 → 1,0, кучность прежняя."};
    }
    void trend()
    {
        QFETCH(QList<int>, totals);
        QFETCH(QList<double>, radii);
        QFETCH(QList<double>, tens);
        QFETCH(QStringList, says);
        QList<HistoryRow> rows;
        for (int i = 0; i < totals.size(); ++i)
            rows << HistoryRow{i + 1, 5, totals[i], radii[i], 0, tens.isEmpty() ? -1 : tens[i], -1};
        QCOMPARE(TrendWords(rows), says);
    }

    void russianCounts_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("text");
        for (const auto &[n, text] : {std::pair{1, "1 серию"}, {2, "2 серии"}, {4, "4 серии"}, {5, "5 серий"},
                                      {11, "11 серий"}, {12, "12 серий"}, {21, "21 серию"}, {22, "22 серии"},
                                      {0, "0 серий"}})
            QTest::addRow("%d", n) << n << QString::fromUtf8(text);
    }
    void russianCounts()
    {
        QFETCH(int, n);
        QFETCH(QString, text);
        QCOMPARE(CountOf(n, "серию", "серии", "серий"), text);
    }

    void clockHours_data()
    {
        QTest::addColumn<QPointF>("direction");
        QTest::addColumn<int>("hour");
        QTest::newRow("up") << QPointF(0, -1) << 12;
        QTest::newRow("right") << QPointF(1, 0) << 3;
        QTest::newRow("down") << QPointF(0, 1) << 6;
        QTest::newRow("left") << QPointF(-1, 0) << 9;
        QTest::newRow("up and right") << QPointF(1, -1.7321) << 1;
        QTest::newRow("just left of up") << QPointF(-0.1, -1) << 12;
        QTest::newRow("none") << QPointF(0, 0) << 0;
    }
    void clockHours()
    {
        QFETCH(QPointF, direction);
        QFETCH(int, hour);
        QCOMPARE(ClockHour(direction), hour);
    }

    // Geometries the target never has but may be handed: no width (an empty
    // picture file), a black-circle value being typed beyond its range.
    void oddGeometriesStayFinite_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("black");
        QTest::newRow("no width") << 0 << 3;
        QTest::newRow("black 15 being typed") << 97 << 15;
        QTest::newRow("black 0") << 97 << 0;
    }
    void oddGeometriesStayFinite()
    {
        QFETCH(int, width);
        QFETCH(int, black);
        const SeriesFigures f = AnalyseSeries(fiveAt(3, 4), TargetGeometry{width, black, 1}, ElevationBar{6, 10});
        QVERIFY(std::isfinite(f.meanPointRings) && std::isfinite(f.meanRadiusRings) && f.meanPointRings > 0);
        TDebriefTarget target;
        target.resize(200, 200);
        target.Show({TargetGeometry{width, black, 1}, fiveAt(3, 4), f}, {TargetGeometry{width, black, 1}, fiveAt(1, 1), f});
        QVERIFY(std::isfinite(target.Scale()) && target.Scale() > 0);
        (void)target.grab();
    }

    // The rings the debrief draws are the ones that score: a hole's centre
    // just inside a ring's line (by its own radius) scores that ring.
    void ringsAreTheScoringRings_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("black");
        QTest::newRow("large, black 3") << 97 << 3;
        QTest::newRow("small, black 3") << 49 << 3;
        QTest::newRow("large, black 1") << 97 << 1;
        QTest::newRow("large, black 10") << 97 << 10;
    }
    void ringsAreTheScoringRings()
    {
        QFETCH(int, width);
        QFETCH(int, black);
        const TargetGeometry g{width, black, 1};
        for (int score = 1; score <= 10; ++score) {
            const double r = g.RingRadius(score) + g.markRadius;
            QCOMPARE(ScoreForDistance(r - 1e-6, g.markRadius, width, black), score);
            QCOMPARE(ScoreForDistance(r + 1e-6, g.markRadius, width, black), score - 1);
        }
    }

    // ------------------------------------------------------------ the window

    // Five shots through the main window: five holes where the shots went,
    // the cross on their mean point, the figures and the advice; "Применить"
    // moves the bar and the next shot by exactly the advice.
    void debriefFollowsTheSeries()
    {
        ProgramFolder folder;
        Recorders rec;
        TMainF w(rec);
        QVERIFY(ShowActive(w));
        w.Journal()->SetShooter(QStringLiteral("Ученик")); // a learner at the gun: nobody asked for
        QWindow *window = w.windowHandle();
        QTest::mouseClick(window, Qt::LeftButton, {}, w.btnDebrief->geometry().center());
        QVERIFY(w.DebriefWindow());
        TDebriefF *d = w.DebriefWindow();
        // A panel of the main window, beside or below the lesson, which
        // keeps its place and size.
        QVERIFY(d->isVisible() && !d->isWindow());
        QCOMPARE(w.LessonRect(), QRect(0, 0, 829, 517));
        QCOMPARE(w.Panel1->geometry(), QRect(690, 0, 139, 517));
        QVERIFY(!d->geometry().intersects(w.LessonRect()));
        QCOMPARE(d->tblShots->rowCount(), 0);

        // A tight group 10 pixels low and a little to the right.
        const QPoint centre = w.Target->FAnchor;
        const QList<QPoint> offsets{{2, 9}, {3, 11}, {1, 10}, {2, 10}, {2, 10}};
        for (const QPoint &o : offsets) {
            w.Gun->SetSightDX(1);
            w.Gun->SetSightDY(0);
            w.Gun->MoveTo(centre + o - QPoint(3, 0) + QPoint(0, w.Gun->FPlankaCorrection));
            QTest::mouseDClick(window, Qt::LeftButton, {}, kBare);
        }
        QCOMPARE(w.Target->FSeries->Count(), 5);
        QTRY_COMPARE(d->tblShots->rowCount(), 5);

        const SeriesFigures &f = d->Figures();
        QCOMPARE(f.meanPoint, QPointF(2, 10));
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(f.perShot[i].hole, QPointF(offsets[i]));
            QCOMPARE(f.perShot[i].alignment, QPointF(3, 0));
            QCOMPARE(d->tblShots->item(i, 0)->text(), QString::number(i + 1));
            QCOMPARE(d->tblShots->item(i, 1)->text(), w.lbSingles->text().split(QLatin1Char(' '), Qt::SkipEmptyParts)[i]);
        }
        const QImage drawn = d->Target->grab().toImage();
        const qreal dpr = drawn.devicePixelRatio();
        auto pixel = [&](QPointF p) { return QColor(drawn.pixel((p * dpr).toPoint())); };
        QCOMPARE(pixel(d->Target->ToWidget(f.meanPoint) + QPointF(4, 0)), QColor(0, 160, 0)); // the cross
        QVERIFY(pixel(d->Target->ToWidget(QPointF(offsets[1]))).red() > 180);                    // a hole
        QCOMPARE(f.advice.barDivisions, 2);
        QVERIFY(d->lbAdvice->text().contains(QStringLiteral("Поднять прицельную планку на 2 деления.")));

        // Applied through the bar's own handler: the aim rises 2 x 5 pixels.
        const QPoint aimBefore = w.Gun->AimPoint(false);
        QVERIFY(d->btnApply->isEnabled());
        QTest::mouseClick(window, Qt::LeftButton, {}, d->btnApply->mapTo(&w, d->btnApply->rect().center()));
        QCOMPARE(w.PlankaCorrectionBar->value(), 4);
        QCOMPARE(w.Gun->FPlankaCorrection, 30);
        QCOMPARE(w.Gun->AimPoint(false), aimBefore - QPoint(0, 10));
        // Applied once: the same series asks for nothing more.
        QTRY_VERIFY(!d->btnApply->isEnabled());
        QVERIFY(d->lbAdvice->text().contains(QStringLiteral("Поправка уже внесена")));

        // «Очистить»: an empty series, the finished one faint as the previous.
        w.btnReset->click();
        QTRY_COMPARE(d->tblShots->rowCount(), 0);
        QCOMPARE(d->Target->Previous().shots.size(), 5);
        QCOMPARE(d->Figures().shots, 0);
        // A size change: the small target's rings.
        w.rbSmall->click();
        QTRY_COMPARE(d->Target->Current().target.width, 49);
        // Fired, applied and cleared with the debrief shown: the keyboard
        // never left the main window.
        QCOMPARE(QApplication::activeWindow(), &w);
        QVERIFY(rec.errors.isEmpty());
    }

    // «Группа: сеанс»: the finished series as one group in the table and on
    // the target, their history with its trend, and «Применить» from the
    // session's group through the bar's own handler.
    void theSessionInTheWindow()
    {
        ProgramFolder folder;
        Recorders rec;
        TMainF w(rec);
        QVERIFY(ShowActive(w));
        w.Journal()->SetShooter(QStringLiteral("Ученик")); // a learner at the gun: nobody asked for
        QWindow *window = w.windowHandle();
        QTest::mouseClick(window, Qt::LeftButton, {}, w.btnDebrief->geometry().center());
        TDebriefF *d = w.DebriefWindow();
        QVERIFY(d);
        const QPoint centre = w.Target->FAnchor;
        auto series = [&](int low) {
            for (int i = 0; i < 5; ++i) {
                w.Gun->SetSightDX(0);
                w.Gun->SetSightDY(0);
                w.Gun->MoveTo(centre + QPoint(i % 2, low + i / 2) + QPoint(0, w.Gun->FPlankaCorrection));
                QTest::mouseDClick(window, Qt::LeftButton, {}, kBare);
            }
            QTRY_COMPARE(d->tblShots->rowCount(), 5);
        };
        series(9);
        w.btnReset->click();
        series(10);
        d->cbScope->setCurrentIndex(1);
        QVERIFY(d->SessionShown());
        QCOMPARE(d->tblShots->rowCount(), 10);
        QCOMPARE(d->Target->Current().shots.size(), 10);
        QVERIFY(d->Target->Previous().shots.isEmpty());
        QVERIFY2(d->lbFigures->text().contains(QStringLiteral("Серии сеанса")), qPrintable(d->lbFigures->text()));
        QVERIFY(d->lbFigures->text().contains(QStringLiteral("Сумма: ")));
        QCOMPARE(d->Figures().advice.barDivisions, 2);
        const int bar = w.PlankaCorrectionBar->value();
        QVERIFY(d->btnApply->isEnabled());
        QTest::mouseClick(window, Qt::LeftButton, {}, d->btnApply->mapTo(&w, d->btnApply->rect().center()));
        QCOMPARE(w.PlankaCorrectionBar->value(), bar - 2);
        // The session's group brought to the bar as it now stands.
        QTRY_VERIFY(!d->btnApply->isEnabled());
        QVERIFY(std::abs(d->Figures().meanPoint.y()) < 1);
        // Back to this series: its own five shots.
        d->cbScope->setCurrentIndex(0);
        QCOMPARE(d->tblShots->rowCount(), 5);
        QVERIFY(!d->lbFigures->text().contains(QStringLiteral("Серии сеанса")));
    }

    // The steadiness of the hold, from traces the test draws with the mouse
    // on a clock it moves: the aim stands 9 pixels right of the centre (in
    // the 8) or 5 (in the 9) until half a second before the shot, then on
    // the centre. The table gives each shot's shares of the last second in
    // the 10 and the 9 and its hold area, the figures the series' means; the
    // debrief's target tints the 10 and the 9 while a trace is drawn.
    void steadinessOfTheHold()
    {
        ProgramFolder folder;
        Recorders rec;
        qint64 &now = rec.time.emplace(10000);
        TMainF w(rec);
        QVERIFY(ShowActive(w));
        w.Journal()->SetShooter(QStringLiteral("Ученик")); // a learner at the gun: nobody asked for
        QWindow *window = w.windowHandle();
        w.ShowDebrief(true);
        TDebriefF *d = w.DebriefWindow();
        const QPoint centre = w.Target->FAnchor;
        const QList<int> starts{9, 5, 9, 5, 9};
        for (int i = 0; i < starts.size(); ++i) {
            const int x = starts[i];
            const qint64 shot = now + 2100; // the jolt's sample stays before the two seconds
            w.Gun->SetSightDX(0);
            w.Gun->SetSightDY(0);
            w.Gun->MoveTo(centre + QPoint(x - 1, 0) + QPoint(0, w.Gun->FPlankaCorrection));
            const QPoint grip = w.Gun->FPosition + QPoint(0, 60);
            QTest::mousePress(window, Qt::RightButton, {}, grip);
            now = shot - 2000;
            QTest::mouseMove(window, grip + QPoint(1, 0)); // x pixels right
            now = shot - 500;
            for (int k = 1; k <= x; ++k) // to the centre, all at once
                QTest::mouseMove(window, grip + QPoint(1 - k, 0));
            now = shot;
            QTest::mouseRelease(window, Qt::RightButton, {}, grip + QPoint(1 - x, 0));
            QTest::mouseDClick(window, Qt::LeftButton, {}, kBare);
            const QList<TraceSample> &trace = w.Lesson().Shots()[i].trace;
            QCOMPARE(trace.first().ms, -2000);
            QCOMPARE(trace.first().aim, QPointF(x, 0));
            QCOMPARE(trace.last().aim, QPointF(0, 0));
        }
        QTRY_COMPARE(d->tblShots->rowCount(), 5);

        QCOMPARE(d->tblShots->horizontalHeaderItem(8)->text(), QStringLiteral("10/9, %"));
        QCOMPARE(d->tblShots->horizontalHeaderItem(9)->text(), QStringLiteral("Пятно"));
        QVERIFY(d->tblShots->horizontalHeaderItem(8)->toolTip().contains(QStringLiteral("последней секунды")));
        QVERIFY(d->tblShots->horizontalHeaderItem(9)->toolTip().contains(QStringLiteral("ширинах кольца")));
        // On the large target the 10 reaches 3,23 pixels, the 9 6,47 (a ring
        // width): from the 8, half the second in the 10 and in the 9, a hold
        // area of 4,5 pixels about (4,5; 0); from the 9, half in the 10 and
        // all in the 9, 2,5 pixels.
        for (int row = 0; row < 5; ++row) {
            const bool fromEight = starts[row] == 9;
            QCOMPARE(d->tblShots->item(row, 8)->text(), fromEight ? QStringLiteral("50/50") : QStringLiteral("50/100"));
            QCOMPARE(d->tblShots->item(row, 9)->text(), fromEight ? QStringLiteral("0,7") : QStringLiteral("0,4"));
        }
        // The means: (3 x 50 + 2 x 100) / 5 = 70% in the 9, (3 x 0,70 + 2 x
        // 0,39) / 5 = 0,57 ring widths.
        const QString figures = d->lbFigures->text();
        QVERIFY2(figures.contains(QStringLiteral("<b>Устойчивость:</b> в 10 — 50%, в 9 — 70% последней секунды; "
                                                 "пятно удержания 0,6 ширины кольца.")),
                 qPrintable(figures));
        QVERIFY(figures.indexOf(QStringLiteral("Причины")) < figures.indexOf(QStringLiteral("Устойчивость")));

        // The 10 and the 9 tinted while the trace is drawn, up left of the
        // centre where neither the path, the holes, their numbers nor the
        // cross go; plain black with no trace.
        auto pixel = [&](QPointF p) {
            const QImage drawn = d->Target->grab().toImage();
            return QColor(drawn.pixel((d->Target->ToWidget(p) * drawn.devicePixelRatio()).toPoint()));
        };
        const QPointF inTen(-2, -2), inNine(-3.5, -3.5), inEight(-6, -6);
        const QColor ten = pixel(inTen), nine = pixel(inNine);
        QVERIFY2(ten.green() > ten.red() + 30 && ten.green() > ten.blue() + 20, qPrintable(ten.name()));
        QVERIFY2(nine.red() > 30 && nine.green() > 20 && nine.blue() < 10, qPrintable(nine.name()));
        QCOMPARE(pixel(inEight), QColor(Qt::black));
        // The path's second before the shot by zone: outside the 9 orange, in
        // the 9 yellow.
        const QColor outside = pixel(QPointF(8, 0)), inNinePath = pixel(QPointF(5, 0));
        QVERIFY2(outside.red() > 150 && outside.green() > 0.3 * outside.red() && outside.green() < 0.65 * outside.red()
                     && outside.blue() < 0.35 * outside.red(),
                 qPrintable(outside.name()));
        QVERIFY2(inNinePath.red() > 200 && inNinePath.green() > 170 && inNinePath.blue() < 80,
                 qPrintable(inNinePath.name()));
        d->Target->ShowTrace({});
        QCOMPARE(pixel(inTen), QColor(Qt::black));
        QCOMPARE(pixel(inNine), QColor(Qt::black));
        QVERIFY(rec.errors.isEmpty());
    }

    // Every column of the shot table in sight without scrolling at 1366 x
    // 768, where the panel beside the lesson is 535 pixels wide: with the
    // calls' column shown and the widest texts a hole on the target's paper
    // gives (two-digit hours, two-digit times and lengths).
    void theTableFitsThePanel()
    {
        const int width = 535;
        ProgramFolder folder;
        TDebriefF d;
        d.SetStacked(true);
        d.resize(width, 517);
        DebriefView view;
        view.callsShown = true;
        view.current.target = kTarget;
        for (int i = 0; i < 5; ++i) {
            // At the paper's edge at 10 o'clock, every part of it; 12,3 s
            // since the shot before.
            ShotRecord s = caused({-20, -13}, {-5, -3});
            s.score = 10;
            s.sincePreviousMs = 12345;
            s.called = true;
            s.call = QPointF(70, 70);
            // Held still in the 10, or swung across the target.
            if (i % 2 == 0)
                s.trace = {{-2000, {1, 1}}, {0, {1, 1}}};
            else
                s.trace = {{-1000, {70, -70}}, {-500, {-70, 70}}, {0, {-70, 70}}};
            view.current.shots << s;
        }
        view.current.figures = AnalyseSeries(view.current.shots, kTarget, ElevationBar{});
        d.ShowSeries(view);
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QCoreApplication::processEvents(); // the header lays its sections out
        QCOMPARE(d.tblShots->item(0, 8)->text(), QStringLiteral("100/100"));
        QCOMPARE(d.tblShots->item(1, 9)->text(), QStringLiteral("16,5"));
        QCOMPARE(d.tblShots->item(0, 2)->text(), QStringLiteral("6,9 на 10 ч"));
        QCOMPARE(d.tblShots->item(1, 6)->text(), QStringLiteral("33,0"));
        int columns = 0;
        for (int c = 0; c < d.tblShots->columnCount(); ++c)
            columns += d.tblShots->horizontalHeader()->sectionSizeHint(c);
        QVERIFY2(columns <= d.tblShots->viewport()->width(),
                 qPrintable(QStringLiteral("%1 > %2").arg(columns).arg(d.tblShots->viewport()->width())));
        QCOMPARE(d.tblShots->horizontalScrollBar()->maximum(), 0);
    }

    // Shown, the window grows by the panel; hidden («Скрыть», or «Разбор
    // серии» again), it shrinks back to the lesson: as often as it is done.
    void thePanelComesAndGoes()
    {
        ProgramFolder folder;
        Recorders rec;
        TMainF w(rec);
        QVERIFY(ShowActive(w));
        QWindow *window = w.windowHandle();
        for (int i = 0; i < 5; ++i) {
            QTest::mouseClick(window, Qt::LeftButton, {}, w.btnDebrief->geometry().center());
            QVERIFY(w.DebriefShown());
            TDebriefF *d = w.DebriefWindow();
            const QRect lesson = w.LessonRect();
            QCOMPARE(lesson, QRect(0, 0, 829, 517));
            QCOMPARE(w.Client->geometry(), lesson);
            QCOMPARE(w.size(), lesson.size() + (d->geometry().x() > 0 ? QSize(d->width(), 0) : QSize(0, d->height())));
            QCOMPARE(d->geometry().united(lesson), w.rect());
            if (i % 2 == 0)
                QTest::mouseClick(window, Qt::LeftButton, {}, d->btnHide->mapTo(&w, d->btnHide->rect().center()));
            else
                QTest::mouseClick(window, Qt::LeftButton, {}, w.btnDebrief->geometry().center());
            QVERIFY(!w.DebriefShown());
            QVERIFY(!d->isVisible());
            QCOMPARE(w.size(), QSize(829, 517));
            QCOMPARE(w.Panel1->geometry(), QRect(690, 0, 139, 517));
        }
        QVERIFY(rec.errors.isEmpty());
    }

    // A maximised window keeps its size: the panel takes the room the lesson
    // does not need, and gives it back when hidden.
    void aMaximisedWindowKeepsItsSize()
    {
        ProgramFolder folder;
        Recorders rec;
        TMainF w(rec);
        w.showMaximized();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTRY_VERIFY(w.isMaximized());
        const QSize maximised = w.size();
        w.ShowDebrief(true);
        QCOMPARE(w.size(), maximised);
        QVERIFY(w.DebriefWindow()->isVisible());
        QVERIFY(!w.DebriefWindow()->geometry().intersects(w.LessonRect()));
        QVERIFY(w.rect().contains(w.DebriefWindow()->geometry()));
        w.ShowDebrief(false);
        QCOMPARE(w.size(), maximised);
        QCOMPARE(w.LessonRect(), w.rect());
        QVERIFY(rec.errors.isEmpty());
    }

    // Where the panel goes on the screens schools have: the available area
    // (a window manager's frame of 1, 20, 1, 1 around the 829 x 517 lesson).
    void wherethePanelGoes_data()
    {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<bool>("below");
        QTest::addColumn<int>("extent");
        QTest::newRow("1024 x 768, a projector: below") << QSize(1024, 768) << true << 230;
        QTest::newRow("1280 x 1024: right") << QSize(1280, 1024) << false << 449;
        QTest::newRow("1366 x 768: right") << QSize(1366, 768) << false << 535;
        QTest::newRow("1920 x 1080: right, as designed") << QSize(1920, 1080) << false << 560;
        QTest::newRow("2560 x 1440 at scale 2 (1280 x 720)") << QSize(1280, 720) << false << 449;
        QTest::newRow("a portrait screen, 1080 x 1920: below") << QSize(1080, 1920) << true << 330;
        QTest::newRow("800 x 600: no room, below at the least") << QSize(800, 600) << true << 220;
    }
    void wherethePanelGoes()
    {
        QFETCH(QSize, screen);
        QFETCH(bool, below);
        QFETCH(int, extent);
        const PanelPlace place = PlaceDebriefPanel(QRect(QPoint(0, 0), screen), QSize(831, 538));
        QCOMPARE(place.below, below);
        QCOMPARE(place.extent, extent);
    }

    // The holes' numbers never cover each other, a hole or the mean point's
    // cross, however tight the group; apart, each stands up right of its hole.
    void holeNumbersStayLegible_data()
    {
        QTest::addColumn<QList<QPointF>>("holes");
        QTest::newRow("five in one hole") << QList<QPointF>(5, QPointF(100, 100));
        QTest::newRow("within two pixels")
            << QList<QPointF>{{100, 100}, {101, 100}, {100, 102}, {102, 101}, {99, 99}};
        QTest::newRow("a row 6 px apart") << QList<QPointF>{{88, 100}, {94, 100}, {100, 100}, {106, 100}, {112, 100}};
        QTest::newRow("far apart") << QList<QPointF>{{20, 20}, {180, 20}, {100, 100}, {20, 180}, {180, 180}};
    }
    void holeNumbersStayLegible()
    {
        QFETCH(QList<QPointF>, holes);
        const double radius = 3;
        const QList<QSizeF> sizes(holes.size(), QSizeF(8, 11));
        const QRectF cross(QPointF(94, 94), QPointF(106, 106));
        const QList<QRectF> labels = PlaceHoleLabels(holes, radius, sizes, cross);
        QCOMPARE(labels.size(), holes.size());
        for (int i = 0; i < labels.size(); ++i) {
            QVERIFY(!labels[i].intersects(cross));
            for (int j = 0; j < labels.size(); ++j) {
                QVERIFY2(i == j || !labels[i].intersects(labels[j]), qPrintable(QStringLiteral("%1 and %2").arg(i).arg(j)));
                const QPointF h = holes[j];
                const QPointF nearest(std::clamp(h.x(), labels[i].left(), labels[i].right()),
                                      std::clamp(h.y(), labels[i].top(), labels[i].bottom()));
                QVERIFY(std::hypot(nearest.x() - h.x(), nearest.y() - h.y()) >= radius);
            }
        }
        if (QTest::currentDataTag() == QByteArray("far apart"))
            for (int i : {0, 1, 3, 4}) // the middle one keeps clear of the cross
                QCOMPARE(labels[i].bottomLeft(), holes[i] + QPointF(radius + 2, -radius - 2) * 1.0);
    }

    // A frame brought within the screen moves as little as it can.
    void keptWithinTheScreen_data()
    {
        QTest::addColumn<QRect>("frame");
        QTest::addColumn<QPoint>("corner");
        QTest::newRow("within: stays") << QRect(10, 10, 500, 400) << QPoint(10, 10);
        QTest::newRow("past the right edge") << QRect(900, 10, 500, 400) << QPoint(866, 10);
        QTest::newRow("past the bottom") << QRect(10, 700, 500, 400) << QPoint(10, 368);
        QTest::newRow("above the top") << QRect(10, -30, 500, 400) << QPoint(10, 0);
        QTest::newRow("larger than the screen: its corner on it") << QRect(-50, -50, 2000, 1000) << QPoint(0, 0);
    }
    void keptWithinTheScreen()
    {
        QFETCH(QRect, frame);
        QFETCH(QPoint, corner);
        QCOMPARE(KeepWithin(frame, QRect(0, 0, 1366, 768)), corner);
    }

    // Shown at the end of a run, the debrief is shown again at the next
    // start; its section comes after the settings', which stay as they are.
    void shownAgainNextTime()
    {
        ProgramFolder folder;
        Recorders rec;
        {
            TMainF w(rec);
            QVERIFY(ShowActive(w));
        }
        QVERIFY(!folder.read(QStringLiteral("Vimbra.INI")).contains("Debrief")); // never shown: nothing added
        {
            TMainF w(rec);
            QVERIFY(ShowActive(w));
            w.btnDebrief->click();
        }
        const QByteArray file = folder.read(QStringLiteral("Vimbra.INI"));
        QVERIFY2(file.startsWith("[Options]\nPlankaCorrection=6\nBlackCircleValue=3\nTargetSize=0\n[Debrief]\nVisible=1\n"),
                 file.constData());
        {
            TMainF again(rec);
            QVERIFY(ShowActive(again));
            QTRY_VERIFY(again.DebriefShown());
            QCOMPARE(again.LessonRect(), QRect(0, 0, 829, 517));
            again.btnDebrief->click();
        }
        QCOMPARE(GetPrivateProfileString("Debrief", "Visible", "", folder.file("Vimbra.INI")), QStringLiteral("0"));
        TMainF third(rec);
        QVERIFY(ShowActive(third));
        QTest::qWait(50);
        QVERIFY(!third.DebriefShown());
        QVERIFY(rec.errors.isEmpty());
    }
};

VIMBRA_TEST_MAIN(TestDebrief)
#include "tst_debrief.moc"
