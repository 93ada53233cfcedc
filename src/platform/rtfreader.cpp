#include "platform/rtfreader.h"

#include <QAbstractTextDocumentLayout>
#include <QGuiApplication>
#include <QHash>
#include <QList>
#include <QPaintDevice>
#include <QScreen>
#include <QSet>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextTable>

#include <algorithm>
#include <climits>
#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace {

constexpr int kMaxDepth = 256;     // deeper groups share the deepest state
constexpr int kMaxWordLength = 32; // longer control words are read and ignored
constexpr int kMaxTwips = 31680;   // 22 inches: the widest indent or tab stop taken
constexpr int kMaxTabs = 64;       // tab stops a paragraph keeps; later ones are ignored
constexpr int kMaxColumns = 64;    // a table's columns; later cells join the row's last
constexpr int kDefaultHalfPoints = 24; // text without a size of its own: 12 pt

enum class Destination { Text, Skip, FontTable, ColorTable };

struct CharState {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    int halfPoints = kDefaultHalfPoints;
    int font = -1;      // -1: the document's default font
    int color = 0;      // 0: the automatic colour

    bool operator==(const CharState &o) const
    {
        return bold == o.bold && italic == o.italic && underline == o.underline && strike == o.strike
               && halfPoints == o.halfPoints && font == o.font && color == o.color;
    }
    bool operator!=(const CharState &o) const { return !(*this == o); }
};

struct GroupState {
    CharState chars;
    int unicodeSkip = 1;
    Destination destination = Destination::Text;
    bool listNumber = false; // a list item's number: the paragraph's settings return after it
};

// A tab stop, in twips from the paragraph's left edge (not from its indent).
struct TabStop {
    int position;
    QTextOption::TabType type;

    bool operator==(const TabStop &o) const { return position == o.position && type == o.type; }
};

// The settings of the paragraph being read, in twips. They hold from one
// paragraph to the next until \pard.
struct ParagraphState {
    Qt::Alignment alignment = Qt::AlignLeft;
    int left = 0;
    int firstLine = 0; // from the left indent; negative for a hanging indent
    int right = 0;
    std::vector<TabStop> tabs;
    bool inTable = false; // \\intbl: a paragraph of a table's cell

    bool isPlain() const { return alignment == Qt::AlignLeft && left == 0 && firstLine == 0 && right == 0 && tabs.empty(); }
    void reset()
    {
        alignment = Qt::AlignLeft;
        left = firstLine = right = 0;
        inTable = false;
        tabs.clear(); // keeps its storage for the next paragraph
    }
};

// A paragraph's settings as they went into the document; its tab stops are
// tabCount entries of the reader's tab pool from tabsFrom on.
struct ParagraphFormat {
    Qt::Alignment alignment;
    int left, firstLine, right;
    int tabsFrom, tabCount;

    bool operator==(const ParagraphFormat &o) const
    {
        return alignment == o.alignment && left == o.left && firstLine == o.firstLine && right == o.right
               && tabsFrom == o.tabsFrom && tabCount == o.tabCount;
    }
};

// Consecutive paragraphs first..last sharing one of the formats.
struct ParagraphRun {
    int first;
    int last;
    int format;
};

struct FontEntry {
    QString family;
    int codePage = 0; // 0: the document's code page
};

// A table as it was read: rows of cells, each cell the paragraphs first..last
// of the text, and the cell's right edges (\cellx) in twips when given.
struct TableCell {
    int first;
    int last;
};
struct TableRow {
    std::vector<TableCell> cells;
    std::vector<int> edges;
    int left = 0;
};
struct Table {
    std::vector<TableRow> rows;
    bool borders = false;
};

int codePageOfCharset(int charset)
{
    switch (charset) {
    case 0: return 1252;
    case 77: return 10000;
    case 128: return 932;
    case 129: return 949;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    default: return 0;
    }
}

const QSet<QByteArray> &skippedDestinations()
{
    static const QSet<QByteArray> words{
        "info", "stylesheet", "pict", "header", "headerl", "headerr", "headerf", "footer", "footerl",
        "footerr", "footerf", "footnote", "fldinst", "object", "objdata", "themedata", "colorschememapping",
        "datastore", "latentstyles", "listtable", "listoverridetable", "rsidtbl", "generator", "xmlnstbl",
        "filetbl", "revtbl", "pgdsctbl", "mmathPr", "private", "nonshppict", "shp", "annotation", "atnid",
        "atnauthor", "bkmkstart", "bkmkend", "template", "userprops", "docvar", "wgrffmtfilter", "passwordhash",
        "pn", // a list's numbering rules; the number itself comes as \pntext
    };
    return words;
}

class RtfReader
{
public:
    RtfReader(const QByteArray &data, QTextDocument *document) : m_data(data), m_document(document) {}

    void run()
    {
        m_stack.append(GroupState{});
        const qsizetype n = m_data.size();
        while (m_pos < n) {
            const char c = m_data[m_pos++];
            switch (c) {
            case '{': openGroup(); break;
            case '}': closeGroup(); break;
            case '\\': controlSequence(); break;
            case '\r':
            case '\n': break;
            default: plainText(m_pos - 1); break;
            }
        }
        flush();
        endRow(); // a last row without its \\row
        endParagraph();
        write();
    }

private:
    GroupState &state() { return m_stack.last(); }

