#include "ui/frmDebrief.h"

#include "base/errorbox.h"
#include "platform/intconv.h"
#include "platform/profile.h"
#include "ui/placement.h"
#include "analysis/thresholds.h"

#include <QCloseEvent>
#include <QSignalBlocker>

#include <cmath>
#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QTimer>
#include <QWindow>

namespace {

const QString kSection = QStringLiteral("Debrief");

QString signedPixels(double v)
{
    const long n = std::lround(v);
    return n > 0 ? QStringLiteral("+%1").arg(n) : n < 0 ? QStringLiteral("\u2212%1").arg(-n) : QStringLiteral("0");
}

} // namespace

TDebriefF::TDebriefF(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setupUi(this);
    // It shows and updates beside the main window; the keyboard stays there.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowFlag(Qt::WindowDoesNotAcceptFocus);
    tblShots->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    tblShots->horizontalHeader()->setStretchLastSection(true);
    // As wide as the column it stands in: wider tables scroll within.
    tblShots->setSizePolicy(QSizePolicy::Ignored, tblShots->sizePolicy().verticalPolicy());
    // Room for the five shots of a series without scrolling.
    const int row = tblShots->verticalHeader()->defaultSectionSize();
    tblShots->setMinimumHeight(tblShots->horizontalHeader()->sizeHint().height() + 5 * row + 2 * tblShots->frameWidth());
    btnApply->setEnabled(false);
    connect(btnJournal, &QPushButton::clicked, this, [this] { Q_EMIT OpenJournal(); });
    connect(btnReplay, &QPushButton::clicked, this, Guarded([this] { Replay(); }));
    connect(tblShots, &QTableWidget::currentCellChanged, this,
            Guarded([this](int row, int, int, int) { ShowTraceOf(row); }));
    FReplay = new QTimer(this);
    FReplay->setInterval(16);
    connect(FReplay, &QTimer::timeout, this, [this] {
        // At real speed: two seconds of aiming in two seconds.
        const int at = int(FReplayClock.elapsed()) - 2000;
        if (FTraceShot >= 0 && FTraceShot < Shots().size())
            Target->ShowTrace(Shots()[FTraceShot].trace, std::min(at, 0));
        if (at >= 0)
            FReplay->stop();
    });
    connect(btnApply, &QPushButton::clicked, this, Guarded([this] {
        if (Figures().advice.newBarPosition >= 0)
            Q_EMIT ApplyCorrection();
    }));
}

