#include "ui/frmAbout.h"

#include "app/app.h"
#include "app/appicon.h"
#include "app/shellutils.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>

TAboutBox *AboutBox = nullptr;

TAboutBox::TAboutBox(QWidget *parent) : TModalForm(parent)
{
    setupUi(this);
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
        QStringLiteral("Идея: Vimbra"),
        QStringLiteral("Методика: тренеры"),
        QStringLiteral("Программа: Vimbra"),
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

    // Centred on the screen of the window that is active now.
    QScreen *screen = QGuiApplication::primaryScreen();
    if (QWidget *active = QApplication::activeWindow())
        screen = active->screen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    const QSize outer = frameGeometry().size();
    move(area.left() + qMax(0, (area.width() - outer.width()) / 2),
         area.top() + qMax(0, (area.height() - outer.height()) / 2));
}

bool TAboutBox::eventFilter(QObject *watched, QEvent *event)
{
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