    void openGroup()
    {
        if (m_stack.size() >= kMaxDepth) {
            ++m_overflow;
            return;
        }
        m_stack.append(m_stack.last());
        m_stack.last().listNumber = false;
    }

    void closeGroup()
    {
        if (m_overflow > 0) {
            --m_overflow;
            return;
        }
        if (m_stack.size() <= 1)
            return; // a stray closing brace
        const GroupState closed = m_stack.takeLast();
        if (closed.destination == Destination::FontTable)
            finishFontEntry();
        if (closed.listNumber) {
            restoreParagraph();
            endListNumber();
        }
        if (m_stack.last().chars.font != m_runState.font)
            flushBytes(); // bytes decode in the code page they came under
    }

    void controlSequence()
    {
        const qsizetype n = m_data.size();
        if (m_pos >= n)
            return;
        const char c = m_data[m_pos];
        if (isLetter(c)) {
            QByteArray word;
            while (m_pos < n && isLetter(m_data[m_pos])) {
                if (word.size() < kMaxWordLength)
                    word += m_data[m_pos];
                ++m_pos;
            }
            bool hasParam = false;
            bool negative = false;
            long long param = 0;
            if (m_pos < n && m_data[m_pos] == '-' && m_pos + 1 < n && isDigit(m_data[m_pos + 1])) {
                negative = true;
                ++m_pos;
            }
            while (m_pos < n && isDigit(m_data[m_pos])) {
                hasParam = true;
                if (param < 1000000000LL)
                    param = param * 10 + (m_data[m_pos] - '0');
                ++m_pos;
            }
            if (m_pos < n && m_data[m_pos] == ' ')
                ++m_pos;
            const long long value = negative ? -param : param;
            controlWord(word, hasParam, int(std::clamp<long long>(value, INT_MIN, INT_MAX)));
            return;
        }
        ++m_pos;
        switch (c) {
        case '\'': hexByte(); break;
        case '*': flushBytes(); state().destination = Destination::Skip; break;
        case '~': symbol(QChar(0x00A0)); break;
        case '_': symbol(QChar(0x2011)); break;
        case '-': symbol(QChar(0x00AD)); break;
        case '\r':
        case '\n': textParagraph(); break;
        case '\\':
        case '{':
        case '}': textByte(static_cast<unsigned char>(c)); break;
        default: break;
        }
    }

    void controlWord(const QByteArray &w, bool hasParam, int param)
    {
        GroupState &s = state();
        const bool on = !hasParam || param != 0;

        if (w == "fonttbl") { flushBytes(); s.destination = Destination::FontTable; return; }
        if (w == "colortbl") { flushBytes(); s.destination = Destination::ColorTable; m_colorOpen = false; return; }
        if (skippedDestinations().contains(w)) { flushBytes(); s.destination = Destination::Skip; return; }
        if (w == "bin") { skipBinary(hasParam ? param : 0); return; }
        if (w == "ansicpg") { if (hasParam && param > 0) m_codePage = param; return; }
        if (w == "deff") { m_defaultFont = param; return; }
        if (w == "uc") { s.unicodeSkip = qBound(0, param, 16); return; }

        if (s.destination == Destination::FontTable) {
            if (w == "f") { finishFontEntry(); m_fontNumber = param; }
            else if (w == "fcharset") m_fontCharset = param;
            return;
        }
        if (s.destination == Destination::ColorTable) {
            if (w == "red") { m_red = param; m_colorOpen = true; }
            else if (w == "green") { m_green = param; m_colorOpen = true; }
            else if (w == "blue") { m_blue = param; m_colorOpen = true; }
            return;
        }
        if (s.destination == Destination::Skip)
            return;

        if (w == "u") {
            flushBytes();
            const int code = param < 0 ? param + 65536 : param;
            append(QChar(char16_t(code & 0xFFFF)));
            m_skip = s.unicodeSkip;
            return;
        }
        if (w == "par") { textParagraph(); return; }
        if (w == "listtext" || w == "pntext") { beginListNumber(s); return; }
        if (w == "cell") { endCell(); return; }
        if (w == "row") { endRow(); return; }
        if (w == "nestcell") { symbol(QLatin1Char('\t')); return; } // a table within a cell: its cells as tab stops
        if (w == "nestrow") { paragraph(); return; }
        if (w == "line") { symbol(QChar(QChar::LineSeparator)); return; }
        if (w == "tab") { symbol(QLatin1Char('\t')); return; }
        if (w == "emdash") { symbol(QChar(0x2014)); return; }
        if (w == "endash") { symbol(QChar(0x2013)); return; }
        if (w == "bullet") { symbol(QChar(0x2022)); return; }
        if (w == "lquote") { symbol(QChar(0x2018)); return; }
        if (w == "rquote") { symbol(QChar(0x2019)); return; }
        if (w == "ldblquote") { symbol(QChar(0x201C)); return; }
        if (w == "rdblquote") { symbol(QChar(0x201D)); return; }

        CharState chars = s.chars;
        if (w == "b") chars.bold = on;
        else if (w == "i") chars.italic = on;
        else if (w == "ul") chars.underline = on;
        else if (w == "ulnone") chars.underline = false;
        else if (w == "strike") chars.strike = on;
        else if (w == "plain") chars = CharState{};
        else if (w == "fs") chars.halfPoints = hasParam && param > 0 ? qMin(param, 3276) : kDefaultHalfPoints;
        else if (w == "f") chars.font = param;
        else if (w == "cf") chars.color = param;
        else if (w == "pard") { resetParagraph(); return; }
        else if (w == "ql") { m_paragraph.alignment = Qt::AlignLeft; return; }
        else if (w == "qc") { m_paragraph.alignment = Qt::AlignHCenter; return; }
        else if (w == "qr") { m_paragraph.alignment = Qt::AlignRight; return; }
        else if (w == "qj") { m_paragraph.alignment = Qt::AlignJustify; return; }
        else if (w == "li") { m_paragraph.left = qBound(-kMaxTwips, param, kMaxTwips); return; }
        else if (w == "fi") { m_paragraph.firstLine = qBound(-kMaxTwips, param, kMaxTwips); return; }
        else if (w == "ri") { m_paragraph.right = qBound(-kMaxTwips, param, kMaxTwips); return; }
        else if (w == "tx") { addTab(param); return; }
        else if (w == "tqr") { m_tabType = QTextOption::RightTab; return; }
        else if (w == "tqc") { m_tabType = QTextOption::CenterTab; return; }
        else if (w == "trowd") { beginRow(); return; }
        else if (w == "trleft") { m_rowLeft = qBound(-kMaxTwips, param, kMaxTwips); return; }
        else if (w == "cellx") { addCellEdge(param); return; }
        else if (w == "clmrg") { m_mergeNextCell = true; return; }
        else if (w == "intbl") { m_paragraph.inTable = true; if (m_cellStart < 0) m_cellStart = m_paragraphs; return; }
        else if (w.startsWith("clbrdr") || w.startsWith("trbrdr")) { m_borderSide = true; return; }
        else if (w.startsWith("brdr")) { borderWord(w); return; }
        else return;
        if (chars.font != m_runState.font)
            flushBytes();
        s.chars = chars;
    }

