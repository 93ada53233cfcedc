#include "session/lesson.h"

#include "analysis/steadiness.h"
#include "platform/effects.h"

#include <QDateTime>
#include <QUuid>

#include <algorithm>
#include <utility>

TLesson::TLesson(Scene &scene, Effects &effects, QObject *parent)
    : QObject(parent), FScene(scene), FEffects(effects), FRule(MakeExerciseRule(Exercise::Free, ElevationBar{}, TargetGeometry{}))
{
}

TLesson::~TLesson() = default;

// ------------------------------------------------------------ firing

void TLesson::Fire(QPoint aim)
{
    // hole = hold + alignment + correction, where a gun's hidden error counts
    // with the hold.
    const QPoint hidden = FRule->HiddenError();
    const QPoint hole = aim + hidden;
    const int score = FScene.Hit(hole);
    const QPointF centre = FScene.Centre();
    ShotRecord record{QPointF(hole) - centre, QPointF(FScene.Notch() + hidden) - centre, FScene.Alignment(),
                      QPointF(0, -FScene.Correction()), score};
    const qint64 now = FEffects.Now();
    record.sincePreviousMs = FShots.isEmpty() || FLastShotMs < 0 ? -1 : int(now - FLastShotMs);
    const bool timed = FRule->TimeLimitMs() > 0;
    if (timed) {
        StartClock(now); // a first shot fired without moving starts it
        record.sinceStartMs = int(now - FClockStartMs);
        record.late = FRule->Late(record);
    }
    FTrace.Add(now, QPointF(aim)); // the aim at the shot ends its trace
    record.trace = FTrace.Before(now);
    for (TraceSample &sample : record.trace)
        sample.aim -= centre;
    FLastShotMs = now;
    FShots.append(record);

    if (FRule->CallsShots()) {
        // Not seen until it is called.
        FScene.ShowMark(int(FShots.size()) - 1, false);
        FAwaitingCall = true;
        Q_EMIT CallAwaited();
        Q_EMIT HintChanged(Hint());
    }
    ShowBoard();
    if (Finished())
        FinishSeries();
    if (timed)
        Q_EMIT ClockChanged(); // started, or stopped by the last shot
    Q_EMIT DebriefChanged();
}

void TLesson::AimAt(QPoint aim)
{
    const qint64 now = FEffects.Now();
    FTrace.Add(now, QPointF(aim));
    // The learner's first movement of a timed series starts its clock.
    if (FClockStartMs < 0 && FRule->TimeLimitMs() > 0) {
        StartClock(now);
        Q_EMIT ClockChanged();
    }
}

void TLesson::Jolted(QPoint aim)
{
    FTrace.Clear();
    AimAt(aim);
}

bool TLesson::CallAt(QPoint p)
{
    if (!FAwaitingCall || FShots.isEmpty())
        return false;
    FAwaitingCall = false;
    const QPointF centre = FScene.Centre();
    ShotRecord &shot = FShots.last();
    shot.called = true;
    shot.call = QPointF(p) - centre;
    FScene.ShowMark(int(FShots.size()) - 1, true);
    Q_EMIT ShotCalled(p, (shot.hole + centre).toPoint());
    ShowBoard();
    Q_EMIT HintChanged(Hint());
    if (Finished())
        FinishSeries();
    Q_EMIT DebriefChanged();
    return true;
}

bool TLesson::Finished() const { return !FShots.isEmpty() && !FScene.SeriesOpen() && !FAwaitingCall; }

void TLesson::FinishSeries()
{
    const TargetGeometry geometry = FScene.Geometry();
    const SeriesFigures figures = AnalyseSeries(FShots, geometry, FScene.Bar());
    // The exercise counts the series first: what it files says so.
    FRule->SeriesFinished(figures);

    KeepSessionFor(geometry);
    FSession += FShots;
    // The group is the last ten series: enough to judge by, and a long
    // session's debrief stays quick.
    constexpr int kSessionShots = 50;
    if (FSession.size() > kSessionShots)
        FSession.erase(FSession.begin(), FSession.end() - kSessionShots);
    const SeriesSteadiness steady = MeasureSeriesHold(FShots, geometry);
    FHistory << HistoryRow{int(FHistory.size()) + 1,    int(FShots.size()),
                           CountedTotal(),               figures.meanRadiusRings,
                           int(figures.flyers.size()),  steady.measured ? steady.inTen : -1,
                           steady.measured ? steady.inNine : -1};

    JournalSeries series;
    series.uid = QUuid::createUuid();
    series.firedAt = QDateTime::currentDateTimeUtc();
    series.targetWidth = geometry.width;
    series.largeTarget = FScene.LargeTarget();
    series.blackCircleValue = FScene.BlackCircleValue();
    series.correction = int(-FShots.last().correction.y());
    series.total = CountedTotal();
    FRule->File(series);
    // The group as the debrief judged it: without its flyers.
    series.meanPoint = figures.meanPoint;
    series.meanRadius = figures.meanRadius;
    series.extremeSpread = figures.extremeSpread;
    series.ringWidth = geometry.RingWidth();
    for (int i = 0; i < FShots.size(); ++i) {
        const ShotRecord &r = FShots[i];
        JournalShot shot{i + 1, r.hole, r.score, r.hold, r.alignment, r.correction};
        shot.sincePreviousMs = r.sincePreviousMs;
        shot.called = r.called;
        shot.call = r.call;
        shot.trace = r.trace;
        shot.score = Counted(r);
        shot.sinceStartMs = r.sinceStartMs;
        shot.late = r.late;
        series.shots << shot;
    }
    File(series);
    Q_EMIT HintChanged(Hint());
}

