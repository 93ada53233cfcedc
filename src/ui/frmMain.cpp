#include "ui/frmMain.h"

#include "base/appdir.h"
#include "base/errorbox.h"
#include "ui/modal.h"
#include "ui/appicon.h"
#include "platform/errors.h"
#include "platform/intconv.h"
#include "platform/pause.h"
#include "platform/profile.h"
#include "platform/random.h"
#include "platform/sound.h"
#include "ui/examplesight.h"
#include "ui/frmAbout.h"
#include "ui/frmDebrief.h"
#include "ui/frmJournal.h"
#include "journal/journalkeeper.h"
#include "ui/journalmessages.h"
#include "ui/frmHelp.h"
#include "ui/radiogroup.h"

#include <QCoreApplication>
#include <QCloseEvent>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QTimer>

#include <exception>

TMainF *MainF = nullptr;

namespace {

const QString kSection = QStringLiteral("Options");
const QString kSettingsFile = QStringLiteral("Vimbra.INI");
const QString kExerciseSection = QStringLiteral("Exercise");
const QString kExerciseKey = QStringLiteral("Current");
const QString kShotSound = QStringLiteral("Sounds/BAR_01");

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

int ReadIntSetting(const QString &key, int defaultValue)
{
    const QString text = GetPrivateProfileString(kSection, key, QString(), TMainF::SettingsReadPath());
    return TextToInt(text).value_or(defaultValue);
}

void WriteIntSetting(const QString &key, int value)
{
    const QString path = TMainF::SettingsPath();
    if (path != AppDir() + kSettingsFile)
        QDir().mkpath(QFileInfo(path).absolutePath()); // the user's own folder, made on first use
    if (!WriteProfileNumber(kSection, key, value, path))
        throw AppError(QCoreApplication::translate("Errors", "Unable to write to %1").arg(path));
}

} // namespace

int RandomSpread(int n) { return Random(n) - n / 2; }

TMainF::TMainF(QWidget *parent) : QWidget(parent)
{
    setupUi(this);
    setWindowIcon(AppIcon());

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

    BindMouse(Client);
    connect(btnReset, &QPushButton::clicked, this, Guarded([this] { btnResetClick(); }));
    connect(Button1, &QPushButton::clicked, this, Guarded([this] { Button1Click(); }));
    connect(btnAbout, &QPushButton::clicked, this, Guarded([this] { btnAboutClick(); }));
    connect(cbLaser, &QCheckBox::toggled, this, Guarded([this] { cbLaserClick(); }));
    connect(PlankaCorrectionBar, &QSlider::valueChanged, this, Guarded([this] { PlankaCorrectionBarChange(); }));
    // Every change of the edit's text: the spin box reports new values (also
    // those set by the program), its line edit what is typed, an erased
    // text included; the spin box has read the text by then.
    connect(edBlack, &QSpinBox::valueChanged, this, Guarded([this] { edBlackChange(); }));
    connect(edBlack->lineEdit(), &QLineEdit::textChanged, this, Guarded([this] { edBlackChange(); }));
    connect(TargetSize, &TRadioGroup::Clicked, this, Guarded([this] { rgTargetSizeClick(); }));
    connect(btnDebrief, &QPushButton::clicked, this, Guarded([this] { btnDebriefClick(); }));
    connect(btnJournal, &QPushButton::clicked, this, Guarded([this] { btnJournalClick(); }));
    connect(cbExercise, &QComboBox::currentIndexChanged, this, Guarded([this] { cbExerciseChange(); }));
    lbExerciseHint->setAttribute(Qt::WA_TransparentForMouseEvents); // the bare window beneath takes the mouse
    QElapsedTimer clock;
    clock.start();
    m_now = [clock] { return clock.elapsed(); };

    Guard([this] { FormCreate(); });
}