    // One \'hh escape, and any that follow it at once: text in a code page
    // that the word processor escaped byte by byte.
    void hexByte()
    {
        char bytes[256];
        int count = 0;
        const char *data = m_data.constData();
        const qsizetype n = m_data.size();
        int value = hexPair(m_pos); // -1 for a broken escape: what follows is read as it comes
        while (value >= 0) {
            m_pos += 2;
            bytes[count++] = char(value);
            if (count == int(sizeof bytes)) {
                textBytes(bytes, count);
                count = 0;
            }
            value = -1;
            if (m_pos + 3 < n && data[m_pos] == '\\' && data[m_pos + 1] == '\'') {
                value = hexPair(m_pos + 2);
                if (value >= 0)
                    m_pos += 2;
            }
        }
        textBytes(bytes, count);
    }

    // The byte written as two hex digits at i, or -1.
    int hexPair(qsizetype i) const
    {
        if (i + 1 >= m_data.size())
            return -1;
        const int high = hexValue(m_data[i]);
        const int low = hexValue(m_data[i + 1]);
        return high < 0 || low < 0 ? -1 : high * 16 + low;
    }

    // Ordinary text from start up to the next brace, backslash or line break.
    void plainText(qsizetype start)
    {
        qsizetype end = start;
        const qsizetype n = m_data.size();
        while (end < n && !isSpecial(m_data[end]))
            ++end;
        textBytes(m_data.constData() + start, end - start);
        m_pos = end;
    }

    // Text bytes, taken in one piece where nothing needs them byte by byte.
    void textBytes(const char *bytes, qsizetype count)
    {
        if (count <= 0)
            return;
        if (state().destination == Destination::Text && m_skip == 0) {
            beginText();
            m_bytes.append(bytes, count);
            return;
        }
        for (qsizetype i = 0; i < count; ++i)
            textByte(static_cast<unsigned char>(bytes[i]));
    }

    static bool isSpecial(char c) { return c == '{' || c == '}' || c == '\\' || c == '\r' || c == '\n'; }

    void textByte(unsigned char byte)
    {
        GroupState &s = state();
        if (m_skip > 0 && s.destination == Destination::Text) {
            --m_skip;
            return;
        }
        switch (s.destination) {
        case Destination::Skip:
            return;
        case Destination::FontTable:
            if (byte == ';')
                finishFontEntry();
            else if (m_fontNumber >= 0)
                m_fontName += char(byte);
            return;
        case Destination::ColorTable:
            if (byte == ';') {
                m_formats.clear(); // formats made so far may name this colour
                m_colors.append(m_colorOpen ? QColor(qBound(0, m_red, 255), qBound(0, m_green, 255), qBound(0, m_blue, 255))
                                            : QColor());
                m_red = m_green = m_blue = 0;
                m_colorOpen = false;
            }
            return;
        case Destination::Text:
            break;
        }
        beginText();
        m_bytes += char(byte);
    }

    void symbol(QChar c)
    {
        if (state().destination != Destination::Text)
            return;
        flushBytes();
        m_skip = 0;
        append(c);
    }

    void paragraph()
    {
        if (state().destination != Destination::Text)
            return;
        m_numberFrom = -1; // a number alone on its line keeps its own size
        flush();
        endParagraph();
        m_text += QChar(QChar::ParagraphSeparator);
        m_runStart = m_text.size();
    }

