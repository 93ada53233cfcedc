#include "ui/frmMain.h"

#include "analysis/thresholds.h"
#include "base/appdir.h"
#include "base/errorbox.h"
#include "journal/journalkeeper.h"
#include "platform/effects.h"
#include "platform/errors.h"
#include "platform/intconv.h"
#include "platform/profile.h"
#include "platform/settingsfile.h"
#include "ui/appicon.h"
#include "ui/examplesight.h"
#include "ui/frmAbout.h"
#include "ui/frmDebrief.h"
#include "ui/frmHelp.h"
#include "ui/frmJournal.h"
#include "ui/frmShooter.h"
#include "ui/journalmessages.h"
#include "ui/look.h"
#include "ui/mainscene.h"
#include "ui/modal.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScreen>
#include <QSignalBlocker>
#include <QTimer>

#include <type_traits>
#include <utility>

TMainF *MainF = nullptr;

namespace {

const QString kExerciseSection = QStringLiteral("Exercise");
const QString kExerciseKey = QStringLiteral("Current");
const QString kTimeLimitKey = QStringLiteral("TimeLimit"); // «Стрельба на время», seconds
const QString kShotSound = QStringLiteral("Sounds/BAR_01");
const QString kDebriefSection = QStringLiteral("Debrief");
const QString kDebriefVisible = QStringLiteral("Visible");

// A label that sizes itself to its text, keeping its top-left corner.
void SetCaption(QLabel *label, const QString &text)
{
    label->setText(text);
    label->adjustSize();
}

// A caption label sized to its text, keeping its right edge: the result
// captions end where their values begin, whatever the font's widths.
void FitKeepingRight(QLabel *label)
{
    const int right = label->x() + label->width();
    label->adjustSize();
    label->move(right - label->width(), label->y());
}

} // namespace

template <class F>
void TMainF::Run(F &&f)
{
    try {
        f();
    } catch (const std::exception &e) {
        ReleaseMouseCapture();
        FEffects.ShowError(QString::fromUtf8(e.what()));
    }
}

template <class F>
auto TMainF::Handler(F f)
{
    return [this, f](auto &&...args) {
        Run([&] {
            if constexpr (std::is_invocable_v<F, decltype(args)...>)
                f(args...);
            else
                f();
        });
    };
}

