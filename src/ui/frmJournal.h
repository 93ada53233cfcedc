#pragma once

#include "ui/debrieftarget.h"
#include "ui/progresschart.h"
#include "ui/seriestablemodel.h"
#include "ui_frmJournal.h"

#include <QWidget>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class JournalStore;
class TJournalKeeper;
class TClassF;

// The journal window: the shooter in use, their series newest first, the
// chosen series drawn as in the debrief, the progress over time, and the
// exports for the coach (CSV of every shot; a PDF of a series or of a day).
class TJournalF : public QWidget, public Ui::TJournalF
{
    Q_OBJECT
public:
    explicit TJournalF(TJournalKeeper *keeper, QWidget *parent = nullptr);
    ~TJournalF() override;

    // Shows the window (beside the given one the first time) with the
    // shooter in use.
    void Open(QWidget *beside);
    // Lists the shooter's series again.
    void Refresh();
    // A series was written: listed and charted if it is the shooter's, and
    // chosen (the rest of the list is not read again).
    void Added(qint64 id);
    // The list is being read (on a thread of its own).
    bool Listing() const { return FListing; }
    // Chooses a listed series (0: the newest).
    void SelectRow(int row);

    bool ExportCsvTo(const QString &path, QString *error);
    bool ExportSeriesPdfTo(const QString &path, QString *error);
    bool ExportDayPdfTo(const QString &path, QString *error);
    // «Класс…»: the class window, when this computer's role may read the
    // class; else the user is told that it only files series.
    void OpenClass();
    TClassF *ClassWindow() const { return FClass.get(); }

    // Tests give the file to save instead of a dialog; an empty function
    // restores the dialog. Returns the chosen path, or nothing to cancel.
    static void SetSavePathHookForTesting(std::function<QString(const QString &suggested)> hook);
    // Tests take the message of a failed export (or of the class window
    // refused) instead of the box.
    static void SetMessageHookForTesting(std::function<void(const QString &text)> hook);

private:
    // Lists and charts the series of the shooter in use: read off the GUI
    // thread, shown when read.
    void ShowSeries();
    void ShowListing(QList<JournalSeries> series);
    // The listed series' steadiness, measured from their traces off the GUI
    // thread and given to the list as it comes.
    void MeasureListed();
    void ShowCount();
    void ChartSeries();
    // The shooters the window offers: the class roster's, or the journal's.
    void OfferShooters(JournalStore *store, const QString &shooter);
    // The shooter typed or picked, if the roster takes them; the reason
    // beside the field otherwise.
    void ChooseShooter();
    // The shooter in use, as titles name them.
    QString ShooterTitle() const;
    void Export(const QString &suggested, const std::function<bool(const QString &, QString *)> &write);
    QList<JournalSeries> DayOfSelected();
    std::optional<JournalSeries> ReadRow(int row);

    TJournalKeeper *FKeeper;
    TSeriesTableModel FModel;
    bool FPlaced = false;
    int FGeneration = 0; // of the listing asked for last
    // The same for the listing's thread, which measures the steadiness of
    // the series after listing them and stops when it changes (-1: the
    // window is gone).
    std::shared_ptr<std::atomic<int>> FLatestListing = std::make_shared<std::atomic<int>>(0);
    bool FListing = false;
    std::unique_ptr<TClassF> FClass;
};
