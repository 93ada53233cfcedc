#pragma once

#include "journal/classroster.h"
#include "ui/modalform.h"
#include "ui_frmShooter.h"

// «Кто стреляет?»: the learner who shoots next. With a class roster in use,
// a class and one of its names (a filter above the list narrows it as one
// types; a double-click or OK picks); without one, a name typed in (the
// names the journal holds are offered as one types). OK with a name the
// roster does not take is refused, with the reason, and the window stays.
class TShooterF : public TModalForm, public Ui::TShooterF
{
    Q_OBJECT
public:
    explicit TShooterF(QWidget *parent = nullptr);

    // What it offers: the roster (with the class chosen last preselected),
    // or the names the journal holds when no roster is in use.
    void Offer(const ClassRoster &roster, const QString &lastClass, const QStringList &journalNames);

    // The learner picked, once the window closed with OK.
    QString Name() const { return FName; }
    QString Class() const { return FClass; }

private:
    void ShowClass();
    void Filter();
    void Pick();

    ClassRoster FRoster;
    QString FName;
    QString FClass;
};
