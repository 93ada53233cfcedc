// The settings panel and the settings file.

#include "testsupport.h"

#include "platform/intconv.h"
#include "platform/profile.h"
#include "ui/frmMain.h"

#include <QDateTime>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

namespace {
const QString kIni = QStringLiteral("Vimbra.INI");

QByteArray settingsFile(int bar, int black, int size)
{
    return QStringLiteral("[Options]\nPlankaCorrection=%1\nBlackCircleValue=%2\nTargetSize=%3\n")
        .arg(bar).arg(black).arg(size).toLatin1();
}

// For its lifetime the folder may be read and entered by anyone and written
// by no one, and the superuser, who writes anywhere, acts as an ordinary
// user; as a package installs the program and a learner runs it.
class ReadOnlyForUser
{
public:
    explicit ReadOnlyForUser(const QString &folder) : m_folder(folder), m_was(QFile::permissions(folder))
    {
        using P = QFileDevice;
        QFile::setPermissions(folder, P::ReadOwner | P::ExeOwner | P::ReadUser | P::ExeUser | P::ReadGroup
                                          | P::ExeGroup | P::ReadOther | P::ExeOther);
        m_root = geteuid() == 0;
        // Real and effective user both: access() asks with the real one. The
        // saved one stays the superuser's, to come back.
        if (m_root && setresuid(65534, 65534, 0) != 0)
            qFatal("cannot act as an ordinary user");
    }
    ~ReadOnlyForUser()
    {
        if (m_root && setresuid(0, 0, 0) != 0)
            qFatal("cannot act as the superuser again");
        QFile::setPermissions(m_folder, m_was);
    }

private:
    QString m_folder;
    QFileDevice::Permissions m_was;
    bool m_root = false;
};
} // namespace

