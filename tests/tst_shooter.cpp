// Who shoots: «Стрелок: …» in the main window, «Следующий стрелок», the
// dialog «Кто стреляет?», and the series filed under the learner chosen
// (never under an empty name), read back from the real SQLite journal.

#include "testsupport.h"

#include "journal/classroster.h"
#include "journal/journalkeeper.h"
#include "journal/journalstore.h"
#include "journal/journalwriter.h"
#include "platform/random.h"
#include "ui/frmJournal.h"
#include "ui/frmMain.h"
#include "ui/frmShooter.h"

#include <QLineEdit>
#include <QListWidget>

namespace {

const QPoint kBare(300, 460); // bare window area: a double-click there fires

const ClassRoster kRoster({{QStringLiteral("7Б"), QStringLiteral("Иванова Мария")},
                           {QStringLiteral("7Б"), QStringLiteral("Петров Пётр")},
                           {QStringLiteral("8А"), QStringLiteral("Сидоров Иван")}});

// The journal as an earlier run left it: the settings given, written before
// the program starts.
void rememberInJournal(const QList<std::pair<QString, QString>> &settings)
{
    JournalStore store;
    QString reason;
    if (!store.Open(JournalStore::DefaultPath(), &reason))
        qFatal("journal: %s", qPrintable(reason));
    for (const auto &setting : settings)
        store.SetSetting(setting.first, setting.second);
}

// The series filed under each name, from the journal file.
QMap<QString, QList<int>> filed()
{
    QMap<QString, QList<int>> byName;
    JournalStore store;
    if (!store.Open(JournalStore::DefaultPath(), nullptr, nullptr, JournalStore::Check::Header,
                    JournalStore::Access::ReadOnly))
        return byName;
    for (const QString &name : store.Shooters()) {
        const QList<JournalSeries> series = store.Summaries(name); // newest first
        for (auto it = series.rbegin(); it != series.rend(); ++it)
            byName[name] << it->total;
    }
    return byName;
}

// Types text into a widget as key strokes carrying it (Cyrillic too, which
// QTest::keyClicks takes only as Latin-1).
void typeInto(QWidget *widget, const QString &text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

// The main window on screen, once the journal has said what it remembers.
struct Lesson {
    ProgramFolder folder;
    Recorders rec;
    std::optional<TMainF> w;
    QWindow *window = nullptr;

    // settings: what the journal remembers from an earlier run.
    explicit Lesson(const QList<std::pair<QString, QString>> &settings = {})
    {
        RandSeed(77);
        if (!settings.isEmpty())
            rememberInJournal(settings);
        w.emplace(rec);
        if (!ShowActive(*w))
            qFatal("no window");
        window = w->windowHandle();
    }
    bool started() { return QTest::qWaitFor([this] { return w->Journal()->RememberedRead(); }); }
    void fire(int shots = 5)
    {
        for (int i = 0; i < shots; ++i)
            QTest::mouseDClick(window, Qt::LeftButton, {}, kBare);
    }
    void click(QWidget *button)
    {
        QWidget *top = button->window();
        QTest::mouseClick(top->windowHandle(), Qt::LeftButton, {}, button->mapTo(top, button->rect().center()));
    }
    // «Кто стреляет?», once it is up.
    TShooterF *asked()
    {
        if (!QTest::qWaitFor([this] { return w->ShooterWindow() && w->ShooterWindow()->isVisible(); }))
            return nullptr;
        return w->ShooterWindow();
    }
    // A name typed into the dialog without a roster, and OK.
    void answer(const QString &name)
    {
        TShooterF *d = asked();
        QVERIFY(d);
        QVERIFY(d->edName->isVisible());
        d->edName->clear();
        typeInto(d->edName, name);
        click(d->btnOk);
    }
    QString label() const { return w->lbShooter->text(); }
};

} // namespace

class TestShooter : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // «Стрелок: …» nobody, a name, a name with a class, and a long name
    // elided with the whole of it in the tooltip; in the free area under
    // the top buttons, left of the exercise's hint.
    void theLabel()
    {
        Lesson l;
        QVERIFY(l.started());
        QCOMPARE(l.label(), QStringLiteral("Стрелок: не выбран"));
        QVERIFY(l.w->lbShooter->toolTip().isEmpty());
        const QRect free(8, 38, 187, 53);
        QVERIFY(free.contains(l.w->lbShooter->geometry()));
        QVERIFY(free.contains(l.w->btnNextShooter->geometry()));
        QVERIFY(l.w->lbShooter->isVisible() && l.w->btnNextShooter->isVisible());
        QCOMPARE(l.w->btnNextShooter->text(), QStringLiteral("Следующий стрелок"));
        QCOMPARE(l.w->lbExerciseHint->geometry().topLeft(), QPoint(202, 38));

        l.w->Journal()->SetShooter(QStringLiteral("Иванова Мария"));
        QCOMPARE(l.label(), QStringLiteral("Стрелок: Иванова Мария"));
        l.w->Journal()->SetShooter(QStringLiteral("Иванова Мария"), QStringLiteral("7Б"));
        QCOMPARE(l.label(), QStringLiteral("Стрелок: Иванова Мария (7Б)"));
        const QString longName = QStringLiteral("Константинопольская-Щербатова Александра Вениаминовна");
        l.w->Journal()->SetShooter(longName, QStringLiteral("11В"));
        QVERIFY(l.label().endsWith(QChar(0x2026)));
        QVERIFY(l.w->lbShooter->fontMetrics().horizontalAdvance(l.label()) <= l.w->lbShooter->width());
        QCOMPARE(l.w->lbShooter->toolTip(), QStringLiteral("Стрелок: %1 (11В)").arg(longName));
        l.w->Journal()->SetShooter(QString());
        QCOMPARE(l.label(), QStringLiteral("Стрелок: не выбран"));
        QVERIFY(l.w->lbShooter->toolTip().isEmpty());
    }

