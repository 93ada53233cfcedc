// The instructions window with its files, the about box and its links.

#include "testsupport.h"

#include "app/shellutils.h"
#include "platform/richedit.h"
#include "platform/rtfreader.h"
#include "ui/frmAbout.h"
#include "ui/frmHelp.h"

#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>

#include <unistd.h>

namespace {

const QString kFile = QStringLiteral("instructions.txt");
const QString kMissing = QStringLiteral("Файл инструкций не найден");

// Shows the window modally once and closes it; returns what the box showed.
QString showOnce(THelpF &help)
{
    QString text;
    WhenModal([&](QDialog *) {
        text = help.Memo->toPlainText();
        help.Button1->click();
    });
    ShowModal(&help);
    return text;
}

QByteArray cp1251(const QString &text)
{
    QStringEncoder encoder("windows-1251");
    return encoder(text);
}

// The character format at the first occurrence of word in the document.
QTextCharFormat formatOf(QTextDocument &doc, const QString &word)
{
    QTextCursor found = doc.find(word);
    if (found.isNull())
        return {};
    QTextCursor at(&doc);
    at.setPosition(found.selectionStart() + 1);
    return at.charFormat();
}

// An opener that records each target and gives a chosen answer.
struct Opener {
    QStringList targets;
    bool answer = true;
    Opener()
    {
        SetUrlOpenerForTesting([this](const QString &t) {
            targets << t;
            return answer;
        });
    }
    ~Opener() { SetUrlOpenerForTesting({}); }
};

} // namespace