TMainF::TMainF(Effects &effects, QWidget *parent)
    : QWidget(parent), FEffects(effects), FScene(std::make_unique<WindowScene>(*this)),
      FLesson(std::make_unique<TLesson>(*FScene, effects))
{
    setupUi(this);
    setWindowIcon(AppIcon());
    UseLightLook(this);

    // Pictures, shapes and labels take the mouse over their own rectangles
    // and do nothing with it; only bare window area reaches the handlers.
    for (QWidget *child : Client->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        child->setAttribute(Qt::WA_NoMousePropagation);
    Client->setMouseTracking(true);

    for (TPictureControl *picture : {Image3, Image2, Image4})
        picture->SetAutoSize(true);
    Image3->SetTransparent(true);
    Image4->SetTransparent(true);
    Image3->SetPicture(ExamplePlate());
    Image2->SetPicture(ExamplePost());
    Image4->SetPicture(ExampleBull());
    for (QLabel *caption : {Label3, Label5, Label6})
        FitKeepingRight(caption);
    // The result values start as one space each (a .ui file cannot hold a
    // text of blanks only): nothing visible, yet not empty.
    for (QLabel *value : {edBalls, edCount, edSum})
        value->setText(QStringLiteral(" "));

    TargetSize = new TRadioGroup(rgTargetSize);
    FDesignedSize = size();

    BindMouse(Client);
    connect(btnReset, &QPushButton::clicked, this, Handler([this] { btnResetClick(); }));
    connect(Button1, &QPushButton::clicked, this, Handler([this] { Button1Click(); }));
    connect(btnAbout, &QPushButton::clicked, this, Handler([this] { btnAboutClick(); }));
    connect(cbLaser, &QCheckBox::toggled, this, Handler([this] { cbLaserClick(); }));
    connect(PlankaCorrectionBar, &QSlider::valueChanged, this, Handler([this] { PlankaCorrectionBarChange(); }));
    // Every change of the edit's text: the spin box reports new values (also
    // those set by the program), its line edit what is typed, an erased
    // text included; the spin box has read the text by then.
    connect(edBlack, &QSpinBox::valueChanged, this, Handler([this] { edBlackChange(); }));
    connect(edBlack->lineEdit(), &QLineEdit::textChanged, this, Handler([this] { edBlackChange(); }));
    connect(TargetSize, &TRadioGroup::Clicked, this, Handler([this] { rgTargetSizeClick(); }));
    connect(btnDebrief, &QPushButton::clicked, this, Handler([this] { btnDebriefClick(); }));
    connect(btnJournal, &QPushButton::clicked, this, Handler([this] { btnJournalClick(); }));
    connect(cbExercise, &QComboBox::currentIndexChanged, this, Handler([this] { cbExerciseChange(); }));
    connect(btnNextShooter, &QPushButton::clicked, this, Handler([this] { AskShooter(true); }));
    lbShooter->setAttribute(Qt::WA_TransparentForMouseEvents);
    lbExerciseHint->setAttribute(Qt::WA_TransparentForMouseEvents); // the bare window beneath takes the mouse
    lbClock->setAttribute(Qt::WA_TransparentForMouseEvents);
    FClockTimer = new QTimer(this);
    FClockTimer->setInterval(100);
    connect(FClockTimer, &QTimer::timeout, this, Handler([this] { ShowClock(); }));
    FollowLesson();
    ShowClock();
    ShowShooter();

    Run([this] { FormCreate(); });
}

TMainF::~TMainF()
{
    // Series no shooter was chosen for are filed under nobody's name, so
    // that nothing is lost.
    Run([this] { FileWaitingAtEnd(false); });
    // The journal's last series written, or kept for the next run, while
    // this window may still be the parent of a message about them.
    if (FJournal)
        Run([this] { FJournal->Finish(); });
    // The zeroing exercise gives the bar back as it stood before it, so
    // what is saved means what it always means.
    const Exercise exercise = FLesson->CurrentExercise();
    Run([this] { FLesson->EndExercise(); });
    hide();
    Run([this] { FormDestroy(); });
    // After the settings, so that a new file begins with them; like them,
    // only when the settings were read. A file that cannot be written keeps
    // these as they were, quietly: the error box has said so already.
    // Free shooting, the default, leaves a file that never knew exercises as
    // it was.
    if (FSettingsRead
        && (exercise != Exercise::Free
            || !GetPrivateProfileString(kExerciseSection, kExerciseKey, QString(), SettingsPath()).isEmpty()))
        WritePrivateProfileString(kExerciseSection, kExerciseKey, ExerciseKey(exercise), SettingsPath());
    // The time limit in use, where the coach will look for it: once the
    // timed exercise has been chosen, or the file names one.
    if (FSettingsRead
        && (exercise == Exercise::Timed
            || !GetPrivateProfileString(kExerciseSection, kTimeLimitKey, QString(), SettingsPath()).isEmpty()))
        WriteProfileNumber(kExerciseSection, kTimeLimitKey, FLesson->TimeLimit(), SettingsPath());
    // Whether the debrief was shown, for the next run; a file that never
    // knew the debrief is left as it was while it has never been shown.
    if (FSettingsRead
        && (FDebrief || !GetPrivateProfileString(kDebriefSection, kDebriefVisible, QString(), SettingsPath()).isEmpty()))
        WriteProfileNumber(kDebriefSection, kDebriefVisible, FDebriefShown ? 1 : 0, SettingsPath());
    // The journal, a window of its own beside this one: closed here.
    delete FJournalWindow;
    FJournalWindow = nullptr;
}

// The labels, the marks of the calls, the debrief and the journal follow
// what the lesson says.
void TMainF::FollowLesson()
{
    connect(FLesson.get(), &TLesson::ScoreboardChanged, this, [this](const Scoreboard &board) {
        SetCaption(edCount, board.count);
        SetCaption(edBalls, board.last);
        SetCaption(edSum, board.total);
        SetCaption(lbSingles, board.singles);
    });
    connect(FLesson.get(), &TLesson::HintChanged, lbExerciseHint, &QLabel::setText);
    connect(FLesson.get(), &TLesson::CallAwaited, this, [this] {
        // The call may be a click on anything of the scene: the target, a
        // mark, a caption, the example picture (which otherwise take the
        // mouse and do nothing with it).
        for (QWidget *child : Client->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            if (child != Gun)
                child->installEventFilter(this);
    });
    connect(FLesson.get(), &TLesson::ShotCalled, this, [this](QPoint call, QPoint hole) {
        auto *line = new TCallMark(call, hole);
        line->SetParentControl(Client);
        FCallMarks << line;
    });
    connect(FLesson.get(), &TLesson::SeriesCleared, this, [this] {
        for (const QPointer<TCallMark> &mark : std::as_const(FCallMarks))
            delete mark.data();
        FCallMarks.clear();
    });
    // A finished series goes to the journal's writer at once (a called
    // series once its last shot is called): it is written during the pause,
    // so it is in the journal by the time the user sees the series finished.
    connect(FLesson.get(), &TLesson::SeriesFiled, this,
            Handler([this](const JournalSeries &series) { Journal()->Record(series); }));
    // A series no shooter is chosen for waits in the lesson, kept safe
    // beside the journal meanwhile; «Кто стреляет?» is asked once the event
    // at hand (the shot) is done.
    connect(FLesson.get(), &TLesson::SeriesWaiting, this,
            Handler([this](const JournalSeries &series) { Journal()->Hold(series); }));
    connect(FLesson.get(), &TLesson::ShooterWanted, this, Handler([this] { AskShooter(false); }),
            Qt::QueuedConnection);
    connect(FLesson.get(), &TLesson::ShooterChanged, this, Handler([this] { ShowShooter(); }));
    connect(FLesson.get(), &TLesson::DebriefChanged, this, &TMainF::ScheduleDebriefUpdate);
    connect(FLesson.get(), &TLesson::ClockChanged, this, Handler([this] { ShowClock(); }));
}

// ------------------------------------------------------------ the scene

void TMainF::FormCreate()
{
    setWindowTitle(windowTitle() + QStringLiteral("         -- Belvesk --"));

    Target = new TRoundTarget(Client);
    Target->SetParentControl(Client);
    Target->PlaceAt(QPoint(TargetShape->x() + TargetShape->width() / 2,
                           TargetShape->y() + TargetShape->height() / 2));

    Gun = new TGun(Client);
    Gun->SetParentControl(Client);
    BindMouse(Gun);

    LoadSettings();
    Gun->raise();
}

void TMainF::FormClose()
{
    if (AboutBox)
        ShowModal(AboutBox);
}

void TMainF::FormDestroy()
{
    SaveSettings();
    delete Target;
    Target = nullptr;
    delete Gun;
    Gun = nullptr;
    delete Laser;
    Laser = nullptr;
}

void TMainF::closeEvent(QCloseEvent *event)
{
    Run([this] { FileWaitingAtEnd(true); });
    Run([this] { FormClose(); });
    event->accept();
    Q_EMIT Closed();
}

void TMainF::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    // The shot's sound is made ready once the first frame is on screen: the
    // audio library never delays it, and it is ready long before a user can
    // have aimed.
    if (!FSoundPrepared) {
        FSoundPrepared = true;
        QTimer::singleShot(0, this, Handler([this] { FEffects.PreloadSound(AppDir() + kShotSound); }));
        // So is the journal: its writer opens and checks it at once, on its
        // own thread, long before the first series is finished.
        QTimer::singleShot(0, this, Handler([this] { Journal(); }));
        // The debrief as the last run left it, once the window's frame is known.
        if (FDebriefWanted)
            QTimer::singleShot(0, this, Handler([this] { btnDebriefClick(); }));
    }
}

bool TMainF::eventFilter(QObject *watched, QEvent *event)
{
    if (FLesson->AwaitingCall() && event->type() == QEvent::MouseButtonPress) {
        auto *child = qobject_cast<QWidget *>(watched);
        const auto *press = static_cast<QMouseEvent *>(event);
        if (child && child->parentWidget() == Client && press->button() == Qt::LeftButton
            && !(press->modifiers() & Qt::ShiftModifier)) {
            Run([&] { CallAt(child->mapTo(Client, press->position().toPoint())); });
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
void TMainF::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    LayOut();
    if (FRestoring)
        QTimer::singleShot(0, this, Handler([this] { RoomForDebrief(); }));
}

void TMainF::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) {
        const Qt::WindowStates was = static_cast<QWindowStateChangeEvent *>(event)->oldState();
        const Qt::WindowStates filling = Qt::WindowMaximized | Qt::WindowFullScreen;
        if ((was & filling) && !(windowState() & filling)) {
            // The restored size comes before or after the new state, as the
            // window manager sends them: looked at now, and as it comes.
            FRestoring = true;
            QTimer::singleShot(0, this, Handler([this] { RoomForDebrief(); }));
            QTimer::singleShot(3000, this, [this] { FRestoring = false; });
        }
    }
}

// Back from maximised (or full screen) to the size the window had before:
// if the debrief came meanwhile, that size has no room for it. Where the
// program places its window, it grows as it would have for the debrief;
// elsewhere the lesson is left alone, and «Разбор серии» brings the debrief
// back.
void TMainF::RoomForDebrief()
{
    if (!FRestoring || !FDebrief || !FDebriefShown || isMaximized() || isFullScreen())
        return;
    const QRect lesson = LessonRect();
    const int room = FPanel.below ? height() - lesson.height() : width() - lesson.width();
    if (room >= DebriefPanelLeast(FPanel.below))
        return; // (the restored size may be yet to come)
    FRestoring = false;
    FMaximisedForDebrief = false; // already restored
    ShowDebrief(false);
    if (WindowsPlaceable())
        ShowDebrief(true);
}

void TMainF::LayOut()
{
    // The settings panel stays docked to the right edge of the lesson at its
    // full height; the rest keeps its place, so a narrow window lets the
    // panel cover it. The debrief, when shown, takes its room beside or below.
    const QRect lesson = LessonRect();
    Client->setGeometry(lesson);
    Panel1->setGeometry(lesson.right() + 1 - Panel1->width(), 0, Panel1->width(), lesson.height());
    if (FDebrief && FDebriefShown)
        FDebrief->setGeometry(FPanel.below ? QRect(0, lesson.bottom() + 1, width(), height() - lesson.height())
                                           : QRect(lesson.right() + 1, 0, width() - lesson.width(), height()));
}

void TMainF::Button1Click()
{
    if (HelpF)
        ShowModal(HelpF);
}

void TMainF::btnAboutClick()
{
    if (AboutBox)
        ShowModal(AboutBox);
}

// ------------------------------------------------------ aiming and firing

void TMainF::BindMouse(TControl *source)
{
    connect(source, &TControl::mouseDown, this, Handler([this](QObject *s, Qt::MouseButton b, TShiftState sh, int x, int y) {
        FormMouseDown(s, b, sh, x, y);
    }));
    connect(source, &TControl::mouseMove, this, Handler([this](QObject *s, TShiftState sh, int x, int y) {
        FormMouseMove(s, sh, x, y);
    }));
    connect(source, &TControl::mouseUp, this, Handler([this](QObject *s, Qt::MouseButton b, TShiftState sh, int x, int y) {
        FormMouseUp(s, b, sh, x, y);
    }));
    connect(source, &TControl::dblClick, this, Handler([this](QObject *s) { FormDblClick(s); }));
}

QPoint TMainF::ClientPoint(QObject *Sender, int X, int Y) const
{
    if (Gun && Sender == Gun)
        return QPoint(X + Gun->x(), Y + Gun->y());
    return QPoint(X, Y);
}

void TMainF::FormMouseDown(QObject *Sender, Qt::MouseButton Button, TShiftState Shift, int X, int Y)
{
    if (!Gun)
        return;
    if (!Shift.testFlag(ssDouble))
        FSwallowDouble = false; // a new click: a double-click now fires again
    if (FLesson->AwaitingCall() && Button == Qt::LeftButton && !Shift.testFlag(ssShift) && !Shift.testFlag(ssDouble)) {
        CallAt(ClientPoint(Sender, X, Y));
        return;
    }
    if (Shift.testFlag(ssShift) || Button == Qt::RightButton) {
        DragMode = 1;
        SetScreenCursor(Qt::SizeAllCursor);
        GrabOffset = ClientPoint(Sender, X, Y) - Gun->FPosition;
    } else {
        DragMode = 2;
        SetScreenCursor(Qt::PointingHandCursor);
        LastMouse = QPoint(X, Y);
    }
}

void TMainF::FormMouseMove(QObject *Sender, TShiftState, int X, int Y)
{
    if (!Gun)
        return;
    if (DragMode == 1) {
        Gun->MoveTo(ClientPoint(Sender, X, Y) - GrabOffset);
    } else if (DragMode == 2) {
        Gun->SetSightDX(Gun->FSightDX + X - LastMouse.x());
        Gun->SetSightDY(Gun->FSightDY + Y - LastMouse.y());
        LastMouse = QPoint(X, Y);
    }
    if (DragMode != 0 && Target)
        FLesson->AimAt(Gun->AimPoint(false));
    if (LaserOn())
        UpdateLaser();
}

void TMainF::FormMouseUp(QObject *, Qt::MouseButton, TShiftState, int, int)
{
    DragMode = 0;
    SetScreenCursor(Qt::ArrowCursor);
}

void TMainF::FormDblClick(QObject *)
{
    // Calling the shot: no shot until the last one is called, and the
    // double-click whose first press made the call fires nothing.
    if (FLesson->AwaitingCall())
        return;
    if (FSwallowDouble) {
        FSwallowDouble = false;
        return;
    }
    Fire();
}

void TMainF::Fire()
{
    if (!Target || !Gun || !Target->FSeriesOpen)
        return;
    FEffects.PlaySound(AppDir() + kShotSound);
    // Marked, scored and kept with what sent it there; the labels follow.
    FLesson->Fire(Gun->AimPoint(true));

    // The jolt: the gun and its front sight land somewhere new.
    const int dx = RandomSpread(10);
    const int dy = RandomSpread(10);
    Gun->MoveTo(Gun->FPosition + QPoint(dx, dy));
    Gun->SetSightDX(RandomSpread(10));
    Gun->SetSightDY(-RandomSpread(10));
    FLesson->Jolted(Gun->AimPoint(false));
    FEffects.Pause(300);

    if (!Target->FSeriesOpen) {
        SetCaption(lbFinish, tr("Серия закончена!"));
        btnReset->setFocus();
        DragMode = 0;
        SetScreenCursor(Qt::ArrowCursor);
    }
}

void TMainF::CallAt(QPoint p)
{
    if (FLesson->CallAt(p))
        FSwallowDouble = true;
}

void TMainF::cbLaserClick()
{
    if (cbLaser->isChecked()) {
        Laser = new TLaser;
        Laser->SetParentControl(Client);
        UpdateLaser();
    } else {
        delete Laser;
        Laser = nullptr;
    }
}

void TMainF::UpdateLaser()
{
    if (Laser && Gun)
        Laser->CenterAt(Gun->AimPoint(false));
}

// ------------------------------------------------------ settings panel

void TMainF::PlankaCorrectionBarChange()
{
    if (Gun)
        Gun->FPlankaCorrection =
            (PlankaCorrectionBar->maximum() - PlankaCorrectionBar->value()) * Thresholds::kPixelsPerDivision;
    FLesson->SettingsChanged();
}

// The value the black-circle edit stands for: 1 while its text is erased
// (or only a sign), otherwise the spin box's value, which it keeps in 1 to 10.
int TMainF::BlackCircleValue() const { return edBlack->IsErased() ? 1 : edBlack->value(); }

void TMainF::edBlackChange()
{
    if (Target)
        Target->FBlackCircleValue = BlackCircleValue();
    FLesson->SettingsChanged();
}

// The series is cleared (its results with it) and the target changes size.
void TMainF::rgTargetSizeClick()
{
    // An exercise that starts again once cleared (a zeroed gun: another
    // one) begins a new lesson: the notice of the old series goes too.
    const bool startsAgain = FLesson->Rule().StartsAgainOnClear();
    FLesson->Clear();
    if (startsAgain)
        SetCaption(lbFinish, QString());
    if (!Target)
        return;
    try {
        Target->ToggleSize();
    } catch (const AppError &) {
        // The new picture could not be loaded and the old one is still
        // drawn: the size and the choice go back to it, so neither the panel
        // nor the saved setting names a picture that fails.
        Target->FLarge = !Target->FLarge;
        const QSignalBlocker quiet(TargetSize);
        TargetSize->SetItemIndex(Target->FLarge ? 0 : 1);
        throw;
    }
}

void TMainF::btnResetClick()
{
    FLesson->Clear();
    if (Target)
        Target->ResetSeries();
    SetCaption(lbFinish, QString());
}

// ------------------------------------------------------------ the debrief and the journal

TJournalKeeper *TMainF::Journal()
{
    if (!FJournal) {
        FJournal = new TJournalKeeper(JournalStore::DefaultPath(), this);
        TellJournalMessages(FJournal);
        // The class journal, where the administrator (or the user) named
        // its server's connection service.
        const QString service = ReadSharedSetting(QStringLiteral("Journal"), QStringLiteral("Service"));
        if (!service.isEmpty())
            FJournal->UseClassJournal(service);
        connect(FJournal, &TJournalKeeper::SeriesWritten, this, Handler([this](qint64 id) {
            if (FJournalWindow && FJournalWindow->isVisible())
                FJournalWindow->Added(id);
        }));
        connect(FJournal, &TJournalKeeper::ShooterChosen, FLesson.get(), &TLesson::SetShooter);
        // What the journal remembers: the roster in use, then the start
        // (the shooter carried over, or asked for).
        connect(FJournal, &TJournalKeeper::RosterChanged, this, Handler([this] {
            FLesson->SetRoster(FJournal->Roster());
            // «Кто стреляет?» open meanwhile offers the roster now.
            if (FShooterWindow && FShooterWindow->isVisible())
                OfferShooters();
        }));
        connect(FJournal, &TJournalKeeper::Remembered, this, Handler([this] {
            FLesson->SetRoster(FJournal->Roster());
            FLesson->StartWith(FJournal->Shooter(), FJournal->ShooterClass());
        }));
    }
    return FJournal;
}

void TMainF::btnJournalClick()
{
    if (!FJournalWindow)
        FJournalWindow = new TJournalF(Journal());
    FJournalWindow->Open(this);
}

// «Разбор серии» shows the debrief, or hides it when it is shown.
void TMainF::btnDebriefClick() { ShowDebrief(!FDebriefShown); }

QRect TMainF::LessonRect() const
{
    // The lesson keeps at least the size it had when the debrief came: at a
    // fractional screen scale the grown window may come out a pixel short,
    // and the panel gives it up.
    QRect lesson = rect();
    if (FDebriefShown) {
        if (FPanel.below)
            lesson.setHeight(std::max(height() - FPanel.extent, std::min(FLessonSize.height(), height())));
        else
            lesson.setWidth(std::max(width() - FPanel.extent, std::min(FLessonSize.width(), width())));
    }
    return lesson;
}

void TMainF::ShowDebrief(bool shown)
{
    if (shown == FDebriefShown)
        return;
    if (!FDebrief) {
        FDebrief = new TDebriefF(this);
        FDebrief->hide();
        connect(FDebrief, &TDebriefF::ApplyCorrection, this,
                Handler([this](bool fromSession) { FLesson->ApplyCorrection(fromSession); }));
        connect(FDebrief, &TDebriefF::OpenJournal, this, Handler([this] { btnJournalClick(); }));
        connect(FDebrief, &TDebriefF::HideWanted, this, Handler([this] { ShowDebrief(false); }));
    }
    const QSize lesson = LessonRect().size();
    // A maximised (or full-screen) window keeps its size: the panel takes
    // its room from what the lesson does not need.
    const bool fixed = isMaximized() || isFullScreen();
    if (!shown) {
        FDebriefShown = false;
        FDebrief->hide();
        const bool restore = FMaximisedForDebrief && isMaximized();
        FMaximisedForDebrief = false;
        if (restore)
            showNormal(); // the lesson alone, where it was
        else if (fixed)
            LayOut();
        else
            resize(lesson);
        return;
    }
    // Where the program cannot place its window, a grown window could reach
    // past the screen's edge: the lesson and the debrief fill the screen
    // instead, as the compositor places a maximised window.
    const bool maximise = !fixed && isVisible() && !WindowsPlaceable();
    if (fixed || maximise) {
        const QSize room = maximise && screen() ? screen()->availableGeometry().size() : size();
        FPanel = PlaceDebriefPanel(QRect(QPoint(), room), FDesignedSize);
        FLessonSize = FDesignedSize;
        FDebrief->SetStacked(!FPanel.below);
        UpdateDebrief();
        FDebriefShown = true;
        if (maximise) {
            FMaximisedForDebrief = true;
            showMaximized();
        }
        LayOut();
        FDebrief->show();
        return;
    }
    // Where it has room, with the window's frame as it stands.
    const QRect available = screen() ? screen()->availableGeometry() : QRect(QPoint(), lesson * 3);
    const QRect frame = frameGeometry();
    FPanel = PlaceDebriefPanel(available, frame.size());
    FLessonSize = lesson;
    FDebrief->SetStacked(!FPanel.below);
    UpdateDebrief();
    FDebriefShown = true;
    const QSize grown = FPanel.below ? lesson + QSize(0, FPanel.extent) : lesson + QSize(FPanel.extent, 0);
    // The grown window, frame and all, stays on the screen: moved first,
    // so that it never reaches past the screen's edge for the window
    // manager to push back.
    if (isVisible() && !isMaximized() && !isFullScreen()) {
        const QRect grownFrame(frame.topLeft(), frame.size() + (grown - lesson));
        const QPoint corner = KeepWithin(grownFrame, available);
        if (corner != frame.topLeft())
            move(corner); // a window's frame, once the window manager has framed it
    }
    resize(grown);
    FDebrief->setGeometry(FPanel.below ? QRect(0, lesson.height(), grown.width(), FPanel.extent)
                                       : QRect(lesson.width(), 0, FPanel.extent, grown.height()));
    FDebrief->show();
}

void TMainF::ScheduleDebriefUpdate()
{
    if (!FDebrief || !FDebriefShown || FDebriefPending)
        return;
    FDebriefPending = true;
    QTimer::singleShot(0, this, Handler([this] { UpdateDebrief(); }));
}

void TMainF::UpdateDebrief()
{
    FDebriefPending = false;
    if (FDebrief)
        FDebrief->ShowSeries(FLesson->Debrief());
}

// ------------------------------------------------------------ the exercises

// Each exercise starts with a new series.
void TMainF::cbExerciseChange()
{
    const int index = cbExercise->currentIndex();
    FLesson->StartExercise(index >= 0 && index <= int(Exercise::Timed) ? Exercise(index) : Exercise::Free);
    btnResetClick();
}

void TMainF::ShowClock()
{
    const ClockView clock = FLesson->Clock();
    lbClock->setVisible(clock.shown);
    if (!clock.running)
        FClockTimer->stop();
    else if (!FClockTimer->isActive())
        FClockTimer->start();
    if (!clock.shown)
        return;
    SetCaption(lbClock, tr("Время: %1 с из %2").arg(Decimal(clock.elapsedMs / 1000.0)).arg(clock.limitMs / 1000));
    const QString colour = clock.over ? QStringLiteral("color: #c00000;") : QString();
    if (lbClock->styleSheet() != colour)
        lbClock->setStyleSheet(colour);
}

// ------------------------------------------------------------ settings

void TMainF::LoadSettings()
{
    const int bar = ReadIntSetting(QStringLiteral("PlankaCorrection"), 6);
    const int black = ReadIntSetting(QStringLiteral("BlackCircleValue"), 3);
    const int size = ReadIntSetting(QStringLiteral("TargetSize"), 0);
    FSettingsRead = true;
    PlankaCorrectionBar->setValue(bar);
    edBlack->setValue(black);
    TargetSize->SetItemIndex(size);
    // The timed exercise's limit, then the exercise last chosen, from a
    // section of their own.
    FLesson->SetTimeLimit(
        TimeLimitFromSetting(GetPrivateProfileString(kExerciseSection, kTimeLimitKey, QString(), SettingsReadPath())));
    const Exercise exercise =
        ExerciseFromKey(GetPrivateProfileString(kExerciseSection, kExerciseKey, QString(), SettingsReadPath()));
    cbExercise->setCurrentIndex(int(exercise));
    FDebriefWanted = TextToInt(GetPrivateProfileString(kDebriefSection, kDebriefVisible, QString(), SettingsReadPath()))
                         .value_or(0)
                     == 1;
}

void TMainF::SaveSettings()
{
    // Settings never read (the start ended before them) are not written:
    // the controls hold only their designed values, not the user's.
    if (!FSettingsRead)
        return;
    WriteIntSetting(QStringLiteral("PlankaCorrection"), PlankaCorrectionBar->value());
    WriteIntSetting(QStringLiteral("BlackCircleValue"), BlackCircleValue());
    WriteIntSetting(QStringLiteral("TargetSize"), TargetSize->ItemIndex());
}

// ------------------------------------------------------------ the shooter

void TMainF::ShowShooter()
{
    const std::optional<QString> shooter = FLesson->Shooter();
    const QString klass = FLesson->ShooterClass();
    const QString text = !shooter         ? tr("Стрелок: не выбран")
                         : klass.isEmpty() ? tr("Стрелок: %1").arg(*shooter)
                                           : tr("Стрелок: %1 (%2)").arg(*shooter, klass);
    const QString shown = lbShooter->fontMetrics().elidedText(text, Qt::ElideRight, lbShooter->width());
    lbShooter->setText(shown);
    lbShooter->setToolTip(shown == text ? QString() : text);
}

void TMainF::AskShooter(bool next)
{
    TJournalKeeper *journal = Journal();
    if (!journal->RememberedRead()) {
        // The roster is not known yet: asked once it is (the lesson asks by
        // itself then for a series waiting).
        if (next)
            connect(journal, &TJournalKeeper::Remembered, this, Handler([this] { AskShooter(true); }),
                    Qt::SingleShotConnection);
        return;
    }
    if (!isVisible() || (!next && FLesson->Shooter()))
        return;
    if (FShooterWindow && FShooterWindow->isVisible()) {
        FNextShooter = FNextShooter || next;
        return;
    }
    if (!FShooterWindow)
        FShooterWindow = new TShooterF(this);
    OfferShooters();
    FNextShooter = next;
    OpenModal(FShooterWindow, this, Handler([this](int result) {
        const bool forNext = std::exchange(FNextShooter, false);
        if (result == TModalForm::mrOk)
            ShooterPicked(FShooterWindow->Name(), FShooterWindow->Class(), forNext);
    }));
}

void TMainF::OfferShooters()
{
    QStringList names;
    if (!FLesson->Roster().InUse())
        if (JournalStore *store = Journal()->Reader())
            for (const QString &name : store->Shooters())
                if (!name.isEmpty() && name != TLesson::UnnamedShooter())
                    names << name;
    FShooterWindow->Offer(FLesson->Roster(), Journal()->ShooterClass(), names);
}

void TMainF::ShooterPicked(const QString &name, const QString &klass, bool next)
{
    // A roster that came while the window was open may not take the name
    // typed before it: asked again, with the roster's names.
    if (!FLesson->Roster().Accepts(klass, name)) {
        AskShooter(next);
        return;
    }
    // The next learner's series starts afresh; a finished one is filed.
    if (next && FLesson->SeriesInProgress())
        btnResetClick();
    Journal()->SetShooter(name, klass);
}

void TMainF::FileWaitingAtEnd(bool ask)
{
    if (FLesson->Waiting() == 0)
        return;
    if (ask && FJournal && FJournal->RememberedRead()) {
        if (FShooterWindow && FShooterWindow->isVisible())
            FShooterWindow->done(TModalForm::mrCancel);
        if (!FShooterWindow)
            FShooterWindow = new TShooterF(this);
        OfferShooters();
        if (ShowModal(FShooterWindow) == TModalForm::mrOk)
            ShooterPicked(FShooterWindow->Name(), FShooterWindow->Class(), false);
    }
    FLesson->FileWaitingUnnamed();
}
