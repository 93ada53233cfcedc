// The main window as designed, its life from creation to destruction, and a
// start with pictures missing.

#include "testsupport.h"

#include "analysis/debrief.h"
#include "platform/bitmap.h"
#include "platform/translation.h"
#include "ui/examplesight.h"
#include "ui/frmAbout.h"
#include "ui/frmDebrief.h"
#include "ui/frmMain.h"

namespace {

int blackRun(const QImage &image, int row, int *first)
{
    int count = 0;
    *first = -1;
    for (int x = 0; x < image.width(); ++x)
        if (qGray(image.pixel(x, row)) < 128) {
            if (*first < 0)
                *first = x;
            ++count;
        }
    return count;
}

// The contrast of two colours as WCAG measures it (1 to 21).
double contrast(QColor a, QColor b)
{
    auto luminance = [](QColor c) {
        auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// A label as its window shows it: its commonest colour is its ground, and
// its text the colour that stands out most from it among those that cover
// a fair part of the rest (a stray pixel of an edge does not count); their
// contrast.
double drawnContrast(QWidget *label)
{
    QWidget *window = label->window();
    const QImage image = window->grab(QRect(label->mapTo(window, QPoint(0, 0)), label->size())).toImage();
    QHash<QRgb, int> count;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ++count[image.pixel(x, y)];
    QRgb ground = 0;
    for (auto it = count.cbegin(); it != count.cend(); ++it)
        if (it.value() > count.value(ground))
            ground = it.key();
    const int rest = image.width() * image.height() - count.value(ground);
    double most = 1;
    for (auto it = count.cbegin(); it != count.cend(); ++it)
        if (it.key() != ground && it.value() >= std::max(3, rest / 50))
            most = std::max(most, contrast(QColor(it.key()), QColor(ground)));
    return most;
}

// A dark desktop for as long as it lives, the light one back afterwards
// (also when a check fails).
struct DarkDesktop {
    QPalette before = QApplication::palette();
    DarkDesktop()
    {
        QPalette dark(QColor(53, 53, 53), QColor(42, 42, 42));
        for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            dark.setColor(role, QColor(230, 230, 230));
        dark.setColor(QPalette::Base, QColor(30, 30, 30));
        QApplication::setPalette(dark);
    }
    ~DarkDesktop() { QApplication::setPalette(before); }
};

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void controlsAsDesigned_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("parent");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("text");
        // Fixed-size controls, exactly as designed.
        QTest::newRow("Shape1") << "Shape1" << "Client" << QRect(0, 320, 233, 193) << "";
        QTest::newRow("Image3") << "Image3" << "Client" << QRect(36, 370, 151, 110) << "";
        QTest::newRow("TargetShape") << "TargetShape" << "Client" << QRect(480, 144, 97, 89) << "";
        QTest::newRow("Image2") << "Image2" << "Client" << QRect(91, 370, 41, 80) << "";
        QTest::newRow("Image4") << "Image4" << "Client" << QRect(96, 334, 33, 33) << "";
        QTest::newRow("Panel1") << "Panel1" << "MainF" << QRect(690, 0, 139, 517) << "";
        QTest::newRow("btnReset") << "btnReset" << "MainF" << QRect(488, 88, 81, 25) << "Очистить";
        QTest::newRow("btnDebrief") << "btnDebrief" << "MainF" << QRect(8, 8, 97, 25) << "Разбор серии";
        QTest::newRow("btnJournal") << "btnJournal" << "MainF" << QRect(113, 8, 81, 25) << "Журнал";
        QTest::newRow("Label1") << "Label1" << "Panel1" << QRect(35, 248, 65, 41) << "Настройка прицельной планки";
        QTest::newRow("Label2") << "Label2" << "Panel1" << QRect(29, 72, 78, 49)
                                << "Диаметр чёрного круга соответствует";
        QTest::newRow("PlankaCorrectionBar") << "PlankaCorrectionBar" << "Panel1" << QRect(45, 288, 45, 217) << "";
        QTest::newRow("edBlack") << "edBlack" << "Panel1" << QRect(48, 112, 41, 22) << "";
        QTest::newRow("Button1") << "Button1" << "Panel1" << QRect(24, 8, 89, 25) << "Инструкции";
        QTest::newRow("rgTargetSize") << "rgTargetSize" << "Panel1" << QRect(7, 144, 122, 57) << "";
        QTest::newRow("cbLaser") << "cbLaser" << "Panel1" << QRect(7, 216, 121, 17) << "\"Лазерный прицел\"";
        QTest::newRow("btnAbout") << "btnAbout" << "Panel1" << QRect(24, 40, 89, 25) << "О программе...";
        // Labels that size themselves keep their top-left corner.
        QTest::newRow("edBalls") << "edBalls" << "Client" << QRect(418, 160, -1, -1) << " ";
        QTest::newRow("edSum") << "edSum" << "Client" << QRect(418, 232, -1, -1) << " ";
        QTest::newRow("edCount") << "edCount" << "Client" << QRect(418, 208, -1, -1) << " ";
        QTest::newRow("lbSingles") << "lbSingles" << "Client" << QRect(288, 256, -1, -1) << "";
        QTest::newRow("lbFinish") << "lbFinish" << "Client" << QRect(448, 120, -1, -1) << "";
        QTest::newRow("Label4") << "Label4" << "Client" << QRect(8, 488, -1, -1) << "Пример правильного прицеливания";
    }
    void controlsAsDesigned()
    {
        QFETCH(QString, name);
        QFETCH(QString, parent);
        QFETCH(QRect, geometry);
        QFETCH(QString, text);
        ProgramFolder folder;
        Recorders rec;
        TMainF w(rec);
        auto *control = w.findChild<QWidget *>(name);
        QVERIFY(control);
        QCOMPARE(control->parentWidget()->objectName(), parent);
        if (geometry.width() >= 0)
            QCOMPARE(control->geometry(), geometry);
        else
            QCOMPARE(control->pos(), geometry.topLeft());
        if (auto *label = qobject_cast<QLabel *>(control))
            QCOMPARE(label->text(), text);
        else if (auto *button = qobject_cast<QAbstractButton *>(control))
            QCOMPARE(button->text(), text);
    }

    void windowAndSettingsAtStart()
    {
        ProgramFolder folder;
        Recorders rec;
        TMainF w(rec);
        QCOMPARE(w.size(), QSize(829, 517));
        QCOMPARE(w.windowTitle(), QStringLiteral("Vimbra 1.1 (Тирвана)         -- Belvesk --"));
        QCOMPARE(w.PlankaCorrectionBar->minimum(), 0);
        QCOMPARE(w.PlankaCorrectionBar->maximum(), 10);
        QCOMPARE(w.PlankaCorrectionBar->value(), 6);
        QCOMPARE(w.PlankaCorrectionBar->tickPosition(), QSlider::TicksBothSides);
        QCOMPARE(w.PlankaCorrectionBar->tickInterval(), 1);
        QCOMPARE(w.PlankaCorrectionBar->pageStep(), 2);
        QCOMPARE(w.edBlack->value(), 3);
        QCOMPARE(w.edBlack->minimum(), 1);
        QCOMPARE(w.edBlack->maximum(), 10);
        QCOMPARE(w.TargetSize->ItemIndex(), 0);
        QCOMPARE(w.rbLarge->text(), QStringLiteral("большая"));
        QCOMPARE(w.rbSmall->text(), QStringLiteral("маленькая"));
        QCOMPARE(w.rgTargetSize->title(), QStringLiteral("Размер мишени"));
        QVERIFY(!w.cbLaser->isChecked());
        QCOMPARE(w.cbLaser->text().size(), 17);
        QCOMPARE(w.Gun->FPlankaCorrection, 20);
        QCOMPARE(w.Target->FAnchor, QPoint(528, 188));
    }

    void fonts()
    {
        ProgramFolder folder;
        Recorders rec;
        TMainF w(rec);
        const QString window = w.font().family();
        QCOMPARE(w.font().pointSize(), 8);
        struct Expect {
            QLabel *label;
            int points;
            bool underline;
            QColor colour;
        };
        const QColor text = w.palette().color(QPalette::WindowText);
        const Expect fonts[] = {
            {w.edBalls, 14, false, QColor(0, 0, 255)}, // the score
            {w.Label3, 12, false, text},               // results
            {w.edSum, 12, false, text},
            {w.edCount, 12, false, text},
            {w.lbFinish, 12, true, QColor(0, 0, 255)}, // the notice
            {w.Label4, 8, false, text},                // the example's caption
        };
        for (const Expect &e : fonts) {
            QCOMPARE(e.label->font().family(), window);
            QCOMPARE(e.label->font().pointSize(), e.points);
            QVERIFY(e.label->font().bold());
            QCOMPARE(e.label->font().underline(), e.underline);
            e.label->ensurePolished();
            QCOMPARE(e.label->palette().color(QPalette::WindowText), e.colour);
        }
        QVERIFY(!w.lbSingles->font().bold());
        QCOMPARE(w.lbSingles->font().pointSize(), 8);
    }

    // The captions end where their values begin, ten pixels to the left.
    void resultCaptionsEndTenPixelsBeforeTheirValues()
    {
        ProgramFolder folder;
        Recorders rec;
        TMainF w(rec);
        for (QLabel *caption : {w.Label3, w.Label6, w.Label5}) {
            QCOMPARE(caption->x() + caption->width(), 408);
            QVERIFY(caption->width() >= caption->sizeHint().width());
        }
        QCOMPARE(w.Label3->y(), 160);
        QCOMPARE(w.Label6->y(), 208);
        QCOMPARE(w.Label5->y(), 232);
    }

    // The settings panel's border: a sunken edge of two pixels, a raised
    // bevel of one inside it.
    void panelBorder()
    {
        ProgramFolder folder;
        Recorders rec;
        TMainF w(rec);
        const QImage panel = w.Panel1->grab().toImage();
        const QPalette &p = w.Panel1->palette();
        const int right = panel.width() - 1, bottom = panel.height() - 1, mid = panel.height() / 2;
        const struct { int x, y; QColor colour; } pixels[] = {
            {0, mid, p.dark().color()},          {1, mid, p.shadow().color()},
            {2, mid, p.light().color()},         {3, mid, p.window().color()},
            {70, 0, p.dark().color()},           {70, 1, p.shadow().color()},
            {70, 2, p.light().color()},          {right, mid, p.light().color()},
            {right - 1, mid, p.midlight().color()}, {right - 2, mid, p.dark().color()},
            {70, bottom, p.light().color()},     {70, bottom - 1, p.midlight().color()},
            {70, bottom - 2, p.dark().color()},  {70, bottom - 3, p.window().color()},
        };
        for (const auto &px : pixels)
            QVERIFY2(QColor(panel.pixel(px.x, px.y)).rgb() == px.colour.rgb(),
                     qPrintable(QStringLiteral("%1,%2: %3 not %4").arg(px.x).arg(px.y).arg(QColor(panel.pixel(px.x, px.y)).name(), px.colour.name())));
    }

    // The target-size group is one tab stop, entered at the selected item
    // (the first when none is); the arrow keys move within it.
    void tabOrder_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<QString>("stop");
        QTest::newRow("large selected") << 0 << "rbLarge";
        QTest::newRow("small selected") << 1 << "rbSmall";
        QTest::newRow("none selected") << -1 << "rbLarge";
    }
    void tabOrder()
    {
        QFETCH(int, size);
        QFETCH(QString, stop);
        ProgramFolder folder;
        folder.write(QStringLiteral("Vimbra.INI"), QStringLiteral("[Options]\nTargetSize=%1\n").arg(size).toLatin1());
        Recorders rec;
        TMainF w(rec);
        QVERIFY(ShowActive(w));
        w.PlankaCorrectionBar->setFocus();
        QList<QWidget *> visited{QApplication::focusWidget()};
        for (int i = 0; i < 11; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget();
        }
        auto *group = w.findChild<QWidget *>(stop);
        // The debrief's and the journal's buttons and the exercise come last,
        // after «Очистить»; «Следующий стрелок», added later, after them.
        const QList<QWidget *> expected{w.PlankaCorrectionBar, w.edBlack,    w.Button1,        group,
                                        w.cbLaser,             w.btnAbout,   w.btnReset,       w.btnDebrief,
                                        w.btnJournal,          w.cbExercise, w.btnNextShooter, w.PlankaCorrectionBar};
        QCOMPARE(visited, expected);

        if (size < 0)
            return; // Space there selects the item, as a click would
        // Space on the stop changes nothing; an arrow selects the other item.
        group->setFocus(Qt::TabFocusReason);
        const bool large = w.Target->FLarge;
        QTest::keyClick(group, Qt::Key_Space);
        QCOMPARE(w.Target->FLarge, large);
        QTest::keyClick(group, group == w.rbLarge ? Qt::Key_Down : Qt::Key_Up);
        QWidget *other = group == w.rbLarge ? static_cast<QWidget *>(w.rbSmall) : w.rbLarge;
        QCOMPARE(QApplication::focusWidget(), other);
        QCOMPARE(w.TargetSize->ItemIndex(), group == w.rbLarge ? 1 : 0);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), w.Button1);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), other);
    }

    void examplePictures()
    {
        const QImage plate = ExamplePlate();
        QCOMPARE(plate.size(), QSize(151, 110));
        QCOMPARE(plate.depth(), 1);
        // Rows of the notch: the white run between the black shoulders.
        const struct { int row, whiteFirst, whiteLast; } notch[] = {
            {0, 41, 109}, {42, 41, 109}, {43, 42, 108}, {44, 42, 108}, {45, 43, 107},
            {46, 43, 107}, {47, 44, 106}, {48, 46, 104}, {49, -1, -1}, {109, -1, -1},
        };
        for (const auto &r : notch) {
            int first = 0;
            const int black = blackRun(plate, r.row, &first);
            const int white = r.whiteFirst < 0 ? 0 : r.whiteLast - r.whiteFirst + 1;
            QCOMPARE(black, 151 - white);
            if (white) {
                QCOMPARE(qGray(plate.pixel(r.whiteFirst, r.row)), 255);
                QCOMPARE(qGray(plate.pixel(r.whiteFirst - 1, r.row)), 0);
                QCOMPARE(qGray(plate.pixel(r.whiteLast + 1, r.row)), 0);
            }
        }

        const QImage post = ExamplePost();
        QCOMPARE(post.size(), QSize(41, 80));
        QCOMPARE(post.depth(), 1);
        for (int y = 0; y < 80; ++y) {
            int first = 0;
            QCOMPARE(blackRun(post, y, &first), 41);
        }

        const QImage bull = ExampleBull();
        QCOMPARE(bull.size(), QSize(33, 33));
        const int widths[] = {7, 13, 17, 19, 23, 25, 25, 27, 29, 29, 31, 31, 31, 33, 33, 33, 33};
        for (int row = 0; row < 33; ++row) {
            const int w = widths[row <= 16 ? row : 32 - row];
            int first = 0;
            QCOMPARE(blackRun(bull, row, &first), w);
            QCOMPARE(first, (33 - w) / 2);
        }
    }

    // What the user sees: the plate and the bull let the white ground show
    // through; the post stands in the notch, the bull 3 pixels above it.
    void exampleSightPictureOnScreen()
    {
        ProgramFolder folder;
        Recorders rec;
        TMainF w(rec);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QImage shot = w.grab().toImage();
        auto at = [&shot](int x, int y) { return qGray(shot.pixel(x, y)); };
        QCOMPARE(at(80, 375), 255);  // the notch, left of the post
        QCOMPARE(at(140, 375), 255); // the notch, right of the post
        QCOMPARE(at(91, 370), 0);    // the post's top-left
        QCOMPARE(at(131, 449), 0);   // the post's bottom-right
        QCOMPARE(at(40, 470), 0);    // the plate
        QCOMPARE(at(112, 368), 255); // the gap between bull and post
        QCOMPARE(at(112, 366), 0);   // the bull's lowest row
        QCOMPARE(at(96, 334), 255);  // the bull's corner
        QCOMPARE(at(112, 350), 0);   // the bull's centre
        QCOMPARE(at(0, 320), 0);     // the ground's outline
    }

    void panelStaysDockedRight()
    {
        ProgramFolder folder;
        Recorders rec;
        TMainF w(rec);
        w.show();
        w.resize(1000, 600);
        QTRY_COMPARE(w.Panel1->geometry(), QRect(861, 0, 139, 600));
        QCOMPARE(w.btnReset->geometry(), QRect(488, 88, 81, 25));
        w.resize(600, 400);
        QTRY_COMPARE(w.Panel1->geometry(), QRect(461, 0, 139, 400));
        QCOMPARE(w.TargetShape->geometry(), QRect(480, 144, 97, 89));
        QVERIFY(w.Panel1->geometry().intersects(w.TargetShape->geometry()));
    }

    // On a dark desktop the windows keep their light look: the captions the
    // dark theme made unreadable, and the debrief's words, read against their
    // ground at 4.5:1 or better; the debrief is in the one sans font.
    void legibleOnADarkDesktop()
    {
        ProgramFolder folder;
        Recorders rec;
        {
            const DarkDesktop dark;
            TMainF w(rec);
            QVERIFY(ShowActive(w));
            for (int i = 0; i < 5; ++i)
                QTest::mouseDClick(w.windowHandle(), Qt::LeftButton, {}, QPoint(300, 460));
            w.btnDebrief->click();
            QVERIFY(w.lbFinish->text().size() > 1);
            for (QWidget *label : std::initializer_list<QWidget *>{w.Label4, w.lbFinish, w.edBalls, w.Label3, w.Label1,
                                                                    w.DebriefWindow()->lbFigures})
                QVERIFY2(drawnContrast(label) >= 4.5,
                         qPrintable(QStringLiteral("%1: %2").arg(label->objectName()).arg(drawnContrast(label))));
            for (QWidget *words : std::initializer_list<QWidget *>{w.DebriefWindow()->lbFigures, w.DebriefWindow()->tblShots}) {
                const QFontInfo font(words->font());
                QCOMPARE(font.family(), QStringLiteral("Liberation Sans"));
                QVERIFY(!font.fixedPitch());
            }
        }
        QVERIFY(rec.errors.isEmpty());
    }

    // «Стрельба на время»'s clock on a dark desktop: legible while it runs,
    // and in red once the time has passed.
    void clockLegibleOnADarkDesktop()
    {
        ProgramFolder folder;
        Recorders rec;
        {
            const DarkDesktop dark;
            TMainF w(rec);
            QVERIFY(ShowActive(w));
            w.cbExercise->setCurrentIndex(int(Exercise::Timed));
            qint64 &now = rec.time.emplace(0);
            QTest::mouseDClick(w.windowHandle(), Qt::LeftButton, {}, QPoint(300, 460)); // starts the clock
            now = 12300;
            QTRY_COMPARE(w.lbClock->text(), QStringLiteral("Время: 12,3 с из 30"));
            QVERIFY2(drawnContrast(w.lbClock) >= 4.5, qPrintable(QString::number(drawnContrast(w.lbClock))));
            now = 31000;
            QTRY_VERIFY(w.lbClock->styleSheet().contains(QStringLiteral("c00000")));
            QCOMPARE(w.lbClock->text(), QStringLiteral("Время: 31,0 с из 30"));
            QVERIFY2(drawnContrast(w.lbClock) >= 4.5, qPrintable(QString::number(drawnContrast(w.lbClock))));
        }
        QVERIFY(rec.errors.isEmpty());
    }

    // Windowed controls lie above every windowless visual, however late made.
    void panelAndResetButtonStayOnTop()
    {
        ProgramFolder folder;
        Recorders rec;
        TMainF w(rec);
        w.Gun->MoveTo(QPoint(530, 100));
        w.Target->AddShot(QPoint(528, 100));
        w.cbLaser->setChecked(true);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.childAt(500, 100), w.btnReset);
        w.Gun->MoveTo(QPoint(700, 300)); // the gun now reaches under the panel
        QWidget *top = w.childAt(720, 300);
        QVERIFY(top == w.Panel1 || w.Panel1->isAncestorOf(top));
    }

    void closingShowsTheAboutBoxFirst()
    {
        ProgramFolder folder;
        AboutBox = new TAboutBox;
        Recorders rec;
        TMainF w(rec);
        QSignalSpy closed(&w, &TMainF::Closed);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        bool aboutFirst = false;
        QTimer::singleShot(0, [&] {
            QTRY_VERIFY(QApplication::activeModalWidget());
            aboutFirst = QApplication::activeModalWidget() == AboutBox && w.isVisible() && closed.isEmpty();
            AboutBox->OKButton->click();
        });
        QVERIFY(w.close());
        QVERIFY(aboutFirst);
        QCOMPARE(closed.size(), 1);
        QVERIFY(!w.isVisible());
        delete AboutBox;
        AboutBox = nullptr;
    }

    void settingsSavedWhenTheWindowIsDestroyed()
    {
        ProgramFolder folder;
        {
            Recorders rec;
            TMainF w(rec);
        }
        QCOMPARE(folder.read(QStringLiteral("Vimbra.INI")),
                 QByteArray("[Options]\nPlankaCorrection=6\nBlackCircleValue=3\nTargetSize=0\n"));
    }

    // A missing picture: the error names the file, the window still opens,
    // and nothing the user does reaches for the missing objects.
    void missingPicturesAtStart_data()
    {
        QTest::addColumn<QString>("missing");
        QTest::addColumn<bool>("targetMade");
        QTest::newRow("large target") << "Images/LargeRound.bmp" << false;
        QTest::newRow("front sight") << "Images/Mushka.bmp" << true;
        QTest::newRow("rear sight") << "Images/Planka.bmp" << true;
    }
    void missingPicturesAtStart()
    {
        QFETCH(QString, missing);
        QFETCH(bool, targetMade);
        ProgramFolder folder;
        folder.remove(missing);
        folder.write(QStringLiteral("Vimbra.INI"), "[Options]\nPlankaCorrection=2\n");
        Recorders rec;
        {
            TMainF w(rec);
            QCOMPARE(rec.errors, QStringList{QStringLiteral("Cannot open file %1.").arg(folder.file(missing))});
            QVERIFY(w.windowTitle().endsWith(QStringLiteral("-- Belvesk --")));
            QCOMPARE(w.Target != nullptr, targetMade);
            QVERIFY(!w.Gun);
            QCOMPARE(w.PlankaCorrectionBar->value(), 6); // settings were not loaded
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            QWindow *window = w.windowHandle();
            QTest::mouseDClick(window, Qt::LeftButton, {}, QPoint(300, 400));
            QTest::mousePress(window, Qt::RightButton, {}, QPoint(300, 400));
            QTest::mouseMove(window, QPoint(320, 420));
            QTest::mouseRelease(window, Qt::RightButton, {}, QPoint(320, 420));
            QTest::mousePress(window, Qt::LeftButton, {}, QPoint(300, 400));
            QTest::mouseMove(window, QPoint(310, 390));
            QTest::mouseRelease(window, Qt::LeftButton, {}, QPoint(310, 390));
            w.cbLaser->click();
            w.cbLaser->click();
            w.btnReset->click();
            w.rbSmall->click();
            w.PlankaCorrectionBar->setValue(1);
            w.edBlack->setValue(7);
            if (w.Target)
                QCOMPARE(w.Target->FSeries->Count(), 0);
            QCOMPARE(ScreenCursor(), Qt::ArrowCursor);
            QCOMPARE(rec.sounds.size(), 0);
        }
        QCOMPARE(rec.errors.size(), 1);
        // The start ended before the settings were read: none is written.
        QCOMPARE(folder.read(QStringLiteral("Vimbra.INI")), QByteArray("[Options]\nPlankaCorrection=2\n"));
    }

    // A translation beside the program reaches every layer's texts: the
    // window's form, its code, the analysis and the error messages; without
    // one for the locale, the texts are as written.
    void aTranslationReachesEveryLayer()
    {
        ProgramFolder folder;
        QVERIFY(QDir().mkpath(folder.file(QStringLiteral("translations"))));
        QVERIFY(QFile::copy(QStringLiteral(VIMBRA_TEST_QM), folder.file(QStringLiteral("translations/vimbra_en.qm"))));
        const QString installed = InstallTranslation(QLocale(QLocale::English, QLocale::UnitedKingdom));
        QCOMPARE(QFileInfo(installed).canonicalFilePath(),
                 QFileInfo(folder.file(QStringLiteral("translations/vimbra_en.qm"))).canonicalFilePath());
        Recorders rec;
        {
            TMainF w(rec);
            QCOMPARE(w.btnReset->text(), QStringLiteral("Clear"));
            for (int i = 0; i < 5; ++i)
                Q_EMIT w.Client->dblClick(w.Client);
            QCOMPARE(w.lbFinish->text(), QStringLiteral("Series finished!"));
        }
        QCOMPARE(ExerciseName(Exercise::Grouping), QStringLiteral("Grouping"));
        QCOMPARE(CountOf(2, "серию", "серии", "серий"), QStringLiteral("2 series"));
        QCOMPARE(raised([] { DecodeBitmap(QByteArray("not a picture")); }), QStringLiteral("The picture is not a valid bitmap"));

        QCOMPARE(InstallTranslation(QLocale(QLocale::Russian, QLocale::Russia)), QString());
        QCOMPARE(ExerciseName(Exercise::Grouping), QStringLiteral("Кучность"));
        QCOMPARE(raised([] { DecodeBitmap(QByteArray("not a picture")); }), QStringLiteral("Bitmap image is not valid"));
        TMainF w(rec);
        QCOMPARE(w.btnReset->text(), QStringLiteral("Очистить"));
        QVERIFY(rec.errors.isEmpty());
    }

    // A picture that cannot be read costs the user none of the other
    // settings (a failed small picture leaves the large one chosen and saved).
    void settingsSurviveABadPicture_data()
    {
        QTest::addColumn<QString>("picture");
        QTest::addColumn<QByteArray>("bytes"); // null: the file is missing
        const QByteArray png("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
        for (const char *name : {"Images/LargeRound.bmp", "Images/SmallRound.bmp", "Images/Mushka.bmp", "Images/Planka.bmp"}) {
            QTest::addRow("%s missing", name) << QString::fromLatin1(name) << QByteArray();
            QTest::addRow("%s a PNG renamed", name) << QString::fromLatin1(name) << png;
            QTest::addRow("%s truncated", name) << QString::fromLatin1(name) << QByteArray("BM\x36\x10\0\0\0\0\0\0\x36\0\0\0", 14);
        }
    }
    void settingsSurviveABadPicture()
    {
        QFETCH(QString, picture);
        QFETCH(QByteArray, bytes);
        ProgramFolder folder;
        const QByteArray stored("; mine\r\n[Options]\r\nPlankaCorrection=2\r\nBlackCircleValue=7\r\nTargetSize=1\r\n");
        folder.write(QStringLiteral("Vimbra.INI"), stored);
        if (bytes.isNull())
            folder.remove(picture);
        else
            folder.write(picture, bytes);
        Recorders rec;
        {
            TMainF w(rec);
            QCOMPARE(rec.errors.size(), 1);
        }
        QCOMPARE(rec.errors.size(), 1);
        // A small picture that fails leaves the large one drawn, and chosen:
        // that is saved, the other settings as they were.
        QByteArray expected = stored;
        if (picture.endsWith(QLatin1String("SmallRound.bmp")))
            expected.replace("TargetSize=1", "TargetSize=0");
        QCOMPARE(folder.read(QStringLiteral("Vimbra.INI")), expected);
    }
};

VIMBRA_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