    // Records the settings of the paragraph that ends, unless it has none.
    void endParagraph()
    {
        const int number = m_paragraphs++;
        if (m_paragraph.isPlain())
            return;
        if (m_tabsChanged) {
            // Paragraph after paragraph sets the same stops again: they are kept once.
            const auto &tabs = m_paragraph.tabs;
            const auto last = m_tabPool.cbegin() + m_lastTabsFrom;
            // The list last put in the pool is its end.
            if (m_tabPool.cend() - last != std::ptrdiff_t(tabs.size()) || !std::equal(tabs.cbegin(), tabs.cend(), last)) {
                m_lastTabsFrom = int(m_tabPool.size());
                m_tabPool.insert(m_tabPool.end(), tabs.cbegin(), tabs.cend());
            }
            m_tabsFrom = m_lastTabsFrom;
            m_tabsChanged = false;
        }
        const int tabCount = int(m_paragraph.tabs.size());
        const ParagraphFormat format{m_paragraph.alignment, m_paragraph.left, m_paragraph.firstLine,
                                     m_paragraph.right,     tabCount ? m_tabsFrom : 0, tabCount};
        if (m_paragraphFormats.empty() || !(m_paragraphFormats.back() == format))
            m_paragraphFormats.push_back(format);
        const int index = int(m_paragraphFormats.size()) - 1;
        if (!m_paragraphRuns.empty() && m_paragraphRuns.back().format == index && m_paragraphRuns.back().last == number - 1)
            m_paragraphRuns.back().last = number;
        else
            m_paragraphRuns.push_back({number, number, index});
    }

    void resetParagraph()
    {
        if (!m_paragraph.tabs.empty())
            m_tabsChanged = true;
        m_paragraph.reset();
        m_tabType = QTextOption::LeftTab;
    }

    void addTab(int position)
    {
        const QTextOption::TabType type = std::exchange(m_tabType, QTextOption::LeftTab);
        if (position < 0 || int(m_paragraph.tabs.size()) >= kMaxTabs)
            return;
        m_paragraph.tabs.push_back({qMin(position, kMaxTwips), type});
        m_tabsChanged = true;
    }

    // A list item's number is written as a group of its own that may reset
    // the paragraph (\pard) for itself; the item's settings come back after it.
    void saveParagraph()
    {
        m_savedParagraph = m_paragraph; // reuses the storage of the last one saved
        m_savedTabsChanged = m_tabsChanged;
        m_savedTabsFrom = m_tabsFrom;
    }

    void restoreParagraph()
    {
        m_paragraph = m_savedParagraph;
        m_tabsChanged = m_savedTabsChanged;
        m_tabsFrom = m_savedTabsFrom;
        m_tabType = QTextOption::LeftTab;
    }

    // A list item's number (\\listtext, \\pntext): its own group, which may reset
    // the paragraph and the characters; it takes the size of the text after it.
    void beginListNumber(GroupState &s)
    {
        if (s.listNumber)
            return;
        s.listNumber = true;
        saveParagraph();
        if (m_inListNumber++ == 0) {
            flush();
            m_numberFrom = m_text.size();
        }
    }

    void endListNumber()
    {
        if (m_inListNumber > 0)
            --m_inListNumber;
    }

    // A row's definition, which writers put before its cells (and some after
    // them too): a row begins here unless its cells have begun.
    void beginRow()
    {
        m_rowEdges.clear();
        m_rowMerged.clear();
        m_mergeNextCell = false;
        m_rowLeft = 0;
        if (m_rowCells.empty() && m_cellStart < 0)
            m_cellStart = m_paragraphs;
    }

    // A paragraph ended by \\par. One that is not in a table is no cell's:
    // a cell that has not begun yet begins after it.
    void textParagraph()
    {
        if (state().destination == Destination::Text && !m_paragraph.inTable && m_rowCells.empty()
            && m_cellStart >= 0 && m_cellStart <= m_paragraphs)
            m_cellStart = m_paragraphs + 1;
        paragraph();
    }

    // A cell's right edge, which ends its definition: \\clmrg before it
    // joins the cell to the one before, as one cell across both.
    void addCellEdge(int twips)
    {
        if (m_rowEdges.size() >= 4 * kMaxColumns)
            return;
        m_rowEdges.push_back(qBound(-kMaxTwips, twips, 4 * kMaxTwips));
        m_rowMerged.push_back(std::exchange(m_mergeNextCell, false));
    }

    // A border's style after the side it is for (\\clbrdrt, \\trbrdrl ...):
    // any but none draws lines. Its width and colour are no style.
    void borderWord(const QByteArray &w)
    {
        if (!m_borderSide || w == "brdrw" || w == "brdrcf")
            return;
        m_borderSide = false;
        if (w != "brdrnone" && w != "brdrnil" && w != "brdrtbl")
            m_rowBorders = true;
    }

    // The end of a table cell: its paragraphs are those since the row's
    // previous cell (or the first marked as in a table).
    void endCell()
    {
        if (state().destination != Destination::Text)
            return;
        const int first = m_cellStart >= 0 ? m_cellStart : m_paragraphs;
        paragraph();
        m_rowCells.push_back({first, m_paragraphs - 1});
        m_cellStart = m_paragraphs;
    }