class TestSettings : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void integers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value"); // -999 for none
        const int none = -999;
        QTest::newRow("plain") << "15" << 15;
        QTest::newRow("negative") << "-2" << -2;
        QTest::newRow("plus") << "+7" << 7;
        QTest::newRow("leading blanks") << "   8" << 8;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("0x") << "0x8" << 8;
        QTest::newRow("dollar") << "$8" << 8;
        QTest::newRow("x") << "xFF" << 255;
        QTest::newRow("capital X") << "0XfF" << 255;
        QTest::newRow("all ones") << "$FFFFFFFF" << -1;
        QTest::newRow("leading zeros") << "$000000001" << 1;
        QTest::newRow("most negative") << "-2147483648" << int(-2147483647 - 1);
        QTest::newRow("largest") << "2147483647" << 2147483647;
        QTest::newRow("overflow") << "2147483648" << none;
        QTest::newRow("nine hex digits") << "$100000000" << none;
        QTest::newRow("empty") << "" << none;
        QTest::newRow("blanks") << "   " << none;
        QTest::newRow("letters") << "abc" << none;
        QTest::newRow("unit") << "12px" << none;
        QTest::newRow("trailing blank") << "12 " << none;
        QTest::newRow("sign alone") << "-" << none;
        QTest::newRow("prefix alone") << "0x" << none;
        QTest::newRow("signed hex") << "-$8" << none;
        QTest::newRow("plus hex") << "+0x8" << none;
        QTest::newRow("decimal point") << "1.5" << none;
    }
    void integers()
    {
        QFETCH(QString, text);
        QFETCH(int, value);
        QCOMPARE(TextToInt(text).value_or(-999), value);
    }

    // What a stored file does at start, and what is written back at the end.
    void startAndEnd_data()
    {
        QTest::addColumn<QByteArray>("stored"); // "-" for no file
        QTest::addColumn<int>("bar");
        QTest::addColumn<int>("black");
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("large");
        QTest::newRow("no file") << QByteArray("-") << 6 << 3 << 0 << true;
        QTest::newRow("empty file") << QByteArray("") << 6 << 3 << 0 << true;
        QTest::newRow("bar 15") << QByteArray("[Options]\nPlankaCorrection=15\n") << 10 << 3 << 0 << true;
        QTest::newRow("bar -2") << QByteArray("[Options]\nPlankaCorrection=-2\n") << 0 << 3 << 0 << true;
        QTest::newRow("bar 0x8") << QByteArray("[Options]\nPlankaCorrection=0x8\n") << 8 << 3 << 0 << true;
        QTest::newRow("bar $8") << QByteArray("[Options]\nPlankaCorrection=$8\n") << 8 << 3 << 0 << true;
        QTest::newRow("bar abc") << QByteArray("[Options]\nPlankaCorrection=abc\n") << 6 << 3 << 0 << true;
        QTest::newRow("bar 12px") << QByteArray("[Options]\nPlankaCorrection=12px\n") << 6 << 3 << 0 << true;
        QTest::newRow("bar -$8") << QByteArray("[Options]\nPlankaCorrection=-$8\n") << 6 << 3 << 0 << true;
        QTest::newRow("bar empty") << QByteArray("[Options]\nPlankaCorrection=\n") << 6 << 3 << 0 << true;
        QTest::newRow("black 0") << QByteArray("[Options]\nBlackCircleValue=0\n") << 6 << 1 << 0 << true;
        QTest::newRow("black 15") << QByteArray("[Options]\nBlackCircleValue=15\n") << 6 << 10 << 0 << true;
        QTest::newRow("black 3") << QByteArray("[Options]\nBlackCircleValue=3\n") << 6 << 3 << 0 << true;
        QTest::newRow("size 1") << QByteArray("[Options]\nTargetSize=1\n") << 6 << 3 << 1 << false;
        QTest::newRow("size 7") << QByteArray("[Options]\nTargetSize=7\n") << 6 << 3 << 1 << false;
        QTest::newRow("size -5") << QByteArray("[Options]\nTargetSize=-5\n") << 6 << 3 << -1 << true;
        QTest::newRow("names in any case") << QByteArray("[options]\nplankacorrection=2\nTARGETSIZE=1\n") << 2 << 3 << 1
                                           << false;
        QTest::newRow("blanks around") << QByteArray("[Options]\nPlankaCorrection = 4 \n") << 4 << 3 << 0 << true;
        QTest::newRow("other section") << QByteArray("[Other]\nPlankaCorrection=2\n") << 6 << 3 << 0 << true;
        QTest::newRow("duplicate key: the first counts")
            << QByteArray("[Options]\nPlankaCorrection=2\nPlankaCorrection=9\n") << 2 << 3 << 0 << true;
        QTest::newRow("second section of the name: ignored")
            << QByteArray("[Options]\nPlankaCorrection=2\n[Options]\nTargetSize=1\n") << 2 << 3 << 0 << true;
        QTest::newRow("UTF-8 with BOM, CR LF") << QByteArray("\xEF\xBB\xBF[Options]\r\nBlackCircleValue=7\r\n") << 6 << 7
                                               << 0 << true;
        QTest::newRow("UTF-16 LE with BOM")
            << QByteArray::fromRawData(reinterpret_cast<const char *>(u"\uFEFF[Options]\r\nPlankaCorrection=4\r\n"), 64)
            << 4 << 3 << 0 << true;
        QTest::newRow("header over two lines is no header") << QByteArray("[\nOptions]\nPlankaCorrection=2\n") << 6 << 3
                                                            << 0 << true;
        QTest::newRow("keys before any section") << QByteArray("PlankaCorrection=2\n[Options]\n") << 6 << 3 << 0 << true;
    }
    void startAndEnd()
    {
        QFETCH(QByteArray, stored);
        QFETCH(int, bar);
        QFETCH(int, black);
        QFETCH(int, size);
        QFETCH(bool, large);
        ProgramFolder folder;
        Recorders rec;
        if (stored != "-")
            folder.write(kIni, stored);
        {
            TMainF w(rec);
            QCOMPARE(w.PlankaCorrectionBar->value(), bar);
            QCOMPARE(w.Gun->FPlankaCorrection, (10 - bar) * 5);
            QCOMPARE(w.edBlack->value(), black);
            QCOMPARE(w.Target->FBlackCircleValue, black);
            QCOMPARE(w.TargetSize->ItemIndex(), size);
            QCOMPARE(w.Target->FLarge, large);
            QCOMPARE(w.Target->width(), large ? 97 : 49);
            QCOMPARE(w.Target->FAnchor, QPoint(528, 188));
        }
        QVERIFY(rec.errors.isEmpty());
        if (stored == "-" || stored.isEmpty())
            QCOMPARE(folder.read(kIni), settingsFile(bar, black, size));
        else
            QCOMPARE(GetPrivateProfileString("Options", "TargetSize", "", folder.file(kIni)), QString::number(size));
    }

    void choosingAnItemFromNoSelectionSwitchesToTheSmallPicture()
    {
        ProgramFolder folder;
        folder.write(kIni, "[Options]\nTargetSize=-5\n");
        Recorders rec;
        TMainF w(rec);
        QVERIFY(!w.rbLarge->isChecked() && !w.rbSmall->isChecked());
        w.rbLarge->click();
        QVERIFY(!w.Target->FLarge); // the handler toggles whatever was chosen
        QCOMPARE(w.TargetSize->ItemIndex(), 0);
    }

    void foreignSectionsAndCommentsSurvive()
    {
        ProgramFolder folder;
        folder.write(kIni, "; kept by hand\n[Display]\nTheme=dark\n\n[Options]\n; the elevation\nPlankaCorrection=3\n"
                           "Extra=yes\n");
        Recorders rec;
        {
            TMainF w(rec);
            w.PlankaCorrectionBar->setValue(9);
        }
        const QString text = QString::fromLatin1(folder.read(kIni));
        for (const char *line : {"; kept by hand", "[Display]", "Theme=dark", "; the elevation", "PlankaCorrection=9",
                                 "Extra=yes", "BlackCircleValue=3", "TargetSize=0"})
            QVERIFY2(text.contains(QLatin1String(line)), line);
        QVERIFY(text.indexOf(QLatin1String("[Display]")) < text.indexOf(QLatin1String("[Options]")));
        QCOMPARE(QDir(folder.path()).entryList({"*.INI*"}, QDir::Files | QDir::Hidden), QStringList{kIni});
    }

    // Writing the three keys into a file changes their values, inserts the
    // missing ones after the section's last key or appends the section, and
    // leaves every other byte as it was.
    void writingKeepsEveryOtherByte_data()
    {
        QTest::addColumn<QByteArray>("before"); // "-" for no file
        QTest::addColumn<QByteArray>("after");
        const QByteArray fresh("[Options]\nPlankaCorrection=6\nBlackCircleValue=3\nTargetSize=0\n");
        QTest::newRow("no file") << QByteArray("-") << fresh;
        QTest::newRow("empty file") << QByteArray("") << fresh;
        QTest::newRow("all present, spacing kept")
            << QByteArray("[Options]\nPlankaCorrection = 4 \n  BlackCircleValue=\t7\nTargetSize=1\n")
            << QByteArray("[Options]\nPlankaCorrection = 6 \n  BlackCircleValue=\t3\nTargetSize=0\n");
        QTest::newRow("duplicate keys: the first changes")
            << QByteArray("[Options]\nTargetSize=1\nTargetSize=1\nPlankaCorrection=2\nBlackCircleValue=5\n")
            << QByteArray("[Options]\nTargetSize=0\nTargetSize=1\nPlankaCorrection=6\nBlackCircleValue=3\n");
        QTest::newRow("other section, lines without =, comment without final break")
            << QByteArray("[Options]\nPlankaCorrection = 4\n\n[Recent]\nfile=a.txt\nfile=b.txt\nnote without equals sign\n; last comment")
            << QByteArray("[Options]\nPlankaCorrection = 6\nBlackCircleValue=3\nTargetSize=0\n\n[Recent]\nfile=a.txt\nfile=b.txt\n"
                          "note without equals sign\n; last comment");
        QTest::newRow("CR LF") << QByteArray("[Options]\r\nPlankaCorrection=4\r\n")
                               << QByteArray("[Options]\r\nPlankaCorrection=6\r\nBlackCircleValue=3\r\nTargetSize=0\r\n");
        QTest::newRow("CR alone") << QByteArray("[Options]\rPlankaCorrection=4\r")
                                  << QByteArray("[Options]\rPlankaCorrection=6\rBlackCircleValue=3\rTargetSize=0\r");
        QTest::newRow("two [Options]: the first is written")
            << QByteArray("[Options]\nPlankaCorrection=4\n; mine\n\n[Options]\nTargetSize=1\n")
            << QByteArray("[Options]\nPlankaCorrection=6\nBlackCircleValue=3\nTargetSize=0\n; mine\n\n[Options]\nTargetSize=1\n");
        QTest::newRow("section absent, no final break: still none")
            << QByteArray("[Display]\r\nTheme=dark")
            << QByteArray("[Display]\r\nTheme=dark\r\n[Options]\r\nPlankaCorrection=6\r\nBlackCircleValue=3\r\nTargetSize=0");
        QTest::newRow("header last, no final break")
            << QByteArray("; settings\n[ options ]")
            << QByteArray("; settings\n[ options ]\nPlankaCorrection=6\nBlackCircleValue=3\nTargetSize=0");
        QTest::newRow("key last, no final break")
            << QByteArray("[Options]\nTargetSize=1")
            << QByteArray("[Options]\nTargetSize=0\nPlankaCorrection=6\nBlackCircleValue=3");
        QTest::newRow("names in another case, empty value")
            << QByteArray("[OPTIONS]\nplankacorrection=\nTARGETSIZE=1\n")
            << QByteArray("[OPTIONS]\nplankacorrection=6\nTARGETSIZE=0\nBlackCircleValue=3\n");
        QTest::newRow("UTF-8 BOM kept") << QByteArray("\xEF\xBB\xBF[Options]\r\nTargetSize=1\r\n")
                                        << QByteArray("\xEF\xBB\xBF[Options]\r\nTargetSize=0\r\nPlankaCorrection=6\r\n"
                                                      "BlackCircleValue=3\r\n");
        QTest::newRow("BOM alone") << QByteArray("\xEF\xBB\xBF")
                                   << QByteArray("\xEF\xBB\xBF[Options]\nPlankaCorrection=6\nBlackCircleValue=3\nTargetSize=0\n");
        QTest::newRow("a NUL byte: the section still goes at the end")
            << QByteArray("[Other]\nx=1\n\0junk", 17)
            << QByteArray("[Other]\nx=1\n\0junk\n[Options]\nPlankaCorrection=6\nBlackCircleValue=3\nTargetSize=0", 78);
        QTest::newRow("zeros a crash left after the settings are read past")
            << QByteArray("[Options]\nPlankaCorrection=4\n\0\0\0\0", 33)
            << QByteArray("[Options]\nPlankaCorrection=6\nBlackCircleValue=3\nTargetSize=0\n\0\0\0\0", 65);
        QTest::newRow("values in another spelling are kept")
            << QByteArray("[Options]\nPlankaCorrection= 06 \nBlackCircleValue=+3\nTargetSize=$0\n")
            << QByteArray("[Options]\nPlankaCorrection= 06 \nBlackCircleValue=+3\nTargetSize=$0\n");
        QTest::newRow("a spelling of another value is replaced")
            << QByteArray("[Options]\nPlankaCorrection=+7\nBlackCircleValue=3 ; a comment is part of the value\nTargetSize=0\n")
            << QByteArray("[Options]\nPlankaCorrection=6\nBlackCircleValue=3\nTargetSize=0\n");
        const auto utf16 = [](const QString &text, bool littleEndian) {
            QByteArray bytes;
            for (QChar c : QChar(0xFEFF) + text) {
                const char hi = char(c.unicode() >> 8), lo = char(c.unicode() & 0xFF);
                bytes += littleEndian ? QByteArray{&lo, 1} + QByteArray{&hi, 1} : QByteArray{&hi, 1} + QByteArray{&lo, 1};
            }
            return bytes;
        };
        for (bool le : {true, false})
            QTest::newRow(le ? "UTF-16 LE stays UTF-16 LE" : "UTF-16 BE stays UTF-16 BE")
                << utf16(QStringLiteral("[Display]\r\nTheme=тёмная\r\n[Options]\r\nTargetSize=1\r\n"), le)
                << utf16(QStringLiteral("[Display]\r\nTheme=тёмная\r\n[Options]\r\nTargetSize=0\r\nPlankaCorrection=6\r\n"
                                        "BlackCircleValue=3\r\n"), le);
    }
    void writingKeepsEveryOtherByte()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        ProgramFolder folder;
        const QString path = folder.file(kIni);
        if (before != "-")
            folder.write(kIni, before);
        for (const auto &[key, value] : {std::pair{"PlankaCorrection", 6}, {"BlackCircleValue", 3}, {"TargetSize", 0}})
            QVERIFY(WriteProfileNumber("Options", key, value, path));
        QCOMPARE(folder.read(kIni), after);
        QCOMPARE(TextToInt(GetPrivateProfileString("Options", "PlankaCorrection", "", path)), 6);
        QCOMPARE(TextToInt(GetPrivateProfileString("Options", "BlackCircleValue", "", path)), 3);
    }

    // A close that changes no value leaves the file alone: the same inode and
    // time, a second name (hard link) still the same file, whatever the
    // spelling of its values.
    void aCloseThatChangesNothingReplacesNothing()
    {
        ProgramFolder folder;
        const QString path = folder.file(kIni);
        const QByteArray stored("[Options]\r\nPlankaCorrection = 04\r\nBlackCircleValue=+7\r\nTargetSize=$1\r\n");
        folder.write(kIni, stored);
        const QString second = folder.file(QStringLiteral("second.ini"));
        QVERIFY(::link(QFile::encodeName(path).constData(), QFile::encodeName(second).constData()) == 0);
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        const QDateTime old = QDateTime::currentDateTime().addSecs(-3600);
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(old, QFileDevice::FileModificationTime));
        }
        struct stat before;
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &before), 0);
        Recorders rec;
        {
            TMainF w(rec);
            QCOMPARE(w.PlankaCorrectionBar->value(), 4);
            QCOMPARE(w.edBlack->value(), 7);
            QCOMPARE(w.TargetSize->ItemIndex(), 1);
            w.PlankaCorrectionBar->setValue(5); // and back: nothing has changed at the close
            w.PlankaCorrectionBar->setValue(4);
        }
        QVERIFY(rec.errors.isEmpty());
        struct stat after;
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &after), 0);
        QCOMPARE(after.st_ino, before.st_ino);
        QCOMPARE(after.st_nlink, nlink_t(2));
        QCOMPARE(QFileInfo(path).lastModified(), old);
        QCOMPARE(folder.read(kIni), stored);
    }

    // When a value changes, the new file keeps the old one's mode, and its
    // owner even when the superuser saves it; a link stays a link to it.
    void aReplacedFileKeepsItsOwnerAndMode()
    {
        ProgramFolder folder;
        const QString target = folder.file(QStringLiteral("real.ini"));
        const QString path = folder.file(kIni);
        folder.write(QStringLiteral("real.ini"), "[Options]\nTargetSize=1\n");
        QVERIFY(QFile::link(target, path));
        const QByteArray name = QFile::encodeName(target);
        QCOMPARE(::chmod(name.constData(), 0640), 0);
        const bool root = ::geteuid() == 0;
        const uid_t owner = root ? 65534 : ::geteuid(); // nobody
        const gid_t group = root ? 65534 : ::getegid();
        if (root)
            QCOMPARE(::chown(name.constData(), owner, group), 0);

        QVERIFY(WriteProfileNumber("Options", "TargetSize", 0, path));
        struct stat after;
        QCOMPARE(::stat(name.constData(), &after), 0);
        QCOMPARE(after.st_mode & 07777, mode_t(0640));
        QCOMPARE(after.st_uid, owner);
        QCOMPARE(after.st_gid, group);
        QVERIFY(QFileInfo(path).isSymLink());
        QCOMPARE(folder.read(QStringLiteral("real.ini")), QByteArray("[Options]\nTargetSize=0\n"));
        if (!root)
            QSKIP("the owner of another user's file is checked only when run as root");
    }

    // Whether or not a value changed, a file that cannot be written is
    // reported at the close, and stays as it was.
    void aFileThatCannotBeWritten_data()
    {
        QTest::addColumn<bool>("directory");
        QTest::addColumn<bool>("change");
        QTest::newRow("read-only file, a value changed") << false << true;
        QTest::newRow("read-only file, nothing changed") << false << false;
        QTest::newRow("a directory in its place") << true << true;
    }
    void aFileThatCannotBeWritten()
    {
        QFETCH(bool, directory);
        QFETCH(bool, change);
        ProgramFolder folder;
        const QString path = folder.file(kIni);
        const QByteArray stored("[Options]\nPlankaCorrection=6\nBlackCircleValue=3\nTargetSize=0\n");
        if (directory) {
            QDir().mkpath(path);
        } else {
            folder.write(kIni, stored);
            QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
        }
        Recorders rec;
        {
            TMainF w(rec);
            if (change)
                w.PlankaCorrectionBar->setValue(2);
        }
        QCOMPARE(rec.errors, QStringList{QStringLiteral("Unable to write to %1.").arg(path)});
        if (!directory)
            QCOMPARE(folder.read(kIni), stored);
    }

    // A file the user may write, in a folder they may not: it cannot be
    // replaced, and says so whether or not a value changed.
    void aWritableFileInAFolderThatIsNot()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString folder = dir.filePath(QStringLiteral("settings"));
        QVERIFY(QDir().mkpath(folder));
        const QString path = folder + QStringLiteral("/Vimbra.INI");
        const QByteArray stored("[Options]\nTargetSize=1\n");
        QVERIFY(WriteFile(path, stored));
        QFile::setPermissions(path, QFileDevice::Permissions(0x6666)); // anyone may write the file
        QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7777));
        {
            const ReadOnlyForUser user(folder);
            QVERIFY(!WriteProfileNumber("Options", "TargetSize", 1, path));
            QVERIFY(!WriteProfileNumber("Options", "TargetSize", 0, path));
        }
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), stored);
    }

    // A program folder the user may not write: the settings to start with
    // come from beside the program until the user has a file of their own in
    // their config folder, where they are written; the program's file is
    // left as it was, and nothing is reported.
    void aProgramFolderThatCannotBeWritten()
    {
        ProgramFolder folder;
        QTemporaryDir config;
        QVERIFY(config.isValid());
        QFile::setPermissions(config.path(), QFileDevice::Permissions(0x7777)); // the ordinary user writes here
        qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
        const QString own = config.path() + QStringLiteral("/vimbra/") + kIni;
        const QByteArray shipped = "[Options]\r\nPlankaCorrection=4\r\n";
        folder.write(kIni, shipped);
        Recorders rec;
        {
            const ReadOnlyForUser installed(folder.path());
            {
                TMainF w(rec);
                QCOMPARE(w.PlankaCorrectionBar->value(), 4);
                w.PlankaCorrectionBar->setValue(7);
            }
            QCOMPARE(GetPrivateProfileString("Options", "PlankaCorrection", "", own), QStringLiteral("7"));
            {
                TMainF w(rec);
                QCOMPARE(w.PlankaCorrectionBar->value(), 7);
            }
        }
        qunsetenv("XDG_CONFIG_HOME");
        QVERIFY(rec.errors.isEmpty());
        QCOMPARE(folder.read(kIni), shipped);
    }

    void panelHandlers()
    {
        ProgramFolder folder;
        Recorders rec;
        TMainF w(rec);
        w.PlankaCorrectionBar->setValue(0);
        QCOMPARE(w.Gun->FPlankaCorrection, 50);
        w.PlankaCorrectionBar->setValue(10);
        QCOMPARE(w.Gun->FPlankaCorrection, 0);
        w.edBlack->setValue(7);
        QCOMPARE(w.Target->FBlackCircleValue, 7);

        for (int i = 0; i < 5; ++i)
            Q_EMIT w.Client->dblClick(w.Client);
        QCOMPARE(w.Target->FSeries->Count(), 5);
        const QPoint mark = w.Target->GetShot(0)->pos();
        w.PlankaCorrectionBar->setValue(3); // the marks already made stay
        QCOMPARE(w.Target->GetShot(0)->pos(), mark);
        QCOMPARE(w.Target->FBlackCircleValue, 7);
        QVERIFY(!w.Target->FSeriesOpen);

        w.rbLarge->click(); // already selected: nothing
        QCOMPARE(w.Target->FSeries->Count(), 5);
        QCOMPARE(w.edCount->text(), QStringLiteral("5"));

        w.rbSmall->click();
        QVERIFY(!w.Target->FLarge);
        QCOMPARE(w.Target->FSeries->Count(), 0);
        QVERIFY(w.Target->FSeriesOpen);
        for (QLabel *label : {w.edCount, w.edBalls, w.edSum, w.lbSingles})
            QCOMPARE(label->text(), QString());
        QCOMPARE(w.lbFinish->text(), QStringLiteral("Серия закончена!"));
        w.btnReset->click();
        QCOMPARE(w.lbFinish->text(), QString());
    }

    // A small picture that fails: the error box, then the choice goes back
    // to the large picture still drawn, in step with the target, and the
    // large one is what is saved; choosing again fails again the same way.
    void aSmallPictureThatFailsLeavesTheLargeChosen()
    {
        ProgramFolder folder;
        folder.write(QStringLiteral("Images/SmallRound.bmp"), QByteArray("not a picture"));
        folder.write(kIni, "[Options]\nTargetSize=0\n");
        Recorders rec;
        {
            TMainF w(rec);
            const QPoint corner = w.Target->pos();
            for (int attempt = 1; attempt <= 2; ++attempt) {
                Q_EMIT w.Client->dblClick(w.Client); // a shot: the switch clears it, and its results
                QCOMPARE(w.edCount->text(), QStringLiteral("1"));
                w.rbSmall->click();
                QCOMPARE(w.Target->FSeries->Count(), 0);
                for (QLabel *label : {w.edCount, w.edBalls, w.edSum, w.lbSingles})
                    QVERIFY2(label->text().isEmpty(), qPrintable(label->objectName()));
                QCOMPARE(rec.errors.size(), attempt);
                QCOMPARE(rec.errors.last(), QStringLiteral("Bitmap image is not valid."));
                QVERIFY(w.rbLarge->isChecked() && !w.rbSmall->isChecked());
                QCOMPARE(w.TargetSize->ItemIndex(), 0);
                QVERIFY(w.Target->FLarge);
                QCOMPARE(w.Target->width(), 97);
                QCOMPARE(w.Target->pos(), corner);
            }
        }
        QCOMPARE(GetPrivateProfileString("Options", "TargetSize", "", folder.file(kIni)), QStringLiteral("0"));

        // Saved as small before the picture broke: the start shows the error
        // once, draws the large target, and saves that.
        folder.write(kIni, "[Options]\nTargetSize=1\n");
        {
            TMainF w(rec);
            QCOMPARE(rec.errors.size(), 3);
            QVERIFY(w.rbLarge->isChecked());
            QVERIFY(w.Target->FLarge);
        }
        QCOMPARE(GetPrivateProfileString("Options", "TargetSize", "", folder.file(kIni)), QStringLiteral("0"));
    }

    // Whatever is typed, the target gets, and the file keeps, 1 to 10.
    void blackCircleEditStaysInRange_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("value");
        QTest::newRow("15") << "15" << 1;
        QTest::newRow("0") << "0" << 3;
        QTest::newRow("-4: the sign is refused") << "-4" << 4;
        QTest::newRow("10") << "10" << 10;
        QTest::newRow("7") << "7" << 7;
    }
    void blackCircleEditStaysInRange()
    {
        QFETCH(QString, typed);
        QFETCH(int, value);
        ProgramFolder folder;
        Recorders rec;
        {
            TMainF w(rec);
            QVERIFY(ShowActive(w));
            w.edBlack->setFocus();
            w.edBlack->selectAll();
            QTest::keyClicks(w.edBlack, typed);
            QVERIFY(w.Target->FBlackCircleValue >= 1 && w.Target->FBlackCircleValue <= 10);
            w.btnReset->setFocus(); // focus leaves the edit
            QCOMPARE(w.edBlack->value(), value);
            QCOMPARE(w.Target->FBlackCircleValue, value);
        }
        QCOMPARE(GetPrivateProfileString("Options", "BlackCircleValue", "", folder.file(kIni)), QString::number(value));
    }

    // An erased edit stands for 1 at once, and 1 is saved when the program
    // ends with it still erased; typed again, it stands for what it shows.
    void erasedBlackCircleEditMeansOne()
    {
        ProgramFolder folder;
        folder.write(kIni, settingsFile(6, 5, 0));
        Recorders rec;
        {
            TMainF w(rec);
            QVERIFY(ShowActive(w));
            w.edBlack->setFocus();
            w.edBlack->selectAll();
            QTest::keyClick(w.edBlack, Qt::Key_Backspace);
            QCOMPARE(w.edBlack->text(), QString());
            QCOMPARE(w.Target->FBlackCircleValue, 1);
            QTest::keyClicks(w.edBlack, QStringLiteral("8"));
            QCOMPARE(w.Target->FBlackCircleValue, 8);
            QTest::keyClick(w.edBlack, Qt::Key_Backspace);
            QCOMPARE(w.Target->FBlackCircleValue, 1);
            w.btnReset->setFocus(); // the erased text stays erased
            QCOMPARE(w.edBlack->text(), QString());
            QCOMPARE(w.Target->FBlackCircleValue, 1);
            w.hide(); // ... also when the window is hidden and shown again
            w.show();
            QCOMPARE(w.edBlack->text(), QString());
            QCOMPARE(w.Target->FBlackCircleValue, 1);
            // Up from the erased field: 1 + 1, shown and scored alike.
            w.edBlack->setFocus();
            QTest::keyClick(w.edBlack, Qt::Key_Up);
            QCOMPARE(w.edBlack->text(), QStringLiteral("2"));
            QCOMPARE(w.Target->FBlackCircleValue, 2);
            QTest::keyClick(w.edBlack, Qt::Key_Backspace);
            QCOMPARE(w.Target->FBlackCircleValue, 1);
        }
        QCOMPARE(GetPrivateProfileString("Options", "BlackCircleValue", "", folder.file(kIni)), QStringLiteral("1"));
    }
};

VIMBRA_TEST_MAIN(TestSettings)
#include "tst_settings.moc"
