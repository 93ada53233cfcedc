#include "ui/journalmessages.h"

#include "journal/journalkeeper.h"

#include <QCoreApplication>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {

// The texts a user reads, for translation.
struct JournalMessages {
    Q_DECLARE_TR_FUNCTIONS(JournalMessages)
};

std::function<bool(const QString &, bool)> &messageHook()
{
    static std::function<bool(const QString &, bool)> hook;
    return hook;
}

// A message, with more words under it (offering a new journal: true when it
// is chosen).
bool ask(const QString &text, const QString &detail, bool offerNew)
{
    if (messageHook())
        return messageHook()(text, offerNew);
    QMessageBox box(QMessageBox::Warning, JournalMessages::tr("Журнал"),
                    detail.isEmpty() ? text : text + QStringLiteral("\n\n") + detail, QMessageBox::NoButton,
                    QApplication::activeWindow());
    QPushButton *fresh = offerNew ? box.addButton(JournalMessages::tr("Начать новый журнал"), QMessageBox::AcceptRole)
                                  : nullptr;
    if (detail.isEmpty())
        box.addButton(QMessageBox::Ok);
    else
        box.addButton(JournalMessages::tr("Продолжить без журнала"), QMessageBox::RejectRole);
    box.exec();
    return fresh && box.clickedButton() == fresh;
}

} // namespace

void TellJournalMessages(TJournalKeeper *keeper)
{
    QObject::connect(keeper, &TJournalKeeper::Unusable, keeper,
                     [keeper](const QString &text, const QString &detail, bool offerNew) {
                         if (ask(text, detail, offerNew) && offerNew)
                             keeper->StartNewJournal();
                     });
    QObject::connect(keeper, &TJournalKeeper::Lost, keeper,
                     [](const QString &text) { ask(text, QString(), false); });
}

void SetJournalMessageHookForTesting(std::function<bool(const QString &, bool)> hook)
{
    messageHook() = std::move(hook);
}
