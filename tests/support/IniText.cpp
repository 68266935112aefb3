#include "tests/support/IniText.h"

namespace tunelet::testkit
{

namespace
{

QList<QByteArray> iniLines(const QByteArray &ini)
{
    QList<QByteArray> lines;
    for (QByteArray line : ini.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (!line.isEmpty())
            lines << line;
    }
    return lines;
}

} // namespace

QStringList sectionsOf(const QByteArray &ini)
{
    QStringList sections;
    for (const QByteArray &line : iniLines(ini))
        if (line.startsWith('[') && line.endsWith(']'))
            sections << QString::fromUtf8(line.mid(1, line.size() - 2));
    return sections;
}

QList<QPair<QByteArray, QByteArray>> entriesOf(const QByteArray &ini, const QByteArray &section)
{
    QList<QPair<QByteArray, QByteArray>> entries;
    bool inside = false;
    for (const QByteArray &line : iniLines(ini)) {
        if (line.startsWith('[')) {
            inside = line == '[' + section + ']';
            continue;
        }
        const qsizetype eq = line.indexOf('=');
        if (inside && eq > 0)
            entries.append({line.left(eq), line.mid(eq + 1)});
    }
    return entries;
}

QByteArray iniValue(const QByteArray &ini, const QByteArray &section, const QByteArray &key)
{
    for (const auto &[k, v] : entriesOf(ini, section))
        if (k == key)
            return v;
    return "<missing>";
}

} // namespace tunelet::testkit
