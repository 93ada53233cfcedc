#include "platform/profile.h"

#include "platform/intconv.h"

#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSaveFile>
#include <QtEndian>

#include <functional>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// The file's text as code units: the bytes one for one (Latin-1) for 8-bit
// text, or the UTF-16 units as they are, so that decoding and encoding give
// back every byte, even of text that is not valid in any encoding.
struct Text {
    enum Encoding { Bytes, Utf16LE, Utf16BE } encoding = Bytes;
    QString units;
    QByteArray oddByte; // a UTF-16 file of an odd length keeps its last byte
};

Text decode(const QByteArray &bytes)
{
    Text text;
    const bool le = bytes.startsWith("\xFF\xFE"), be = bytes.startsWith("\xFE\xFF");
    if (!le && !be) {
        text.units = QString::fromLatin1(bytes);
        return text;
    }
    text.encoding = le ? Text::Utf16LE : Text::Utf16BE;
    const qsizetype count = bytes.size() / 2;
    text.units.resize(count);
    for (qsizetype i = 0; i < count; ++i) {
        const char *unit = bytes.constData() + 2 * i;
        text.units[i] = QChar(le ? qFromLittleEndian<quint16>(unit) : qFromBigEndian<quint16>(unit));
    }
    text.oddByte = bytes.mid(2 * count);
    return text;
}

QByteArray encode(const Text &text)
{
    if (text.encoding == Text::Bytes)
        return text.units.toLatin1();
    QByteArray bytes(text.units.size() * 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < text.units.size(); ++i) {
        char *unit = bytes.data() + 2 * i;
        if (text.encoding == Text::Utf16LE)
            qToLittleEndian<quint16>(text.units[i].unicode(), unit);
        else
            qToBigEndian<quint16>(text.units[i].unicode(), unit);
    }
    return bytes + text.oddByte;
}

// A NUL byte ends its line too: a file that a crash left with a run of
// zeros reads on after them.
bool isNewLine(QChar c) { return c == u'\n' || c == u'\r' || c == u'\0'; }
bool isBlank(QChar c) { return c == u' ' || c == u'\t' || isNewLine(c); }

// Names match whatever the case of A to Z.
bool sameName(QStringView a, QStringView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        const char16_t x = a[i].unicode(), y = b[i].unicode();
        const auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; };
        if (lower(x) != lower(y))
            return false;
    }
    return true;
}

// Where each section and key of the text lies.
struct Key {
    QStringView name;
    qsizetype valueFrom, valueTo; // the value without its blanks
    qsizetype lineEnd;            // where the line's break (or the text) begins
};
struct Section {
    bool named = false; // keys before the first header are in no section
    QStringView name;
    qsizetype headerEnd = 0;
    QList<Key> keys;
};
struct Layout {
    QList<Section> sections;
    qsizetype start = 0; // the text begins here, after a byte order mark
    QString lineBreak = QStringLiteral("\n");
};

Layout scan(const QString &units)
{
    Layout layout;
    const QStringView text(units);

    // The file's own line break: the first one in it.
    for (qsizetype i = 0; i < text.size(); ++i)
        if (text[i] == u'\n' || text[i] == u'\r') {
            layout.lineBreak = text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n'
                                   ? QStringLiteral("\r\n") : QString(text[i]);
            break;
        }

    layout.sections.append(Section{});
    if (text.startsWith(QLatin1String("\xEF\xBB\xBF")))
        layout.start = 3;
    else if (text.startsWith(QChar(0xFEFF)))
        layout.start = 1;
    qsizetype pos = layout.start;
    const qsizetype end = text.size();
    auto toLineEnd = [&] {
        while (pos < end && !isNewLine(text[pos]))
            ++pos;
    };
    auto trimRight = [&](qsizetype from, qsizetype to) {
        while (to > from && isBlank(text[to - 1]))
            --to;
        return to;
    };
    // A scan of the text as a stream: blanks and line breaks are skipped
    // before an entry, and a key line may carry anything after its "=".
    // A section header must end on its own line.
    while (pos < end) {
        while (pos < end && isBlank(text[pos]))
            ++pos;
        if (pos == end)
            break;
        if (text[pos] == u';' || text[pos] == u'#') {
            toLineEnd();
            continue;
        }
        if (text[pos] == u'[') {
            ++pos;
            while (pos < end && !isNewLine(text[pos]) && isBlank(text[pos]))
                ++pos;
            const qsizetype nameFrom = pos;
            while (pos < end && text[pos] != u']' && !isNewLine(text[pos]))
                ++pos;
            if (pos == end || text[pos] != u']')
                continue; // no "]" on the line: not a header
            const qsizetype nameTo = trimRight(nameFrom, pos);
            ++pos;
            toLineEnd();
            layout.sections.append(Section{true, text.mid(nameFrom, nameTo - nameFrom), pos, {}});
            continue;
        }
        const qsizetype keyFrom = pos;
        while (pos < end && text[pos] != u'=' && !isNewLine(text[pos]))
            ++pos;
        if (pos == end || text[pos] != u'=')
            continue; // no "=": not a key
        if (pos == keyFrom) {
            toLineEnd(); // no name: not a key either
            continue;
        }
        const qsizetype keyTo = trimRight(keyFrom, pos);
        ++pos;
        while (pos < end && !isNewLine(text[pos]) && isBlank(text[pos]))
            ++pos;
        const qsizetype valueFrom = pos;
        toLineEnd();
        const qsizetype valueTo = trimRight(valueFrom, pos);
        layout.sections.last().keys.append(Key{text.mid(keyFrom, keyTo - keyFrom), valueFrom, valueTo, pos});
    }
    return layout;
}

