// Aiming and firing, driven through the main window's QWindow so that every
// event reaches the control under the pointer, as real input does.

#include "testsupport.h"

#include "platform/pause.h"
#include "platform/random.h"
#include "platform/sound.h"
#include "ui/frmMain.h"

namespace {

const QPoint kBare(300, 460);  // bare window area
const QPoint kOnGun(500, 380); // the rear sight, under the gun's rectangle

struct Fixture {
    ProgramFolder folder;
    Recorders rec;
    TMainF w{rec};
    QWindow *window = nullptr;

    Fixture()
    {
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        window = w.windowHandle();
    }

    int shots() const { return w.Target->FSeries->Count(); }

    void dblClick(QPoint at, Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers keys = {})
    {
        QTest::mouseDClick(window, button, keys, at);
    }

    // Puts the front sight straight in the notch so the next shot lands on p.
    void aimAt(QPoint p)
    {
        w.Gun->SetSightDX(0);
        w.Gun->SetSightDY(0);
        w.Gun->MoveTo(p + QPoint(0, w.Gun->FPlankaCorrection));
    }
};

} // namespace

class TestFiring : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { RandSeed(1234); }

    void doubleClickFiresOnBareAreaAndOnTheGun()
    {
        Fixture f;
        const QPoint aim = f.w.Gun->AimPoint(false);
        f.dblClick(kBare);
        QCOMPARE(f.shots(), 1);
        QCOMPARE(f.rec.sounds, QStringList{AppDir() + QStringLiteral("Sounds/BAR_01")});
        QCOMPARE(f.rec.pauses, QList<int>{300});
        QCOMPARE(f.w.Gun->FLastShot, aim);
        QCOMPARE(f.w.Target->GetShot(0)->FCenter, aim);
        QCOMPARE(f.w.edCount->text(), QStringLiteral("1"));
        QCOMPARE(f.w.edSum->text(), f.w.edBalls->text());

        f.dblClick(f.w.Gun->geometry().center());
        QCOMPARE(f.shots(), 2);
        QCOMPARE(f.w.DragMode, quint8(0));
        QCOMPARE(ScreenCursor(), Qt::ArrowCursor);
    }

    void doubleClicksThatDoNotFire_data()
    {
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<int>("button");
        QTest::newRow("target picture") << QPoint(528, 188) << int(Qt::LeftButton);
        QTest::newRow("caption label") << QPoint(300, 168) << int(Qt::LeftButton);
        QTest::newRow("example ground") << QPoint(10, 330) << int(Qt::LeftButton);
        QTest::newRow("example plate") << QPoint(50, 470) << int(Qt::LeftButton);
        QTest::newRow("settings panel") << QPoint(760, 400) << int(Qt::LeftButton);
        QTest::newRow("right button") << kBare << int(Qt::RightButton);
        QTest::newRow("middle button on the gun") << kOnGun << int(Qt::MiddleButton);
    }
    void doubleClicksThatDoNotFire()
    {
        QFETCH(QPoint, at);
        QFETCH(int, button);
        Fixture f;
        f.dblClick(at, Qt::MouseButton(button));
        QCOMPARE(f.shots(), 0);
        QVERIFY(f.rec.sounds.isEmpty());
        QCOMPARE(f.w.edCount->text(), QStringLiteral(" "));
    }

    // A marked shot swallows the mouse over its own pixels.
    void aShotMarkTakesTheClick()
    {
        Fixture f;
        f.aimAt(QPoint(300, 460));
        f.dblClick(kBare);
        QCOMPARE(f.shots(), 1);
        f.dblClick(QPoint(300, 460)); // on the mark itself
        QCOMPARE(f.shots(), 1);
    }

    void theSeriesOfFive()
    {
        Fixture f;
        for (int i = 1; i <= 5; ++i) {
            QVERIFY(f.w.lbFinish->text().isEmpty());
            f.dblClick(kBare);
            QCOMPARE(f.shots(), i);
            QCOMPARE(f.w.edCount->text(), QString::number(i));
        }
        QCOMPARE(f.w.lbFinish->text(), QStringLiteral("Серия закончена!"));
        QCOMPARE(QApplication::focusWidget(), f.w.btnReset);
        QCOMPARE(f.w.DragMode, quint8(0));
        QCOMPARE(ScreenCursor(), Qt::ArrowCursor);

        const QString singles = f.w.lbSingles->text();
        const QString total = f.w.edSum->text();
        const QPoint gun = f.w.Gun->FPosition;
        f.dblClick(kBare); // a sixth: nothing at all
        QCOMPARE(f.shots(), 5);
        QCOMPARE(f.rec.sounds.size(), 5);
        QCOMPARE(f.rec.pauses.size(), 5);
        QCOMPARE(f.w.lbSingles->text(), singles);
        QCOMPARE(f.w.edSum->text(), total);
        QCOMPARE(f.w.Gun->FPosition, gun);

        f.w.btnReset->click();
        for (QLabel *label : {f.w.edCount, f.w.edBalls, f.w.edSum, f.w.lbSingles, f.w.lbFinish})
            QCOMPARE(label->text(), QString());
        f.dblClick(kBare);
        QCOMPARE(f.shots(), 1);
    }

    void singleScoresAndTotal()
    {
        Fixture f;
        const QPoint centre = f.w.Target->FAnchor;
        // The large target is 97 wide: the 10 ring reaches d < 3.23, the 9 ring d < 6.47.
        f.aimAt(centre + QPoint(5, 0));
        f.dblClick(kBare);
        f.aimAt(centre);
        f.dblClick(kBare);
        f.aimAt(QPoint(100, 100));
        f.dblClick(kBare);
        QCOMPARE(f.w.lbSingles->text(), QStringLiteral("  9  10  0"));
        QCOMPARE(f.w.edBalls->text(), QStringLiteral("0"));
        QCOMPARE(f.w.edSum->text(), QStringLiteral("19"));
        QCOMPARE(f.w.edCount->text(), QStringLiteral("3"));
    }

    // Four draws in order: the gun's dx and dy, then new sight offsets.
    void theJolt()
    {
        Fixture f;
        RandSeed(99);
        const int dx = RandomSpread(10), dy = RandomSpread(10);
        const int sightX = RandomSpread(10), sightY = -RandomSpread(10);
        RandSeed(99);
        const QPoint before = f.w.Gun->FPosition;
        f.dblClick(kBare);
        QCOMPARE(f.w.Gun->FPosition, before + QPoint(dx, dy));
        QCOMPARE(f.w.Gun->FSightDX, sightX);
        QCOMPARE(f.w.Gun->FSightDY, sightY);

        QSet<int> spread;
        for (int i = 0; i < 1000; ++i)
            spread << RandomSpread(10);
        QCOMPARE(spread, (QSet<int>{-5, -4, -3, -2, -1, 0, 1, 2, 3, 4}));
    }

    void shiftDoubleClickFiresAndGrabsTheGun()
    {
        Fixture f;
        // What the window's state is just before the final release arrives.
        struct BeforeRelease : QObject {
            TMainF *w;
            quint8 mode = 0;
            Qt::CursorShape cursor = Qt::ArrowCursor;
            bool eventFilter(QObject *, QEvent *e) override
            {
                if (e->type() == QEvent::MouseButtonRelease) {
                    mode = w->DragMode;
                    cursor = ScreenCursor();
                }
                return false;
            }
        } probe;
        probe.w = &f.w;
        f.w.Client->installEventFilter(&probe);
        f.dblClick(kBare, Qt::LeftButton, Qt::ShiftModifier);
        QCOMPARE(f.shots(), 1);
        QCOMPARE(probe.mode, quint8(1)); // the gun was held until the release
        QCOMPARE(probe.cursor, Qt::SizeAllCursor);
        QCOMPARE(f.w.DragMode, quint8(0));
        QCOMPARE(ScreenCursor(), Qt::ArrowCursor);
    }

    void movingTheGun()
    {
        Fixture f;
        const QPoint start = f.w.Gun->FPosition;
        // From bare window area: the gun moves by the pointer's displacement.
        QTest::mousePress(f.window, Qt::RightButton, {}, kBare);
        QCOMPARE(f.w.DragMode, quint8(1));
        QCOMPARE(ScreenCursor(), Qt::SizeAllCursor);
        QTest::mouseMove(f.window, kBare + QPoint(30, -20));
        QCOMPARE(f.w.Gun->FPosition, start + QPoint(30, -20));
        QTest::mouseRelease(f.window, Qt::RightButton, {}, kBare + QPoint(30, -20));
        QCOMPARE(f.w.DragMode, quint8(0));

        // From the gun itself, the left button with Shift.
        const QPoint grab = f.w.Gun->geometry().center();
        const QPoint gun = f.w.Gun->FPosition;
        QTest::mousePress(f.window, Qt::LeftButton, Qt::ShiftModifier, grab);
        QTest::mouseMove(f.window, grab + QPoint(-40, 10));
        QTest::mouseMove(f.window, grab + QPoint(-50, 15));
        QCOMPARE(f.w.Gun->FPosition, gun + QPoint(-50, 15));
        QTest::mouseRelease(f.window, Qt::LeftButton, Qt::ShiftModifier, grab + QPoint(-50, 15));
        QCOMPARE(ScreenCursor(), Qt::ArrowCursor);
    }

    void movingTheFrontSightStopsAtTheLimit()
    {
        Fixture f;
        const QPoint p = f.w.Gun->geometry().center();
        QTest::mousePress(f.window, Qt::LeftButton, {}, p);
        QCOMPARE(f.w.DragMode, quint8(2));
        QCOMPARE(ScreenCursor(), Qt::PointingHandCursor);
        QTest::mouseMove(f.window, p + QPoint(10, -3));
        QCOMPARE(f.w.Gun->FSightDX, 15);
        QCOMPARE(f.w.Gun->FSightDY, 2);
        QCOMPARE(f.w.Gun->FMushka->FAnchor, f.w.Gun->FPosition + QPoint(15, 2));
        QTest::mouseMove(f.window, p + QPoint(30, -3)); // 35 would pass the limit: lost
        QCOMPARE(f.w.Gun->FSightDX, 15);
        QTest::mouseMove(f.window, p + QPoint(27, -3)); // and moving back moves back at once
        QCOMPARE(f.w.Gun->FSightDX, 12);
        QTest::mouseMove(f.window, p + QPoint(35, -3));
        QCOMPARE(f.w.Gun->FSightDX, 20);
        QTest::mouseRelease(f.window, Qt::LeftButton, {}, p + QPoint(35, -3));
        QCOMPARE(f.w.DragMode, quint8(0));
        QCOMPARE(ScreenCursor(), Qt::ArrowCursor);
    }

    // The press holds the pointer for the pressed control until the release,
    // and a release anywhere ends the drag.
    void aDragEndsWithItsButton()
    {
        Fixture f;
        const QPoint start = f.w.Gun->FPosition;
        QTest::mousePress(f.window, Qt::RightButton, {}, kBare);
        QTest::mouseMove(f.window, QPoint(528, 188)); // over the target picture
        QCOMPARE(f.w.Gun->FPosition, start + QPoint(528, 188) - kBare);
        QTest::mouseRelease(f.window, Qt::RightButton, {}, QPoint(528, 188));
        QCOMPARE(f.w.DragMode, quint8(0));

        QTest::mousePress(f.window, Qt::RightButton, {}, kOnGun);
        QTest::mouseMove(f.window, QPoint(900, 700)); // outside the window
        QTest::mouseRelease(f.window, Qt::RightButton, {}, QPoint(900, 700));
        QCOMPARE(f.w.DragMode, quint8(0));
        QCOMPARE(ScreenCursor(), Qt::ArrowCursor);
        const QPoint after = f.w.Gun->FPosition;
        QTest::mouseMove(f.window, kBare);
        QCOMPARE(f.w.Gun->FPosition, after);
    }

    void laserDot()
    {
        Fixture f;
        f.w.cbLaser->click();
        QVERIFY(f.w.LaserOn());
        QVERIFY(f.w.Laser);
        QCOMPARE(f.w.Laser->FCenter, f.w.Gun->AimPoint(false));
        QCOMPARE(f.w.Laser->parentWidget(), f.w.Client);
        QCOMPARE(f.w.Client->children().last(), f.w.Laser); // above everything, the gun included

        const QPoint before = f.w.Gun->AimPoint(false);
        f.dblClick(kBare);
        QVERIFY(f.w.Gun->AimPoint(false) != before);
        QCOMPARE(f.w.Laser->FCenter, before); // lags one movement behind the shot
        QTest::mouseMove(f.window, kBare + QPoint(1, 1));
        QCOMPARE(f.w.Laser->FCenter, f.w.Gun->AimPoint(false));

        QPointer<TLaser> laser = f.w.Laser;
        f.w.cbLaser->click();
        QVERIFY(!f.w.LaserOn());
        QVERIFY(laser.isNull());
        QVERIFY(!f.w.Laser);
    }

    void missingSoundNeverStopsAShot()
    {
        ProgramFolder folder;
        folder.remove(QStringLiteral("Sounds/BAR_01"));
        Recorders rec;
        SystemEffects real; // the real player, with nothing to play
        TMainF w(real);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTest::mouseDClick(w.windowHandle(), Qt::LeftButton, {}, kBare);
        QCOMPARE(w.Target->FSeries->Count(), 1);
        QVERIFY(rec.errors.isEmpty());
    }

    // The pause blocks and handles nothing meanwhile.
    void pauseBlocksWithoutHandlingEvents()
    {
        bool fired = false;
        QTimer::singleShot(0, [&] { fired = true; });
        QElapsedTimer clock;
        clock.start();
        Pause(300);
        QVERIFY(clock.elapsed() >= 300);
        QVERIFY(!fired);
        QTRY_VERIFY(fired);
    }
};

VIMBRA_TEST_MAIN(TestFiring)
#include "tst_firing.moc"
