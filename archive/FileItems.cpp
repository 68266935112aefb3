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
    switch (kind_) {
    case Kind::String:
        names.append(string_);
        break;
    case Kind::StringList:
        names.append(list_);
        break;
    case Kind::CStrings:
        for (auto p = cstrings_; p != nullptr && *p != nullptr; ++p)
            names.append(QByteArray(*p));
        break;
    case Kind::Variant:
        if (isArrayVariant(variant_)) {
            for (const QVariant &element : variant_.toList())
                names.append(variantText(element));
        } else {
            names.append(variantText(variant_));
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
