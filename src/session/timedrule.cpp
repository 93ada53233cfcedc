#include "session/timedrule.h"

#include "platform/intconv.h"

#include <QCoreApplication>

#include <algorithm>

namespace {

// The texts a user reads, for translation (in the exercises' own context).
struct TimedTexts {
    Q_DECLARE_TR_FUNCTIONS(Exercise)
};

// Seconds with a decimal comma, as the debrief gives every time: "24,6".
QString Seconds(int ms) { return Decimal(ms / 1000.0); }

} // namespace

int ValidTimeLimit(int seconds)
{
    return seconds >= kMinTimeLimit && seconds <= kMaxTimeLimit ? seconds : kDefaultTimeLimit;
}

int TimeLimitFromSetting(const QString &text) { return ValidTimeLimit(TextToInt(text).value_or(kDefaultTimeLimit)); }

TimedRule::TimedRule(int limitSeconds) : ExerciseRule(Exercise::Timed), FLimit(ValidTimeLimit(limitSeconds)) {}

QString TimedRule::Hint(bool) const
{
    return TimedTexts::tr("На время: 5 выстрелов за %1 с. Время пойдёт с первым движением оружия или мушки.")
        .arg(FLimit);
}

QStringList TimedRule::Words(const SeriesState &state) const
{
    if (state.shots.isEmpty())
        return {TimedTexts::tr("Стрельба на время: 5 выстрелов за %1 с; время считается от первого движения оружия "
                               "или мушки.")
                    .arg(FLimit)};
    const int late = int(std::count_if(state.shots.cbegin(), state.shots.cend(),
                                       [](const ShotRecord &s) { return s.late; }));
    const int fired = int(state.shots.size());
    QStringList words{TimedTexts::tr("Стрельба на время: %1 за %2 с из %3; после времени — %4.")
                          .arg(CountOf(fired, QT_TRANSLATE_NOOP("CountOf", "выстрел"),
                                       QT_TRANSLATE_NOOP("CountOf", "выстрела"),
                                       QT_TRANSLATE_NOOP("CountOf", "выстрелов")))
                          .arg(Seconds(std::max(0, state.shots.last().sinceStartMs)))
                          .arg(FLimit)
                          .arg(late)};
    if (late > 0)
        words << TimedTexts::tr("Выстрелы после времени не засчитаны: 0 очков, как промах.");
    return words;
}

void TimedRule::File(JournalSeries &series) const
{
    ExerciseRule::File(series);
    series.timeLimitMs = TimeLimitMs();
}