    // The end of a table row: it joins the table just before it, or begins one.
    void endRow()
    {
        m_cellStart = -1;
        if (m_rowCells.empty())
            return;
        TableRow row;
        row.cells.swap(m_rowCells);
        row.edges = m_rowEdges;
        row.left = m_rowLeft;
        // Cells merged into the one before: one cell, to the later edge.
        for (size_t i = std::min(row.cells.size(), m_rowMerged.size()); i-- > 1;)
            if (m_rowMerged[i]) {
                row.cells[i - 1].last = row.cells[i].last;
                row.cells.erase(row.cells.begin() + i);
                row.edges[i - 1] = row.edges[i];
                row.edges.erase(row.edges.begin() + i);
            }
        if (m_tables.empty() || m_tables.back().rows.back().cells.back().last + 1 != row.cells.front().first)
            m_tables.emplace_back();
        m_tables.back().borders = m_tables.back().borders || m_rowBorders;
        m_tables.back().rows.push_back(std::move(row));
        m_rowBorders = false;
    }

    void append(QChar c)
    {
        beginText();
        m_text += inText(c);
    }

    // Characters the document would take for the end of a paragraph or the
    // edge of a table (a line feed written as \\'0a, say) come in as spaces:
    // only \\par and the table's words end paragraphs.
    static QChar inText(QChar c)
    {
        const char16_t u = c.unicode();
        return u == u'\n' || u == u'\r' || u == QChar::ParagraphSeparator || u == 0xFDD0 || u == 0xFDD1 ? QChar(u' ')
                                                                                                     : c;
    }

    // Text gathers into one run for as long as its formatting stays the same.
    void beginText()
    {
        const CharState &now = state().chars;
        if (m_numberFrom >= 0 && m_inListNumber == 0) {
            // The first text after a list item's number: the number takes its size.
            flush();
            if (m_text.size() > m_numberFrom) {
                QTextCharFormat size;
                size.setFontPointSize(now.halfPoints / 2.0);
                m_numberSizes.push_back({int(m_numberFrom), int(m_text.size() - m_numberFrom), size});
            }
            m_numberFrom = -1;
        }
        if (now != m_runState)
            flush();
        if (m_text.size() == m_runStart && m_bytes.isEmpty())
            m_runState = now;
    }

    void skipBinary(int count)
    {
        if (count > 0)
            m_pos = qMin<qsizetype>(m_data.size(), m_pos + count);
    }

    void finishFontEntry()
    {
        if (m_fontNumber >= 0) {
            FontEntry entry;
            entry.family = QString::fromLatin1(m_fontName).trimmed();
            entry.codePage = codePageOfCharset(m_fontCharset);
            m_fonts.insert(m_fontNumber, entry);
            m_formats.clear(); // formats made so far may name this font
        }
        m_fontNumber = -1;
        m_fontCharset = -1;
        m_fontName.clear();
    }

    // The code page of the text gathered so far: its font's, else the document's.
    int currentCodePage() const
    {
        int font = m_runState.font;
        if (font < 0)
            font = m_defaultFont;
        const auto it = m_fonts.constFind(font);
        if (it != m_fonts.constEnd() && it->codePage != 0)
            return it->codePage;
        return m_codePage;
    }

    // Raw bytes wait here until something else comes, so that multi-byte
    // characters escaped byte by byte decode as one.
    void flushBytes()
    {
        if (m_bytes.isEmpty())
            return;
        CodePage &page = codePage(currentCodePage());
        if (page.singleByte) {
            const qsizetype at = m_text.size();
            m_text.resize(at + m_bytes.size());
            QChar *out = m_text.data() + at;
            for (char byte : std::as_const(m_bytes))
                *out++ = page.table[static_cast<unsigned char>(byte)];
        } else {
            const qsizetype at = m_text.size();
            m_text += page.decoder(m_bytes);
            std::transform(m_text.begin() + at, m_text.end(), m_text.begin() + at, inText);
            page.decoder.resetState();
        }
        m_bytes.clear();
    }

    // A code page: a table for those of one byte a character, else a decoder.
    // Each is made once, when first needed.
    struct CodePage {
        QStringDecoder decoder;
        bool singleByte = false;
        QChar table[256];
    };

    CodePage &codePage(int number)
    {
        auto it = m_codePages.find(number);
        if (it != m_codePages.end())
            return *it->second;
        auto page = std::make_unique<CodePage>();
        page->decoder = QStringDecoder(QByteArray("windows-") + QByteArray::number(number));
        if (!page->decoder.isValid())
            page->decoder = QStringDecoder("windows-1251");
        page->singleByte = number != 932 && number != 936 && number != 949 && number != 950;
        if (page->singleByte) {
            QByteArray all(256, Qt::Uninitialized);
            for (int i = 0; i < 256; ++i)
                all[i] = char(i);
            const QString decoded = page->decoder(all);
            page->decoder.resetState();
            if (decoded.size() == 256)
                std::transform(decoded.cbegin(), decoded.cend(), page->table, inText);
            else
                page->singleByte = false;
        }
        return *m_codePages.emplace(number, std::move(page)).first->second;
    }

    // The format of the current run; the few formats a document uses are kept.
    const QTextCharFormat &format()
    {
        for (const auto &[state, known] : m_formats)
            if (state == m_runState)
                return known;
        if (m_formats.size() > 64)
            m_formats.clear();
        m_formats.emplace_back(m_runState, makeFormat(m_runState));
        return m_formats.back().second;
    }