void TLesson::File(JournalSeries series)
{
    if (FShooter) {
        series.shooter = *FShooter;
        series.klass = FShooterClass;
        series.forClassJournal = true; // wherever the computer files them
        Q_EMIT SeriesFiled(series);
        return;
    }
    FWaiting << series;
    JournalSeries kept = series;
    kept.shooter = UnnamedShooter();
    Q_EMIT SeriesWaiting(kept);
    if (FStarted)
        Q_EMIT ShooterWanted();
}

// ------------------------------------------------------------ the series

void TLesson::Clear()
{
    FAwaitingCall = false;
    FLastShotMs = -1;
    if (!FShots.isEmpty() && !FScene.SeriesOpen())
        FPrevious = TargetPicture{FScene.Geometry(), FShots, {}};
    FShots.clear();
    ResetClock();
    KeepSessionFor(FScene.Geometry());
    Q_EMIT SeriesCleared();
    Q_EMIT ScoreboardChanged(Scoreboard{});
    if (FRule->StartsAgainOnClear())
        StartExercise(FRule->Kind()); // zeroing done: another gun
    Q_EMIT HintChanged(Hint());
    Q_EMIT DebriefChanged();
}

void TLesson::StartExercise(Exercise exercise)
{
    EndExercise();
    FRule = MakeExerciseRule(exercise, FScene.Bar(), FScene.Geometry());
    ApplyTimeLimit();
    ResetClock();
    Q_EMIT HintChanged(Hint());
    Q_EMIT DebriefChanged();
}

void TLesson::StartSession()
{
    FSession.clear();
    FHistory.clear();
}

bool TLesson::SessionTargetIs(const TargetGeometry &target) const
{
    return target.width == FSessionTarget.width && target.blackCircleValue == FSessionTarget.blackCircleValue;
}

void TLesson::KeepSessionFor(const TargetGeometry &target)
{
    // The session goes on while the target stays the same.
    if (!SessionTargetIs(target))
        StartSession();
    FSessionTarget = target;
}

void TLesson::EndExercise()
{
    StartSession();
    const int bar = FRule->BarAtEnd();
    FRule = MakeExerciseRule(Exercise::Free, ElevationBar{}, TargetGeometry{});
    FAwaitingCall = false;
    if (bar >= 0)
        FScene.SetBar(bar);
    ResetClock();
    Q_EMIT HintChanged(Hint());
}

bool TLesson::ApplyCorrection(bool fromSession)
{
    // Only an exercise that offers the coach's correction has one to apply.
    const DebriefView view = Debrief();
    const int position = !FRule->OffersCorrection() ? -1
                         : fromSession               ? view.session.figures.advice.newBarPosition
                                                     : view.current.figures.advice.newBarPosition;
    if (position < 0)
        return false;
    FScene.SetBar(position);
    return true;
}

void TLesson::SettingsChanged()
{
    KeepSessionFor(FScene.Geometry());
    Q_EMIT DebriefChanged();
}

bool TLesson::SetShooter(const QString &name, const QString &klass)
{
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty()) {
        const bool changed = FShooter.has_value();
        FShooter.reset();
        FShooterClass.clear();
        if (changed)
            Q_EMIT ShooterChanged(QString(), QString());
        return true;
    }
    if (!FRoster.Accepts(klass, trimmed))
        return false;
    FShooter = trimmed;
    FShooterClass = klass.trimmed();
    Q_EMIT ShooterChanged(*FShooter, FShooterClass);
    // What waited for them, in the order fired.
    const QList<JournalSeries> waiting = std::exchange(FWaiting, {});
    for (const JournalSeries &series : waiting)
        File(series);
    return true;
}

void TLesson::SetRoster(const ClassRoster &roster)
{
    const bool cameIntoUse = roster.InUse() && !FRoster.InUse();
    FRoster = roster;
    if (FShooter && !FRoster.Accepts(FShooterClass, *FShooter)) {
        SetShooter(QString());
        if (FStarted)
            Q_EMIT ShooterWanted();
    } else if (cameIntoUse && !FShooter && FStarted) {
        // The roster came after the start (a computer's first lesson with
        // the class journal fetches it then): nobody is chosen, so the
        // learner at the gun is asked, as at a start with the roster known.
        Q_EMIT ShooterWanted();
    }
}

