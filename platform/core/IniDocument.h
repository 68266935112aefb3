#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <optional>

namespace tunelet
{

// The text of a private-profile (INI) file, parsed and edited in memory.
// Section and key names match without regard to ASCII case; the first section
// of a name is the one used. Lines keep their bytes and line ends, so editing
// one key leaves every other line of the file exactly as it was. A line ends at
// CR LF, a lone LF or a lone CR; new lines are written with CR LF.
class IniDocument final
{
public:
    static IniDocument parse(QByteArrayView text);
    QByteArray serialise() const;

    // The value of a key: the text after its '=', blanks around it removed and
    // one pair of enclosing quotes (" or ') stripped. Nothing when the section
    // or key does not exist; an empty array when the value is empty.
    std::optional<QByteArray> value(QByteArrayView section, QByteArrayView key) const;

    // Writes a key. An existing key has its value replaced in place; a new key
    // goes after the last key of its section; a new section goes at the end of
    // the file. A value is one line: it is cut at its first CR or LF.
    void setValue(QByteArrayView section, QByteArrayView key, QByteArrayView value);

    // Section names in file order; key names of a section in file order.
    QList<QByteArray> sections() const;
    QList<QByteArray> keys(QByteArrayView section) const;

private:
    enum class LineKind { Other, Section, Key };
    struct Line {
        QByteArray text; // without its line end
        QByteArray end;  // "\r\n", "\n", "\r" or empty for a last line without end
        LineKind kind = LineKind::Other;
        QByteArray name; // section or key name, blanks removed
    };

    static Line classify(QByteArray text, QByteArray end);
    qsizetype findSection(QByteArrayView section) const;
    // One past the last line of the section that starts at header.
    qsizetype sectionEnd(qsizetype header) const;
    qsizetype findKey(qsizetype header, QByteArrayView key) const;
    void insertLine(qsizetype at, QByteArray text);

    QList<Line> m_lines;
};

// Reads an integer value as the settings file stores it: optional sign, then
// decimal digits, or hexadecimal after "$" or after "0x"/"0X" (with at least
// one digit). Anything else, or a value outside 32 bits, gives nothing.
std::optional<int> parseProfileInteger(QByteArrayView text);

} // namespace tunelet
