#include "platform/core/LocaleCompare.h"

#include "platform/core/TextCodec.h"

namespace tunelet
{

LocaleCompare::LocaleCompare(const QLocale &locale) : m_collator(locale)
{
    m_collator.setCaseSensitivity(Qt::CaseSensitive);
    m_collator.setNumericMode(false);
    m_collator.setIgnorePunctuation(false);
}

int LocaleCompare::compare(QByteArrayView a, QByteArrayView b) const
{
    const int result = m_collator.compare(decodeText(a), decodeText(b));
    return result < 0 ? -1 : (result > 0 ? 1 : 0);
}

QCollatorSortKey LocaleCompare::sortKey(QByteArrayView text) const
{
    return m_collator.sortKey(decodeText(text));
}

bool LocaleCompare::equalIgnoringCase(QByteArrayView a, QByteArrayView b) const
{
    return caseFoldedKey(a) == caseFoldedKey(b);
}

QString LocaleCompare::caseFoldedKey(QByteArrayView text)
{
    bool lossy = false;
    QString key = decodeText(text, &lossy).toCaseFolded();
    if (lossy) {
        // Undecodable bytes all become U+FFFD; keep the raw bytes in the key
        // so that different undecodable names never match.
        key.append(QChar(0));
        key.append(QString::fromLatin1(text));
    }
    return key;
}

} // namespace tunelet
