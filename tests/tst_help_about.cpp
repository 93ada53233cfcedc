// The instructions window with its files, the about box and its links.

#include "testsupport.h"

#include "platform/shellutils.h"
#include "platform/richedit.h"
#include "platform/rtfreader.h"
#include "ui/frmAbout.h"
#include "ui/frmHelp.h"

#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextTable>

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

// The document as a reader sees it: a line for each paragraph, a table's
// cells as "[row,column] text" (with "+n" for a cell spanning n columns).
QStringList layoutOf(const QTextDocument &doc)
{
    QStringList lines;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        const auto *table = qobject_cast<QTextTable *>(QTextCursor(block).currentFrame());
        if (!table) {
            lines << block.text();
            continue;
        }
        const QTextTableCell cell = table->cellAt(block.position());
        lines << QStringLiteral("[%1,%2]%3 %4")
                     .arg(cell.row())
                     .arg(cell.column())
                     .arg(cell.columnSpan() > 1 ? QStringLiteral("+%1").arg(cell.columnSpan()) : QString())
                     .arg(block.text());
    }
    return lines;
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
            // A double-click, routed as the window system delivers it, opens once.
            QTest::mouseDClick(about.windowHandle(), Qt::LeftButton, {},
                               about.lbURL->mapTo(&about, about.lbURL->rect().center()));
            QCOMPARE(opener.targets.size(), 1);
            opener.targets.clear();
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
        const auto utf16 = [](const QString &text, QStringConverter::Encoding encoding) {
            return QByteArray(encoding == QStringConverter::Utf16LE ? "\xFF\xFE" : "\xFE\xFF") + QStringEncoder(encoding)(text);
        };
        QTest::newRow("UTF-16 LE with a mark (Notepad's Unicode)")
            << utf16(cyrillic + QStringLiteral("\r\nдва"), QStringConverter::Utf16LE) << cyrillic + QStringLiteral("\nдва");
        QTest::newRow("UTF-16 BE with a mark") << utf16(cyrillic, QStringConverter::Utf16BE) << cyrillic;
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

    // Text with no font of its own is in the document's default font (\deff),
    // as formatted text without one is: a sentence keeps its typeface.
    void richTextDefaultFont_data()
    {
        QTest::addColumn<QByteArray>("rtf");
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("family"); // empty: the window's font
        const QByteArray fonts = "{\\fonttbl{\\f0\\fswiss\\fcharset204 Liberation Sans;}{\\f1\\fmodern\\fcharset0 Courier New;}"
                                 "{\\f2\\froman\\fcharset0 Liberation Serif;}}";
        const QByteArray deff2 = "{\\rtf1\\ansi\\ansicpg1251\\deff2" + fonts;
        const QByteArray sentence = deff2 + "Plain {\\b bold} after {\\f1 mono}}";
        QTest::newRow("before a group") << sentence << "Plain" << "Liberation Serif";
        QTest::newRow("after a group") << sentence << "after" << "Liberation Serif";
        QTest::newRow("formatted, no font of its own") << sentence << "bold" << "Liberation Serif";
        QTest::newRow("a font of its own") << sentence << "mono" << "Courier New";
        QTest::newRow("\\plain returns to it") << deff2 + "\\f1\\b mono \\plain back}" << "back" << "Liberation Serif";
        QTest::newRow("\\plain in a group") << deff2 + "\\f1 mono {\\plain back} mono}" << "back" << "Liberation Serif";
        QTest::newRow("no \\deff: font 0") << "{\\rtf1" + fonts + "Plain}" << "Plain" << "Liberation Sans";
        QTest::newRow("\\deff names a missing font") << "{\\rtf1\\deff7" + fonts + "Plain {\\b bold}}" << "Plain" << "";
        QTest::newRow("missing font, formatted") << "{\\rtf1\\deff7" + fonts + "Plain {\\b bold}}" << "bold" << "";
        QTest::newRow("no font table") << QByteArray("{\\rtf1\\deff0 Plain {\\b bold}}") << "Plain" << "";
        QTest::newRow("its charset decodes \\'hh") << "{\\rtf1\\ansi\\ansicpg1252\\deff0" + fonts + "\\'cf\\'f0\\'e8\\'e2\\'e5\\'f2}"
                                                    << "Привет" << "Liberation Sans";
    }
    void richTextDefaultFont()
    {
        QFETCH(QByteArray, rtf);
        QFETCH(QString, word);
        QFETCH(QString, family);
        QTextDocument doc;
        QVERIFY(ReadRtf(rtf, &doc));
        QVERIFY2(!doc.find(word).isNull(), qPrintable(doc.toPlainText()));
        QCOMPARE(formatOf(doc, word).fontFamilies().toStringList(), family.isEmpty() ? QStringList() : QStringList{family});
    }

    // Indents and tab stops, given in twips (1/1440 inch), in the document's
    // pixels at the screen's resolution, as font sizes are.
    void richTextParagraphs_data()
    {
        QTest::addColumn<QByteArray>("rtf");
        QTest::addColumn<int>("block");
        QTest::addColumn<int>("left"); // twips, as the layout places them
        QTest::addColumn<int>("firstLine");
        QTest::addColumn<int>("right");
        QTest::addColumn<QString>("tabs"); // from the paragraph's edge; "r", "c": right, centred stops
        QTest::addColumn<int>("alignment");
        const int left = Qt::AlignLeft;
        QTest::newRow("none") << QByteArray("{\\rtf1 a}") << 0 << 0 << 0 << 0 << "" << left;
        QTest::newRow("hanging indent: a stop of its own")
            << QByteArray("{\\rtf1\\pard\\fi-360\\li720 a}") << 0 << 720 << -360 << 0 << "720" << left;
        QTest::newRow("first-line and right indents, stops")
            << QByteArray("{\\rtf1\\pard\\li360\\fi360\\ri1440\\tx1440\\tx2880 a}") << 0 << 360 << 360 << 1440 << "1440 2880" << left;
        QTest::newRow("stops in any order, each once")
            << QByteArray("{\\rtf1\\tx2880\\tx1440\\tx2880 a}") << 0 << 0 << 0 << 0 << "1440 2880" << left;
        QTest::newRow("right and centred stops")
            << QByteArray("{\\rtf1\\tqr\\tx4320\\tqc\\tx2880\\tx1440 a}") << 0 << 0 << 0 << 0 << "1440 2880c 4320r" << left;
        QTest::newRow("stops left of the first line")
            << QByteArray("{\\rtf1\\li1440\\tx720\\tx2160 a}") << 0 << 1440 << 0 << 0 << "2160" << left;
        const QByteArray lasting = "{\\rtf1\\pard\\qc\\li720\\fi-360\\tx720 a\\par b\\par\\pard c}";
        QTest::newRow("settings last") << lasting << 1 << 720 << -360 << 0 << "720" << int(Qt::AlignHCenter);
        QTest::newRow("until \\pard") << lasting << 2 << 0 << 0 << 0 << "" << left;
        QTest::newRow("hanging no further than the edge")
            << QByteArray("{\\rtf1\\li200\\fi-720 a}") << 0 << 200 << -200 << 0 << "200" << left;
        QTest::newRow("out of range")
            << QByteArray("{\\rtf1\\li-500\\ri99999999999\\fi99999999\\tx-5\\tx99999999 a}") << 0 << 0 << 31680 << 31680 << "" << left;
        QTest::newRow("a list number's own \\pard")
            << QByteArray("{\\rtf1\\pard\\qc\\li720\\fi-360\\tx1080{\\listtext\\pard\\plain 1.\\tab}Item}") << 0 << 720 << -360 << 0
            << "720 1080" << int(Qt::AlignHCenter);
        QTest::newRow("not from skipped destinations")
            << QByteArray("{\\rtf1{\\*\\listtable{\\list{\\listlevel\\fi-360\\li720\\tx720}}}{\\stylesheet{\\s1\\qc\\li720 H;}}a}") << 0
            << 0 << 0 << 0 << "" << left;
    }
    void richTextParagraphs()
    {
        QFETCH(QByteArray, rtf);
        QFETCH(int, block);
        QFETCH(int, left);
        QFETCH(int, firstLine);
        QFETCH(int, right);
        QFETCH(QString, tabs);
        QFETCH(int, alignment);
        QTextDocument doc;
        QVERIFY(ReadRtf(rtf, &doc));
        const QTextBlockFormat format = doc.findBlockByNumber(block).blockFormat();
        const int dpi = qRound(QGuiApplication::primaryScreen()->logicalDotsPerInchY()); // as fonts are measured
        const auto pixels = [dpi](int twips) { return twips * qreal(dpi) / 1440; };
        QCOMPARE(format.leftMargin(), pixels(left));
        QCOMPARE(format.textIndent(), pixels(firstLine));
        QCOMPARE(format.rightMargin(), pixels(right));
        QCOMPARE(int(format.alignment() & Qt::AlignHorizontal_Mask), alignment);
        // The layout measures stops from where the first line begins.
        QStringList stops;
        for (const QTextOption::Tab &tab : format.tabPositions()) {
            const QString kind = tab.type == QTextOption::RightTab ? "r" : tab.type == QTextOption::CenterTab ? "c" : "";
            stops << QString::number(qRound((format.leftMargin() + format.textIndent() + tab.position) * 1440 / dpi)) + kind;
        }
        QCOMPARE(stops.join(QLatin1Char(' ')), tabs);
    }

    // Numbered lists as word processors save them: the number once, and the
    // item's text after the number's tab where its later lines begin.
    // Tables as word processors write them: each cell in its own place of a
    // table between the paragraphs before and after it, never run together.
    void richTextTables_data()
    {
        QTest::addColumn<QByteArray>("rtf");
        QTest::addColumn<QStringList>("layout");
        QTest::addColumn<QList<int>>("widths"); // twips between the column edges; empty: not fixed

        const QStringList twoByTwo{"Before", "[0,0] Alpha", "[0,1] Beta", "[1,0] Gamma", "[1,1] Delta", "After"};
        QTest::newRow("a minimal table")
            << QByteArray("{\\rtf1 Before\\par\\trowd\\cellx1440\\cellx2880\\intbl Alpha\\cell Beta\\cell\\row"
                          "\\trowd\\cellx1440\\cellx2880\\intbl Gamma\\cell Delta\\cell\\row\\pard After}")
            << twoByTwo << QList<int>{1440, 1440};
        QTest::newRow("no \\intbl, formatted cells")
            << QByteArray("{\\rtf1 Before\\par\\trowd\\cellx1000\\cellx3000 {\\b Alpha}\\cell Beta\\cell\\row"
                          "\\trowd\\cellx1000\\cellx3000 Gamma\\cell {\\i Delta}\\cell\\row After}")
            << twoByTwo << QList<int>{1000, 2000};
        QTest::newRow("row settings repeated after the cells, as Word writes them")
            << QByteArray("{\\rtf1 Before\\par\\trowd\\trleft-108\\cellx1000\\cellx2000\\pard\\intbl Alpha\\cell\\pard\\intbl"
                          " Beta\\cell\\pard\\intbl{\\trowd\\trleft-108\\cellx1000\\cellx2000\\row}"
                          "\\trowd\\trleft-108\\cellx1000\\cellx2000\\pard\\intbl Gamma\\cell\\pard\\intbl Delta\\cell"
                          "\\pard\\intbl{\\trowd\\trleft-108\\cellx1000\\cellx2000\\row}\\pard After\\par}")
            << (twoByTwo + QStringList{""}) << QList<int>{1108, 1000};
        QTest::newRow("a wide cell spans the columns below it, a cell holds paragraphs")
            << QByteArray("{\\rtf1\\trowd\\cellx2000\\intbl Heading\\cell\\row\\trowd\\cellx1000\\cellx2000"
                          "\\intbl One\\par two\\cell Three\\cell\\row\\pard After}")
            << QStringList{"", "[0,0]+2 Heading", "[1,0] One", "[1,0] two", "[1,1] Three", "After"} << QList<int>{1000, 1000};
        QTest::newRow("no edges given, a short row")
            << QByteArray("{\\rtf1 Before\\par\\intbl a\\cell b\\cell c\\cell\\row\\intbl d\\cell\\row\\pard After}")
            << QStringList{"Before", "[0,0] a", "[0,1] b", "[0,2] c", "[1,0]+3 d", "After"} << QList<int>{};
        QTest::newRow("two tables, a paragraph between")
            << QByteArray("{\\rtf1\\trowd\\cellx900\\intbl A\\cell\\row\\pard Mid\\par\\trowd\\cellx900\\intbl B\\cell\\row"
                          "\\pard End}")
            << QStringList{"", "[0,0] A", "Mid", "[0,0] B", "End"} << QList<int>{900};
        QTest::newRow("a table in a cell: its cells by tabs")
            << QByteArray("{\\rtf1 Before\\par\\trowd\\cellx3000\\intbl\\itap2 x\\nestcell y\\nestcell"
                          "{\\*\\nesttableprops\\trowd\\cellx900\\cellx1800\\nestrow}{\\nonesttables\\par}\\itap1 z\\cell\\row"
                          "\\pard After}")
            << QStringList{"Before", "[0,0] x\ty\t", "[0,0] z", "After"} << QList<int>{3000};

        QTest::newRow("\\pard after \\intbl: paragraphs outside stay outside")
            << QByteArray("{\\rtf1 \\intbl stray\\par\\pard one\\par two\\par\\trowd\\cellx900 A\\cell\\row\\pard After}")
            << QStringList{"stray", "one", "two", "[0,0] A", "After"} << QList<int>{900};
        QTest::newRow("cells merged with \\clmrg: one cell across both")
            << QByteArray("{\\rtf1 Before\\par\\trowd\\clmgf\\cellx1000\\clmrg\\cellx2000\\intbl Wide\\cell\\cell\\row"
                          "\\trowd\\cellx1000\\cellx2000\\intbl a\\cell b\\cell\\row\\pard After}")
            << QStringList{"Before", "[0,0]+2 Wide", "[1,0] a", "[1,1] b", "After"} << QList<int>{1000, 1000};
        QTest::newRow("line feeds and separators in the text end no paragraph")
            << QByteArray("{\\rtf1 Before\\par\\trowd\\cellx900\\intbl A\\'0aB\\u8233?C\\u-560?D\\cell\\row\\pard After}")
            << QStringList{"Before", "[0,0] A B C D", "After"} << QList<int>{900};

        QFile libreOffice(QStringLiteral(VIMBRA_TEST_DATA "/libreoffice-table.rtf"));
        QVERIFY(libreOffice.open(QIODevice::ReadOnly));
        QTest::newRow("made by LibreOffice Writer")
            << libreOffice.readAll()
            << QStringList{"Перед таблицей.", "[0,0] Кольцо", "[0,1] Очки", "[0,2] Примечание",
                           "[1,0] 10", "[1,1] 10", "[1,2] центр мишени",
                           "[2,0] 9", "[2,1] 9", "[2,2] рядом с центром",
                           "После таблицы.", " 1.\tПервый шаг", " 2.\tВторой шаг", ""}
            << QList<int>{886, 661, 1861};
    }
    void richTextTables()
    {
        QFETCH(QByteArray, rtf);
        QFETCH(QStringList, layout);
        QFETCH(QList<int>, widths);
        QTextDocument doc;
        QVERIFY(ReadRtf(rtf, &doc));
        QCOMPARE(layoutOf(doc), layout);
        QTextTable *table = nullptr;
        for (QTextFrame *frame : doc.rootFrame()->childFrames())
            if ((table = qobject_cast<QTextTable *>(frame)))
                break;
        QVERIFY(table);
        const QList<QTextLength> constraints = table->format().columnWidthConstraints();
        QCOMPARE(constraints.size(), widths.size());
        for (int i = 0; i < widths.size(); ++i) {
            QCOMPARE(constraints[i].type(), QTextLength::FixedLength);
            // In proportion to the twips, at whatever resolution.
            QVERIFY(qAbs(constraints[i].rawValue() / constraints[0].rawValue() - double(widths[i]) / widths[0]) < 1e-9);
        }
        // Formats stay with their cell's text.
        if (rtf.contains("{\\b Alpha}"))
            QCOMPARE(formatOf(doc, "Alpha").fontWeight(), int(QFont::Bold));
    }

    // A table is drawn with lines when its cells have borders, and without
    // when they have none or only "none".
    void richTextTableBorders_data()
    {
        QTest::addColumn<QByteArray>("borders");
        QTest::addColumn<int>("width");
        QTest::newRow("none given") << QByteArray() << 0;
        QTest::newRow("single") << QByteArray("\\clbrdrt\\brdrs\\brdrw10\\clbrdrb\\brdrs\\brdrw10") << 1;
        QTest::newRow("double, width first") << QByteArray("\\clbrdrl\\brdrw15\\brdrdb") << 1;
        QTest::newRow("none") << QByteArray("\\clbrdrt\\brdrnone\\clbrdrl\\brdrnone") << 0;
        QTest::newRow("nil and the table's") << QByteArray("\\clbrdrt\\brdrnil\\trbrdrl\\brdrtbl") << 0;
    }
    void richTextTableBorders()
    {
        QFETCH(QByteArray, borders);
        QFETCH(int, width);
        QTextDocument doc;
        QVERIFY(ReadRtf("{\\rtf1\\trowd" + borders + "\\cellx900\\intbl A\\cell\\row\\pard After}", &doc));
        QTextTable *table = nullptr;
        for (QTextFrame *frame : doc.rootFrame()->childFrames())
            if ((table = qobject_cast<QTextTable *>(frame)))
                break;
        QVERIFY(table);
        QCOMPARE(table->format().border(), qreal(width));
    }

    // Text without a size of its own is 12 pt, as in word processors, not the
    // window's size; a list item's number takes its paragraph's size.
    void richTextSizes_data()
    {
        QTest::addColumn<QByteArray>("rtf");
        QTest::addColumn<QString>("word");
        QTest::addColumn<double>("points");
        QTest::newRow("no \\fs anywhere") << QByteArray("{\\rtf1\\ansi plain text}") << "plain" << 12.0;
        QTest::newRow("\\plain returns to 12 pt") << QByteArray("{\\rtf1\\fs40 big \\plain small}") << "small" << 12.0;
        QTest::newRow("\\fs without a number") << QByteArray("{\\rtf1\\fs40 big \\fs small}") << "small" << 12.0;
        QTest::newRow("\\fs given") << QByteArray("{\\rtf1\\fs40 big}") << "big" << 20.0;
        QTest::newRow("a list number, reset inside, before larger text")
            << QByteArray("{\\rtf1\\pard\\fi-360\\li720\\fs32{\\listtext\\pard\\plain 1.\\tab}Item\\par}") << "1." << 16.0;
        QTest::newRow("the item after it")
            << QByteArray("{\\rtf1\\pard\\fi-360\\li720\\fs32{\\listtext\\pard\\plain 1.\\tab}Item\\par}") << "Item" << 16.0;
        QTest::newRow("an old-style number before smaller text")
            << QByteArray("{\\rtf1{\\pntext\\f0 1.\\tab}{\\*\\pn\\pnlvlbody\\pndec}\\fs20 Item\\par}") << "1." << 10.0;
        QTest::newRow("the next paragraph is not the number's")
            << QByteArray("{\\rtf1{\\listtext\\fs40 1.}\\par\\fs20 Next}") << "1." << 20.0;
    }
    void richTextSizes()
    {
        QFETCH(QByteArray, rtf);
        QFETCH(QString, word);
        QFETCH(double, points);
        QTextDocument doc;
        QVERIFY(ReadRtf(rtf, &doc));
        QVERIFY2(!doc.find(word).isNull(), qPrintable(doc.toPlainText()));
        QCOMPARE(formatOf(doc, word).fontPointSize(), points);
    }

    void numberedLists_data()
    {
        QTest::addColumn<QByteArray>("rtf");
        const QByteArray first = "First item, long enough to go on to a second line in a narrow box";
        QTest::newRow("list text") << "{\\rtf1\\pard\\fi-360\\li720\\tx720{\\listtext 1.\\tab}" + first
                                          + "\\par{\\listtext 2.\\tab}Second}";
        QTest::newRow("list text resetting, settings before it")
            << "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Liberation Serif;}}"
               "{\\*\\listtable{\\list\\listtemplateid1{\\listlevel\\levelnfc0{\\leveltext \\'02\\'00.;}{\\levelnumbers\\'01;}"
               "\\fi-360\\li720}\\listid1}}{\\listoverridetable{\\listoverride\\listid1\\listoverridecount0\\ls1}}\r\n"
               "\\pard\\plain \\s0\\ql\\ilvl0\\ls1 \\li720\\ri0\\lin720\\rin0\\fi-360{\\listtext\\pard\\plain 1.\\tab}\\loch\r\n"
               + first + "\r\n\\par \\pard\\plain \\s0\\ql\\ilvl0\\ls1 \\li720\\ri0\\lin720\\rin0\\fi-360"
                         "{\\listtext\\pard\\plain 2.\\tab}\\loch\r\nSecond}";
        QTest::newRow("list text, settings after it")
            << "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Times New Roman;}}"
               "{\\listtext\\pard\\plain\\ltrpar \\f0\\fs24 1.\\tab}\\pard\\plain \\ltrpar\\ql \\fi-360\\li720\\ri0\\widctlpar"
               "\\jclisttab\\tx720\\ls1 " + first + "\\par{\\listtext\\pard\\plain\\ltrpar \\f0\\fs24 2.\\tab}Second}";
        QTest::newRow("numbering rules skipped")
            << "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 Calibri;}}\r\n"
               "\\pard{\\pntext\\f0 1.\\tab}{\\*\\pn\\pnlvlbody\\pnf0\\pnindent0\\pnstart1\\pndec{\\pntxta.}}\r\n"
               "\\fi-360\\li720\\sa200\\f0\\fs22 " + first + "\\par\r\n{\\pntext\\f0 2.\\tab}Second}";
        QTest::newRow("numbering rules without \\*")
            << "{\\rtf1{\\pntext 1.\\tab}{\\pn\\pnlvlbody\\pndec{\\pntxtb (}{\\pntxta .}}\\fi-360\\li720 " + first
                   + "\\par{\\pntext 2.\\tab}{\\pn\\pnlvlcont{\\pntxta .}}Second}";
        QTest::newRow("numbers as text, a group each")
            << "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Courier;}}\r\n{\\pard \\ql \\f0 \\sa0 \\li360 \\fi-360 1.\\tx360\\tab " + first
                   + "\\par}\r\n{\\pard \\ql \\f0 \\sa0 \\li360 \\fi-360 2.\\tx360\\tab Second\\par}\r\n}";
    }
    void numberedLists()
    {
        QFETCH(QByteArray, rtf);
        QTextDocument doc;
        QVERIFY(ReadRtf(rtf, &doc));
        doc.setTextWidth(250);
        (void)doc.size(); // lays it out
        QStringList items;
        for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
            if (block.text().isEmpty())
                continue;
            items << block.text();
            const QTextBlockFormat format = block.blockFormat();
            const QTextLayout *layout = block.layout();
            QVERIFY(format.leftMargin() > 0 && format.textIndent() < 0);
            QCOMPARE(layout->lineAt(0).x(), format.leftMargin() + format.textIndent());
            QCOMPARE(layout->lineAt(0).cursorToX(block.text().indexOf(QLatin1Char('\t')) + 1), format.leftMargin());
            for (int i = 1; i < layout->lineCount(); ++i)
                QCOMPARE(layout->lineAt(i).x(), format.leftMargin());
        }
        QCOMPARE(items, (QStringList{"1.\tFirst item, long enough to go on to a second line in a narrow box", "2.\tSecond"}));
        QVERIFY(doc.begin().layout()->lineCount() > 1);
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