    QTextCharFormat makeFormat(const CharState &c) const
    {
        QTextCharFormat f;
        f.setFontWeight(c.bold ? QFont::Bold : QFont::Normal);
        f.setFontItalic(c.italic);
        f.setFontUnderline(c.underline);
        f.setFontStrikeOut(c.strike);
        f.setFontPointSize(c.halfPoints / 2.0);
        const int font = c.font >= 0 ? c.font : m_defaultFont;
        const auto it = m_fonts.constFind(font);
        if (it != m_fonts.constEnd() && !it->family.isEmpty())
            f.setFontFamilies({it->family});
        if (c.color > 0 && c.color < m_colors.size() && m_colors.at(c.color).isValid())
            f.setForeground(m_colors.at(c.color));
        return f;
    }

    // Ends the run of text gathered under one formatting (the text from
    // m_runStart on); a formatted run is remembered as a span to format once
    // the text is in the document.
    void flush()
    {
        flushBytes();
        if (m_text.size() == m_runStart)
            return;
        if (m_runState != CharState{})
            m_spans.push_back({int(m_runStart), int(m_text.size() - m_runStart), format()});
        m_runStart = m_text.size();
    }

    // Fills the document: all the text at once, as plain text goes in, in
    // the default font when the font table has it; then the formatted spans
    // and the paragraph settings. Not recorded for undoing; the document lays
    // itself out once, at the end.
    void write()
    {
        const auto defaultFont = m_fonts.constFind(m_defaultFont);
        const bool inDefaultFont = defaultFont != m_fonts.constEnd() && !defaultFont->family.isEmpty();
        m_document->setPlainText(QString());
        const bool undo = m_document->isUndoRedoEnabled();
        m_document->setUndoRedoEnabled(false);
        QTextCursor cursor(m_document);
        cursor.beginEditBlock();
        // All the text at once, in the default font and size; then the
        // formatted spans and the paragraph settings.
        QTextCharFormat base;
        if (inDefaultFont)
            base.setFontFamilies({defaultFont->family});
        base.setFontPointSize(kDefaultHalfPoints / 2.0);
        cursor.setBlockCharFormat(base); // empty lines are of its height too
        cursor.insertText(m_text, base);
        for (const Span &span : m_spans) {
            cursor.setPosition(span.start);
            cursor.setPosition(span.start + span.length, QTextCursor::KeepAnchor);
            cursor.setCharFormat(span.format);
        }
        for (const Span &size : m_numberSizes) {
            cursor.setPosition(size.start);
            cursor.setPosition(size.start + size.length, QTextCursor::KeepAnchor);
            cursor.mergeCharFormat(size.format);
        }
        int built = -1;
        QTextBlockFormat format;
        for (const ParagraphRun &run : m_paragraphRuns) {
            if (run.format != built) {
                format = blockFormat(m_paragraphFormats[run.format]);
                built = run.format;
            }
            cursor.setPosition(m_document->findBlockByNumber(run.first).position());
            cursor.setPosition(m_document->findBlockByNumber(run.last).position(), QTextCursor::KeepAnchor);
            cursor.mergeBlockFormat(format);
        }
        // Tables last, from the end, so the paragraphs of those before them
        // keep their numbers.
        for (auto table = m_tables.crbegin(); table != m_tables.crend(); ++table)
            makeTable(cursor, *table);
        cursor.endEditBlock();
        m_document->setUndoRedoEnabled(undo);
    }

    // The grid of a table: each row's cells as columns first..first+span-1.
    // With every cell's right edge given, the columns are the edges of all
    // rows together and take their widths from them, so a cell as wide as
    // two below it spans two; else a cell is one column.
    struct Grid {
        std::vector<int> edges; // empty: no widths
        std::vector<std::vector<std::pair<int, int>>> cells; // per row: (column, span)
        int columns = 0;
    };

    static Grid gridOf(const Table &table)
    {
        Grid grid;
        if (gridByEdges(table, &grid))
            return grid;
        for (const TableRow &row : table.rows)
            grid.columns = std::max(grid.columns, std::min(int(row.cells.size()), kMaxColumns));
        for (const TableRow &row : table.rows) {
            std::vector<std::pair<int, int>> cells;
            const int count = std::min(int(row.cells.size()), kMaxColumns);
            for (int i = 0; i < count; ++i)
                cells.push_back({i, i == count - 1 ? grid.columns - i : 1}); // the last fills the row
            grid.cells.push_back(std::move(cells));
        }
        return grid;
    }

    // The grid from every cell's right edge, when each is given and the
    // columns they make are not too many.
    static bool gridByEdges(const Table &table, Grid *grid)
    {
        std::vector<std::vector<int>> bounds; // per row: its left edge, then each cell's right edge
        std::vector<int> edges;
        for (const TableRow &row : table.rows) {
            if (row.edges.size() < row.cells.size())
                return false;
            std::vector<int> b{row.left};
            for (size_t i = 0; i < row.cells.size(); ++i)
                b.push_back(std::max(row.edges[i], b.back() + 1));
            edges.insert(edges.end(), b.begin(), b.end());
            bounds.push_back(std::move(b));
        }
        std::sort(edges.begin(), edges.end());
        edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
        if (int(edges.size()) - 1 > kMaxColumns)
            return false;
        const auto column = [&edges](int edge) {
            return int(std::lower_bound(edges.begin(), edges.end(), edge) - edges.begin());
        };
        for (const std::vector<int> &b : bounds) {
            std::vector<std::pair<int, int>> cells;
            for (size_t i = 1; i < b.size(); ++i)
                cells.push_back({column(b[i - 1]), column(b[i]) - column(b[i - 1])});
            grid->cells.push_back(std::move(cells));
        }
        grid->columns = int(edges.size()) - 1;
        grid->edges = std::move(edges);
        return true;
    }

