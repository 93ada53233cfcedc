#include "ui/modalform.h"

#include "base/errorbox.h"

#include <QAbstractButton>
#include <QKeyEvent>

TModalForm::TModalForm(QWidget *parent) : QDialog(parent) {}

void TModalForm::SetOkButton(QAbstractButton *button)
{
    connect(button, &QAbstractButton::clicked, this, [this] { done(mrOk); });
}

void TModalForm::SetCancelButton(QAbstractButton *button) { FCancelButton = button; }

void TModalForm::reject() { done(mrCancel); }

void TModalForm::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (FCancelButton)
            FCancelButton->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TModalForm::showEvent(QShowEvent *event)
{
    if (!FPlaced) {
        FPlaced = true;
        PlaceFirstTime();
    }
    Guard([this] { FormShow(); });
    QDialog::showEvent(event);
}
