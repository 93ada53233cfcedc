#pragma once

#include "session/lesson.h"
#include "ui/debrieftarget.h"
#include "ui_frmDebrief.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

// The debrief of the series: its target drawn large with the holes, the
// mean point of impact, the mean radius and the extreme spread; the figures
// in plain words, shot by shot what sent each one there, and the coach's
// advice with a button that applies the advised correction. It stands beside
// the main window, is updated by it, and never takes the focus from it.
class TDebriefF : public QWidget, public Ui::TDebriefF
{
    Q_OBJECT
public:
    explicit TDebriefF(QWidget *parent = nullptr);

    // Shows the lesson's series as the lesson sees it.
    void ShowSeries(const DebriefView &view);
    const SeriesFigures &Figures() const { return Target->Current().figures; }
    // The shot whose aim trace is drawn (0 for the first); "Повтор" replays it.
    void ShowTraceOf(int shot);
    void Replay();

    // Size and place are kept in this settings file, section [Debrief].
    void SetSettingsFile(const QString &path) { FSettingsFile = path; }
    // Shows the window where it was last, or beside the window given.
    void Open(QWidget *beside);
    // Writes its size and place into the settings file, if it was opened.
    // Called when the program ends; closing the window only remembers them.
    void SaveGeometry();

Q_SIGNALS:
    // "Применить": the advised correction is to be applied.
    void ApplyCorrection();
    // "Журнал": the journal window is wanted.
    void OpenJournal();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void RememberGeometry();
    // The shots shown, as the target holds them.
    const QList<ShotRecord> &Shots() const { return Target->Current().shots; }
    int FTraceShot = -1;
    QTimer *FReplay = nullptr;
    QElapsedTimer FReplayClock;
    QString FSettingsFile;
    QRect FPlace; // frame corner and inner size; invalid: none yet
    bool FOpened = false;
};