class TestHelpAbout : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // ----------------------------------------------------------- shell links
    void replaceAll_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("search");
        QTest::addColumn<QString>("replacement");
        QTest::addColumn<QString>("result");
        QTest::newRow("spaces") << "a b  c" << " " << "%20" << "a%20b%20%20c";
        QTest::newRow("no overlapping") << "aaa" << "aa" << "x" << "xa";
        QTest::newRow("replacement holds the search") << "ab" << "b" << "bb" << "abb";
        QTest::newRow("empty search") << "abc" << "" << "x" << "abc";
        QTest::newRow("no occurrence") << "abc" << "z" << "x" << "abc";
        QTest::newRow("case matters") << "aAa" << "A" << "-" << "a-a";
        QTest::newRow("empty source") << "" << "a" << "b" << "";
    }
    void replaceAll()
    {
        QFETCH(QString, source);
        QFETCH(QString, search);
        QFETCH(QString, replacement);
        QFETCH(QString, result);
        QCOMPARE(ReplaceAll(source, search, replacement), result);
    }

    void sendMail()
    {
        Opener opener;
        QVERIFY(SendMail("x y", "Vimbra", ""));
        QVERIFY(SendMail("a%20b@c", "Hi\r\nthere", "line\nnext"));
        QCOMPARE(opener.targets, (QStringList{"mailto:x%20y?subject=Vimbra&body=",
                                              "mailto:a%20b@c?subject=Hi%0D%0Athere&body=line%0Anext"}));
        opener.answer = false;
        QCOMPARE(raised([] { SendMail("x", "Vimbra", ""); }), QStringLiteral("Cannot run default Email Client!"));
        QVERIFY(!OpenURL("https://vimbra.example/"));
    }

    // --------------------------------------------------------- the about box
    void aboutBoxAsDesigned()
    {
        TAboutBox about;
        QCOMPARE(about.windowTitle(), QStringLiteral("About"));
        QCOMPARE(about.size(), QSize(298, 255));
        QCOMPARE(about.minimumSize(), about.maximumSize());
        QCOMPARE(about.Panel1->geometry(), QRect(8, 8, 281, 201));
        QCOMPARE(about.OKButton->geometry(), QRect(111, 220, 75, 25));
        QVERIFY(about.OKButton->isDefault());
        QCOMPARE(about.ProductName->text(), QStringLiteral("Vimbra"));
        QVERIFY(about.ProductName->font().bold() && about.ProductName->font().underline());
        QCOMPARE(about.Version->text(), QStringLiteral("Version 1.1"));
        QCOMPARE(about.Comments->text(), QStringLiteral("Электронный тренажер для начального обучения прицеливанию"));
        QCOMPARE(about.ProgramIcon->pixmap().size(), QSize(32, 32));
        QVERIFY(about.lbURL->text().startsWith(QLatin1String("https://")));
        QVERIFY(!about.lbEmail->text().startsWith(QLatin1String("mailto:")));
        for (QLabel *link : {about.lbURL, about.lbEmail}) {
            QVERIFY(link->font().underline());
            QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
        }

        const QString credits = TAboutBox::CreditsText();
        QCOMPARE(credits.count(QLatin1Char('\r')), 3);
        QVERIFY(!credits.contains(QLatin1Char('\n')) && !credits.endsWith(QLatin1Char('\r')));
        QCOMPARE(about.Copyright->text().split(QLatin1Char('\n')), credits.split(QLatin1Char('\r')));
        QVERIFY(about.Copyright->alignment() & Qt::AlignHCenter);
        QVERIFY(about.Copyright->sizeHint().height() <= about.Copyright->height());
    }

    void aboutBoxLinks()
    {
        Opener opener;
        Recorders rec;
        TAboutBox about;
        WhenModal([&](QDialog *) {
            QTest::mouseClick(about.lbURL, Qt::LeftButton);
            QTest::mouseClick(about.lbEmail, Qt::LeftButton);
            opener.answer = false;
            QTest::mouseClick(about.lbURL, Qt::LeftButton);   // refused quietly
            QTest::mouseClick(about.lbEmail, Qt::LeftButton); // refused with a message
            QVERIFY(about.isVisible());
            about.OKButton->click();
        });
        QCOMPARE(ShowModal(&about), 1);
        QCOMPARE(opener.targets.size(), 4);
        QCOMPARE(opener.targets[0], about.lbURL->text());
        QCOMPARE(opener.targets[1], QStringLiteral("mailto:%1?subject=Vimbra&body=").arg(about.lbEmail->text()));
        QCOMPARE(rec.errors, QStringList{QStringLiteral("Cannot run default Email Client!")});
    }

    void aboutBoxCentredFirstThenWhereLeft()
    {
        TAboutBox about;
        QPoint first;
        WhenModal([&](QDialog *d) {
            first = d->frameGeometry().topLeft();
            d->move(first + QPoint(40, 30));
            d->close();
        });
        ShowModal(&about);
        const QRect screen = about.screen()->geometry();
        QCOMPARE(first, QPoint((screen.width() - about.frameGeometry().width()) / 2,
                               (screen.height() - about.frameGeometry().height()) / 2));
        QPoint second;
        WhenModal([&](QDialog *d) {
            second = d->frameGeometry().topLeft();
            d->close();
        });
        ShowModal(&about);
        QCOMPARE(second, first + QPoint(40, 30));
    }

    // ---------------------------------------------------- the instructions
    void helpWindowAsDesigned()
    {
        ProgramFolder folder;
        THelpF help;
        QCOMPARE(help.windowTitle(), QStringLiteral("Инструкции"));
        QCOMPARE(help.Memo->toPlainText(), QStringLiteral("Memo"));
        QVERIFY(help.Memo->isReadOnly());
        QCOMPARE(help.Memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QCOMPARE(help.Memo->lineWrapMode(), QTextEdit::WidgetWidth);
        QCOMPARE(help.Button1->text(), QStringLiteral("Закрыть"));
        QCOMPARE(help.Button1->geometry(), QRect(126, 472, 75, 25));
        QCOMPARE(help.Memo->geometry(), QRect(0, 0, 327, 457));

        QPoint first;
        WhenModal([&](QDialog *d) {
            first = d->pos();
            d->resize(500, 600);
            d->move(100, 50);
            d->close();
        });
        ShowModal(&help);
        QCOMPARE(first, QPoint(658, 81));
        QCOMPARE(help.Memo->geometry(), QRect(0, 0, 500, 457));
        QCOMPARE(help.Button1->geometry(), QRect(126, 472, 75, 25));
        WhenModal([&](QDialog *d) {
            first = d->pos();
            d->close();
        });
        ShowModal(&help);
        QCOMPARE(first, QPoint(100, 50));
    }

    // No scroll bars, yet the whole text can be read: the wheel and the keys scroll.
    void longInstructionsScroll()
    {
        ProgramFolder folder;
        QByteArray text;
        for (int i = 0; i < 300; ++i)
            text += "line " + QByteArray::number(i) + "\n";
        folder.write(kFile, text);
        THelpF help;
        int afterWheel = 0, afterKeys = 0, lines = 0;
        bool endVisible = false;
        QWidget *focused = nullptr;
        WhenModal([&](QDialog *) {
            QApplication::setActiveWindow(&help);
            focused = QApplication::focusWidget();
            lines = help.Memo->document()->blockCount();
            QScrollBar *bar = help.Memo->verticalScrollBar();
            QWheelEvent wheel(QPointF(100, 100), help.Memo->mapToGlobal(QPointF(100, 100)), {}, QPoint(0, -120),
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(help.Memo->viewport(), &wheel);
            afterWheel = bar->value();
            help.Memo->setFocus();
            QTest::keyClick(help.Memo, Qt::Key_End, Qt::ControlModifier);
            afterKeys = bar->value();
            endVisible = help.Memo->textCursor().atEnd()
                         && help.Memo->viewport()->rect().contains(help.Memo->cursorRect().center());
            help.Button1->click();
        });
        ShowModal(&help);
        QCOMPARE(focused, help.Button1);
        QCOMPARE(lines, 301);
        QVERIFY(afterWheel > 0);
        QVERIFY(endVisible); // the last line can be read
        QVERIFY(afterKeys > afterWheel);
    }

    void instructionFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("shown");
        const QString cyrillic = QStringLiteral("Прицеливание: мушка ровно в прорези");
        QTest::newRow("CR LF") << QByteArray("one\r\ntwo\r\nthree") << "one\ntwo\nthree";
        QTest::newRow("LF") << QByteArray("one\ntwo\nthree") << "one\ntwo\nthree";
        QTest::newRow("CR") << QByteArray("one\rtwo\rthree") << "one\ntwo\nthree";
        QTest::newRow("empty lines kept") << QByteArray("a\n\nb\r\r\nc") << "a\n\nb\n\nc";
        QTest::newRow("Windows-1251") << cp1251(cyrillic) << cyrillic;
        QTest::newRow("UTF-8") << cyrillic.toUtf8() << cyrillic;
        QTest::newRow("UTF-8 with a mark") << QByteArray("\xEF\xBB\xBF") + QByteArray("abc") << "abc";
        QTest::newRow("not quite RTF") << QByteArray("{\\rt") << "{\\rt";
        QTest::newRow("NUL byte shown as a symbol") << QByteArray("a\0b", 3) << QStringLiteral("a\u2400b");
        QTest::newRow("RTF") << QByteArray("{\\rtf1 Hello {\\b bold}\\par next}") << "Hello bold\nnext";
    }
    void instructionFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, shown);
        ProgramFolder folder;
        folder.write(kFile, bytes);
        THelpF help;
        QCOMPARE(showOnce(help), shown);
    }

    void missingOrChangedInstructions()
    {
        ProgramFolder folder;
        Recorders rec;
        THelpF help;
        folder.remove(kFile);
        QCOMPARE(showOnce(help), kMissing);
        QDir().mkpath(folder.file(kFile)); // a directory of that name
        QCOMPARE(showOnce(help), kMissing);
        QDir().rmdir(folder.file(kFile));
        folder.write(kFile, "first");
        QCOMPARE(showOnce(help), QStringLiteral("first"));
        folder.write(kFile, "second");
        QCOMPARE(showOnce(help), QStringLiteral("second"));
        QVERIFY(rec.errors.isEmpty());
    }

    // A file that cannot be opened: the error box, and the text stays.
    void unreadableInstructions()
    {
        ProgramFolder folder;
        Recorders rec;
        THelpF help;
        folder.write(kFile, "readable");
        QCOMPARE(showOnce(help), QStringLiteral("readable"));
        QFile::setPermissions(folder.file(kFile), {});
        QFile::setPermissions(folder.path(), QFile::permissions(folder.path()) | QFileDevice::ReadGroup
                                                 | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther);
        // The superuser reads anything: look at it as an ordinary user would.
        const bool root = geteuid() == 0;
        if (root)
            QVERIFY(seteuid(65534) == 0);
        const QString text = showOnce(help);
        if (root)
            QVERIFY(seteuid(0) == 0);
        QCOMPARE(text, QStringLiteral("readable"));
        QCOMPARE(rec.errors, QStringList{QStringLiteral("Cannot open file %1.").arg(folder.file(kFile))});
    }

    void richText()
    {
        const QByteArray rtf =
            "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset204 Liberation Sans;}"
            "{\\f1\\fmodern\\fcharset0 Courier New;}}"
            "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
            "{\\*\\generator Hidden 1.0;}{\\info{\\title Hidden title}}"
            "\\pard\\qc\\b Bold\\b0  \\i italic\\i0  \\ul under\\ulnone  \\strike struck\\strike0\\par"
            "\\pard \\cf1 red\\cf0  \\fs40 big\\fs24  \\f1 mono\\f0\\par"
            "\\'cf\\'f0\\'e8\\'e2\\'e5\\'f2 \\u1046?\\uc2\\u1046xy\\par "
            "tab\\tab end\\line more}";
        QTextDocument doc;
        QVERIFY(ReadRtf(rtf, &doc));
        const QStringList lines = doc.toPlainText().split(QLatin1Char('\n'));
        QCOMPARE(doc.blockCount(), 4);
        QCOMPARE(lines[0], QStringLiteral("Bold italic under struck"));
        QCOMPARE(lines[1], QStringLiteral("red big mono"));
        QCOMPARE(lines[2], QStringLiteral("Привет ЖЖ"));
        QCOMPARE(doc.lastBlock().text(), QStringLiteral("tab\tend") + QChar(QChar::LineSeparator) + QStringLiteral("more"));
        QVERIFY(!doc.toPlainText().contains(QLatin1String("Hidden")));

        QCOMPARE(formatOf(doc, "Bold").fontWeight(), int(QFont::Bold));
        QCOMPARE(formatOf(doc, "italic").fontWeight(), int(QFont::Normal));
        QVERIFY(formatOf(doc, "italic").fontItalic());
        QVERIFY(formatOf(doc, "under").fontUnderline());
        QVERIFY(!formatOf(doc, "struck").fontUnderline());
        QVERIFY(formatOf(doc, "struck").fontStrikeOut());
        QCOMPARE(formatOf(doc, "red").foreground().color(), QColor(255, 0, 0));
        QCOMPARE(formatOf(doc, "big").fontPointSize(), 20.0);
        QCOMPARE(formatOf(doc, "mono").fontFamilies().toStringList(), QStringList{"Courier New"});
        QCOMPARE(formatOf(doc, "Привет").fontFamilies().toStringList(), QStringList{"Liberation Sans"});
        QCOMPARE(doc.begin().blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
        QCOMPARE(doc.begin().next().blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    }

    void richTextInTheWindow()
    {
        ProgramFolder folder;
        folder.write(kFile, "{\\rtf1\\ansi\\ansicpg1251{\\b \\'cf\\'f0\\'e8\\'e2\\'e5\\'f2}\r\nworld}");
        THelpF help;
        QString text;
        QTextCharFormat first;
        WhenModal([&](QDialog *) {
            text = help.Memo->toPlainText();
            first = formatOf(*help.Memo->document(), QStringLiteral("Привет"));
            help.Button1->click();
        });
        ShowModal(&help);
        QCOMPARE(text, QStringLiteral("Приветworld"));
        QCOMPARE(first.fontWeight(), int(QFont::Bold));
    }

    void malformedRichText_data()
    {
        QTest::addColumn<QByteArray>("rtf");
        QTest::newRow("header only") << QByteArray("{\\rtf");
        QTest::newRow("unbalanced open") << QByteArray("{\\rtf1 {{{ text");
        QTest::newRow("unbalanced close") << QByteArray("{\\rtf1 text}}}}} more }");
        QTest::newRow("deep nesting") << QByteArray("{\\rtf1 ") + QByteArray(200000, '{') + "deep" + QByteArray(5, '}');
        QTest::newRow("truncated escape") << QByteArray("{\\rtf1 a\\'");
        QTest::newRow("bad hex") << QByteArray("{\\rtf1 a\\'zz b}");
        QTest::newRow("trailing backslash") << QByteArray("{\\rtf1 a\\");
        QTest::newRow("huge numbers") << QByteArray("{\\rtf1\\fs99999999999999999999 \\u-99999999999999 \\uc999999999 x\\cf9999999 y}");
        QTest::newRow("huge binary") << QByteArray("{\\rtf1 \\bin2147483647 abc}");
        QTest::newRow("negative binary") << QByteArray("{\\rtf1 \\bin-5 abc}");
        QTest::newRow("long control word") << QByteArray("{\\rtf1 \\") + QByteArray(100000, 'a') + " x}";
        QTest::newRow("font table without end") << QByteArray("{\\rtf1{\\fonttbl{\\f0\\fcharset204 A");
        QTest::newRow("colour table garbage") << QByteArray("{\\rtf1{\\colortbl\\red-5\\green999;;;}\\cf2 x\\cf-1 y}");
        QTest::newRow("unknown code page") << QByteArray("{\\rtf1\\ansicpg99999 \\'e0}");
        QTest::newRow("lone surrogate") << QByteArray("{\\rtf1 \\u-10000?}");
        QTest::newRow("NUL bytes") << QByteArray("{\\rtf1 a\0b}", 11);
    }
    void malformedRichText()
    {
        QFETCH(QByteArray, rtf);
        QTextDocument doc;
        QVERIFY(ReadRtf(rtf, &doc));
        QVERIFY(doc.characterCount() >= 1);
    }

    void lineBreaksAndCodePages()
    {
        QCOMPARE(PlainTextLines("a\rb\nc\r\nd\n\re"), QStringLiteral("a\nb\nc\nd\n\ne"));
        QCOMPARE(DecodePlainText("\xcf\xf0\xe8"), QStringLiteral("При"));
        QCOMPARE(DecodePlainText("caf\xc3\xa9"), QStringLiteral("café"));
        QCOMPARE(DecodePlainText("\xc3\xa9\xff"), QStringLiteral("Г©я")); // not valid UTF-8: Windows-1251
        QCOMPARE(DecodePlainText("\xEF\xBB\xBF\xcf"), QStringLiteral("п»їП")); // a mark before invalid UTF-8
    }
};

VIMBRA_TEST_MAIN(TestHelpAbout)
#include "tst_help_about.moc"
