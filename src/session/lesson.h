#pragma once

// What has happened in this lesson: the series with what sent each shot
// where it went, the last finished series, the exercise in progress and its
// state, the aim's recent path and the shooter. It holds no widget: it reads
// and moves the shooting scene through a narrow interface, and says what
// happened through its signals, for the windows to show.

#include "analysis/aimtrace.h"
#include "analysis/history.h"
#include "analysis/targetpicture.h"
#include "journal/classroster.h"
#include "journal/journal.h"
#include "session/exercises.h"
#include "session/scene.h"
#include "session/timedrule.h"

#include <QObject>

#include <memory>
#include <optional>

class Effects;

// The window's result labels as the learner may see them: the shots fired,
// the last score, the total and the scores one by one ("  9  10  0"), as the
// exercise counts them (a shot after a timed series' time: 0). A
// score not to be seen yet is "?" (a dot among the single scores). All empty
// once the series is cleared.
struct Scoreboard {
    QString count, last, total, singles;
    bool operator==(const Scoreboard &o) const
    {
        return count == o.count && last == o.last && total == o.total && singles == o.singles;
    }
};

// What the debrief shows: the series so far and the last finished one, with
// their figures, and the exercise's word before the coach's advice.
struct DebriefView {
    TargetPicture current;       // the shots seen so far: one awaiting its call is not
    TargetPicture previous;      // the last finished series, if any
    int total = 0;               // of the current series' shots, as the exercise counts them
    bool scoresHidden = false;   // some score is not to be seen yet
    bool callsShown = false;     // the calls are measured
    bool correctionOffered = true;
    QStringList exerciseWords;
    // The session: the finished series since the program started, the
    // exercise was chosen or the target changed (the last fifty shots of
    // them), as one group, each shot brought to the bar as it stands now
    // (where it would have gone with it); and the series one by one, with
    // which way they go.
    TargetPicture session;
    QList<HistoryRow> history;
    QStringList trend;
    bool timesShown = false;     // the exercise runs a clock: each shot's time from its start
};

// The exercise's clock as the window shows it; only an exercise with a time
// limit runs one (see session/timedrule.h for when it starts).
struct ClockView {
    bool shown = false;    // the exercise has a clock
    bool running = false;  // started, and the series not finished
    int elapsedMs = 0;     // from its start: to now while it runs, to the last shot once the series is finished
    int limitMs = 0;
    bool over = false;     // past the limit: a shot now counts 0
};

class TLesson : public QObject
{
    Q_OBJECT
public:
    // The lesson reads the scene and the clock of effects; it keeps neither.
    TLesson(Scene &scene, Effects &effects, QObject *parent = nullptr);
    ~TLesson() override;

    // ---------------------------------------------------- what the learner does

    // A shot at the aim point the sights give; a gun not yet zeroed sends it
    // off them. The scene must take shots (its series open).
    void Fire(QPoint aim);
    // The aim moved to a point (a drag of the gun or of the front sight).
    void AimAt(QPoint aim);
    // A jolt put the aim there: no movement of the shooter's, so the next
    // trace starts from it.
    void Jolted(QPoint aim);
    // The awaited shot called at a point of the scene; false when no call is
    // awaited.
    bool CallAt(QPoint p);
    // The series ends, cleared or with the target changed (the scene clears
    // its marks): a finished series stays as the previous one.
    void Clear();
    // An exercise starts afresh, ending the one in progress; the series is
    // then to be cleared.
    void StartExercise(Exercise exercise);
    // Back to free shooting; the bar goes back where the exercise found it.
    void EndExercise();
    // «Применить»: the bar to where the debrief advises for the series, or
    // for the session's group; false when there is nothing to apply.
    bool ApplyCorrection(bool fromSession = false);
    // The bar or the target's rings changed: the debrief follows.
    void SettingsChanged();
    // Who shoots, and their class on the roster: the series waiting for a
    // shooter are filed under them, in the order fired, and the later ones
    // after them. An empty name: nobody is chosen (a series finished then
    // waits). False, and nothing changes, for a name the roster in use does
    // not take (ClassRoster::Accepts).
    bool SetShooter(const QString &name, const QString &klass = QString());
    // The class roster in use: a shooter it does not take is no longer
    // chosen, and one is asked for (ShooterWanted).
    void SetRoster(const ClassRoster &roster);
    // The start, once what the journal remembers is known: with a roster in
    // use nobody is carried over and a shooter is asked for; without one the
    // remembered shooter goes on (unless one was chosen already). Series
    // finished before this wait without asking.
    void StartWith(const QString &remembered, const QString &klass);
    // The end: the series still waiting are filed under UnnamedShooter(),
    // never sent on to a class journal, so nothing is lost.
    void FileWaitingUnnamed();
    // The name series go under when nobody was chosen by the end.
    static QString UnnamedShooter();
    // The time a timed series is to be fired in, seconds (the settings'
    // [Exercise] TimeLimit); a limit out of range gives the default. It
    // holds for the exercise in progress and for each one started later.
    void SetTimeLimit(int seconds);