    // Two series fired with nobody chosen wait (asked for after each, the
    // first answer cancelled), kept beside the journal meanwhile; the name
    // chosen then files both, in the order fired, and the later ones.
    void seriesWaitForTheirShooter()
    {
        Lesson l;
        QVERIFY(l.started());
        QList<int> totals;
        for (int series = 0; series < 2; ++series) {
            l.fire();
            totals << l.w->Target->FTotal;
            TShooterF *d = l.asked();
            QVERIFY(d);
            QCOMPARE(d->windowTitle(), QStringLiteral("Кто стреляет?"));
            QCOMPARE(d->windowModality(), Qt::WindowModal);
            QCOMPARE(QApplication::activeModalWidget(), d);
            l.click(d->btnCancel);
            QTRY_VERIFY(!d->isVisible());
            l.click(l.w->btnReset);
        }
        QCOMPARE(l.w->Lesson().Waiting(), 2);
        QCOMPARE(l.label(), QStringLiteral("Стрелок: не выбран"));
        // Nothing in the journal, but kept beside it under nobody's name.
        const QString journal = JournalStore::DefaultPath();
        QTRY_COMPARE(JournalWriter::PendingFiles(journal).size(), 1);
        QTRY_COMPARE(JournalWriter::KeptIn(JournalWriter::PendingFiles(journal).first()).size(), 2);
        QCOMPARE(JournalWriter::KeptIn(JournalWriter::PendingFiles(journal).first()).first().shooter,
                 QStringLiteral("без имени"));
        QVERIFY(filed().isEmpty());

        // «Следующий стрелок» asks again; an empty name is refused in the dialog.
        l.click(l.w->btnNextShooter);
        TShooterF *d = l.asked();
        QVERIFY(d);
        l.click(d->btnOk);
        QVERIFY(d->isVisible());
        QCOMPARE(d->lbReason->text(), QStringLiteral("имя не указано"));
        l.answer(QStringLiteral("Вера Соколова"));
        QTRY_VERIFY(!d->isVisible());
        QTRY_COMPARE(l.w->Journal()->Written(), 2);
        QCOMPARE(l.label(), QStringLiteral("Стрелок: Вера Соколова"));
        l.fire(); // the third, at once
        totals << l.w->Target->FTotal;
        QTRY_COMPARE(l.w->Journal()->Written(), 3);
        QCOMPARE(filed(), (QMap<QString, QList<int>>{{QStringLiteral("Вера Соколова"), totals}}));
        QTRY_VERIFY(JournalWriter::PendingFiles(journal).isEmpty());
        QVERIFY(!l.w->ShooterWindow()->isVisible());
        QVERIFY(l.rec.errors.isEmpty());
    }