TMainF::~TMainF()
{
    // The journal's last series written, or kept for the next run, while
    // this window may still be the parent of a message about them.
    if (m_journal)
        Guard([this] { m_journal->Finish(); });
    // The zeroing exercise gives the bar back as it stood before it, so
    // what is saved means what it always means.
    const Exercise exercise = FExercise;
    Guard([this] { EndExercise(); });
    FExercise = exercise;
    hide();
    Guard([this] { FormDestroy(); });
    // After the settings, so that a new file begins with them; like them,
    // only when the settings were read. A file that cannot be written keeps
    // these as they were, quietly: the error box has said so already.
    // Free shooting, the default, leaves a file that never knew exercises as
    // it was.
    if (m_settingsRead
        && (FExercise != Exercise::Free
            || !GetPrivateProfileString(kExerciseSection, kExerciseKey, QString(), SettingsPath()).isEmpty()))
        WritePrivateProfileString(kExerciseSection, kExerciseKey, ExerciseKey(FExercise), SettingsPath());
    if (Debrief && m_settingsRead)
        Debrief->SaveGeometry();
    // Windows of their own beside this one (none is above it): closed here.
    delete JournalWindow;
    JournalWindow = nullptr;
    delete Debrief;
    Debrief = nullptr;
}

// Beside the program when its folder may be written, as ever. Installed
// where only the administrator may write (a package puts it in /usr/lib),
// each user's settings go to their own config folder, and are read from
// there once they exist; until then the file beside the program, if any,
// gives the settings to start with.
QString TMainF::UserSettingsPath()
{
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || !QDir::isAbsolutePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/vimbra/") + kSettingsFile;
}

QString TMainF::SettingsPath()
{
    if (QFileInfo(AppDir()).isWritable())
        return AppDir() + kSettingsFile;
    return UserSettingsPath();
}

QString TMainF::SettingsReadPath()
{
    const QString path = SettingsPath();
    return QFileInfo::exists(path) || path == AppDir() + kSettingsFile ? path : AppDir() + kSettingsFile;
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
    Guard([this] { FormClose(); });
    event->accept();
    Q_EMIT Closed();
}

void TMainF::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    // The shot's sound is made ready once the first frame is on screen: the
    // audio library never delays it, and it is ready long before a user can
    // have aimed.
    if (!m_soundPrepared) {
        m_soundPrepared = true;
        QTimer::singleShot(0, this, Guarded([] { PreloadSound(AppDir() + kShotSound); }));
        // So is the journal: its writer opens and checks it at once, on its
        // own thread, long before the first series is finished.
        QTimer::singleShot(0, this, Guarded([this] { Journal(); }));
    }
}

