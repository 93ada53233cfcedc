#include "ui/frmShooter.h"

#include "ui/look.h"

#include <QCompleter>

TShooterF::TShooterF(QWidget *parent) : TModalForm(parent)
{
    setupUi(this);
    UseLightLook(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    edName->setMaxLength(ClassRoster::kMaxName + 1); // one more: refused with the reason, not cut short
    lbReason->hide();
    SetCancelButton(btnCancel);
    connect(btnCancel, &QPushButton::clicked, this, [this] { done(mrCancel); });
    connect(btnOk, &QPushButton::clicked, this, [this] { Pick(); });
    connect(lwNames, &QListWidget::itemDoubleClicked, this, [this] { Pick(); });
    connect(cbClass, &QComboBox::currentIndexChanged, this, [this] { ShowClass(); });
    connect(edFilter, &QLineEdit::textChanged, this, [this] { Filter(); });
    for (QLineEdit *edit : {edFilter, edName})
        connect(edit, &QLineEdit::textEdited, lbReason, &QLabel::hide);
}

void TShooterF::Offer(const ClassRoster &roster, const QString &lastClass, const QStringList &journalNames)
{
    FRoster = roster;
    FName.clear();
    FClass.clear();
    lbReason->clear();
    lbReason->hide();
    const bool inUse = roster.InUse();
    for (QWidget *w : std::initializer_list<QWidget *>{lbClass, cbClass, edFilter, lwNames})
        w->setVisible(inUse);
    for (QWidget *w : std::initializer_list<QWidget *>{lbName, edName})
        w->setVisible(!inUse);
    if (inUse) {
        {
            const QSignalBlocker quiet(cbClass);
            cbClass->clear();
            cbClass->addItems(roster.Classes());
            cbClass->setCurrentIndex(std::max(0, cbClass->findText(lastClass)));
        }
        edFilter->clear();
        ShowClass();
        edFilter->setFocus();
    } else {
        edName->clear();
        auto *completer = new QCompleter(journalNames, edName);
        completer->setCaseSensitivity(Qt::CaseInsensitive);
        completer->setFilterMode(Qt::MatchContains);
        delete edName->completer();
        edName->setCompleter(completer);
        edName->setFocus();
    }
}

void TShooterF::ShowClass()
{
    lwNames->clear();
    lwNames->addItems(FRoster.Names(cbClass->currentText()));
    Filter();
}

void TShooterF::Filter()
{
    const QString part = edFilter->text().trimmed();
    QListWidgetItem *first = nullptr;
    for (int row = 0; row < lwNames->count(); ++row) {
        QListWidgetItem *item = lwNames->item(row);
        const bool shown = part.isEmpty() || item->text().contains(part, Qt::CaseInsensitive);
        item->setHidden(!shown);
        if (shown && !first)
            first = item;
    }
    QListWidgetItem *current = lwNames->currentItem();
    if (!current || current->isHidden())
        lwNames->setCurrentItem(first);
}

// The name chosen, if the roster takes it; the reason otherwise.
void TShooterF::Pick()
{
    QString name, klass;
    if (FRoster.InUse()) {
        klass = cbClass->currentText();
        const QListWidgetItem *item = lwNames->currentItem();
        name = item && !item->isHidden() ? item->text() : edFilter->text();
    } else {
        name = edName->text();
    }
    QString reason;
    if (!FRoster.Accepts(klass, name, &reason)) {
        lbReason->setText(reason);
        lbReason->show();
        return;
    }
    FName = name.trimmed();
    FClass = klass.trimmed();
    done(mrOk);
}
