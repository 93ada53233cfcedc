#include "app/commands.h"

#include "journal/classserver.h"
#include "journal/journalstore.h"
#include "platform/settingsfile.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>

#include <cstring>

namespace {

struct CommandTexts {
    Q_DECLARE_TR_FUNCTIONS(Commands)
};

QString configuredService()
{
    return ReadSharedSetting(QStringLiteral("Journal"), QStringLiteral("Service"));
}

// Whether this computer reaches the class journal, as the program would,
// and what it may do there.
int checkClassJournal(const QString &given)
{
    QTextStream out(stdout);
    const QString service = given.isEmpty() ? configuredService() : given;
    if (service.isEmpty() && given.isEmpty())
        out << CommandTexts::tr("Журнал класса не настроен: в [Journal] Service файла настроек нет службы (%1)."
                                " Проверяю подключение по переменным окружения libpq.")
                   .arg(SettingsReadPath())
            << '\n';
    else
        out << CommandTexts::tr("Служба подключения: %1").arg(service) << '\n';
    ClassServer server(service);
    QString reason;
    if (!server.Open(&reason)) {
        out << CommandTexts::tr("Журнал класса недоступен: %1").arg(reason) << '\n';
        return 1;
    }
    out << CommandTexts::tr("Подключено: %1").arg(server.Describe()) << '\n';
    out << CommandTexts::tr("Схема журнала класса: версия %1").arg(server.ServerVersion()) << '\n';
    if (const std::optional<ClassRoster> roster = server.Roster(&reason))
        out << CommandTexts::tr("Список класса: учеников — %1, классов — %2")
                   .arg(roster->Learners().size())
                   .arg(roster->Classes().size())
            << '\n';
    else
        out << CommandTexts::tr("Список класса не читается: %1").arg(reason) << '\n';
    out << (server.MayReadClass() ? CommandTexts::tr("Права: учителя (видит серии всего класса)")
                                  : CommandTexts::tr("Права: ученика (добавляет серии)"))
        << '\n';
    // What this user's journal still has to send.
    JournalStore journal;
    if (QFileInfo::exists(JournalStore::DefaultPath())
        && journal.Open(JournalStore::DefaultPath(), &reason, nullptr, JournalStore::Check::Header,
                        JournalStore::Access::ReadOnly))
        out << CommandTexts::tr("Ждут отправки с этого компьютера: %1").arg(journal.OutboxSize()) << '\n';
    return 0;
}

// Creates or brings up to date the class journal's schema, as the role the
// connection logs in as (the database's owner or a superuser).
int setUpClassJournal(const QString &given)
{
    QTextStream out(stdout);
    ClassServer server(given);
    QString reason;
    if (!server.Open(&reason)) {
        out << CommandTexts::tr("Не удалось подготовить журнал класса: %1").arg(reason) << '\n';
        return 1;
    }
    out << CommandTexts::tr("Журнал класса готов: схема версии %1; %2").arg(server.ServerVersion()).arg(server.Describe())
        << '\n';
    return 0;
}

} // namespace

std::optional<int> RunCommand(int argc, char *argv[])
{
    if (argc < 2)
        return std::nullopt;
    const bool check = std::strcmp(argv[1], "--check-class-journal") == 0;
    const bool setUp = std::strcmp(argv[1], "--class-journal-setup") == 0;
    if (!check && !setUp)
        return std::nullopt;
    QCoreApplication app(argc, argv);
    const QString service = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    return check ? checkClassJournal(service) : setUpClassJournal(service);
}