    // Names as typed in the dialog, filed exactly so; too long is refused.
    void namesAsTyped_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("reason"); // empty: filed
        const QString longest(ClassRoster::kMaxName, QChar(u'Ж'));
        QTest::newRow("Cyrillic") << QStringLiteral("Ёлкина Дарья") << QString();
        QTest::newRow("quotes") << QStringLiteral("Д'Артаньян \"Шарль\" «Младший»") << QString();
        QTest::newRow("SQL") << QStringLiteral("'; DROP TABLE x; --") << QString();
        QTest::newRow("200 characters") << longest << QString();
        QTest::newRow("201 characters") << longest + QChar(u'Ж') << QStringLiteral("имя длиннее 200 знаков");
    }
    void namesAsTyped()
    {
        QFETCH(QString, name);
        QFETCH(QString, reason);
        Lesson l;
        QVERIFY(l.started());
        l.fire();
        l.answer(name);
        TShooterF *d = l.w->ShooterWindow();
        if (!reason.isEmpty()) {
            QVERIFY(d->isVisible());
            QCOMPARE(d->lbReason->text(), reason);
            QCOMPARE(l.w->Lesson().Waiting(), 1);
            l.answer(name.chopped(1)); // one character less
            name.chop(1);
        }
        QTRY_VERIFY(!d->isVisible());
        QTRY_COMPARE(l.w->Journal()->Written(), 1);
        QCOMPARE(filed().keys(), QStringList{name});
        JournalStore store;
        QVERIFY(store.Open(JournalStore::DefaultPath(), nullptr));
        QCOMPARE(store.Setting(QStringLiteral("shooter")), name);
    }

    // With a class roster in use the start carries nobody over and asks;
    // the class chosen last is preselected, the filter narrows the names;
    // a name off the roster is refused with the reason, a roster name taken
    // with a double-click, its class with it.
    void withARoster()
    {
        Lesson l({{QStringLiteral("class-roster"), kRoster.ToText()},
                  {QStringLiteral("shooter"), QStringLiteral("Сидоров Иван")},
                  {QStringLiteral("shooter-class"), QStringLiteral("7Б")}});
        TShooterF *d = l.asked(); // at the start, unasked
        QVERIFY(d);
        QVERIFY(l.w->Journal()->Roster().InUse());
        QCOMPARE(l.label(), QStringLiteral("Стрелок: не выбран"));
        QVERIFY(d->cbClass->isVisible() && d->lwNames->isVisible() && !d->edName->isVisible());
        QCOMPARE(d->cbClass->currentText(), QStringLiteral("7Б"));
        QCOMPARE(d->lwNames->count(), 2);

        typeInto(d->edFilter, QStringLiteral("Вася"));
        QCOMPARE(d->lwNames->currentItem(), nullptr); // no name holds it
        l.click(d->btnOk);
        QVERIFY(d->isVisible());
        QCOMPARE(d->lbReason->text(), QStringLiteral("«Вася» нет в списке класса 7Б"));

        d->edFilter->clear();
        typeInto(d->edFilter, QStringLiteral("пёт"));
        QListWidgetItem *petrov = d->lwNames->currentItem();
        QVERIFY(petrov);
        QCOMPARE(petrov->text(), QStringLiteral("Петров Пётр"));
        QVERIFY(d->lwNames->item(0)->isHidden()); // Иванова
        const QPoint at = d->lwNames->visualItemRect(petrov).center();
        QTest::mouseDClick(d->windowHandle(), Qt::LeftButton, {}, d->lwNames->viewport()->mapTo(d, at));
        QTRY_VERIFY(!d->isVisible());
        QCOMPARE(l.label(), QStringLiteral("Стрелок: Петров Пётр (7Б)"));
        l.fire();
        QTRY_COMPARE(l.w->Journal()->Written(), 1);
        QCOMPARE(filed().keys(), QStringList{QStringLiteral("Петров Пётр")});
        QVERIFY(!l.w->ShooterWindow()->isVisible());

        // The journal window takes roster names only.
        l.click(l.w->btnJournal);
        TJournalF *j = l.w->JournalWindow();
        QTRY_VERIFY(j && j->isVisible() && !j->Listing());
        QCOMPARE(j->cbShooter->count(), 3);
        j->cbShooter->setEditText(QStringLiteral("Чужой Человек"));
        Q_EMIT j->cbShooter->lineEdit()->editingFinished();
        QCOMPARE(j->lbShooterRefused->text(), QStringLiteral("«Чужой Человек» нет в списке класса 7Б"));
        QCOMPARE(l.w->Lesson().Shooter().value_or(QString()), QStringLiteral("Петров Пётр"));
        j->cbShooter->setEditText(QStringLiteral("Сидоров Иван"));
        Q_EMIT j->cbShooter->lineEdit()->editingFinished();
        QVERIFY(j->lbShooterRefused->text().isEmpty());
        QCOMPARE(l.label(), QStringLiteral("Стрелок: Сидоров Иван (8А)"));
    }

    // A roster the class journal gives later: kept for the next run, which
    // then asks at its start.
    void aRosterGivenIsKept()
    {
        {
            Lesson l({{QStringLiteral("shooter"), QStringLiteral("Иванова Мария")}});
            QVERIFY(l.started());
            QCOMPARE(l.label(), QStringLiteral("Стрелок: Иванова Мария")); // carried over
            QSignalSpy changed(l.w->Journal(), &TJournalKeeper::RosterChanged);
            l.w->Journal()->SetRoster(kRoster);
            l.w->Journal()->SetRoster(kRoster);
            QCOMPARE(changed.size(), 1);
            // Not on it without a class: nobody, asked.
            QVERIFY(l.asked());
            QCOMPARE(l.label(), QStringLiteral("Стрелок: не выбран"));
            l.click(l.w->ShooterWindow()->btnCancel);
            l.w.reset();
            JournalStore store;
            QVERIFY(store.Open(JournalStore::DefaultPath(), nullptr));
            QCOMPARE(ClassRoster::FromText(store.Setting(QStringLiteral("class-roster"))), kRoster);
        }
    }

    // Without a roster the remembered shooter goes on, the first frame
    // never waiting for it, and their series are filed at once.
    void theRememberedShooterGoesOn()
    {
        Lesson l({{QStringLiteral("shooter"), QStringLiteral("Иванова Мария")},
                  {QStringLiteral("shooter-class"), QStringLiteral("7Б")}});
        QVERIFY(l.started());
        QCOMPARE(l.label(), QStringLiteral("Стрелок: Иванова Мария (7Б)"));
        l.fire();
        QTRY_COMPARE(l.w->Journal()->Written(), 1);
        QCOMPARE(filed().keys(), QStringList{QStringLiteral("Иванова Мария")});
        QVERIFY(!l.w->ShooterWindow());
    }

    // «Следующий стрелок» in the middle of a series: the shots so far are
    // cleared for the new learner, whose series is filed under them; the
    // finished series before it stays the last one's. Cancelled, nothing
    // changes.
    void theNextShooter()
    {
        Lesson l({{QStringLiteral("shooter"), QStringLiteral("Первый")}});
        QVERIFY(l.started());
        l.fire();
        QTRY_COMPARE(l.w->Journal()->Written(), 1);
        l.click(l.w->btnReset);
        l.fire(2);
        QCOMPARE(l.w->Target->FSeries->Count(), 2);
        l.click(l.w->btnNextShooter);
        QVERIFY(l.asked());
        l.click(l.w->ShooterWindow()->btnCancel);
        QTRY_VERIFY(!l.w->ShooterWindow()->isVisible());
        QCOMPARE(l.w->Target->FSeries->Count(), 2);
        QCOMPARE(l.label(), QStringLiteral("Стрелок: Первый"));

        l.click(l.w->btnNextShooter);
        l.answer(QStringLiteral("Второй"));
        QTRY_VERIFY(!l.w->ShooterWindow()->isVisible());
        QCOMPARE(l.w->Target->FSeries->Count(), 0);
        QCOMPARE(l.w->edCount->text(), QString());
        QCOMPARE(l.label(), QStringLiteral("Стрелок: Второй"));
        l.fire();
        QTRY_COMPARE(l.w->Journal()->Written(), 2);
        const auto byName = filed();
        QCOMPARE(byName.keys(), (QStringList{QStringLiteral("Второй"), QStringLiteral("Первый")}));
        QCOMPARE(byName.value(QStringLiteral("Второй")), QList<int>{l.w->Target->FTotal});
    }

    // At the end the series still waiting are asked for once more; cancelled
    // again, they are filed under «без имени», never lost.
    void theEnd()
    {
        Lesson l;
        QVERIFY(l.started());
        l.fire();
        TShooterF *d = l.asked();
        QVERIFY(d);
        l.click(d->btnCancel);
        QTRY_VERIFY(!d->isVisible());
        bool askedAtTheEnd = false;
        WhenModal([&](QDialog *dialog) {
            askedAtTheEnd = dialog == d;
            d->btnCancel->click();
        });
        l.w->close();
        QVERIFY(askedAtTheEnd);
        l.w.reset();
        QCOMPARE(filed().keys(), QStringList{QStringLiteral("без имени")});
    }
};

VIMBRA_TEST_MAIN(TestShooter)
#include "tst_shooter.moc"
