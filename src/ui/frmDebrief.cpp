#include "ui/frmDebrief.h"

#include "base/errorbox.h"
#include "analysis/steadiness.h"
#include "analysis/thresholds.h"

#include <QSignalBlocker>

#include <cmath>
#include <QApplication>
#include <QHeaderView>
#include <QTimer>

TDebriefF::TDebriefF(QWidget *parent) : QWidget(parent)
{
    setupUi(this);
    // The program's own font and size, not the main window's small one.
    setFont(QApplication::font());
    setAutoFillBackground(true);
    tblShots->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    // The last column, stretched, keeps no more than its heading's width
    // when the room runs short (not a default 100 pixels): every column stays
    // in sight at 1366 x 768.
    tblShots->horizontalHeader()->setDefaultSectionSize(
        tblShots->horizontalHeader()->sectionSizeHint(tblShots->columnCount() - 1));
    tblShots->horizontalHeader()->setStretchLastSection(true);
    // As wide as the column it stands in: wider tables scroll within.
    tblShots->setSizePolicy(QSizePolicy::Ignored, tblShots->sizePolicy().verticalPolicy());
    // Room for the five shots of a series without scrolling.
    const int row = tblShots->verticalHeader()->defaultSectionSize();
    tblShots->setMinimumHeight(tblShots->horizontalHeader()->sizeHint().height() + 5 * row + 2 * tblShots->frameWidth());
    btnApply->setEnabled(false);
    FTimeColumn = tblShots->columnCount();
    tblShots->insertColumn(FTimeColumn);
    auto *timeHeading = new QTableWidgetItem(tr("Время, с"));
    timeHeading->setToolTip(tr("Время выстрела от начала отсчёта (от первого движения оружия или мушки), с"));
    tblShots->setHorizontalHeaderItem(FTimeColumn, timeHeading);
    tblShots->setColumnHidden(FTimeColumn, true);
    connect(btnJournal, &QPushButton::clicked, this, [this] { Q_EMIT OpenJournal(); });
    connect(btnHide, &QPushButton::clicked, this, [this] { Q_EMIT HideWanted(); });
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
            Q_EMIT ApplyCorrection(SessionShown());
    }));
    connect(cbScope, qOverload<int>(&QComboBox::currentIndexChanged), this, Guarded([this] {
        FTraceShot = -1;
        ShowSeries(FView);
    }));
}

