#include "ui/radiogroup.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QRadioButton>

TRadioGroup::TRadioGroup(QGroupBox *box) : QObject(box), FButtons(new QButtonGroup(this))
{
    int id = 0;
    for (QRadioButton *button : box->findChildren<QRadioButton *>(Qt::FindDirectChildrenOnly))
        FButtons->addButton(button, id++);
    connect(FButtons, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        UpdateTabStop();
        if (checked)
            Q_EMIT Clicked();
    });
    UpdateTabStop();
}

void TRadioGroup::UpdateTabStop()
{
    const QList<QAbstractButton *> buttons = FButtons->buttons();
    QAbstractButton *stop = FButtons->checkedButton();
    if (!stop && !buttons.isEmpty())
        stop = FButtons->button(0);
    for (QAbstractButton *button : buttons)
        button->setFocusPolicy(button == stop ? Qt::StrongFocus : Qt::ClickFocus);
}

int TRadioGroup::ItemIndex() const { return FButtons->checkedId(); }

void TRadioGroup::SetItemIndex(int index)
{
    index = qBound(-1, index, int(FButtons->buttons().size()) - 1);
    if (index == ItemIndex())
        return;
    if (index >= 0) {
        FButtons->button(index)->setChecked(true);
        return;
    }
    FButtons->setExclusive(false);
    FButtons->checkedButton()->setChecked(false);
    FButtons->setExclusive(true);
}
