// A settings file survives the program being killed while it writes it:
// afterwards it holds either the old or the new contents, never a mix.

#include "testsupport.h"

#include "platform/profile.h"

#include <QProcess>
#include <QRandomGenerator>

class TestDurability : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void killedWhileWriting()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Vimbra.INI"));
        // A large file, so that every write takes a while to finish.
        QByteArray initial = "; the writer's settings\n[Options]\nPlankaCorrection=9\nBlackCircleValue=3\nTargetSize=0\n"
                             "[Padding]\n";
        for (int i = 0; i < 5000; ++i)
            initial += "Key" + QByteArray::number(i) + "=" + QByteArray(40, 'x') + "\n";
        const QByteArray one = ProfileWithValue(initial, "Options", "PlankaCorrection", "1");
        const QByteArray nine = ProfileWithValue(initial, "Options", "PlankaCorrection", "9");
        QVERIFY(WriteFile(path, nine));

        QRandomGenerator random(20261210);
        int sawOne = 0, sawNine = 0;
        for (int round = 0; round < 60; ++round) {
            QProcess writer;
            writer.start(QStringLiteral(SETTINGS_WRITER), {path});
            QVERIFY(writer.waitForReadyRead(10000)); // it has started writing
            QThread::msleep(random.bounded(1, 120));
            writer.kill(); // SIGKILL, wherever it is
            QVERIFY(writer.waitForFinished(10000));
            QCOMPARE(writer.exitStatus(), QProcess::CrashExit);

            QFile after(path);
            QVERIFY(after.open(QIODevice::ReadOnly));
            const QByteArray contents = after.readAll();
            QVERIFY2(contents == one || contents == nine, qPrintable(QStringLiteral("round %1").arg(round)));
            (contents == one ? sawOne : sawNine)++;
        }
        // The kills landed at different points of the writing.
        QVERIFY(sawOne > 0);
        QVERIFY(sawNine > 0);
    }
};

VIMBRA_TEST_MAIN(TestDurability)
#include "tst_durability.moc"