void TDebriefF::ShowSeries(const DebriefView &view)
{
    FView = view;
    const bool session = SessionShown();
    const TargetPicture &current = session ? view.session : view.current;
    const bool newShots = current.shots.size() != Shots().size();
    Target->Show(current, session ? TargetPicture{} : view.previous);
    const bool scoresHidden = !session && view.scoresHidden;

    const SeriesFigures &f = Figures();
    const double ring = current.target.RingWidth();
    QString figures, legend;
    if (f.shots == 0) {
        figures = session ? tr("Законченных серий в сеансе ещё нет.") : tr("Выстрелов в серии ещё нет.");
    } else {
        int fired = 0;
        for (const HistoryRow &row : view.history)
            fired += row.shots;
        if (session)
            figures += (fired > f.shots ? tr("<b>Сеанс:</b> серий %1; в группе — последние %2 выстрелов, каждый там, "
                                             "куда его послала бы планка, как она стоит сейчас.<br>")
                                        : tr("<b>Сеанс:</b> серий %1, в группе выстрелов %2 — каждый там, куда его "
                                             "послала бы планка, как она стоит сейчас.<br>"))
                           .arg(view.history.size())
                           .arg(f.shots);
        else
            figures += tr("<b>Серия:</b> выстрелов %1, сумма %2.<br>")
                           .arg(f.shots)
                           .arg(scoresHidden ? tr("откроется в конце серии") : QString::number(view.total));
        if (f.flyers.size() > 1) {
            QStringList numbers;
            for (int n : f.flyers)
                numbers << tr("%1-я").arg(n);
            const QString last = numbers.takeLast();
            figures += tr("<b>Отрывы:</b> %1 и %2 пробоины — группа без них.<br>")
                           .arg(numbers.join(QStringLiteral(", ")), last);
        } else if (f.flyers.size() == 1) {
            figures += tr("<b>Отрыв:</b> %1-я пробоина — группа без неё.<br>").arg(f.flyers.first());
        }
        figures += tr("<b>Средняя точка попадания:</b> %1 (%2; ширина кольца %3 пикс.).<br>")
                       .arg(DistanceAndHour(f.meanPoint, ring), OffsetInWords(f.meanPoint), Decimal(ring));
        if (f.shots - f.flyers.size() >= 2) {
            figures += tr("<b>Кучность:</b> средний радиус %1 ширины кольца, наибольший разброс %2")
                           .arg(Decimal(f.meanRadiusRings), Decimal(f.extremeSpreadRings));
            if (f.extremeSpread > 0)
                figures += tr(" — между %1-й и %2-й пробоинами").arg(f.spreadFrom).arg(f.spreadTo);
            figures += tr(" — %1.<br>").arg(GroupVerdict(f.tight));
        }
        const QString sight = OnCentre(f.meanAlignment, ring)
                                  ? tr("ошибок прицеливания в среднем нет")
                                  : tr("мушка увела в среднем %1").arg(DistanceAndHour(f.meanAlignment, ring));
        figures += tr("<b>Причины:</b> %1 (разброс %2), удержание с поправкой — %3 (разброс %4).")
                       .arg(sight, Decimal(f.alignmentSpread / ring), DistanceAndHour(f.meanHoldAndCorrection, ring),
                            Decimal(f.holdSpread / ring));
        if (!session && !view.previous.shots.isEmpty())
            legend = tr("<br><span style=\"color:gray\">Серым — предыдущая серия.</span>");
    }
    // The steadiness of the hold: the means over the shots with a trace.
    const SeriesSteadiness steady = MeasureSeriesHold(current.shots, current.target);
    if (steady.measured > 0)
        figures += tr("<br><b>Устойчивость:</b> в 10 — %1%, в 9 — %2% последней секунды; пятно удержания %3 "
                      "ширины кольца.")
                       .arg(Percent(steady.inTen))
                       .arg(Percent(steady.inNine))
                       .arg(Decimal(steady.holdRadiusRings));
    if (session && !view.history.isEmpty()) {
        // The series one by one, then which way they go.
        figures += tr("<br><b>Серии сеанса:</b><table cellspacing=\"0\" cellpadding=\"2\">"
                      "<tr><th align=\"left\">№</th><th align=\"right\">Сумма</th>"
                      "<th align=\"right\">Ср. радиус</th><th align=\"right\">В 10/9, %</th>"
                      "<th align=\"right\">Отрывы</th></tr>");
        for (const HistoryRow &row : view.history)
            figures += QStringLiteral("<tr><td>%1</td><td align=\"right\">%2</td><td align=\"right\">%3</td>"
                                      "<td align=\"right\">%4</td><td align=\"right\">%5</td></tr>")
                           .arg(row.number)
                           .arg(row.total)
                           .arg(Decimal(row.meanRadiusRings))
                           .arg(SharesText(row.inTen, row.inNine, row.inTen >= 0))
                           .arg(row.flyers ? QString::number(row.flyers) : QStringLiteral("—"));
        figures += QStringLiteral("</table>") + view.trend.join(QStringLiteral("<br>"));
    }
    lbFigures->setText(figures + legend);

    tblShots->setRowCount(int(f.perShot.size()));
    for (int row = 0; row < f.perShot.size(); ++row) {
        const ShotFigures &s = f.perShot[row];
        const ShotRecord &r = current.shots[row];
        const QString called = r.called ? Decimal(CallError(r, ring)) : QString();
        const HoldSteadiness held = MeasureHold(r.trace, current.target);
        const QStringList cells{QString::number(s.number),
                                scoresHidden ? QStringLiteral("?")
                                : r.late     ? tr("0 (после времени)")
                                             : QString::number(s.score),
                                DistanceAndHour(s.hole, ring),
                                DistanceAndHour(s.alignment, ring),
                                DistanceAndHour(s.holdAndCorrection, ring),
                                r.sincePreviousMs >= 0 ? Decimal(r.sincePreviousMs / 1000.0) : QStringLiteral("—"),
                                r.trace.isEmpty() ? QStringLiteral("—") : Decimal(TraceLength(r.trace, -1000) / ring),
                                called,
                                SharesText(held),
                                HoldAreaText(held)};
        for (int column = 0; column < cells.size(); ++column) {
            auto *item = new QTableWidgetItem(cells[column]);
            item->setTextAlignment(column < 2 ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
            if (s.flyer) {
                // A flyer: the group is judged without it.
                QFont font = item->font();
                font.setItalic(true);
                item->setFont(font);
                item->setToolTip(tr("Отрыв: группа и средняя точка — без этой пробоины"));
            }
            if (column == 1 && r.late && !scoresHidden)
                item->setToolTip(tr("Выстрел после времени не засчитан (по пробоине — %1)").arg(r.score));
            tblShots->setItem(row, column, item);
        }
    }

    tblShots->setColumnHidden(7, !view.callsShown);
    ShowTimes(view.timesShown, current.shots);
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
    QStringList lines = (session ? QStringList() : view.exerciseWords) + f.flyerWords;
    if (view.correctionOffered)
        lines += f.advice.lines;
    lbAdvice->setText(lines.join(QLatin1Char('\n')));
    const bool applicable = view.correctionOffered && f.advice.newBarPosition >= 0;
    btnApply->setEnabled(applicable);
    btnApply->setToolTip(applicable ? tr("Поставить прицельную планку на %1").arg(f.advice.newBarPosition)
                                    : QString());
}

// «Стрельба на время»: each shot's time from the clock's start, and a shot
// after the time scored 0, marked.
void TDebriefF::ShowTimes(bool shown, const QList<ShotRecord> &shots)
{
    tblShots->setColumnHidden(FTimeColumn, !shown);
    if (!shown)
        return;
    for (int row = 0; row < tblShots->rowCount() && row < shots.size(); ++row) {
        const ShotRecord &r = shots[row];
        auto *item = new QTableWidgetItem(r.sinceStartMs >= 0 ? Decimal(r.sinceStartMs / 1000.0) : QStringLiteral("—"));
        item->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        tblShots->setItem(row, FTimeColumn, item);
    }
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

void TDebriefF::SetStacked(bool stacked)
{
    Columns->setDirection(stacked ? QBoxLayout::TopToBottom : QBoxLayout::LeftToRight);
}
