#include "journal/classroster.h"

#include <QCollator>
#include <QCoreApplication>
#include <QSet>
#include <QStringDecoder>

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

ClassRoster::Import ClassRoster::ParseNames(const QByteArray &file)
{
    QString text;
    {
        QStringDecoder utf8(QStringDecoder::Utf8);
        text = utf8.decode(file);
        if (utf8.hasError()) {
            QStringDecoder cp1251("windows-1251");
            text = cp1251.decode(file);
        }
    }
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    Import result;
    QSet<QString> seen;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    for (QString line : text.split(QLatin1Char('\n'))) {
        line = line.trimmed();
        if (line.size() >= 2 && line.startsWith(QLatin1Char('"')) && line.endsWith(QLatin1Char('"'))) {
            line = line.mid(1, line.size() - 2).replace(QLatin1String("\"\""), QLatin1String("\"")).trimmed();
        } else if (line.size() >= 2
                   && ((line.startsWith(u'\u00AB') && line.endsWith(u'\u00BB'))
                       || (line.startsWith(QLatin1Char('\'')) && line.endsWith(QLatin1Char('\''))))) {
            line = line.mid(1, line.size() - 2).trimmed();
        }
        if (line.isEmpty() || seen.contains(line))
            continue;
        seen.insert(line);
        if (line.size() > kMaxName)
            result.tooLong << line;
        else
            result.names << line;
    }
    return result;
}