    // Puts the paragraphs of a table's cells into a table in their place.
    void makeTable(QTextCursor &cursor, const Table &table)
    {
        const Grid grid = gridOf(table);
        const auto blockAt = [this](int number) { return m_document->findBlockByNumber(number); };
        // Each cell's contents, formats and all, before its text goes.
        struct Contents {
            QTextDocumentFragment fragment;
            std::vector<QTextBlockFormat> blocks;
            QTextCharFormat chars;
        };
        std::vector<std::vector<Contents>> contents;
        for (size_t r = 0; r < table.rows.size(); ++r) {
            const TableRow &row = table.rows[r];
            std::vector<Contents> cells;
            const size_t count = grid.cells[r].size();
            for (size_t c = 0; c < count; ++c) {
                const int first = row.cells[c].first;
                int last = c + 1 == count ? row.cells.back().last : row.cells[c].last; // extra cells join the last
                // Empty lines at a cell's end (those of cells joined to it) are left out.
                while (last > first && blockAt(last).text().isEmpty())
                    --last;
                const QTextBlock from = blockAt(first), to = blockAt(last);
                cursor.setPosition(from.position());
                cursor.setPosition(to.position() + to.length() - 1, QTextCursor::KeepAnchor);
                Contents cell{cursor.selection(), {}, from.charFormat()};
                for (QTextBlock b = from; b.isValid() && b.blockNumber() <= last; b = b.next())
                    cell.blocks.push_back(b.blockFormat());
                cells.push_back(std::move(cell));
            }
            contents.push_back(std::move(cells));
        }
        // The table takes the place of its paragraphs and of the breaks
        // around them, so it stands between the paragraphs before and after
        // it with no empty line; the one after keeps its own settings. (A
        // document cannot begin with a table: one that comes first follows
        // an empty line.)
        const QTextBlock first = blockAt(table.rows.front().cells.front().first);
        const QTextBlock last = blockAt(table.rows.back().cells.back().last);
        const QTextBlock before = first.previous(), after = last.next();
        const QTextBlockFormat afterFormat = after.blockFormat();
        const QTextCharFormat afterChars = after.charFormat();
        cursor.setPosition(before.isValid() ? first.position() - 1 : first.position());
        cursor.setPosition(after.isValid() ? after.position() : last.position() + last.length() - 1,
                           QTextCursor::KeepAnchor);
        cursor.removeSelectedText();

        measureDocument();
        QTextTableFormat format;
        format.setCellSpacing(0);
        format.setCellPadding(pixels(30, m_marginDpi)); // about half a millimetre, as word processors leave
        format.setBorderCollapse(true);
        format.setBorder(table.borders ? 1 : 0);
        format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
        format.setBorderBrush(QColor(Qt::black));
        format.setAlignment(Qt::AlignLeft);
        if (!grid.edges.empty()) {
            QList<QTextLength> widths;
            for (size_t i = 1; i < grid.edges.size(); ++i)
                widths.append(QTextLength(QTextLength::FixedLength, pixels(grid.edges[i] - grid.edges[i - 1], m_marginDpi)));
            format.setColumnWidthConstraints(widths);
        }
        QTextTable *made = cursor.insertTable(int(table.rows.size()), grid.columns, format);
        for (size_t r = 0; r < grid.cells.size(); ++r)
            for (size_t c = 0; c < grid.cells[r].size(); ++c) {
                const auto [column, span] = grid.cells[r][c];
                if (span > 1)
                    made->mergeCells(int(r), column, 1, span);
                const Contents &cell = contents[r][c];
                QTextCursor in = made->cellAt(int(r), column).firstCursorPosition();
                in.mergeBlockCharFormat(cell.chars); // merged: the cell's own settings are kept there too
                in.insertFragment(cell.fragment);
                // The fragment leaves out its first paragraph's settings.
                QTextBlock b = made->cellAt(int(r), column).firstCursorPosition().block();
                for (const QTextBlockFormat &blockFormat : cell.blocks) {
                    if (!b.isValid())
                        break;
                    QTextCursor(b).setBlockFormat(blockFormat);
                    b = b.next();
                }
            }
        if (after.isValid()) {
            QTextCursor next(m_document);
            next.setPosition(made->lastPosition() + 1);
            next.setBlockFormat(afterFormat);
            next.setBlockCharFormat(afterChars);
        }
    }

    // The document's measures for paragraph settings: margins in the pixels
    // of the device it is laid out for (which font sizes follow too), tab
    // stops in the screen's pixels, which the layout scales to that device.
    void measureDocument()
    {
        if (m_tabDpi > 0)
            return;
        m_tabDpi = 96;
        if (!QCoreApplication::testAttribute(Qt::AA_Use96Dpi))
            if (const QScreen *screen = QGuiApplication::primaryScreen())
                m_tabDpi = qMax(1, qRound(screen->logicalDotsPerInchY()));
        const QPaintDevice *device = m_document->documentLayout()->paintDevice();
        m_marginDpi = device ? device->logicalDpiY() : m_tabDpi;
    }