const Section *findSection(const Layout &layout, QStringView name)
{
    for (const Section &section : layout.sections)
        if (section.named && sameName(section.name, name))
            return &section;
    return nullptr;
}

const Key *findKey(const Section &section, QStringView name)
{
    for (const Key &key : section.keys)
        if (sameName(key.name, name))
            return &key;
    return nullptr;
}

// The file's contents; empty for a missing file, nothing when it cannot be read.
std::optional<QByteArray> readFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QByteArray();
    QFile file(path);
    if (info.isDir() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return data;
}

} // namespace

std::optional<QString> ProfileValue(const QByteArray &content, const QString &section, const QString &key)
{
    const Text text = decode(content);
    const Layout layout = scan(text.units);
    const Section *s = findSection(layout, section);
    const Key *k = s ? findKey(*s, key) : nullptr;
    if (!k)
        return std::nullopt;
    return text.units.mid(k->valueFrom, k->valueTo - k->valueFrom);
}

QByteArray ProfileWithValue(const QByteArray &content, const QString &section, const QString &key,
                            const QString &value)
{
    Text text = decode(content);
    const Layout layout = scan(text.units);
    if (const Section *s = findSection(layout, section)) {
        if (const Key *k = findKey(*s, key)) {
            text.units.replace(k->valueFrom, k->valueTo - k->valueFrom, value);
        } else {
            // After the section's last key, or after its header: the new
            // line takes the place of the break that ended that line.
            const qsizetype at = s->keys.isEmpty() ? s->headerEnd : s->keys.last().lineEnd;
            text.units.insert(at, layout.lineBreak + key + QLatin1Char('=') + value);
        }
    } else {
        // At the end of the file. A file whose last line has no break keeps
        // it that way: the break goes before the section instead of after it.
        const qsizetype end = text.units.size();
        const bool brokenOff = end == layout.start || isNewLine(text.units[end - 1]);
        text.units += (brokenOff ? QString() : layout.lineBreak) + QLatin1Char('[') + section + QLatin1Char(']')
                      + layout.lineBreak + key + QLatin1Char('=') + value + (brokenOff ? layout.lineBreak : QString());
    }
    return encode(text);
}

QString GetPrivateProfileString(const QString &section, const QString &key,
                                const QString &defaultValue, const QString &path)
{
    const std::optional<QByteArray> content = readFile(path);
    const std::optional<QString> value = content ? ProfileValue(*content, section, key) : std::nullopt;
    // The platform call fills a buffer of 2048 characters.
    return value ? value->left(2047) : defaultValue;
}

namespace {

// Replaces the file with what `change` makes of its contents, as
// WritePrivateProfileString describes.
bool rewrite(const QString &path, const std::function<QByteArray(const QByteArray &)> &change)
{
    // A file nobody may write to stays as it is, also for the superuser.
    const QFileInfo existing(path);
    constexpr auto anyWrite = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    if (existing.exists() && !(existing.permissions() & anyWrite))
        return false;
    const std::optional<QByteArray> content = readFile(path);
    if (!content)
        return false;
    const QByteArray text = change(*content);

    // Nothing to change: the file is left alone (its inode, time, links and
    // owner with it), once it is known that it could have been replaced as a
    // change would be: the file, and the folder it is replaced in (a link's
    // target's), may be written.
    const QByteArray name = QFile::encodeName(path);
    struct stat before;
    const bool exists = ::stat(name.constData(), &before) == 0;
    if (exists && text == *content) {
        const QByteArray folder = QFile::encodeName(QFileInfo(QFileInfo(path).canonicalFilePath()).absolutePath());
        return ::access(name.constData(), W_OK) == 0 && ::access(folder.constData(), W_OK | X_OK) == 0;
    }

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // The new file takes the old one's mode and, where we may give it, its
    // owner: a file of another user's stays theirs when root saves it.
    if (exists) {
        const int fd = int(file.handle());
        if (::fchmod(fd, before.st_mode & 07777) != 0)
            return false;
        if (before.st_uid != ::geteuid() || before.st_gid != ::getegid())
            (void)!::fchown(fd, before.st_uid, before.st_gid);
    }
    if (file.write(text) != text.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace

bool WritePrivateProfileString(const QString &section, const QString &key,
                               const QString &value, const QString &path)
{
    return rewrite(path, [&](const QByteArray &content) { return ProfileWithValue(content, section, key, value); });
}

bool WriteProfileNumber(const QString &section, const QString &key, int value, const QString &path)
{
    return rewrite(path, [&](const QByteArray &content) {
        const std::optional<QString> written = ProfileValue(content, section, key);
        const bool same = written && TextToInt(*written) == value;
        return ProfileWithValue(content, section, key, same ? *written : QString::number(value));
    });
}
