#pragma once

#include "model/Globals.h"
#include "platform/random.h"
#include "session/lesson.h"
#include "ui/placement.h"
#include "ui/radiogroup.h"
#include "ui_frmMain.h"

#include <QPointer>
#include <QWidget>

#include <memory>

// The main window: the target, the gun, the results and the settings panel.
// Its design lives in frmMain.ui; the handlers below give it life. What
// happens in the lesson is the lesson's (TLesson): the handlers hand the
// learner's acts to it and to the model, and the labels, the debrief and
// the journal follow what it says.
class Effects;
class TCallMark;
class TDebriefF;
class TJournalKeeper;
class TJournalF;
class TShooterF;
class QTimer;

class TMainF : public QWidget, public Ui::TMainF
{
    Q_OBJECT
public:
    // The sound, the pause, the clock and the error box are those given.
    explicit TMainF(Effects &effects, QWidget *parent = nullptr);
    ~TMainF() override;

    // The scene, made by FormCreate; either may be absent when its pictures
    // could not be loaded, and every handler copes with that.
    TRoundTarget *Target = nullptr;
    TGun *Gun = nullptr;
    TLaser *Laser = nullptr; // present while the laser sight is on
    bool LaserOn() const { return Laser != nullptr; }

    // What a pointer movement does: 0 nothing, 1 move the gun, 2 move the
    // front sight.
    quint8 DragMode = 0;
    QPoint GrabOffset; // mode 1: pointer minus gun position at the press
    QPoint LastMouse;  // mode 2: pointer at the press or the last movement

    TRadioGroup *TargetSize = nullptr; // the item index of rgTargetSize

    TLesson &Lesson() { return *FLesson; }
    const TLesson &Lesson() const { return *FLesson; }
    TDebriefF *DebriefWindow() const { return FDebrief; }  // made when first shown
    // The debrief is a panel of this window: shown, the window grows by it
    // (right of the lesson, or below it where the screen has no room beside
    // it) and the lesson keeps its place and size; hidden, the window
    // shrinks back.
    void ShowDebrief(bool shown);
    bool DebriefShown() const { return FDebriefShown; }
    // Where the lesson (the window's designed client area) lies now.
    QRect LessonRect() const;
    TJournalF *JournalWindow() const { return FJournalWindow; } // made when first opened
    TShooterF *ShooterWindow() const { return FShooterWindow; }  // «Кто стреляет?», made when first asked
    // The journal of finished series, made when first needed.
    TJournalKeeper *Journal();

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
    void changeEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The target, the gun and the bar as the lesson sees them (mainscene.h).
    class WindowScene;

    Effects &FEffects;
    std::unique_ptr<WindowScene> FScene;
    std::unique_ptr<TLesson> FLesson; // reads FScene: made after it, gone before it
    TDebriefF *FDebrief = nullptr;
    TJournalF *FJournalWindow = nullptr;
    TShooterF *FShooterWindow = nullptr;
    bool FNextShooter = false; // asked by «Следующий стрелок»: a series in progress goes
    TJournalKeeper *FJournal = nullptr;
    QList<QPointer<TCallMark>> FCallMarks;
    bool FSoundPrepared = false;
    bool FSettingsRead = false;
    bool FDebriefPending = false;
    bool FDebriefShown = false;
    bool FDebriefWanted = false; // shown at the end of the last run: again at the first frame
    PanelPlace FPanel;
    QSize FLessonSize; // the lesson's as the debrief came
    QSize FDesignedSize; // the window's as designed
    bool FMaximisedForDebrief = false; // where the program cannot place its window
    bool FRestoring = false; // restored from maximised a moment ago: the debrief's room is looked at
    bool FSwallowDouble = false; // the double-click whose press made a call
    QTimer *FClockTimer = nullptr;

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
    // «Стрелок: …» as the lesson has it.
    void ShowShooter();
    // «Кто стреляет?» over this window, once the journal has said what it
    // remembers (the roster); `next`: for the next learner («Следующий
    // стрелок»), whose series starts afresh.
    void AskShooter(bool next);
    // Fills «Кто стреляет?» with the roster or the journal's names.
    void OfferShooters();
    void ShooterPicked(const QString &name, const QString &klass, bool next);
    // At the end: the series still waiting are asked for once more, then
    // filed under nobody's name.
    void FileWaitingAtEnd(bool ask);
    // The timed exercise's clock as the lesson tells it, repainted every
    // tenth of a second while it runs; hidden in the other exercises.
    void ShowClock();

    void Fire();
    void UpdateLaser();
    void LoadSettings();
    void SaveSettings();
    QPoint ClientPoint(QObject *Sender, int X, int Y) const;
    void CallAt(QPoint p);
    // Wires the window's labels and marks to what the lesson says.
    void FollowLesson();
    // The debrief follows the lesson once the event at hand is done, so the
    // firing path never waits for it.
    void ScheduleDebriefUpdate();
    void UpdateDebrief();
    // The lesson, its settings panel and the debrief's panel in their places.
    void LayOut();
    void RoomForDebrief();
    // Routes a control's mouse events to the window's own handlers.
    void BindMouse(TControl *source);
    // Wraps a handler: an error escaping it goes to this window's error box.
    template <class F>
    auto Handler(F f);
    template <class F>
    void Run(F &&f);
};

// The one main window of the running program.
extern TMainF *MainF;
