#pragma once

// The exercises a coach runs, each rule in one place: what the exercise
// hides, what it asks of the learner, when it is done, what it says about a
// series and what the journal keeps of it; with the arithmetic it judges by.

#include "analysis/debrief.h"
#include "journal/journal.h"

#include <QList>
#include <QPoint>
#include <QString>
#include <QStringList>

#include <memory>

enum class Exercise {
    Free,     // «Свободная стрельба»: everything as it always was
    Grouping, // «Кучность»: scores hidden during the series, the group judged by a norm
    Zeroing,  // «Приведение к нормальному бою»: a gun with a hidden error to be found
    Calling,  // «Объявление пробоины»: each shot called before it is seen
    Timed,    // «Стрельба на время»: five shots within the coach's time (session/timedrule.h)
};

QString ExerciseName(Exercise exercise);  // as the drop-down shows it
QString ExerciseKey(Exercise exercise);   // as the settings file keeps it (ASCII)
Exercise ExerciseFromKey(const QString &key); // Free for anything unknown

// «Кучность»: the group passes when its mean radius and its extreme spread
// are both within the norm (Thresholds::kGroupingMeanRadius, kGroupingSpread).
struct GroupingVerdict {
    bool passed = false;
    QString text; // the verdict and, for a group that fails, the coach's hint
};
GroupingVerdict JudgeGrouping(const SeriesFigures &figures);

// «Приведение к нормальному бою» is done with a tight group whose mean point
// of impact lies within Thresholds::kZeroedWithin ring widths of the centre.
bool ZeroingDone(const SeriesFigures &figures);

// «Объявление пробоины»: how far each call was from its hole, in ring
// widths, and the share of calls within Thresholds::kCallWithin of it.
struct CallFigures {
    QList<double> errors; // per called shot, ring widths
    int called = 0;
    double share = 0;     // 0 to 1
};
CallFigures JudgeCalls(const QList<ShotRecord> &shots, const TargetGeometry &target);

// A series as an exercise judges it.
struct SeriesState {
    QList<ShotRecord> shots; // those seen: a shot awaiting its call is not
    TargetGeometry target;
    SeriesFigures figures;   // of those shots
    bool finished = false;   // every shot fired, and called where calls are asked
};

// One exercise's rule. Free shooting is the rule that changes nothing.
class ExerciseRule
{
public:
    virtual ~ExerciseRule() = default;

    Exercise Kind() const { return FKind; }

    // Where a gun not yet zeroed sends its shots beyond what the sights say.
    virtual QPoint HiddenError() const { return {}; }
    // Whether the learner may see a shot's score yet.
    virtual bool ScoreSeen(const ShotRecord &, bool /*seriesFinished*/) const { return true; }
    // Each shot is hidden until the learner has called it.
    virtual bool CallsShots() const { return false; }
    // The coach's sight correction, and «Применить», belong to the exercise.
    virtual bool OffersCorrection() const { return true; }
    // The hint under the target.
    virtual QString Hint(bool /*awaitingCall*/) const { return {}; }
    // A series has all its shots (called, where calls are asked).
    virtual void SeriesFinished(const SeriesFigures &) {}
    // The exercise's word in the debrief, before the coach's advice.
    virtual QStringList Words(const SeriesState &) const { return {}; }
    // What the journal keeps of the exercise with a finished series.
    virtual void File(JournalSeries &series) const;
    // The exercise starts afresh once its series is cleared.
    virtual bool StartsAgainOnClear() const { return false; }
    // Where the elevation bar is to stand when the exercise ends; -1: where it is.
    virtual int BarAtEnd() const { return -1; }
    // The time a series is to be fired in, on a clock the lesson runs; 0: no clock.
    virtual int TimeLimitMs() const { return 0; }
    // A shot (its time from the clock's start given) came after the time:
    // the exercise counts it 0, whatever it hit.
    virtual bool Late(const ShotRecord &) const { return false; }

protected:
    explicit ExerciseRule(Exercise kind) : FKind(kind) {}

private:
    Exercise FKind;
};

// Where a learner holding the sight picture the program teaches points the
// gun: the front sight level in the middle of the notch, the black circle
// sitting on its top, so the notch stands at the circle's bottom edge.
// Pixels from the target's centre, y downwards.
QPointF TaughtHold(const TargetGeometry &target);

// «Приведение к нормальному бою»: the state a test and the debrief read.
class ZeroingRule : public ExerciseRule
{
public:
    // A gun that was never zeroed, with the bar standing as given, over the
    // target given. Its error in height is such that, for the taught hold,
    // the bar zeroes it 2 to 5 divisions from where it stands, within its
    // range; sideways it is 4 to 12 pixels off, for the hold to make good.
    ZeroingRule(const ElevationBar &bar, const TargetGeometry &target);

    QPoint Error() const { return FError; }
    // Where the bar zeroes this gun for the taught hold over the target the
    // exercise started on.
    int BarZeroing() const { return FBarZeroing; }
    int SeriesFired() const { return FSeries; }
    bool Done() const { return FDone; }
    int BarBefore() const { return FBarBefore; }

    QPoint HiddenError() const override { return FError; }
    QString Hint(bool awaitingCall) const override;
    void SeriesFinished(const SeriesFigures &figures) override;
    QStringList Words(const SeriesState &state) const override;
    void File(JournalSeries &series) const override;
    // Once zeroed, the gun needs no more correction.
    bool OffersCorrection() const override { return !FDone; }
    bool StartsAgainOnClear() const override { return FDone; }
    int BarAtEnd() const override { return FBarBefore; }

private:
    QPoint FError;
    int FSeries = 0;
    int FBarBefore = -1;
    int FBarZeroing = -1;
    bool FDone = false;
};

// The rule of an exercise, started with the bar standing as given over the
// target given.
std::unique_ptr<ExerciseRule> MakeExerciseRule(Exercise exercise, const ElevationBar &bar,
                                               const TargetGeometry &target);
