#include "CmdOpt.h"

#include "ArchiverTypes.h"
#include "DoubleByteText.h"

#include <QFile>

void TCmdOpt::Add(const QByteArray &s)
{
    CmdLine += ' ';
    CmdLine += s;
}

void TCmdOpt::AddStr(const QByteArray &switchName, const QByteArray &value)
{
    if (isNulString(value))
        return;
    if (switchName.isEmpty()) {
        Add('"' + value + '"');
        return;
    }
    const QByteArray sw = switchName.startsWith(' ') ? switchName.mid(1) : '-' + switchName;
    if (Separate)
        Add(sw + " \"" + value + '"');
    else
        Add('"' + sw + value + '"');
}

void TCmdOpt::AddInt(const QByteArray &switchName, int n)
{
    if (n != -1)
        Add('-' + switchName + QByteArray::number(n));
}

void TCmdOpt::AddBool(const QByteArray &switchName, bool flag)
{
    if (flag)
        Add('-' + switchName);
}

void TCmdOpt::AddDir(const QByteArray &switchName, const QByteArray &dir)
{
    if (dir.isEmpty() || isNulString(dir))
        return;
    AddStr(switchName, doublebyte::endsWithBackslash(dir) ? dir : dir + '\\');
}

QByteArray TCmdOpt::converted(const QByteArray &name) const
{
    return Converter != nullptr ? Converter(name) : name;
}

void TCmdOpt::AddFile(const QByteArray &switchName, const QByteArray &name)
{
    AddStr(switchName, converted(name));
}

void TCmdOpt::AddFiles(const QByteArray &switchName, const FileItems &items)
{
    for (const QByteArray &name : fileNames(items))
        AddFile(switchName, name);
}

void TCmdOpt::AddResponseFile(const FileItems &items, const QByteArray &resFileName)
{
    QByteArray bytes;
    for (const QByteArray &name : fileNames(items))
        bytes += '"' + converted(name) + "\"\r\n";
    QFile file(QFile::decodeName(resFileName));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw EFCreateError(resFileName);
    if (file.write(bytes) != bytes.size() || !file.flush())
        throw EInOutError(file.errorString().toStdString());
    file.close();
    AddStr(QByteArray(), '@' + resFileName);
}
