#include "journal/classroster.h"

#include <QCollator>
#include <QCoreApplication>

#include <algorithm>

namespace {
struct RosterTexts {
    Q_DECLARE_TR_FUNCTIONS(ClassRoster)
};
} // namespace

ClassRoster::ClassRoster(QList<Learner> learners)
{
    QCollator collator{QLocale(QLocale::Russian)};
    collator.setNumericMode(true);
    for (Learner &l : learners) {
        l.klass = l.klass.trimmed();
        l.name = l.name.trimmed();
    }
    learners.erase(std::remove_if(learners.begin(), learners.end(), [](const Learner &l) { return l.name.isEmpty(); }),
                   learners.end());
    std::sort(learners.begin(), learners.end(), [&](const Learner &a, const Learner &b) {
        const int byClass = collator.compare(a.klass, b.klass);
        return byClass != 0 ? byClass < 0 : collator.compare(a.name, b.name) < 0;
    });
    learners.erase(std::unique(learners.begin(), learners.end()), learners.end());
    FLearners = std::move(learners);
}

QStringList ClassRoster::Classes() const
{
    QStringList classes;
    for (const Learner &l : FLearners)
        if (classes.isEmpty() || classes.last() != l.klass)
            classes << l.klass;
    return classes;
}

QStringList ClassRoster::Names(const QString &klass) const
{
    QStringList names;
    for (const Learner &l : FLearners)
        if (l.klass == klass)
            names << l.name;
    return names;
}

bool ClassRoster::Accepts(const QString &klass, const QString &name, QString *reason) const
{
    const QString trimmed = name.trimmed();
    auto refuse = [&](const QString &why) {
        if (reason)
            *reason = why;
        return false;
    };
    if (trimmed.isEmpty())
        return refuse(RosterTexts::tr("имя не указано"));
    if (trimmed.size() > kMaxName)
        return refuse(RosterTexts::tr("имя длиннее %1 знаков").arg(kMaxName));
    if (InUse() && !FLearners.contains(Learner{klass.trimmed(), trimmed}))
        return refuse(klass.trimmed().isEmpty() ? RosterTexts::tr("«%1» нет в списке класса").arg(trimmed)
                                                : RosterTexts::tr("«%1» нет в списке класса %2").arg(trimmed, klass.trimmed()));
    return true;
}

QString ClassRoster::ToText() const
{
    QStringList lines;
    for (const Learner &l : FLearners)
        lines << l.klass + QLatin1Char('\t') + l.name;
    return lines.join(QLatin1Char('\n'));
}

ClassRoster ClassRoster::FromText(const QString &text)
{
    QList<Learner> learners;
    for (const QString &line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const int tab = line.indexOf(QLatin1Char('\t'));
        if (tab >= 0)
            learners << Learner{line.left(tab), line.mid(tab + 1)};
    }
    return ClassRoster(std::move(learners));
}
