#pragma once

#include "ui/progresschart.h"
#include "ui_frmClass.h"
#include "journal/classreport.h"

#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class ClassServer;

// The teacher's window on the class journal: a class's day learner by
// learner (everyone on its roster, and anyone else who fired), one exercise
// or all, the class's progress over the last weeks, its roster, and the
// lesson's exports (the journal's CSV of every shot; a page for the grade
// book). It reads over a connection of its own and hears of each series as
// it is filed, so a learner's new series is in the table at once; a server
// that does not answer is said so and tried again every few seconds.
class TClassF : public QWidget, public Ui::TClassF
{
    Q_OBJECT
public:
    explicit TClassF(const QString &service, QWidget *parent = nullptr);
    ~TClassF() override;

    enum class Access {
        Reads,       // shown: the class's series are read
        FilesOnly,   // not shown: this computer's role only files series
        Unreachable, // shown, saying so, and trying again
    };
    // Connects (when not connected) and shows the window, beside the given
    // one the first time, unless the role may not read the class.
    Access Open(QWidget *beside);
    bool Connected() const;
    // What a computer whose role only files series is told.
    static QString FilesOnlyText();

    // Reads the chosen class's day and its weeks again.
    void Refresh();
    // The day's table as shown (sorted as the user chose).
    QAbstractItemModel *DayModel() { return &FSorted; }
    void ChooseClass(const QString &klass);
    void ChooseExercise(const std::optional<QString> &exercise);

    bool ExportCsvTo(const QString &path, QString *error);
    bool ExportPdfTo(const QString &path, QString *error);

    // The weeks the chart shows.
    static constexpr int kWeeks = 12;
    // How often a server that did not answer is tried again.
    static constexpr int kRetryMs = 3000;
    static constexpr int kHeartbeatMs = 3000;

    // Tests give the file to save instead of a dialog (empty: cancel), and
    // take the message a failure would show in a box; empty functions
    // restore the dialog and the box.
    static void SetSavePathHookForTesting(std::function<QString(const QString &suggested)> hook);
    static void SetMessageHookForTesting(std::function<void(const QString &text)> hook);

Q_SIGNALS:
    // The day's table was filled (again).
    void DayShown();

private:
    bool Connect();
    void Unreachable(const QString &reason);
    void ShowClasses();
    void ShowExercises();
    void ShowDay();
    void ShowWeeks();
    void RefreshSoon();
    void EditRoster();
    // The lesson's report's file name: the class and the day.
    QString LessonFileName(const QString &ending) const;
    ClassDayQuery Query() const;
    // A failed read: the connection is given up when it is the connection's.
    void ReadFailed(const QString &reason);
    void Export(const QString &suggested, const std::function<bool(const QString &, QString *)> &write);
    void Tell(const QString &text);

    QString FService;
    std::shared_ptr<ClassServer> FServer; // shared with the roster's window while it is open
    QTimer FHeartbeat; // a connection lost unseen (its notices stop) is found
    bool FFilesOnly = false; // the role connected as may only file series
    bool FPlaced = false;
    QStandardItemModel FModel;
    QSortFilterProxyModel FSorted;
    QTimer FRetry;
    // Filed series come in bursts (a whole class finishing a series): one
    // reading after a short pause serves them all, and one more for those
    // told while it ran.
    QTimer FRefresh;
};
