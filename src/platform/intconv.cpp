#include "platform/intconv.h"

std::optional<int> TextToInt(const QString &text)
{
    int i = 0;
    const int n = int(text.size());
    while (i < n && text[i] == QLatin1Char(' '))
        ++i;
    if (i == n)
        return std::nullopt;

    auto hexDigit = [](QChar c) -> int {
        const char16_t u = c.unicode();
        if (u >= '0' && u <= '9')
            return u - '0';
        if (u >= 'a' && u <= 'f')
            return u - 'a' + 10;
        if (u >= 'A' && u <= 'F')
            return u - 'A' + 10;
        return -1;
    };

    int hexStart = -1;
    if (text[i] == QLatin1Char('$') || text[i] == QLatin1Char('x') || text[i] == QLatin1Char('X'))
        hexStart = i + 1;
    else if (text[i] == QLatin1Char('0') && i + 1 < n && (text[i + 1] == QLatin1Char('x') || text[i + 1] == QLatin1Char('X')))
        hexStart = i + 2;

    if (hexStart >= 0) {
        if (hexStart == n)
            return std::nullopt;
        quint64 value = 0;
        int significant = 0;
        for (int k = hexStart; k < n; ++k) {
            const int d = hexDigit(text[k]);
            if (d < 0)
                return std::nullopt;
            if (value != 0 || d != 0)
                ++significant;
            if (significant > 8)
                return std::nullopt;
            value = value * 16 + quint64(d);
        }
        return int(quint32(value));
    }

    bool negative = false;
    if (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    if (i == n)
        return std::nullopt;
    qint64 value = 0;
    for (; i < n; ++i) {
        const char16_t u = text[i].unicode();
        if (u < '0' || u > '9')
            return std::nullopt;
        value = value * 10 + (u - '0');
        if (value > 2147483648LL)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > 2147483647LL)
        return std::nullopt;
    return int(value);
}