void TLesson::StartWith(const QString &remembered, const QString &klass)
{
    if (FStarted)
        return;
    FStarted = true;
    if (FShooter)
        return; // chosen already in this run
    // With a roster the name in use is never carried over silently: the
    // next learner may be at the gun.
    if (!FRoster.InUse())
        SetShooter(remembered, klass);
    if (!FShooter && (FRoster.InUse() || !FWaiting.isEmpty()))
        Q_EMIT ShooterWanted();
}

void TLesson::FileWaitingUnnamed()
{
    const QList<JournalSeries> waiting = std::exchange(FWaiting, {});
    for (JournalSeries series : waiting) {
        series.shooter = UnnamedShooter();
        series.klass.clear();
        series.forClassJournal = false;
        Q_EMIT SeriesFiled(series);
    }
}

QString TLesson::UnnamedShooter() { return tr("без имени"); }

// ------------------------------------------------------------ what is shown

void TLesson::ShowBoard() { Q_EMIT ScoreboardChanged(Board()); }

Scoreboard TLesson::Board() const
{
    Scoreboard board;
    if (FShots.isEmpty())
        return board;
    const bool finished = Finished();
    bool allSeen = true;
    for (const ShotRecord &r : FShots) {
        const bool seen = FRule->ScoreSeen(r, finished);
        allSeen = allSeen && seen;
        board.singles += QStringLiteral("  ") + (seen ? QString::number(Counted(r)) : QStringLiteral("·"));
    }
    board.count = QString::number(FShots.size());
    board.last = FRule->ScoreSeen(FShots.last(), finished) ? QString::number(Counted(FShots.last()))
                                                             : QStringLiteral("?");
    board.total = allSeen ? QString::number(CountedTotal()) : QStringLiteral("?");
    return board;
}

TargetPicture TLesson::Seen() const
{
    TargetPicture seen{FScene.Geometry(), FShots, {}};
    if (FAwaitingCall && !seen.shots.isEmpty())
        seen.shots.removeLast(); // not seen before it is called
    return seen;
}

DebriefView TLesson::Debrief() const
{
    const ElevationBar bar = FScene.Bar();
    DebriefView view;
    view.current = Seen();
    view.current.figures = AnalyseSeries(view.current.shots, view.current.target, bar);
    view.previous = FPrevious;
    view.previous.figures = AnalyseSeries(FPrevious.shots, FPrevious.target, bar);
    view.total = CountedTotal() - (FAwaitingCall && !FShots.isEmpty() ? Counted(FShots.last()) : 0);
    const bool finished = Finished();
    for (const ShotRecord &r : std::as_const(view.current.shots))
        view.scoresHidden = view.scoresHidden || !FRule->ScoreSeen(r, finished);
    view.callsShown = FRule->CallsShots();
    view.correctionOffered = FRule->OffersCorrection();
    view.timesShown = FRule->TimeLimitMs() > 0;
    view.exerciseWords = FRule->Words(SeriesState{view.current.shots, view.current.target, view.current.figures, finished});

    // Another target or rings since the session's last series: the session
    // ends with its next series; meanwhile it has nothing to show for them.
    if (!SessionTargetIs(FScene.Geometry()))
        return view;
    const QPointF now(0, -FScene.Correction());
    view.session.target = FSessionTarget;
    for (ShotRecord shot : FSession) {
        shot.hole += now - shot.correction;
        shot.correction = now;
        view.session.shots << shot;
    }
    view.session.figures = AnalyseSeries(view.session.shots, FSessionTarget, bar);
    view.history = FHistory;
    view.trend = TrendWords(FHistory);
    return view;
}

int TLesson::CountedTotal() const
{
    int total = FScene.Total();
    for (const ShotRecord &r : FShots)
        total -= r.score - Counted(r);
    return total;
}

// ------------------------------------------------------------ the clock

void TLesson::SetTimeLimit(int seconds)
{
    FTimeLimit = ValidTimeLimit(seconds);
    ApplyTimeLimit();
    Q_EMIT HintChanged(Hint());
    Q_EMIT ClockChanged();
    Q_EMIT DebriefChanged();
}

void TLesson::ApplyTimeLimit()
{
    if (auto *timed = dynamic_cast<TimedRule *>(FRule.get()))
        timed->SetLimit(FTimeLimit);
}

void TLesson::StartClock(qint64 now)
{
    if (FClockStartMs < 0)
        FClockStartMs = now;
}

void TLesson::ResetClock()
{
    FClockStartMs = -1;
    Q_EMIT ClockChanged();
}

ClockView TLesson::Clock() const
{
    ClockView clock;
    clock.limitMs = FRule->TimeLimitMs();
    clock.shown = clock.limitMs > 0;
    if (!clock.shown || FClockStartMs < 0)
        return clock;
    clock.running = !Finished();
    clock.elapsedMs = std::max(0, clock.running || FShots.isEmpty() ? int(FEffects.Now() - FClockStartMs)
                                                                    : FShots.last().sinceStartMs);
    clock.over = clock.elapsedMs > clock.limitMs;
    return clock;
}