    // ---------------------------------------------------- what has happened

    Exercise CurrentExercise() const { return FRule->Kind(); }
    const ExerciseRule &Rule() const { return *FRule; }
    const QList<ShotRecord> &Shots() const { return FShots; }
    bool AwaitingCall() const { return FAwaitingCall; }
    // Every shot of the series fired, and called where calls are asked.
    bool Finished() const;
    QPoint HiddenError() const { return FRule->HiddenError(); }
    Scoreboard Board() const;
    QString Hint() const { return FRule->Hint(FAwaitingCall); }
    DebriefView Debrief() const;
    // The shooter chosen (or carried over from the last run); nothing
    // until one is.
    std::optional<QString> Shooter() const { return FShooter; }
    QString ShooterClass() const { return FShooterClass; }
    const ClassRoster &Roster() const { return FRoster; }
    // Finished series waiting for a shooter, in order.
    int Waiting() const { return int(FWaiting.size()); }
    // Some shots fired and the series not finished.
    bool SeriesInProgress() const { return !FShots.isEmpty() && !Finished(); }
    int TimeLimit() const { return FTimeLimit; }
    ClockView Clock() const;
    // A shot's score as the exercise counts it: 0 for one after the time.
    static int Counted(const ShotRecord &shot) { return shot.late ? 0 : shot.score; }

Q_SIGNALS:
    void ScoreboardChanged(const Scoreboard &board);
    // The next press over the scene calls the shot just fired.
    void CallAwaited();
    // A shot was called: where the learner said, and the hole, in the
    // scene's coordinates.
    void ShotCalled(QPoint call, QPoint hole);
    // The series was cleared: what was drawn for it goes.
    void SeriesCleared();
    // A finished series, complete, for the journal.
    void SeriesFiled(const JournalSeries &series);
    void HintChanged(const QString &hint);
    // What the debrief shows has changed.
    void DebriefChanged();
    // The shooter chosen changed (an empty name: nobody is chosen).
    void ShooterChanged(const QString &name, const QString &klass);
    // Nobody is chosen and a shooter is wanted: a finished series waits for
    // one, or the start with a class roster asks.
    void ShooterWanted();
    // A finished series waits for its shooter: to be kept safe meanwhile,
    // under the name it would be filed under at the end.
    void SeriesWaiting(const JournalSeries &series);
    // The clock started, stopped, was set back or shown or hidden (it is
    // read through Clock(); while it runs its time changes without a word).
    void ClockChanged();

private:
    // The series has all it takes: the exercise counts it, the journal gets it.
    void FinishSeries();
    JournalSeries Record() const;
    TargetPicture Seen() const;
    void ShowBoard();
    void StartSession();
    // Another target (or rings) starts another session.
    void KeepSessionFor(const TargetGeometry &target);
    bool SessionTargetIs(const TargetGeometry &target) const; // the same rings as the session's
    // The series' total as the exercise counts it: the target's, less the
    // shots after the time.
    int CountedTotal() const;
    // The clock of a timed exercise, from nothing.
    void StartClock(qint64 now);
    void ResetClock();
    void ApplyTimeLimit();

    Scene &FScene;
    Effects &FEffects;
    std::unique_ptr<ExerciseRule> FRule;
    QList<ShotRecord> FShots;
    TargetPicture FPrevious;
    QList<ShotRecord> FSession;   // the finished series' shots, as fired
    TargetGeometry FSessionTarget;
    QList<HistoryRow> FHistory;
    bool FAwaitingCall = false;
    AimTrace FTrace;
    qint64 FLastShotMs = -1;
    // Files the series under the shooter chosen, or keeps it waiting.
    void File(JournalSeries series);

    std::optional<QString> FShooter; // never empty
    QString FShooterClass;
    ClassRoster FRoster;
    bool FStarted = false; // StartWith() has been told
    bool FCarriedOver = false; // the shooter is the last run's, not chosen in this one
    QList<JournalSeries> FWaiting;
    int FTimeLimit = kDefaultTimeLimit; // seconds
    qint64 FClockStartMs = -1; // on the effects' clock; -1: not started
};
