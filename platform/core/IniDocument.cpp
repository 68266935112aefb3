#include "platform/core/IniDocument.h"

#include "platform/core/TextLines.h"

#include <limits>

namespace tunelet
{

namespace
{
bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArrayView trimmed(QByteArrayView text)
{
    while (!text.isEmpty() && isBlank(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && isBlank(text.back()))
        text.chop(1);
    return text;
}

bool sameName(QByteArrayView a, QByteArrayView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}
} // namespace

IniDocument::Line IniDocument::classify(QByteArray text, QByteArray end)
{
    Line line{std::move(text), std::move(end), LineKind::Other, {}};
    const QByteArrayView body = trimmed(line.text);
    if (body.startsWith('[')) {
        const qsizetype close = body.indexOf(']');
        if (close > 0) {
            line.kind = LineKind::Section;
            line.name = trimmed(body.sliced(1, close - 1)).toByteArray();
        }
        return line;
    }
    const qsizetype eq = body.indexOf('=');
    if (eq >= 0) {
        line.kind = LineKind::Key;
        line.name = trimmed(body.first(eq)).toByteArray();
    }
    return line;
}

IniDocument IniDocument::parse(QByteArrayView text)
{
    IniDocument doc;
    for (const TextLine &line : splitTextLines(text))
        doc.m_lines.append(classify(line.text.toByteArray(), line.end.toByteArray()));
    return doc;
}

QByteArray IniDocument::serialise() const
{
    QByteArray out;
    qsizetype total = 0;
    for (const Line &line : m_lines)
        total += line.text.size() + line.end.size();
    out.reserve(total);
    for (const Line &line : m_lines) {
        out.append(line.text);
        out.append(line.end);
    }
    return out;
}

qsizetype IniDocument::findSection(QByteArrayView section) const
{
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        if (m_lines[i].kind == LineKind::Section && sameName(m_lines[i].name, section))
            return i;
    }
    return -1;
}

qsizetype IniDocument::sectionEnd(qsizetype header) const
{
    qsizetype i = header + 1;
    while (i < m_lines.size() && m_lines[i].kind != LineKind::Section)
        ++i;
    return i;
}

qsizetype IniDocument::findKey(qsizetype header, QByteArrayView key) const
{
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        if (m_lines[i].kind == LineKind::Key && sameName(m_lines[i].name, key))
            return i;
    }
    return -1;
}

std::optional<QByteArray> IniDocument::value(QByteArrayView section, QByteArrayView key) const
{
    const qsizetype header = findSection(section);
    if (header < 0)
        return std::nullopt;
    const qsizetype at = findKey(header, key);
    if (at < 0)
        return std::nullopt;
    const QByteArrayView text = m_lines[at].text;
    QByteArrayView v = trimmed(text.sliced(text.indexOf('=') + 1));
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.sliced(1, v.size() - 2);
    return v.toByteArray();
}

void IniDocument::insertLine(qsizetype at, QByteArray text)
{
    // The line before the new one must end, or the two would run together.
    if (at > 0 && m_lines[at - 1].end.isEmpty())
        m_lines[at - 1].end = "\r\n";
    m_lines.insert(at, classify(std::move(text), "\r\n"));
}

void IniDocument::setValue(QByteArrayView section, QByteArrayView key, QByteArrayView value)
{
    const qsizetype lineBreak = [&] {
        const qsizetype cr = value.indexOf('\r');
        const qsizetype lf = value.indexOf('\n');
        if (cr < 0)
            return lf;
        return lf < 0 ? cr : qMin(cr, lf);
    }();
    if (lineBreak >= 0)
        value = value.first(lineBreak);

    qsizetype header = findSection(section);
    if (header < 0) {
        insertLine(m_lines.size(), '[' + section.toByteArray() + ']');
        header = m_lines.size() - 1;
    }
    const qsizetype at = findKey(header, key);
    if (at >= 0) {
        Line &line = m_lines[at];
        line.text = line.name + '=' + value.toByteArray();
        return;
    }
    qsizetype insertAt = header + 1;
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        if (m_lines[i].kind == LineKind::Key)
            insertAt = i + 1;
    }
    insertLine(insertAt, key.toByteArray() + '=' + value.toByteArray());
}

QList<QByteArray> IniDocument::sections() const
{
    QList<QByteArray> names;
    for (const Line &line : m_lines) {
        if (line.kind == LineKind::Section)
            names.append(line.name);
    }
    return names;
}

QList<QByteArray> IniDocument::keys(QByteArrayView section) const
{
    QList<QByteArray> names;
    const qsizetype header = findSection(section);
    if (header < 0)
        return names;
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        if (m_lines[i].kind == LineKind::Key)
            names.append(m_lines[i].name);
    }
    return names;
}

std::optional<int> parseProfileInteger(QByteArrayView text)
{
    bool negative = false;
    if (!text.isEmpty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text = text.sliced(1);
    }
    int base = 10;
    if (text.startsWith('$')) {
        base = 16;
        text = text.sliced(1);
    } else if (text.size() > 2 && (text.startsWith("0x") || text.startsWith("0X"))) {
        base = 16;
        text = text.sliced(2);
    }
    if (text.isEmpty())
        return std::nullopt;
    // Hexadecimal covers the full 32 bits ($FFFFFFFF is -1); decimal the int range.
    const quint64 limit =
        base == 16 ? 0xFFFFFFFFull : quint64(std::numeric_limits<int>::max()) + (negative ? 1 : 0);
    quint64 value = 0;
    for (char c : text) {
        const int digit = base == 16 ? hexDigit(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
        if (digit < 0)
            return std::nullopt;
        value = value * quint64(base) + quint64(digit);
        if (value > limit)
            return std::nullopt;
    }
    if (base == 16) {
        const int bits = int(quint32(value));
        return negative ? int(0u - quint32(bits)) : bits;
    }
    return negative ? int(-qint64(value)) : int(value);
}

} // namespace tunelet
