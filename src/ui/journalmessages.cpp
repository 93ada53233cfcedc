#include "ui/journalmessages.h"

#include "journal/journalkeeper.h"

#include <QCoreApplication>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

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

// A message the lesson goes on under: shown beside the windows, it blocks
// none of them, so the learner fires on, and a window closed meanwhile still
// ends the program. `startNew` runs if a new journal is offered and chosen.
void tell(const QString &text, const QString &detail, bool offerNew, const std::function<void()> &startNew)
{
    if (messageHook()) {
        // Answered as a user answers the box: once the events at hand (a
        // failure of the old file already on its way among them) are done.
        if (messageHook()(text, offerNew) && offerNew)
            QTimer::singleShot(0, qApp, startNew);
        return;
    }
    auto *box = new QMessageBox(QMessageBox::Warning, JournalMessages::tr("Журнал"),
                                text + QStringLiteral("\n\n") + detail, QMessageBox::NoButton,
                                QApplication::activeWindow());
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    QPushButton *fresh = offerNew ? box->addButton(JournalMessages::tr("Начать новый журнал"), QMessageBox::AcceptRole)
                                  : nullptr;
    box->addButton(JournalMessages::tr("Продолжить без журнала"), QMessageBox::RejectRole);
    QObject::connect(box, &QMessageBox::buttonClicked, box, [fresh, startNew](QAbstractButton *button) {
        if (fresh && button == fresh)
            startNew();
    });
    box->show();
}

// A message at the end, when nothing else is left on screen: the end waits
// for it to be read.
void tellAtTheEnd(const QString &text)
{
    if (messageHook()) {
        messageHook()(text, false);
        return;
    }
    QMessageBox box(QMessageBox::Warning, JournalMessages::tr("Журнал"), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

} // namespace

void TellJournalMessages(TJournalKeeper *keeper)
{
    QObject::connect(keeper, &TJournalKeeper::Unusable, keeper,
                     [keeper](const QString &text, const QString &detail, bool offerNew) {
                         tell(text, detail, offerNew, [kept = QPointer<TJournalKeeper>(keeper)] {
                             if (kept)
                                 kept->StartNewJournal();
                         });
                     });
    QObject::connect(keeper, &TJournalKeeper::Lost, keeper, [](const QString &text) { tellAtTheEnd(text); });
    // The class journal out of reach, or refusing a series: said beside the
    // lesson, which goes on.
    QObject::connect(keeper, &TJournalKeeper::ClassRefused, keeper, [](const QString &text) {
        if (messageHook()) {
            messageHook()(text, false);
            return;
        }
        auto *box = new QMessageBox(QMessageBox::Information, JournalMessages::tr("Журнал класса"), text,
                                    QMessageBox::Ok, QApplication::activeWindow());
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowModality(Qt::NonModal);
        box->show();
    });
    QObject::connect(keeper, &TJournalKeeper::ClassUnreachable, keeper, [](const QString &text) {
        if (messageHook()) {
            messageHook()(text, false);
            return;
        }
        auto *box = new QMessageBox(QMessageBox::Information, JournalMessages::tr("Журнал класса"),
                                    text + QStringLiteral("\n\n")
                                        + JournalMessages::tr("Тренировка продолжается: серии будут отправлены в журнал "
                                                              "класса, как только сервер ответит, даже если программу "
                                                              "закроют и запустят снова."),
                                    QMessageBox::Ok, QApplication::activeWindow());
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowModality(Qt::NonModal);
        box->show();
    });
}

void SetJournalMessageHookForTesting(std::function<bool(const QString &, bool)> hook)
{
    messageHook() = std::move(hook);
}
