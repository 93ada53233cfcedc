#include "ui/frmHelp.h"

#include "ui/look.h"
#include "base/appdir.h"
#include "platform/richedit.h"

#include <QFileInfo>

THelpF *HelpF = nullptr;

THelpF::THelpF(QWidget *parent) : TModalForm(parent)
{
    setupUi(this);
    UseLightLook(this);
    SetOkButton(Button1);
    SetCancelButton(Button1);
    // Read-only, yet the keys move through the text and scroll it, as the
    // wheel does: the box shows no scroll bars.
    Memo->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

void THelpF::PlaceFirstTime() { move(658, 81); }

void THelpF::FormShow()
{
    const QString path = AppDir() + QStringLiteral("instructions.txt");
    if (QFileInfo(path).isFile())
        LoadRichEditFromFile(Memo->document(), path);
    else
        Memo->setPlainText(tr("Файл инструкций не найден"));
}

void THelpF::resizeEvent(QResizeEvent *event)
{
    TModalForm::resizeEvent(event);
    // The text box keeps to the top edge at the full width and its own height.
    Memo->setGeometry(0, 0, width(), Memo->height());
}
