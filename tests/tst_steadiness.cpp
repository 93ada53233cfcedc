// The steadiness of the hold: the shares of the last second in the 10 and
// the 9 and the hold area, on hand-computed traces; the path cut by zones.

#include "analysis/steadiness.h"

#include <QtTest>

#include <cmath>

namespace {

// A target 90 pixels wide with the black circle at 3: f = 3, so the 10 has a
// radius of 3 pixels, the 9 of 6, the 8 of 12, and a ring width is 6.
const TargetGeometry kTarget{90, 3, 1};

using Trace = QList<TraceSample>;

// A walk round the square with corners (±a, ±a) about `centre`, a sample a
// millisecond, from -1000 to the shot.
Trace squareWalk(QPointF centre, double a)
{
    Trace trace;
    for (int ms = -1000; ms <= 0; ++ms) {
        const double s = double(ms + 1000) / 250; // 0 to 4: one side each 250 ms
        const int side = std::min(3, int(s));
        const double u = -a + 2 * a * (s - side);
        const QPointF corners[] = {{u, -a}, {a, u}, {-u, a}, {-a, -u}};
        trace << TraceSample{ms, centre + corners[side]};
    }
    return trace;
}

} // namespace

Q_DECLARE_METATYPE(QList<TraceSample>)

class TestSteadiness : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void hold_data()
    {
        QTest::addColumn<Trace>("trace");
        QTest::addColumn<bool>("measured");
        QTest::addColumn<int>("spanMs");
        QTest::addColumn<double>("inTen");
        QTest::addColumn<double>("inNine");
        QTest::addColumn<double>("holdRadius"); // pixels
        QTest::addColumn<double>("within");     // how near the hold radius must come

        QTest::newRow("still in the 10")
            << Trace{{-2000, {1, 1}}, {0, {1, 1}}} << true << 1000 << 1.0 << 1.0 << 0.0 << 1e-9;
        QTest::newRow("from the 8 into the 10 half-way through")
            << Trace{{-2000, {9, 0}}, {-500, {0, 0}}, {0, {0, 0}}} << true << 1000 << 0.5 << 0.5 << 4.5 << 1e-9;
        QTest::newRow("the same, crossing in a burst of samples at one time: they hold no time")
            << Trace{{-2000, {9, 0}}, {-500, {6, 0}}, {-500, {3, 0}}, {-500, {0, 0}}, {0, {0, 0}}} << true << 1000
            << 0.5 << 0.5 << 4.5 << 1e-9;
        QTest::newRow("where the second began: the sample before it, held")
            << Trace{{-1300, {5, 0}}, {-700, {0, 0}}, {0, {0, 0}}} << true << 1000 << 0.7 << 1.0 << 2.1 << 1e-9;
        QTest::newRow("a sample at -1000 itself begins the second; those before count not")
            << Trace{{-1200, {20, 0}}, {-1000, {5, 0}}, {-500, {1, 0}}, {0, {1, 0}}} << true << 1000 << 0.5 << 1.0
            << 2.0 << 1e-9;
        QTest::newRow("on the lines of the 10 and the 9: inside")
            << Trace{{-1000, {0, 3}}, {-500, {6, 0}}, {0, {6, 0}}} << true << 1000 << 0.5 << 1.0
            << std::hypot(3.0, 1.5) << 1e-9;
        QTest::newRow("a trace starting after -1000: its shares of the 400 ms it has")
            << Trace{{-400, {9, 0}}, {-100, {0, 0}}, {0, {0, 0}}} << true << 400 << 0.25 << 0.25 << 3.375 << 1e-9;
        QTest::newRow("the last sample before the shot holds until it")
            << Trace{{-1000, {0, 0}}, {-250, {5, 5}}} << true << 1000 << 0.75 << 0.75
            << 2 * 0.75 * 0.25 * std::hypot(5.0, 5.0) << 1e-9;
        QTest::newRow("one point long before: held for the whole second")
            << Trace{{-1500, {4, 0}}} << true << 1000 << 0.0 << 1.0 << 0.0 << 1e-9;
        QTest::newRow("one point at the shot: that instant")
            << Trace{{0, {2, 0}}} << true << 0 << 1.0 << 1.0 << 0.0 << 1e-9;
        QTest::newRow("one point at the shot, in the 8") << Trace{{0, {0, -10}}} << true << 0 << 0.0 << 0.0 << 0.0 << 1e-9;
        QTest::newRow("no trace: no figures") << Trace{} << false << 0 << 0.0 << 0.0 << 0.0 << 1e-9;
        // Four corners of a square of side 4 about (10, -10), a quarter second
        // each: every one 2 x sqrt(2) from the centre, all outside the 9.
        QTest::newRow("the corners of a square")
            << Trace{{-1000, {8, -12}}, {-750, {12, -12}}, {-500, {12, -8}}, {-250, {8, -8}}, {0, {8, -8}}} << true
            << 1000 << 0.0 << 0.0 << 2 * std::sqrt(2.0) << 1e-9;
        // Its sides walked evenly: the mean of sqrt(a² + u²) for u across
        // [-a, a] is a (sqrt 2 + asinh 1) / 2.
        QTest::newRow("a square's sides walked evenly about the centre")
            << squareWalk({0, 0}, 2) << true << 1000 << 1.0 << 1.0 << 2 * (std::sqrt(2.0) + std::asinh(1.0)) / 2
            << 0.01;
        QTest::newRow("a square's sides walked in the 8")
            << squareWalk({-9, 0}, 1) << true << 1000 << 0.0 << 0.0 << (std::sqrt(2.0) + std::asinh(1.0)) / 2 << 0.01;
    }
    void hold()
    {
        QFETCH(Trace, trace);
        QFETCH(bool, measured);
        QFETCH(int, spanMs);
        QFETCH(double, inTen);
        QFETCH(double, inNine);
        QFETCH(double, holdRadius);
        QFETCH(double, within);
        const HoldSteadiness h = MeasureHold(trace, kTarget);
        QCOMPARE(h.measured, measured);
        QCOMPARE(h.spanMs, spanMs);
        QVERIFY2(std::abs(h.inTen - inTen) < 1e-9, qPrintable(QString::number(h.inTen)));
        QVERIFY2(std::abs(h.inNine - inNine) < 1e-9, qPrintable(QString::number(h.inNine)));
        QVERIFY2(std::abs(h.holdRadius - holdRadius) < within, qPrintable(QString::number(h.holdRadius, 'g', 10)));
        QVERIFY(std::abs(h.holdRadiusRings - holdRadius / 6) < within);
        QVERIFY(h.inNine >= h.inTen);
    }

    // The series: the means over the shots that have a trace; none, none.
    void series()
    {
        ShotRecord still, crossing, none;
        still.trace = {{-2000, {1, 1}}, {0, {1, 1}}};                  // 100/100, 0
        crossing.trace = {{-2000, {9, 0}}, {-500, {0, 0}}, {0, {0, 0}}}; // 50/50, 0.75 ring widths
        ShotRecord nine;
        nine.trace = {{-2000, {5, 0}}, {-500, {0, 0}}, {0, {0, 0}}}; // 50/100, 2.5 px
        const SeriesSteadiness s = MeasureSeriesHold({still, none, crossing, nine, none}, kTarget);
        QCOMPARE(s.measured, 3);
        QVERIFY(std::abs(s.inTen - 2.0 / 3) < 1e-9);
        QVERIFY(std::abs(s.inNine - 2.5 / 3) < 1e-9);
        QVERIFY(std::abs(s.holdRadiusRings - (4.5 + 2.5) / 6 / 3) < 1e-9);
        QCOMPARE(SharesText(s), QStringLiteral("67/83"));
        QCOMPARE(HoldAreaText(s), QStringLiteral("0,4"));
        QCOMPARE(SharesText(MeasureHold(crossing.trace, kTarget)), QStringLiteral("50/50"));
        QCOMPARE(HoldAreaText(MeasureHold(crossing.trace, kTarget)), QStringLiteral("0,8"));

        const SeriesSteadiness empty = MeasureSeriesHold({none, none}, kTarget);
        QCOMPARE(empty.measured, 0);
        QCOMPARE(SharesText(empty), QStringLiteral("—"));
        QCOMPARE(HoldAreaText(empty), QStringLiteral("—"));
        QCOMPARE(SharesText(MeasureHold({}, kTarget)), QStringLiteral("—"));
        QCOMPARE(MeasureSeriesHold({}, kTarget).measured, 0);
    }

    // The path as drawn: cut where it crosses the 9's and the 10's lines,
    // each piece in its zone, its times in proportion; from a time between
    // two samples on.
    void zonedPath_data()
    {
        QTest::addColumn<Trace>("trace");
        QTest::addColumn<int>("fromMs");
        QTest::addColumn<QList<int>>("zones"); // 10, 9, 0 (outside)
        QTest::addColumn<QList<int>>("cutsMs"); // where the pieces meet
        QTest::newRow("straight across, right to left")
            << Trace{{-1000, {9, 0}}, {0, {-9, 0}}} << -1000 << QList<int>{0, 9, 10, 9, 0}
            << QList<int>{-833, -667, -333, -167};
        QTest::newRow("from between two samples: the centre on")
            << Trace{{-2000, {9, 0}}, {0, {-9, 0}}} << -1000 << QList<int>{10, 9, 0} << QList<int>{-667, -333};
        QTest::newRow("all before the time: nothing") << Trace{{-2000, {9, 0}}, {-1000, {0, 0}}} << -1000
                                                      << QList<int>{} << QList<int>{};
        QTest::newRow("a trace beginning later: all of it")
            << Trace{{-400, {1, 0}}, {-200, {1, 1}}, {0, {4, 1}}} << -1000 << QList<int>{10, 10, 9}
            << QList<int>{-200, -78};
        QTest::newRow("one point: no path") << Trace{{0, {1, 0}}} << -1000 << QList<int>{} << QList<int>{};
        QTest::newRow("a chord of the 9 outside the 10")
            << Trace{{-1000, {-8, 5}}, {0, {8, 5}}} << -1000 << QList<int>{0, 9, 0} << QList<int>{-707, -293};
    }
    void zonedPath()
    {
        QFETCH(Trace, trace);
        QFETCH(int, fromMs);
        QFETCH(QList<int>, zones);
        QFETCH(QList<int>, cutsMs);
        const QList<ZonedSegment> path = ZonedPath(trace, kTarget, fromMs);
        QList<int> got, cuts;
        for (int i = 0; i < path.size(); ++i) {
            got << (path[i].zone == AimZone::Ten ? 10 : path[i].zone == AimZone::Nine ? 9 : 0);
            if (i > 0) {
                QCOMPARE(path[i].from, path[i - 1].to); // unbroken
                QCOMPARE(path[i].fromMs, path[i - 1].toMs);
                cuts << path[i].fromMs;
            }
        }
        QCOMPARE(got, zones);
        QCOMPARE(cuts, cutsMs);
        if (!path.isEmpty()) {
            QCOMPARE(path.last().to, trace.last().aim);
            QCOMPARE(path.first().fromMs, std::max(fromMs, trace.first().ms));
        }
    }
};

QTEST_GUILESS_MAIN(TestSteadiness)
#include "tst_steadiness.moc"
