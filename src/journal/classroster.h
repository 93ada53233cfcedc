#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The class roster: the learners of each class, as the class journal's
// server keeps them (and this computer remembers them from the last time it
// reached the server). A plain value.
//
// A roster is in use once it holds a name: then a series is filed only under
// a name on it, and a name not on it is refused.
class ClassRoster
{
public:
    struct Learner {
        QString klass; // the class, e.g. «7Б»; may be empty
        QString name;
        friend bool operator==(const Learner &a, const Learner &b) { return a.klass == b.klass && a.name == b.name; }
    };

    ClassRoster() = default;
    explicit ClassRoster(QList<Learner> learners);

    bool InUse() const { return !FLearners.isEmpty(); }
    const QList<Learner> &Learners() const { return FLearners; }
    // The classes, in order, each once.
    QStringList Classes() const;
    // A class's learners, in order.
    QStringList Names(const QString &klass) const;
    // The name (trimmed) may be filed under the class: any non-empty name of
    // at most kMaxName characters when no roster is in use, only the
    // roster's own otherwise. False with the reason a user can read.
    bool Accepts(const QString &klass, const QString &name, QString *reason = nullptr) const;

    // Kept with the local journal as text: a line a learner, "class<TAB>name".
    QString ToText() const;
    static ClassRoster FromText(const QString &text);

    static constexpr int kMaxName = 200;

    friend bool operator==(const ClassRoster &a, const ClassRoster &b) { return a.FLearners == b.FLearners; }
    friend bool operator!=(const ClassRoster &a, const ClassRoster &b) { return !(a == b); }

    // A file of names to add to a class, as a school's list comes: one name a
    // line, UTF-8 (with or without its byte-order mark) or, when it is not
    // valid UTF-8, Windows-1251. Each name trimmed, a pair of quotes around
    // it dropped (a spreadsheet's doubled quotes inside made single), blank
    // lines skipped, each name once in the file's order; a name longer than
    // kMaxName is not taken but told.
    struct Import {
        QStringList names;
        QStringList tooLong;
    };
    static Import ParseNames(const QByteArray &file);

private:
    QList<Learner> FLearners; // sorted by class, then name
};
