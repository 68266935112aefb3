#include "fuzz/checks/IniCheck.h"

#include "fuzz/checks/Scratch.h"

#include "platform/core/IniDocument.h"
#include "platform/core/IniFile.h"

#include <limits>
#include <string_view>

namespace fuzzcheck
{

namespace
{

using tunelet::IniDocument;

std::string show(QByteArrayView bytes)
{
    return bytes.first(qMin<qsizetype>(bytes.size(), 80))
        .toByteArray()
        .toPercentEncoding()
        .toStdString();
}

bool blank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArray trimmedBlanks(QByteArray v)
{
    while (!v.isEmpty() && blank(v.front()))
        v.remove(0, 1);
    while (!v.isEmpty() && blank(v.back()))
        v.chop(1);
    return v;
}

// What reading gives back for a written value: cut at the first line break,
// blanks around it removed, one pair of enclosing quotes stripped.
QByteArray readBack(QByteArray v)
{
    const qsizetype cut = v.indexOf('\r') < 0   ? v.indexOf('\n')
                          : v.indexOf('\n') < 0 ? v.indexOf('\r')
                                                : qMin(v.indexOf('\r'), v.indexOf('\n'));
    if (cut >= 0)
        v.truncate(cut);
    v = trimmedBlanks(v);
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.mid(1, v.size() - 2);
    return v;
}

bool sameName(QByteArrayView a, QByteArrayView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The integer rule written out independently: sign, then "$" or "0x"/"0X" (when
// more follows) and hexadecimal digits up to 32 bits, or decimal digits in the int range.
std::optional<int> referenceInteger(std::string_view t)
{
    bool negative = false;
    if (!t.empty() && (t[0] == '-' || t[0] == '+')) {
        negative = t[0] == '-';
        t.remove_prefix(1);
    }
    int base = 10;
    if (!t.empty() && t[0] == '$') {
        base = 16;
        t.remove_prefix(1);
    } else if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
        base = 16;
        t.remove_prefix(2);
    }
    if (t.empty())
        return std::nullopt;
    long double value = 0; // exact far enough: digit runs past the limits stop early
    for (char c : t) {
        int d = -1;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        if (d < 0)
            return std::nullopt;
        value = value * base + d;
        if (value > 4294967295.0L)
            return std::nullopt;
    }
    if (base == 16) {
        const std::uint32_t bits = std::uint32_t(value);
        return negative ? int(std::uint32_t(0) - bits) : int(bits);
    }
    if (value > (negative ? 2147483648.0L : 2147483647.0L))
        return std::nullopt;
    return int(negative ? -(long long)value : (long long)value);
}

struct Pair {
    QByteArray section, key;
    std::optional<QByteArray> value;
};

QList<Pair> allValues(const IniDocument &doc)
{
    QList<Pair> pairs;
    for (const QByteArray &section : doc.sections()) {
        for (const QByteArray &key : doc.keys(section))
            pairs.append({section, key, doc.value(section, key)});
    }
    return pairs;
}

// A section name the parser reads back as written: one line, no ']', no blanks around it.
QByteArray usableSection(QByteArray s)
{
    s.replace('\r', ' ').replace('\n', ' ').replace(']', ' ');
    return trimmedBlanks(s);
}

// A key name the parser reads back as a key: one line, no '=', not starting with '['.
QByteArray usableKey(QByteArray k)
{
    k.replace('\r', ' ').replace('\n', ' ').replace('=', ' ');
    k = trimmedBlanks(k);
    while (k.startsWith('['))
        k.remove(0, 1);
    return trimmedBlanks(k);
}

} // namespace

std::string checkIni(std::span<const std::uint8_t> data)
{
    const QByteArrayView text(reinterpret_cast<const char *>(data.data()), qsizetype(data.size()));
    const IniDocument doc = IniDocument::parse(text);
    if (doc.serialise() != text)
        return "parsing and writing back changes the text";

    const QList<Pair> before = allValues(doc);
    for (const Pair &p : before) {
        if (!p.value)
            return "listed key " + show(p.key) + " in " + show(p.section) + " has no value";
        (void)tunelet::parseProfileInteger(*p.value);
    }

    // Write one key named by the last three '|'-separated fields of the last line
    // ("section|key|value"), or a fixed one.
    QByteArray section = "Setting", key = "SonaroPath", value = "/usr/bin/sonaro";
    const qsizetype lastBreak = qMax(text.lastIndexOf('\n'), text.lastIndexOf('\r'));
    const QList<QByteArray> fields = text.sliced(lastBreak + 1).toByteArray().split('|');
    if (fields.size() >= 3) {
        section = usableSection(fields[fields.size() - 3]);
        key = usableKey(fields[fields.size() - 2]);
        value = fields.back();
    }
    IniDocument edited = IniDocument::parse(text);
    edited.setValue(section, key, value);
    const QByteArray expected = readBack(value);
    if (edited.value(section, key) != expected)
        return "written value " + show(value) + " reads back as " +
               show(edited.value(section, key).value_or("<missing>"));
    const QByteArray rewritten = edited.serialise();
    const IniDocument reparsed = IniDocument::parse(rewritten);
    if (reparsed.serialise() != rewritten)
        return "the edited text does not survive a second parse";
    if (reparsed.value(section, key) != expected)
        return "written value lost after writing the file out and reading it again";
    for (const Pair &p : before) {
        if (sameName(p.section, section) && sameName(p.key, key))
            continue;
        if (reparsed.value(p.section, p.key) != p.value)
            return "writing " + show(key) + " changed " + show(p.key) + " in " + show(p.section);
    }

    // Integers: the parser against the rule written out here.
    for (const Pair &p : before) {
        const std::string_view v(p.value->constData(), std::size_t(p.value->size()));
        if (tunelet::parseProfileInteger(*p.value) != referenceInteger(v))
            return "integer " + show(*p.value) + " read wrongly";
    }
    const std::string_view whole(text.data(), std::size_t(text.size()));
    if (tunelet::parseProfileInteger(text) != referenceInteger(whole))
        return "integer " + show(text) + " read wrongly";

    // The settings-file class on a real file: strings cut at 1023 bytes, defaults
    // only for missing keys, integers as parsed.
    const std::string path = scratchFolder() + "/tunelet.ini";
    if (!writeBytes(path, data))
        return "cannot write the scratch settings file";
    tunelet::IniFile file(QByteArray::fromStdString(path));
    int checked = 0;
    for (const Pair &p : before) {
        if (++checked > 2)
            break;
        const QByteArray s = file.readString(p.section, p.key, "<default>");
        const QByteArray firstValue = doc.value(p.section, p.key).value_or("<default>");
        if (s != firstValue.left(tunelet::IniFile::MaxStringLength))
            return "readString of " + show(p.key) + " gives " + show(s);
        const int n = file.readInteger(p.section, p.key, -12345);
        if (n != tunelet::parseProfileInteger(firstValue).value_or(-12345))
            return "readInteger of " + show(p.key) + " gives " + std::to_string(n);
        if (file.readBool(p.section, p.key, true) !=
            (tunelet::parseProfileInteger(firstValue).value_or(1) != 0))
            return "readBool of " + show(p.key) + " wrong";
    }
    if (file.readString("no such section \x01", "k", "dflt") != "dflt")
        return "a missing key does not give the default";
    if (!file.writeString(section, key, value))
        return "writing the settings file failed: " + file.errorString().toStdString();
    if (file.readString(section, key, "<default>") !=
        expected.left(tunelet::IniFile::MaxStringLength))
        return "a key written to the file reads back wrongly";
    return {};
}

} // namespace fuzzcheck
