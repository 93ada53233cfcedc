#include "ui/frmAbout.h"

#include "ui/look.h"
#include "base/errorbox.h"
#include "ui/appicon.h"
#include "ui/placement.h"
#include "platform/shellutils.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QWindow>

TAboutBox *AboutBox = nullptr;

TAboutBox::TAboutBox(QWidget *parent) : TModalForm(parent)
{
    setupUi(this);
    UseLightLook(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(size());
    SetOkButton(OKButton);
    ProgramIcon->setPixmap(QPixmap::fromImage(AppIconImage()));
    lbURL->installEventFilter(this);
    lbEmail->installEventFilter(this);
    Guard([this] { FormCreate(); });
}

QString TAboutBox::CreditsText()
{
    return QStringList{
        tr("Идея: Vimbra"),
        tr("Методика: тренеры"),
        tr("Программа: Vimbra"),
        QStringLiteral("2026"),
    }.join(QLatin1Char('\r'));
}

void TAboutBox::FormCreate()
{
    // A label breaks its lines at carriage returns.
    Copyright->setText(QString(CreditsText()).replace(QLatin1Char('\r'), QLatin1Char('\n')));
}

void TAboutBox::PlaceFirstTime()
{
    // Labels sized to their texts: measured only once they are to be seen,
    // so that start-up does not load these fonts.
    for (QLabel *label : {ProductName, Version, lbURL, lbEmail})
        label->adjustSize();

    // Centred on the screen of the window that is active now, by the outer
    // size. A window manager tells the frame only once the box is on screen:
    // until then the inner size stands for it, and once the frame is known
    // the box is centred again.
    FScreen = QGuiApplication::primaryScreen();
    if (QWidget *active = QApplication::activeWindow())
        FScreen = active->screen();
    move(CentredFrame(QMargins()));
    FAwaitingFrame = true;
    QTimer::singleShot(2000, this, [this] { FAwaitingFrame = false; });
}

QPoint TAboutBox::CentredFrame(const QMargins &frame) const
{
    if (!FScreen)
        return pos();
    const QRect area = FScreen->geometry();
    const QSize outer = size().grownBy(frame);
    return QPoint(area.left() + qMax(0, (area.width() - outer.width()) / 2),
                  area.top() + qMax(0, (area.height() - outer.height()) / 2));
}

bool TAboutBox::event(QEvent *event)
{
    const bool handled = TModalForm::event(event);
    const QEvent::Type type = event->type();
    if (FAwaitingFrame && isVisible() && windowHandle()
        && (type == QEvent::Move || type == QEvent::Resize || type == QEvent::Show || type == QEvent::WindowActivate)) {
        const QMargins frame = windowHandle()->frameMargins();
        if (!frame.isNull()) {
            FAwaitingFrame = false;
            PlaceFrameAt(this, CentredFrame(frame));
        }
    }
    return handled;
}

bool TAboutBox::eventFilter(QObject *watched, QEvent *event)
{
    // A double-click is one click on a link: the release that ends it opens
    // nothing more.
    if (event->type() == QEvent::MouseButtonDblClick) {
        FDoubleClicked = watched;
        return true;
    }
    if (event->type() == QEvent::MouseButtonRelease && FDoubleClicked == watched) {
        FDoubleClicked = nullptr;
        return true;
    }
    if (event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton
        && static_cast<QWidget *>(watched)->rect().contains(static_cast<QMouseEvent *>(event)->position().toPoint())) {
        Guard([this, watched] {
            if (watched == lbURL)
                lbURLClick();
            else
                lbEmailClick();
        });
        return true;
    }
    return TModalForm::eventFilter(watched, event);
}

void TAboutBox::lbURLClick() { OpenURL(lbURL->text()); }

void TAboutBox::lbEmailClick() { SendMail(lbEmail->text(), QStringLiteral("Vimbra"), QString()); }
