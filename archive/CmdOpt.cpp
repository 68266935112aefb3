#include "archive/CmdOpt.h"

#include "archive/ArchiverTypes.h"
#include "archive/DoubleByteText.h"

#include "platform/core/AtomicFile.h"

void TCmdOpt::Add(const QByteArray &s)
{
    CmdLine += ' ';
    CmdLine += s;
}

namespace
{

// The quoting rule of the archiver libraries (ArchiverApi.h): a double quote inside a quoted
// value is written as three.
QByteArray escaped(const QByteArray &value)
{
    QByteArray text = value;
    return text.replace('"', "\"\"\"");
}

// A value that stands first in its token, quoted. One that begins with '-' or '@' would read
// as a switch or a response file; an empty pair of quotes before that first character keeps
// it a name. No name Windows allows is changed: it holds no '"' and is a full path.
QByteArray quotedValue(const QByteArray &value)
{
    if (value.startsWith('-') || value.startsWith('@'))
        return "\"\"" + value.left(1) + '"' + escaped(value.mid(1)) + '"';
    return '"' + escaped(value) + '"';
}

} // namespace

void TCmdOpt::AddStr(const QByteArray &switchName, const QByteArray &value)
{
    if (isNulString(value))
        return;
    const QByteArray sw = switchName.startsWith(' ') ? switchName.mid(1) : '-' + switchName;
    if (switchName.isEmpty() || sw.isEmpty())
        Add(quotedValue(value));
    else if (Separate)
        Add(sw + ' ' + quotedValue(value));
    else
        Add('"' + sw + escaped(value) + '"');
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
    // Every line of a response file is a name: quoted, nothing marked.
    for (const QByteArray &name : fileNames(items))
        bytes += '"' + escaped(converted(name)) + "\"\r\n";
    tunelet::AtomicFileWriter file(resFileName);
    QString error;
    if (!file.open(&error))
        throw EFCreateError(resFileName);
    if (!file.write(bytes, &error) || !file.commit(&error))
        throw EInOutError(error);
    // The one operand that is a response file: "@" first, right after the opening quote.
    Add("\"@" + escaped(resFileName) + '"');
}
