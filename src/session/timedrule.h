#pragma once

// «Стрельба на время»: the five shots of a series within a time the coach
// sets (30 s unless the settings say otherwise).
//
// When the clock starts: with the learner's first movement of the gun or of
// the front sight once the series has been cleared or the exercise chosen
// (the first TLesson::AimAt), or with the first shot should it come before
// any movement. A coach times a series from the command «Огонь!», before the
// weapon is brought onto the target, so the first shot's aiming is part of
// the time: a clock started at the first shot would leave it out, and five
// shots «in 30 s» would be four splits after as long a first aim as the
// learner liked. A clock started by «Очистить» or by the choice of the
// exercise would run while the learner reads the hint or listens to the
// coach instead; the first movement is the learner's own «готов», as taking
// up the weapon is. The clock stops at the series' last shot and is set back
// to nothing by a clear (also a change of target or of exercise): the next
// movement starts it again.
//
// A late shot: one fired later than the limit, to the millisecond; a shot at
// the limit exactly is in time. It is marked on the target and scored by it
// as always (the target's total, TRoundTarget::FTotal, belongs to the
// specified model and keeps it), but the exercise counts it 0, as a miss:
// the scoreboard, the debrief's sum and the journal's series total leave it
// out, and the journal files its score as 0, marked late.
//
// What is shown: the main window shows the clock under the results,
// «Время: 12,3 с из 30», every tenth of a second while it runs and in red
// once the limit has passed, and only in this exercise (it reads
// TLesson::Clock(); the rule is here and in the lesson). The debrief shows
// each shot's time from the clock's start (a column of its own, «Время, с»,
// at the table's end, hidden in the other exercises), a late shot's
// score as «0 (после времени)», and the exercise's word: «Стрельба на время:
// 5 выстрелов за 24,6 с из 30; после времени — 0.» The journal keeps the
// exercise's name, the limit, each shot's time from the start and whether it
// was late.

#include "session/exercises.h"

#include <QString>

// The limit in seconds, and the range a settings file's value must lie in.
constexpr int kDefaultTimeLimit = 30;
constexpr int kMinTimeLimit = 5;
constexpr int kMaxTimeLimit = 600;

// A limit as given, or the default for one out of the range.
int ValidTimeLimit(int seconds);
// The limit as the settings file keeps it ([Exercise] TimeLimit, seconds, a
// whole number read as every number of the settings is): none, a value out
// of the range, or one that is not a number gives the default.
int TimeLimitFromSetting(const QString &text);

class TimedRule : public ExerciseRule
{
public:
    explicit TimedRule(int limitSeconds = kDefaultTimeLimit);

    int LimitSeconds() const { return FLimit; }
    // A limit out of the range gives the default.
    void SetLimit(int seconds) { FLimit = ValidTimeLimit(seconds); }

    int TimeLimitMs() const override { return FLimit * 1000; }
    bool Late(const ShotRecord &shot) const override { return shot.sinceStartMs > TimeLimitMs(); }
    QString Hint(bool awaitingCall) const override;
    QStringList Words(const SeriesState &state) const override;
    void File(JournalSeries &series) const override;

private:
    int FLimit;
};
