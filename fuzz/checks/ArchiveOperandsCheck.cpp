#include "fuzz/checks/ArchiveOperandsCheck.h"

#include "archive/ArchiverPaths.h"
#include "archive/LHA32.h"
#include "archive/TAR32.h"
#include "fuzz/checks/Scratch.h"

#include "tools/archivers/common/CommandLine.h"
#include "tools/archivers/common/Commands.h"

#include <QByteArrayList>

#include <fstream>
#include <iterator>

namespace fuzzcheck
{
namespace
{

struct LhaBuilder : TLha32 {
    using TLha32::BuildCommandLine;
};

struct TarBuilder : TTar32 {
    using TTar32::BuildCommandLine;
};

struct Operands {
    QByteArray archive;
    QByteArray folder;
    QByteArray jo;
    TStringList names;
};

Operands split(std::span<const std::uint8_t> data)
{
    const QByteArrayList fields =
        QByteArray(reinterpret_cast<const char *>(data.data()), qsizetype(data.size())).split('\0');
    Operands o;
    o.archive = fields.value(0);
    o.folder = fields.value(1);
    o.jo = fields.size() > 2 ? fields.at(2) : nulString();
    for (qsizetype i = 3; i < fields.size() && o.names.size() < 8; ++i)
        o.names.append(fields.at(i));
    return o;
}

QByteArray text(const std::string &s)
{
    return QByteArray::fromStdString(s);
}

// The folder as the library must read it: separators as '/', ending in exactly one '/'.
QByteArray expectedFolder(const QByteArray &folder)
{
    QByteArray dir = SeparatorsAsSlashes(folder);
    while (dir.endsWith("//"))
        dir.chop(1);
    return dir.endsWith('/') ? dir : dir + '/';
}

QByteArray trailingSlashesAsOne(QByteArray dir)
{
    while (dir.endsWith("//"))
        dir.chop(1);
    return dir;
}

bool startsSpecially(const QByteArray &value)
{
    return value.startsWith('-') || value.startsWith('@');
}

bool windowsAllows(const Operands &o)
{
    const auto plain = [](const QByteArray &v) { return !v.contains('"') && !startsSpecially(v); };
    bool all = plain(o.archive) && plain(o.folder) && !o.jo.contains('"');
    for (const QByteArray &name : o.names)
        all = all && plain(name);
    return all;
}

// The LHA line with default options, written out independently of the builder.
QByteArray plainLhaLine(const Operands &o, bool folderEndsInBackslash)
{
    QByteArray line = "x -+";
    if (!isNulString(o.jo))
        line += " \"-jo" + o.jo + '"';
    line += "  \"" + o.archive + '"';
    if (!o.folder.isEmpty())
        line += " \"" + o.folder + (folderEndsInBackslash ? "" : "\\") + '"';
    for (const QByteArray &name : o.names)
        line += " \"" + name + '"';
    return line + ' ';
}

std::string readAll(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string problem(const char *what, const QByteArray &line)
{
    return std::string(what) + " in the line [" + line.toStdString() + "]";
}

} // namespace

std::string checkArchiveOperands(std::span<const std::uint8_t> data)
{
    if (data.empty())
        return {};
    const bool tar = (data[0] & 1) != 0;
    const bool responseFile = (data[0] & 2) != 0;
    Operands o = split(data.subspan(1));
    if (o.archive.isEmpty())
        return {};
    // Without a target folder the first name would stand where the folder goes; one that ends
    // in a separator would be read as the folder, as the command syntax says.
    while (o.folder.isEmpty() && !tar && !o.names.isEmpty() &&
           SeparatorsAsSlashes(o.names.first()).endsWith('/'))
        o.names.removeFirst();

    TArchiverOptions options;
    options.jo = o.jo;
    options.ResFileName = QByteArray::fromStdString(scratchFolder() + "/names \"@-.lst");
    const archivers::Library library = tar ? archivers::Library::Tar : archivers::Library::Unlha;
    QByteArray line;
    try {
        const FileItems files{o.names};
        line = tar ? TarBuilder().BuildCommandLine("x", o.archive, options, o.folder, files,
                                                   responseFile)
                   : LhaBuilder().BuildCommandLine("x", o.archive, options, o.folder, files,
                                                   responseFile);
    } catch (const EArchiver &) {
        // Only a separator backslash, or a folder ending inside a double-byte character,
        // may be refused.
        const bool folderEndsInLeadByte = SeparatorsAsSlashes(o.folder + '\\') == o.folder + '\\';
        if (!HoldsSeparatorBackslash(o.archive) && !HoldsSeparatorBackslash(o.folder) &&
            !folderEndsInLeadByte)
            return "a path was refused that the library reads as it is: " + o.archive.toStdString();
        return {};
    } catch (const std::exception &e) {
        return std::string("building the line failed: ") + e.what();
    }

    const std::optional<archivers::ParsedCommand> cmd =
        archivers::parseCommandLine(line.toStdString(), archivers::syntaxOf(library));
    if (!cmd || cmd->command != "x")
        return problem("no command or archive read", line);
    if (text(cmd->archive) != SeparatorsAsSlashes(o.archive))
        return problem("another archive read", line);
    const QByteArray folder = o.folder.isEmpty() ? QByteArray() : expectedFolder(o.folder);
    if (trailingSlashesAsOne(text(cmd->targetDir)) != folder)
        return problem("another target folder read", line);
    if (!tar && !isNulString(o.jo) &&
        archivers::switchValue(*cmd, "-jo").value_or("\x01") != o.jo.toStdString())
        return problem("another jo value read", line);

    TStringList expectedNames;
    for (const QByteArray &name : o.names) {
        if (!name.isEmpty())
            expectedNames.append(SeparatorsAsSlashes(name));
    }
    TStringList readNames;
    if (responseFile) {
        if (cmd->files.size() != 1 || cmd->responseFiles != std::vector<size_t>{0} ||
            text(cmd->files.front()) != '@' + options.ResFileName)
            return problem("the response file was not read as the one operand", line);
        for (const std::string &name :
             archivers::parseResponseFile(readAll(options.ResFileName.toStdString())))
            readNames.append(text(name));
    } else {
        if (!cmd->responseFiles.empty())
            return problem("a name was read as a response file", line);
        for (const std::string &name : cmd->files)
            readNames.append(text(name));
    }
    if (readNames != expectedNames)
        return problem("other names read", line);

    if (!tar && !responseFile && windowsAllows(o)) {
        const bool endsInBackslash = SeparatorsAsSlashes(o.folder) != o.folder &&
                                     SeparatorsAsSlashes(o.folder).endsWith('/') &&
                                     o.folder.endsWith('\\');
        if (line != plainLhaLine(o, endsInBackslash))
            return problem("a name Windows allows changed its line", line);
    }
    return {};
}

} // namespace fuzzcheck