    static qreal pixels(int twips, int dpi) { return twips * qreal(dpi) / 1440; }

    QTextBlockFormat blockFormat(const ParagraphFormat &p)
    {
        QTextBlockFormat f;
        if (p.alignment != Qt::AlignLeft)
            f.setAlignment(p.alignment);
        if (p.left == 0 && p.firstLine == 0 && p.right == 0 && p.tabCount == 0)
            return f;
        measureDocument();
        // Nothing goes left of the box: indents into the page's margin stop at its edge.
        const int left = qMax(0, p.left);
        const int right = qMax(0, p.right);
        const int firstLine = qMax(p.firstLine, -left);
        if (left != 0)
            f.setLeftMargin(pixels(left, m_marginDpi));
        if (right != 0)
            f.setRightMargin(pixels(right, m_marginDpi));
        if (firstLine != 0)
            f.setTextIndent(pixels(firstLine, m_marginDpi));

        // The layout measures tab stops from where a line begins, not from the
        // paragraph's edge: they are given from the first line's start, where
        // a list item's number and its tab stand. (Lines after the first begin
        // at the left indent, so stops there come out shifted by the first
        // line's indent.) A hanging indent is a stop too, as in word processors,
        // so that the text after a number's tab lines up with the lines below.
        const int start = left + firstLine;
        TabStop stops[kMaxTabs + 1];
        int count = 0;
        for (int i = p.tabsFrom; i < p.tabsFrom + p.tabCount; ++i)
            if (m_tabPool[i].position > start)
                stops[count++] = m_tabPool[i];
        if (firstLine < 0)
            stops[count++] = TabStop{left, QTextOption::LeftTab};
        // The first stop given at a position wins, and the hanging indent comes last.
        std::stable_sort(stops, stops + count, [](const TabStop &a, const TabStop &b) { return a.position < b.position; });
        QList<QTextOption::Tab> tabs;
        for (int i = 0; i < count; ++i)
            if (i == 0 || stops[i].position != stops[i - 1].position)
                tabs.append(QTextOption::Tab(pixels(stops[i].position - start, m_tabDpi), stops[i].type));
        if (!tabs.isEmpty())
            f.setTabPositions(tabs);
        return f;
    }

    static bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
    static bool isDigit(char c) { return c >= '0' && c <= '9'; }
    static int hexValue(char c)
    {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    }

    const QByteArray &m_data;
    qsizetype m_pos = 0;
    QTextDocument *m_document;

    // What goes into the document: its text, with a paragraph separator
    // between paragraphs, the formatted spans of it, the aligned paragraphs.
    struct Span {
        int start;
        int length;
        QTextCharFormat format;
    };
    QString m_text;
    std::vector<Span> m_spans;
    std::vector<Span> m_numberSizes;     // list numbers' size, that of their paragraph, merged in
    qsizetype m_numberFrom = -1;         // a number waiting for the text after it
    int m_inListNumber = 0;
    std::vector<Table> m_tables;
    std::vector<TableCell> m_rowCells; // the row being read
    std::vector<int> m_rowEdges;
    int m_rowLeft = 0;
    bool m_rowBorders = false;
    bool m_borderSide = false;         // a border's side named, its style to come
    std::vector<bool> m_rowMerged;     // per edge: the cell joins the one before
    bool m_mergeNextCell = false;
    int m_cellStart = -1; // the paragraph the next cell begins with, once known
    std::vector<ParagraphFormat> m_paragraphFormats;
    std::vector<ParagraphRun> m_paragraphRuns;
    std::vector<TabStop> m_tabPool; // the tab stops of the formats
    int m_lastTabsFrom = 0;         // the list last put in the pool, up to its end
    int m_paragraphs = 0;
    QList<GroupState> m_stack;
    int m_overflow = 0;
    int m_skip = 0;
    int m_codePage = 1251;
    int m_defaultFont = 0;

    ParagraphState m_paragraph;
    QTextOption::TabType m_tabType = QTextOption::LeftTab; // of the next \tx
    bool m_tabsChanged = false; // the paragraph's stops are not in the pool yet
    int m_tabsFrom = 0;         // else where in the pool they are
    ParagraphState m_savedParagraph;
    bool m_savedTabsChanged = false;
    int m_savedTabsFrom = 0;
    int m_tabDpi = 0; // 0 until measureDocument()
    int m_marginDpi = 0;

    QHash<int, FontEntry> m_fonts;
    int m_fontNumber = -1;
    int m_fontCharset = -1;
    QByteArray m_fontName;

    QList<QColor> m_colors;
    int m_red = 0, m_green = 0, m_blue = 0;
    bool m_colorOpen = false;

    std::map<int, std::unique_ptr<CodePage>> m_codePages;
    std::vector<std::pair<CharState, QTextCharFormat>> m_formats;
    QByteArray m_bytes;
    qsizetype m_runStart = 0; // where in m_text the current run began
    CharState m_runState;
};

} // namespace

bool ReadRtf(const QByteArray &data, QTextDocument *document)
{
    if (!data.startsWith("{\\rtf"))
        return false;
    RtfReader(data, document).run(); // replaces the whole content
    return true;
}
