#include "archive/FileItems.h"

namespace
{

QByteArray variantText(const QVariant &value)
{
    if (value.typeId() == QMetaType::QByteArray)
        return value.toByteArray();
    return value.toString().toUtf8();
}

bool isArrayVariant(const QVariant &value)
{
    const int type = value.typeId();
    return type == QMetaType::QVariantList || type == QMetaType::QStringList ||
           type == QMetaType::QByteArrayList;
}

} // namespace

void FileItem::appendNamesTo(TStringList &names) const
{
    switch (m_kind) {
    case Kind::String:
        names.append(m_string);
        break;
    case Kind::StringList:
        names.append(m_list);
        break;
    case Kind::CStrings:
        for (auto p = m_cstrings; p != nullptr && *p != nullptr; ++p)
            names.append(QByteArray(*p));
        break;
    case Kind::Variant:
        if (isArrayVariant(m_variant)) {
            for (const QVariant &element : m_variant.toList())
                names.append(variantText(element));
        } else {
            names.append(variantText(m_variant));
        }
        break;
    case Kind::Nothing:
        break;
    }
}

TStringList fileNames(const FileItems &items)
{
    TStringList names;
    for (const FileItem &item : items)
        item.appendNamesTo(names);
    return names;
}
