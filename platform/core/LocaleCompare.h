#pragma once

#include <QByteArrayView>
#include <QCollator>
#include <QLocale>
#include <QString>

namespace tunelet
{

// Orders and matches byte strings (titles, paths) as the user's locale does,
// over their decoded texts (decodeText).
class LocaleCompare final
{
public:
    explicit LocaleCompare(const QLocale &locale = QLocale());

    // Case-sensitive locale order: negative, zero or positive.
    int compare(QByteArrayView a, QByteArrayView b) const;

    // A key whose plain comparison gives the same order as compare(); build
    // it once per row when sorting many rows.
    QCollatorSortKey sortKey(QByteArrayView text) const;

    // True when the two byte strings are the same text ignoring letter case.
    bool equalIgnoringCase(QByteArrayView a, QByteArrayView b) const;

    // A key equal for exactly the strings equalIgnoringCase treats as equal,
    // for hashing. Case folding (not collation) decides, so strings that only
    // differ in width or accents stay apart, as different file names do.
    static QString caseFoldedKey(QByteArrayView text);

private:
    QCollator m_collator;
};

} // namespace tunelet