bool TMainF::eventFilter(QObject *watched, QEvent *event)
{
    if (FAwaitingCall && event->type() == QEvent::MouseButtonPress) {
        auto *child = qobject_cast<QWidget *>(watched);
        const auto *press = static_cast<QMouseEvent *>(event);
        if (child && child->parentWidget() == Client && press->button() == Qt::LeftButton
            && !(press->modifiers() & Qt::ShiftModifier)) {
            Guard([&] { CallAt(child->mapTo(Client, press->position().toPoint())); });
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TMainF::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // The settings panel stays docked to the right edge at full height; the
    // rest keeps its place, so a narrow window lets the panel cover it.
    Client->setGeometry(rect());
    Panel1->setGeometry(width() - Panel1->width(), 0, Panel1->width(), height());
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
    connect(source, &TControl::mouseDown, this, Guarded([this](QObject *s, Qt::MouseButton b, TShiftState sh, int x, int y) {
        FormMouseDown(s, b, sh, x, y);
    }));
    connect(source, &TControl::mouseMove, this, Guarded([this](QObject *s, TShiftState sh, int x, int y) {
        FormMouseMove(s, sh, x, y);
    }));
    connect(source, &TControl::mouseUp, this, Guarded([this](QObject *s, Qt::MouseButton b, TShiftState sh, int x, int y) {
        FormMouseUp(s, b, sh, x, y);
    }));
    connect(source, &TControl::dblClick, this, Guarded([this](QObject *s) { FormDblClick(s); }));
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
        m_swallowDouble = false; // a new click: a double-click now fires again
    if (FAwaitingCall && Button == Qt::LeftButton && !Shift.testFlag(ssShift) && !Shift.testFlag(ssDouble)) {
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
    if (DragMode != 0)
        RecordAim();
    if (LaserOn)
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
    if (FAwaitingCall)
        return;
    if (m_swallowDouble) {
        m_swallowDouble = false;
        return;
    }
    Fire();
}

void TMainF::Fire()
{
    if (!Target || !Gun || !Target->FSeriesOpen)
        return;
    PlaySoundFile(AppDir() + kShotSound);
    QPoint aim = Gun->AimPoint(true);
    if (!HiddenError().isNull()) // a gun not yet zeroed shoots off its sights
        Gun->FLastShot = aim = aim + HiddenError();
    const int index = Target->AddShot(aim);
    SetCaption(edCount, QString::number(Target->FSeries->Count()));
    const int score = Target->Score(Gun->FLastShot);
    SetCaption(edBalls, QString::number(score));
    // What sent the shot there, for the debrief: hole = hold + alignment +
    // correction (a hidden error counts with the hold); the aim's path.
    const QPointF centre = Target->FAnchor;
    ShotRecord record{QPointF(aim) - centre, QPointF(Gun->FPlanka->FAnchor + HiddenError()) - centre,
                      QPointF(Gun->FSightDX * Gun->FLeverage, Gun->FSightDY * Gun->FLeverage),
                      QPointF(0, -Gun->FPlankaCorrection), score};
    const qint64 now = m_now();
    record.sincePreviousMs = FShotRecords.isEmpty() || m_lastShotMs < 0 ? -1 : int(now - m_lastShotMs);
    FTrace.Add(now, QPointF(aim - HiddenError())); // the aim at the shot ends its trace
    record.trace = FTrace.Before(now);
    for (TraceSample &sample : record.trace)
        sample.aim -= centre;
    m_lastShotMs = now;
    FShotRecords.append(record);
    SetCaption(edSum, QString::number(Target->FTotal));
    SetCaption(lbSingles, lbSingles->text() + QStringLiteral("  ") + edBalls->text());
    if (FExercise == Exercise::Grouping || FExercise == Exercise::Calling) {
        // The score is not seen yet: until the series' end, or the call.
        for (QLabel *label : {edBalls, edSum})
            SetCaption(label, QStringLiteral("?"));
        ShowSingles(false);
    }
    if (FExercise == Exercise::Calling) {
        if (TShoot *mark = Target->GetShot(index))
            mark->hide();
        FAwaitingCall = true;
        // The call may be a click on anything of the scene: the target, a
        // mark, a caption, the example picture (which otherwise take the
        // mouse and do nothing with it).
        for (QWidget *child : Client->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            if (child != Gun)
                child->installEventFilter(this);
        ShowExerciseHint();
    }

    // The jolt: the gun and its front sight land somewhere new.
    const int dx = RandomSpread(10);
    const int dy = RandomSpread(10);
    Gun->MoveTo(Gun->FPosition + QPoint(dx, dy));
    Gun->SetSightDX(RandomSpread(10));
    Gun->SetSightDY(-RandomSpread(10));
    // The next trace starts where the jolt left the aim: the jolt is no
    // movement of the shooter's.
    FTrace.Clear();
    FTrace.Add(m_now(), QPointF(Gun->AimPoint(false)));
    // A finished series goes to the journal's writer now (a called series
    // once its last shot is called): it is written during the pause, so it
    // is in the journal by the time the user sees the series finished.
    if (!Target->FSeriesOpen && !FAwaitingCall) {
        CountSeriesInExercise();
        RecordFinishedSeries();
    }
    Pause(300);
    ScheduleDebriefUpdate();

    if (!Target->FSeriesOpen) {
        // What the exercise shows at the end, once this event is done.
        if (!FAwaitingCall)
            QTimer::singleShot(0, this, Guarded([this] { SeriesEndedInExercise(); }));
        SetCaption(lbFinish, tr("Серия закончена!"));
        btnReset->setFocus();
        DragMode = 0;
        SetScreenCursor(Qt::ArrowCursor);
    }
}

void TMainF::cbLaserClick()
{
    LaserOn = cbLaser->isChecked();
    if (LaserOn) {
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
        Gun->FPlankaCorrection = (PlankaCorrectionBar->maximum() - PlankaCorrectionBar->value()) * 5;
    ScheduleDebriefUpdate();
}

// The value the black-circle edit stands for: 1 while its text is erased
// (or only a sign), otherwise the spin box's value, which it keeps in 1 to 10.
int TMainF::BlackCircleValue() const { return edBlack->IsErased() ? 1 : edBlack->value(); }

void TMainF::edBlackChange()
{
    if (Target)
        Target->FBlackCircleValue = BlackCircleValue();
    ScheduleDebriefUpdate();
}

void TMainF::rgTargetSizeClick()
{
    EndSeriesRecords();
    std::exception_ptr failed;
    if (Target) {
        try {
            Target->ToggleSize();
        } catch (const AppError &) {
            // The new picture could not be loaded and the old one is still
            // drawn: the size and the choice go back to it, so neither the
            // panel nor the saved setting names a picture that fails. The
            // series is cleared all the same, and so are its results.
            failed = std::current_exception();
            Target->FLarge = !Target->FLarge;
            const QSignalBlocker quiet(TargetSize);
            TargetSize->SetItemIndex(Target->FLarge ? 0 : 1);
        }
    }
    for (QLabel *label : {edCount, edBalls, edSum, lbSingles})
        SetCaption(label, QString());
    if (failed)
        std::rethrow_exception(failed);
}

void TMainF::btnResetClick()
{
    EndSeriesRecords();
    if (Target)
        Target->ResetSeries();
    for (QLabel *label : {edCount, edBalls, edSum, lbSingles, lbFinish})
        SetCaption(label, QString());
}

// ------------------------------------------------------------ the debrief

TargetGeometry TMainF::CurrentGeometry() const
{
    TargetGeometry geometry;
    if (Target) {
        geometry.width = Target->width();
        // While a number outside 1 to 10 is being typed the target scores
        // with it; the debrief draws the nearest ring set that exists.
        geometry.blackCircleValue = qBound(0, Target->FBlackCircleValue, 10);
        if (const TShoot *first = Target->FSeries->Count() ? Target->GetShot(0) : nullptr)
            geometry.markRadius = first->FRadius;
    }
    return geometry;
}

ElevationBar TMainF::CurrentBar() const { return ElevationBar{PlankaCorrectionBar->value(), PlankaCorrectionBar->maximum()}; }

// The series ends (cleared, or the target changed): a finished one stays as
// the previous series.
void TMainF::EndSeriesRecords()
{
    for (const QPointer<TCallMark> &mark : std::as_const(FCallMarks))
        delete mark.data();
    FCallMarks.clear();
    FAwaitingCall = false;
    m_lastShotMs = -1;
    if (FExercise == Exercise::Zeroing && FZeroing.done)
        QTimer::singleShot(0, this, Guarded([this] { StartExercise(Exercise::Zeroing); })); // another gun
    if (Target && !FShotRecords.isEmpty() && FShotRecords.size() >= Target->FSeries->FMaxShots) {
        FPreviousShots = FShotRecords;
        FPreviousTarget = CurrentGeometry();
    }
    FShotRecords.clear();
    ShowExerciseHint();
    ScheduleDebriefUpdate();
}

void TMainF::SetClock(std::function<qint64()> now) { m_now = std::move(now); }

TJournalKeeper *TMainF::Journal()
{
    if (!m_journal) {
        m_journal = new TJournalKeeper(JournalStore::DefaultPath(), this);
        TellJournalMessages(m_journal);
        connect(m_journal, &TJournalKeeper::SeriesWritten, this, Guarded([this](qint64 id) {
            if (JournalWindow && JournalWindow->isVisible())
                JournalWindow->Added(id);
        }));
    }
    return m_journal;
}

void TMainF::btnJournalClick()
{
    if (!JournalWindow)
        JournalWindow = new TJournalF(Journal());
    JournalWindow->Open(this);
}

void TMainF::RecordFinishedSeries()
{
    if (!Target || !Gun || FShotRecords.size() < Target->FSeries->FMaxShots)
        return;
    const TargetGeometry geometry = CurrentGeometry();
    const SeriesFigures figures = AnalyseSeries(FShotRecords, geometry, CurrentBar());
    JournalSeries series;
    series.uid = QUuid::createUuid();
    series.firedAt = QDateTime::currentDateTimeUtc();
    series.targetWidth = geometry.width;
    series.largeTarget = Target->FLarge;
    series.blackCircleValue = Target->FBlackCircleValue;
    series.correction = int(-FShotRecords.last().correction.y());
    series.total = Target->FTotal;
    if (FExercise != Exercise::Free)
        series.exercise = ExerciseName(FExercise);
    if (FExercise == Exercise::Zeroing) {
        series.hiddenError = FZeroing.error;
        if (FZeroing.done)
            series.zeroingSeries = FZeroing.series;
    }
    series.meanPoint = figures.meanPoint;
    series.meanRadius = figures.meanRadius;
    series.extremeSpread = figures.extremeSpread;
    series.ringWidth = geometry.RingWidth();
    for (int i = 0; i < FShotRecords.size(); ++i) {
        const ShotRecord &r = FShotRecords[i];
        JournalShot shot{i + 1, r.hole, r.score, r.hold, r.alignment, r.correction};
        shot.sincePreviousMs = r.sincePreviousMs;
        shot.called = r.called;
        shot.call = r.call;
        shot.trace = r.trace;
        series.shots << shot;
    }
    Journal()->Record(series);
}

void TMainF::btnDebriefClick()
{
    if (!Debrief) {
        Debrief = new TDebriefF;
        Debrief->SetSettingsFile(SettingsPath());
        connect(Debrief, &TDebriefF::ApplyCorrection, this, Guarded([this](int position) {
            PlankaCorrectionBar->setValue(position);
        }));
        connect(Debrief, &TDebriefF::OpenJournal, this, Guarded([this] { btnJournalClick(); }));
    }
    UpdateDebrief();
    Debrief->Open(this);
}

void TMainF::ScheduleDebriefUpdate()
{
    if (!Debrief || !Debrief->isVisible() || m_debriefPending)
        return;
    m_debriefPending = true;
    QTimer::singleShot(0, this, Guarded([this] { UpdateDebrief(); }));
}

void TMainF::UpdateDebrief()
{
    m_debriefPending = false;
    if (!Debrief)
        return;
    TDebriefF::Input input;
    input.current.target = CurrentGeometry();
    input.current.shots = FShotRecords;
    if (FAwaitingCall && !input.current.shots.isEmpty())
        input.current.shots.removeLast(); // not seen before it is called
    input.exercise = FExercise;
    input.finished = Target && !Target->FSeriesOpen && !FAwaitingCall;
    input.zeroingSeries = FZeroing.series;
    input.zeroed = FZeroing.done;
    input.hiddenError = FZeroing.done ? FZeroing.error : QPoint();
    input.previous.target = FPreviousTarget;
    input.previous.shots = FPreviousShots;
    input.bar = CurrentBar();
    Debrief->ShowSeries(input);
}

// ------------------------------------------------------------ the exercises

QPoint TMainF::HiddenError() const { return FExercise == Exercise::Zeroing ? FZeroing.error : QPoint(); }

void TMainF::cbExerciseChange()
{
    const int index = cbExercise->currentIndex();
    StartExercise(index >= 0 && index <= int(Exercise::Calling) ? Exercise(index) : Exercise::Free);
}

// Each exercise starts with a new series.
void TMainF::StartExercise(Exercise exercise)
{
    EndExercise();
    FExercise = exercise;
    if (exercise == Exercise::Zeroing) {
        // A gun that was never zeroed: off in height by 2 to 5 divisions of
        // the bar, in a direction the bar can make good from where it stands,
        // and a little off sideways, for the hold to make good.
        const int bar = PlankaCorrectionBar->value();
        int divisions = 2 + Random(4);
        int sign = Random(2) ? 1 : -1; // +: the gun shoots low, the bar must rise
        if ((sign > 0 ? bar : PlankaCorrectionBar->maximum() - bar) < divisions)
            sign = -sign;
        divisions = std::min(divisions, sign > 0 ? bar : PlankaCorrectionBar->maximum() - bar);
        const int sideways = (Random(2) ? 1 : -1) * (4 + Random(9));
        FZeroing = Zeroing{QPoint(sideways, sign * divisions * 5 + RandomSpread(3)), 0, bar, false};
    }
    if (cbExercise->currentIndex() != int(exercise)) {
        const QSignalBlocker quiet(cbExercise);
        cbExercise->setCurrentIndex(int(exercise));
    }
    btnResetClick();
}

void TMainF::EndExercise()
{
    if (FExercise == Exercise::Zeroing && FZeroing.barBefore >= 0)
        PlankaCorrectionBar->setValue(FZeroing.barBefore);
    FZeroing = Zeroing{};
    FExercise = Exercise::Free;
    FAwaitingCall = false;
    ShowExerciseHint();
}

void TMainF::ShowExerciseHint()
{
    QString hint;
    switch (FExercise) {
    case Exercise::Free: break;
    case Exercise::Grouping:
        hint = tr("Кучность: очки откроются в конце серии; планку не трогайте.");
        break;
    case Exercise::Zeroing:
        hint = FZeroing.done ? tr("Оружие приведено к нормальному бою. «Очистить» — другое оружие.")
                             : tr("Оружие не пристреляно: серия, «Разбор серии», «Применить» — и снова.");
        break;
    case Exercise::Calling:
        hint = FAwaitingCall ? tr("Щёлкните там, куда, по-вашему, попала пуля.")
                             : tr("После выстрела покажите, куда попала пуля.");
        break;
    }
    lbExerciseHint->setText(hint);
}

void TMainF::CallAt(QPoint p)
{
    if (!FAwaitingCall || !Target || FShotRecords.isEmpty())
        return;
    FAwaitingCall = false;
    m_swallowDouble = true;
    ShotRecord &shot = FShotRecords.last();
    shot.called = true;
    shot.call = QPointF(p) - QPointF(Target->FAnchor);
    const int index = int(FShotRecords.size()) - 1;
    if (TShoot *mark = Target->GetShot(index))
        mark->show();
    auto *line = new TCallMark(p, (shot.hole + QPointF(Target->FAnchor)).toPoint());
    line->SetParentControl(Client);
    FCallMarks << line;
    SetCaption(edBalls, QString::number(shot.score));
    SetCaption(edSum, QString::number(Target->FTotal));
    ShowSingles(false);
    ShowExerciseHint();
    ScheduleDebriefUpdate();
    if (!Target->FSeriesOpen) {
        CountSeriesInExercise();
        RecordFinishedSeries();
        SeriesEndedInExercise();
    }
}

// The end of a series, once: zeroing counts the series and sees whether it
// is done (before the series is filed, which says so).
void TMainF::CountSeriesInExercise()
{
    if (!Target || FShotRecords.size() < Target->FSeries->FMaxShots)
        return;
    if (FExercise == Exercise::Zeroing && !FZeroing.done) {
        ++FZeroing.series;
        const SeriesFigures figures = AnalyseSeries(FShotRecords, CurrentGeometry(), CurrentBar());
        FZeroing.done = ZeroingDone(figures);
    }
}

// The end of a series on screen: the hidden scores shown, zeroing's hint.
void TMainF::SeriesEndedInExercise()
{
    if (!Target || FShotRecords.size() < Target->FSeries->FMaxShots)
        return;
    if (FExercise == Exercise::Grouping) {
        SetCaption(edBalls, QString::number(FShotRecords.last().score));
        SetCaption(edSum, QString::number(Target->FTotal));
        ShowSingles(true);
    }
    if (FExercise == Exercise::Zeroing)
        ShowExerciseHint();
    ScheduleDebriefUpdate();
}

// The scores of the series in an exercise that hides them: each shown once
// it may be seen (all, or those called), a dot until then.
void TMainF::ShowSingles(bool all)
{
    QStringList singles;
    for (const ShotRecord &r : std::as_const(FShotRecords))
        singles << (all || r.called ? QString::number(r.score) : QStringLiteral("·"));
    SetCaption(lbSingles, QStringLiteral("  ") + singles.join(QStringLiteral("  ")));
}

void TMainF::RecordAim()
{
    if (Gun && Target)
        FTrace.Add(m_now(), QPointF(Gun->AimPoint(false)));
}

void TMainF::LoadSettings()
{
    const int bar = ReadIntSetting(QStringLiteral("PlankaCorrection"), 6);
    const int black = ReadIntSetting(QStringLiteral("BlackCircleValue"), 3);
    const int size = ReadIntSetting(QStringLiteral("TargetSize"), 0);
    m_settingsRead = true;
    PlankaCorrectionBar->setValue(bar);
    edBlack->setValue(black);
    TargetSize->SetItemIndex(size);
    // The exercise last chosen, from a section of its own.
    const Exercise exercise = ExerciseFromKey(
        GetPrivateProfileString(kExerciseSection, kExerciseKey, QString(), TMainF::SettingsReadPath()));
    cbExercise->setCurrentIndex(int(exercise));
}

void TMainF::SaveSettings()
{
    // Settings never read (the start ended before them) are not written:
    // the controls hold only their designed values, not the user's.
    if (!m_settingsRead)
        return;
    WriteIntSetting(QStringLiteral("PlankaCorrection"), PlankaCorrectionBar->value());
    WriteIntSetting(QStringLiteral("BlackCircleValue"), BlackCircleValue());
    WriteIntSetting(QStringLiteral("TargetSize"), TargetSize->ItemIndex());
}
