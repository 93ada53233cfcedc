#pragma once

#include <memory>

#include "ui_frmClassRoster.h"

#include <QDialog>

#include <functional>

class ClassServer;

// A class's roster on the class journal: its names, a name added or removed,
// and a school's list of names imported from a file. Every change goes to the
// server at once; the window that opened it hears Changed().
class TClassRosterF : public QDialog, public Ui::TClassRosterF
{
    Q_OBJECT
public:
    // The server is shared: a window that loses its connection meanwhile lets
    // go of it, and this one still has it until it closes.
    TClassRosterF(std::shared_ptr<ClassServer> server, const QString &klass, QWidget *parent = nullptr);

    QString Class() const { return FClass; }
    // Reads the class's names from the server again.
    void Reload();
    // Adds the names of a file (ClassRoster::ParseNames); false with what to
    // tell the user.
    bool ImportFile(const QString &path, QString *message);

    // Tests give the file to import instead of a dialog (empty: cancel); an
    // empty function restores the dialog.
    static void SetOpenPathHookForTesting(std::function<QString()> hook);

Q_SIGNALS:
    void Changed();

private:
    void Add();
    void Remove();
    void Import();
    void Tell(const QString &text);

    std::shared_ptr<ClassServer> FServer;
    QString FClass;
};
