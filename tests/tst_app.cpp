// The application shell: title, error box, guards, modal showing, AppDir.

#include "testsupport.h"

#include "platform/errors.h"
#include "ui/frmAbout.h"
#include "ui/frmHelp.h"

#include <QDialog>
#include <QPushButton>

namespace {
// An object whose event handler fails, as a faulty handler would.
class Failing : public QObject
{
public:
    int handled = 0;
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::User)
            throw AppError(QStringLiteral("Something went wrong?"));
        ++handled;
        return QObject::event(e);
    }
};

} // namespace

class TestApp : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void title_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("title");
        QTest::newRow("two dots") << "C:/Programs/Trainer.Test.exe" << "Trainer";
        QTest::newRow("capitals") << "TRAINER.EXE" << "Trainer";
        QTest::newRow("no extension") << "/opt/vimbra/Vimbra" << "Vimbra";
        QTest::newRow("lower first letter kept") << "/bin/vIMBRA" << "vimbra";
        QTest::newRow("leading dot") << "/x/.hidden" << "";
    }
    void title()
    {
        QFETCH(QString, path);
        QFETCH(QString, title);
        QCOMPARE(ApplicationTitle(path), title);
    }

    void errorBoxText_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("question mark") << "Really?" << "Really?.";
        QTest::newRow("letter") << "Cannot open file /a/b.bmp" << "Cannot open file /a/b.bmp.";
        QTest::newRow("digit") << "List index out of bounds (3" << "List index out of bounds (3.";
        QTest::newRow("cyrillic letter") << QString::fromUtf8("Ошибка") << QString::fromUtf8("Ошибка.");
        QTest::newRow("exclamation") << "Cannot run default Email Client!" << "Cannot run default Email Client!";
        QTest::newRow("parenthesis") << "Oops (1)" << "Oops (1)";
        QTest::newRow("full stop") << "Done." << "Done.";
        QTest::newRow("trailing space") << "Done " << "Done ";
        QTest::newRow("empty") << "" << "";
    }
    void errorBoxText()
    {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QCOMPARE(ErrorBoxText(message), shown);
    }

    void appDirIsTheExecutablesFolderWhateverTheWorkingDirectory()
    {
        const QString before = AppDir();
        QVERIFY(before.endsWith(QLatin1Char('/')));
        QCOMPARE(before, QCoreApplication::applicationDirPath() + QLatin1Char('/'));
        const QString cwd = QDir::currentPath();
        QDir::setCurrent(QDir::rootPath());
        QCOMPARE(AppDir(), before);
        QDir::setCurrent(cwd);
    }

    void errorInAHandlerIsShownAndTheProgramGoesOn()
    {
        Recorders rec;
        Failing object;
        QEvent failing(QEvent::User);
        QCoreApplication::sendEvent(&object, &failing);
        QCOMPARE(rec.errors, QStringList{"Something went wrong?."});
        QEvent next(QEvent::Type(QEvent::User + 1));
        QCoreApplication::sendEvent(&object, &next);
        QCOMPARE(object.handled, 1);

        bool rest = false;
        Guard([&] {
            throw AppError(QStringLiteral("Stop!"));
            rest = true;
        });
        QVERIFY(!rest);
        QCOMPARE(rec.errors.last(), QStringLiteral("Stop!"));
    }

    void showModalResetsAndRestoresTheCursor()
    {
        QWidget other;
        other.show();
        QDialog dialog;
        SetScreenCursor(Qt::SizeAllCursor);
        Qt::CursorShape during = Qt::BlankCursor;
        bool otherBlocked = false;
        WhenModal([&](QDialog *d) {
            during = ScreenCursor();
            otherBlocked = QApplication::activeModalWidget() == &dialog && d == &dialog;
            d->done(7);
        });
        QCOMPARE(ShowModal(&dialog), 7);
        QCOMPARE(during, Qt::ArrowCursor);
        QVERIFY(otherBlocked);
        QVERIFY(dialog.isHidden());
        QCOMPARE(ScreenCursor(), Qt::SizeAllCursor);
        SetScreenCursor(Qt::ArrowCursor);
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    // How each way of closing a form ends it: OK-type buttons give 1, the
    // title bar 2, Esc the cancel button's result or nothing at all.
    void modalResults()
    {
        THelpF help;
        WhenModal([&](QDialog *) { help.Button1->click(); });
        QCOMPARE(ShowModal(&help), 1);
        WhenModal([&](QDialog *d) { QTest::keyClick(d, Qt::Key_Escape); });
        QCOMPARE(ShowModal(&help), 1);
        WhenModal([&](QDialog *d) { d->close(); });
        QCOMPARE(ShowModal(&help), 2);

        TAboutBox about;
        WhenModal([&](QDialog *d) {
            QTest::keyClick(d, Qt::Key_Escape);
            QVERIFY(d->isVisible()); // no cancel button: Esc does nothing
            QTest::keyClick(d, Qt::Key_Return);
        });
        QCOMPARE(ShowModal(&about), 1);
        WhenModal([&](QDialog *d) { d->close(); });
        QCOMPARE(ShowModal(&about), 2);
    }
};

VIMBRA_TEST_MAIN(TestApp)
#include "tst_app.moc"
