#include "ui/frmClassRoster.h"

#include "ui/look.h"
#include "base/errorbox.h"
#include "journal/classroster.h"
#include "journal/classserver.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QStandardPaths>

namespace {
std::function<QString()> &openPathHook()
{
    static std::function<QString()> hook;
    return hook;
}
} // namespace

TClassRosterF::TClassRosterF(std::shared_ptr<ClassServer> server, const QString &klass, QWidget *parent)
    : QDialog(parent), FServer(server), FClass(klass)
{
    setupUi(this);
    UseLightLook(this);
    lbTitle->setText(klass.isEmpty() ? tr("Ученики без класса") : tr("Ученики класса «%1»").arg(klass));
    connect(btnAdd, &QPushButton::clicked, this, Guarded([this] { Add(); }));
    connect(leName, &QLineEdit::returnPressed, this, Guarded([this] { Add(); }));
    connect(btnRemove, &QPushButton::clicked, this, Guarded([this] { Remove(); }));
    connect(btnImport, &QPushButton::clicked, this, Guarded([this] { Import(); }));
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);
    connect(lwNames, &QListWidget::currentRowChanged, this, [this](int row) { btnRemove->setEnabled(row >= 0); });
    btnRemove->setEnabled(false);
    btnAdd->setDefault(false);
    btnAdd->setAutoDefault(false);
    btnClose->setAutoDefault(false);
    Reload();
}

void TClassRosterF::SetOpenPathHookForTesting(std::function<QString()> hook) { openPathHook() = std::move(hook); }

void TClassRosterF::Reload()
{
    QString reason;
    const std::optional<ClassRoster> roster = FServer->Roster(&reason);
    lwNames->clear();
    if (!roster) {
        Tell(tr("Список не прочитан: %1").arg(reason));
        return;
    }
    lwNames->addItems(roster->Names(FClass));
}

void TClassRosterF::Tell(const QString &text) { lbStatus->setText(text); }

void TClassRosterF::Add()
{
    const QString name = leName->text().trimmed();
    if (name.isEmpty())
        return;
    QString reason;
    if (!FServer->AddLearners({ClassRoster::Learner{FClass, name}}, &reason)) {
        Tell(tr("Не удалось добавить «%1»: %2").arg(name, reason));
        return;
    }
    leName->clear();
    Tell(tr("Добавлен: %1").arg(name));
    Reload();
    Q_EMIT Changed();
}

void TClassRosterF::Remove()
{
    const QListWidgetItem *item = lwNames->currentItem();
    if (!item)
        return;
    const QString name = item->text();
    QString reason;
    if (!FServer->RemoveLearner(ClassRoster::Learner{FClass, name}, &reason)) {
        Tell(tr("Не удалось удалить «%1»: %2").arg(name, reason));
        return;
    }
    Tell(tr("Удалён из списка: %1 (его серии остаются в журнале)").arg(name));
    Reload();
    Q_EMIT Changed();
}

void TClassRosterF::Import()
{
    const QString path =
        openPathHook() ? openPathHook()()
                       : QFileDialog::getOpenFileName(this, tr("Список класса из файла"),
                                                      QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
                                                      tr("Списки (*.csv *.txt);;Все файлы (*)"));
    if (path.isEmpty())
        return;
    QString message;
    ImportFile(path, &message);
    Tell(message);
}

bool TClassRosterF::ImportFile(const QString &path, QString *message)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *message = tr("Не удалось открыть файл «%1»: %2").arg(QDir::toNativeSeparators(path), file.errorString());
        return false;
    }
    const ClassRoster::Import import = ClassRoster::ParseNames(file.readAll());
    QList<ClassRoster::Learner> learners;
    for (const QString &name : import.names)
        learners << ClassRoster::Learner{FClass, name};
    QString reason;
    if (!learners.isEmpty() && !FServer->AddLearners(learners, &reason)) {
        *message = tr("Список не добавлен: %1").arg(reason);
        return false;
    }
    *message = tr("Имён из файла в списке: %1.").arg(import.names.size());
    if (!import.tooLong.isEmpty())
        *message += QLatin1Char(' ')
                    + tr("Не взяты (длиннее %1 знаков): %2.").arg(ClassRoster::kMaxName).arg(import.tooLong.size());
    Reload();
    Q_EMIT Changed();
    return import.tooLong.isEmpty();
}
