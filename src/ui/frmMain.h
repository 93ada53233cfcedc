#pragma once

#include "analysis/debrief.h"
#include "analysis/exercise.h"
#include "model/Globals.h"
#include "ui/radiogroup.h"
#include "ui_frmMain.h"

#include <QPointer>
#include <QWidget>

#include <functional>

// The main window: the target, the gun, the results and the settings panel.
// Its design lives in frmMain.ui; the handlers below give it life.
class TDebriefF;
class TJournalKeeper;
class TJournalF;

class TMainF : public QWidget, public Ui::TMainF
{
    Q_OBJECT
public:
    explicit TMainF(QWidget *parent = nullptr);
    ~TMainF() override;

    // The scene, made by FormCreate; either may be absent when its pictures
    // could not be loaded, and every handler copes with that.
    TRoundTarget *Target = nullptr;
    TGun *Gun = nullptr;
    TLaser *Laser = nullptr; // present while the laser sight is on
    bool LaserOn = false;

    // What a pointer movement does: 0 nothing, 1 move the gun, 2 move the
    // front sight.
    quint8 DragMode = 0;
    QPoint GrabOffset; // mode 1: pointer minus gun position at the press
    QPoint LastMouse;  // mode 2: pointer at the press or the last movement

    TRadioGroup *TargetSize = nullptr; // the item index of rgTargetSize

    // The shots of the series with what sent each one where it went, and
    // the last finished series, for the debrief.
    QList<ShotRecord> FShotRecords;
    QList<ShotRecord> FPreviousShots;
    TargetGeometry FPreviousTarget;
    TDebriefF *Debrief = nullptr;      // made when first opened
    TJournalF *JournalWindow = nullptr; // made when first opened
    // The geometry the target scores with now.
    TargetGeometry CurrentGeometry() const;
    ElevationBar CurrentBar() const;
    // The journal of finished series, made when first needed.
    TJournalKeeper *Journal();

    // The exercise chosen in «Упражнение»; free shooting is the default.
    Exercise FExercise = Exercise::Free;
    // «Приведение к нормальному бою»: the gun's hidden error, the series it
    // has taken so far, and the bar as it stood before (given back after).
    struct Zeroing {
        QPoint error;
        int series = 0;
        int barBefore = -1;
        bool done = false;
    } FZeroing;
    // «Объявление пробоины»: a shot waits for its call.
    bool FAwaitingCall = false;
    QList<QPointer<TCallMark>> FCallMarks;
    // The aim point's path over the last two seconds, for each shot's trace.
    AimTrace FTrace;
    // Where a shot goes beyond what the sights say: the hidden error.
    QPoint HiddenError() const;
    // Calls the awaited shot at a point of the window.
    void CallAt(QPoint p);
    // The clock of aim samples and shots, in milliseconds; by default the
    // time since the window was made. A test hands in a clock it moves.
    void SetClock(std::function<qint64()> now);

    // The settings file written: beside the executable when its folder may
    // be written, else the user's own (UserSettingsPath). The one read is
    // the same, but for a user who has none yet: then the one beside the
    // executable gives the settings to start with.
    static QString SettingsPath();
    static QString SettingsReadPath();
    // $XDG_CONFIG_HOME/vimbra/Vimbra.INI (~/.config/vimbra/ by default).
    static QString UserSettingsPath();

    void FormMouseDown(QObject *Sender, Qt::MouseButton Button, TShiftState Shift, int X, int Y);
    void FormMouseMove(QObject *Sender, TShiftState Shift, int X, int Y);
    void FormMouseUp(QObject *Sender, Qt::MouseButton Button, TShiftState Shift, int X, int Y);
    void FormDblClick(QObject *Sender);

Q_SIGNALS:
    // The window has been closed: the program is to end.
    void Closed();

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool m_soundPrepared = false;
    bool m_settingsRead = false;
    bool m_debriefPending = false;
    TJournalKeeper *m_journal = nullptr;
    bool m_swallowDouble = false; // the double-click whose press made a call
    std::function<qint64()> m_now; // the time of aim samples and shots
    qint64 m_lastShotMs = -1;

    void FormCreate();
    void FormClose();
    void FormDestroy();
    void Button1Click();
    void btnAboutClick();
    void btnResetClick();
    void cbLaserClick();
    void PlankaCorrectionBarChange();
    void edBlackChange();
    int BlackCircleValue() const;
    void rgTargetSizeClick();
    void btnDebriefClick();
    void btnJournalClick();
    void cbExerciseChange();
    void StartExercise(Exercise exercise);
    void EndExercise();
    void ShowExerciseHint();
    void CountSeriesInExercise();
    void SeriesEndedInExercise();
    void ShowSingles(bool all);
    void RecordAim();
    // The debrief follows the series once the event at hand is done, so
    // the firing path never waits for it.
    void ScheduleDebriefUpdate();
    void UpdateDebrief();
    void EndSeriesRecords();
    void RecordFinishedSeries();

    void Fire();
    void UpdateLaser();
    void LoadSettings();
    void SaveSettings();
    QPoint ClientPoint(QObject *Sender, int X, int Y) const;
    // Routes a control's mouse events to the window's own handlers.
    void BindMouse(TControl *source);
};

// The one main window of the running program.
extern TMainF *MainF;

// A random offset centred on zero: Random(n) - n div 2 (-5 to 4 for n = 10).
int RandomSpread(int n);
