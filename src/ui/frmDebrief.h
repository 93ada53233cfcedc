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
// advice with a button that applies the advised correction. It is a panel of
// the main window, beside the lesson or below it, and is updated by it.
class TDebriefF : public QWidget, public Ui::TDebriefF
{
    Q_OBJECT
public:
    explicit TDebriefF(QWidget *parent = nullptr);

    // Shows the lesson's series as the lesson sees it: this series, or the
    // session's group and history, as «Группа» chooses.
    void ShowSeries(const DebriefView &view);
    bool SessionShown() const { return cbScope->currentIndex() == 1; }
    const SeriesFigures &Figures() const { return Target->Current().figures; }
    // The shot whose aim trace is drawn (0 for the first); "Повтор" replays it.
    void ShowTraceOf(int shot);
    void Replay();

    // Beside the lesson the target stands above the words; below it, the
    // target stands left of them.
    void SetStacked(bool stacked);

Q_SIGNALS:
    // "Применить": the advised correction is to be applied, the series' or
    // the session's.
    void ApplyCorrection(bool fromSession);
    // "Журнал": the journal window is wanted.
    void OpenJournal();
    // "Скрыть": the panel is to go.
    void HideWanted();

private:
    // The shots shown, as the target holds them.
    const QList<ShotRecord> &Shots() const { return Target->Current().shots; }
    DebriefView FView; // as last shown, for a change of «Группа»
    int FTraceShot = -1;
    // «Стрельба на время»: each shot's time from the clock's start, a column
    // of its own at the table's end, shown in that exercise only.
    int FTimeColumn = -1;
    void ShowTimes(bool shown, const QList<ShotRecord> &shots);
    QTimer *FReplay = nullptr;
    QElapsedTimer FReplayClock;
};