void TDebriefF::ShowSeries(const DebriefView &view)
{
    const TargetPicture &current = view.current;
    const bool newShots = current.shots.size() != Shots().size();
    Target->Show(current, view.previous);
    const bool scoresHidden = view.scoresHidden;

    const SeriesFigures &f = Figures();
    const double ring = current.target.RingWidth();
    QString figures;
    if (f.shots == 0) {
        figures = tr("Выстрелов в серии ещё нет.");
    } else {
        figures += tr("<b>Серия:</b> выстрелов %1, сумма %2.<br>")
                       .arg(f.shots)
                       .arg(scoresHidden ? tr("откроется в конце серии") : QString::number(view.total));
        figures += tr("<b>Средняя точка попадания:</b> %1 (по горизонтали %2, по вертикали %3 пикс.; "
                                  "ширина кольца %4 пикс.).<br>")
                       .arg(DistanceAndHour(f.meanPoint, ring), signedPixels(f.meanPoint.x()),
                            signedPixels(f.meanPoint.y()), Decimal(ring));
        if (f.shots >= 2) {
            figures += tr("<b>Кучность:</b> средний радиус %1 ширины кольца — %2; наибольший разброс %3")
                           .arg(Decimal(f.meanRadiusRings),
                                GroupVerdict(f.tight),
                                Decimal(f.extremeSpreadRings));
            if (f.extremeSpread > 0)
                figures += tr(" — между %1-й и %2-й пробоинами").arg(f.spreadFrom).arg(f.spreadTo);
            figures += QStringLiteral(".<br>");
        }
        figures += tr("<b>Причины:</b> мушка увела в среднем %1 (разброс %2), удержание с поправкой — %3 "
                                  "(разброс %4).")
                       .arg(DistanceAndHour(f.meanAlignment, ring), Decimal(f.alignmentSpread / ring),
                            DistanceAndHour(f.meanHoldAndCorrection, ring), Decimal(f.holdSpread / ring));
        if (!view.previous.shots.isEmpty())
            figures += tr("<br><span style=\"color:gray\">Серым — предыдущая серия.</span>");
    }
    lbFigures->setText(figures);

    tblShots->setRowCount(int(f.perShot.size()));
    for (int row = 0; row < f.perShot.size(); ++row) {
        const ShotFigures &s = f.perShot[row];
        const ShotRecord &r = current.shots[row];
        const QString called = r.called ? Decimal(CallError(r, ring)) : QString();
        const QStringList cells{QString::number(s.number),
                                scoresHidden ? QStringLiteral("?") : QString::number(s.score),
                                DistanceAndHour(s.hole, ring),
                                DistanceAndHour(s.alignment, ring),
                                DistanceAndHour(s.holdAndCorrection, ring),
                                r.sincePreviousMs >= 0 ? Decimal(r.sincePreviousMs / 1000.0) : QStringLiteral("—"),
                                r.trace.isEmpty() ? QStringLiteral("—") : Decimal(TraceLength(r.trace, -1000) / ring),
                                called};
        for (int column = 0; column < cells.size(); ++column) {
            auto *item = new QTableWidgetItem(cells[column]);
            item->setTextAlignment(column < 2 ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
            tblShots->setItem(row, column, item);
        }
    }

    tblShots->setColumnHidden(7, !view.callsShown);
    // The trace of the newest shot, unless another one is chosen meanwhile.
    if (newShots || FTraceShot >= Shots().size())
        FTraceShot = int(Shots().size()) - 1;
    {
        const QSignalBlocker quiet(tblShots);
        tblShots->setCurrentCell(FTraceShot, 0);
    }
    FReplay->stop();
    Target->ShowTrace(FTraceShot >= 0 ? Shots()[FTraceShot].trace : QList<TraceSample>());
    btnReplay->setEnabled(FTraceShot >= 0 && Shots()[FTraceShot].trace.size() >= 2);

    // The exercise's own word first, then the coach's advice where the
    // exercise asks for it («Кучность» is about the group alone).
    QStringList lines = view.exerciseWords;
    if (view.correctionOffered)
        lines += f.advice.lines;
    lbAdvice->setText(lines.join(QLatin1Char('\n')));
    btnApply->setEnabled(f.advice.newBarPosition >= 0);
    btnApply->setToolTip(f.advice.newBarPosition >= 0
                             ? tr("Поставить прицельную планку на %1").arg(f.advice.newBarPosition)
                             : QString());
}

void TDebriefF::ShowTraceOf(int shot)
{
    if (shot < 0 || shot >= Shots().size())
        return;
    FTraceShot = shot;
    FReplay->stop();
    Target->ShowTrace(Shots()[shot].trace);
    btnReplay->setEnabled(Shots()[shot].trace.size() >= 2);
}

void TDebriefF::Replay()
{
    if (FTraceShot < 0 || FTraceShot >= Shots().size())
        return;
    FReplayClock.start();
    Target->ShowTrace(Shots()[FTraceShot].trace, -2000);
    FReplay->start();
}

void TDebriefF::Open(QWidget *beside)
{
    if (isVisible()) {
        raise();
        return;
    }
    // The size and place it had, in this run or the last; the first time,
    // beside the main window.
    if (!FOpened) {
        auto read = [this](const char *key) {
            return TextToInt(GetPrivateProfileString(kSection, QString::fromLatin1(key), QString(), FSettingsFile));
        };
        const auto left = read("Left"), top = read("Top"), w = read("Width"), h = read("Height");
        if (left && top && w && h && *w > 0 && *h > 0)
            FPlace = QRect(*left, *top, std::min(*w, 4000), std::min(*h, 4000));
    }
    // A place on no screen now (a monitor gone) is forgotten; the size stays.
    bool stored = FPlace.isValid();
    if (stored) {
        resize(FPlace.size());
        bool seen = false;
        for (const QScreen *screen : QGuiApplication::screens())
            seen = seen || screen->availableGeometry().intersected(QRect(FPlace.topLeft(), FPlace.size())).width() >= 100;
        stored = seen;
    }
    QPoint corner;
    if (stored) {
        corner = FPlace.topLeft();
    } else if (beside) {
        // Right of the main window if there is room, else left of it; on a
        // screen too narrow for either, in its bottom-left corner, where it
        // leaves the main window's buttons, results and target in sight.
        const QRect main = beside->frameGeometry();
        const QRect screen = beside->screen() ? beside->screen()->availableGeometry() : QRect();
        const QSize outer = frameGeometry().size();
        corner = QPoint(main.right() + 1, main.top());
        if (screen.isValid() && corner.x() + outer.width() > screen.right() + 1) {
            if (main.left() - outer.width() >= screen.left())
                corner.setX(main.left() - outer.width());
            else
                corner = QPoint(screen.left(), std::max(screen.top(), screen.bottom() + 1 - outer.height()));
        }
    }
    move(corner);
    show();
    // With the frame known, its corner goes where it was.
    QTimer::singleShot(0, this, [this, corner] { PlaceFrameAt(this, corner); });
    FOpened = true;
}

void TDebriefF::closeEvent(QCloseEvent *event)
{
    RememberGeometry();
    QWidget::closeEvent(event);
}

void TDebriefF::RememberGeometry()
{
    FPlace = QRect(frameGeometry().topLeft(), size());
}

void TDebriefF::SaveGeometry()
{
    if (!FOpened || FSettingsFile.isEmpty())
        return;
    if (isVisible())
        RememberGeometry();
    // Its own section, written as the settings are: the rest of the file
    // stays as it was. A file that cannot be written keeps the old place.
    const std::pair<const char *, int> keys[] = {
        {"Left", FPlace.left()}, {"Top", FPlace.top()}, {"Width", FPlace.width()}, {"Height", FPlace.height()}};
    for (const auto &[key, value] : keys)
        WriteProfileNumber(kSection, QString::fromLatin1(key), value, FSettingsFile);
}
