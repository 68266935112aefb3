#include "tests/support/ArchiveTools.h"

#include "tests/support/ByteFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ftw.h>

namespace tunelet::testkit
{
namespace
{

// nftw takes a plain function: the walk's state lives here while treeBelow runs.
QByteArrayList *g_tree = nullptr;
size_t g_rootLength = 0;

} // namespace

int runTool(const QString &tool, const QStringList &args, const QString &dir, QByteArray *output,
            ToolLocale locale)
{
    const QString program = QStandardPaths::findExecutable(tool);
    if (program.isEmpty())
        return -1;
    QProcess process;
    process.setWorkingDirectory(dir);
    if (locale == ToolLocale::C) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("LC_ALL", "C");
        process.setProcessEnvironment(env);
    }
    process.start(program, args);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit)
        return -1;
    if (output != nullptr)
        *output = process.readAllStandardOutput();
    return process.exitCode();
}

bool writeTree(const QByteArray &root, const FileTree &files)
{
    // Names go to the disk as bytes (a Shift-JIS name would not survive a QString); only the
    // folders, which the tests name in ASCII, pass through one.
    for (const auto &[name, content] : files) {
        const QByteArray path = root + '/' + name;
        if (!QDir().mkpath(QFile::decodeName(path.left(path.lastIndexOf('/')))) ||
            !writeBytes(path, content))
            return false;
    }
    return true;
}

bool writeFileIn(const QString &path, const QByteArray &content)
{
    return QDir().mkpath(QFileInfo(path).absolutePath()) &&
           writeBytes(QFile::encodeName(path), content);
}

QByteArray fileBytes(const QString &path)
{
    return readBytes(QFile::encodeName(path));
}

QByteArrayList treeBelow(const QByteArray &root)
{
    QByteArrayList tree;
    g_tree = &tree;
    g_rootLength = size_t(root.size());
    ::nftw(
        root.constData(),
        [](const char *path, const struct stat *, int type, struct FTW *) {
            if (std::strlen(path) > g_rootLength)
                g_tree->append(QByteArray(path + g_rootLength + 1) + (type == FTW_D ? "/" : ""));
            return 0;
        },
        16, FTW_PHYS);
    g_tree = nullptr;
    std::sort(tree.begin(), tree.end());
    return tree;
}

void removeTree(const QByteArray &root)
{
    ::nftw(
        root.constData(),
        [](const char *path, const struct stat *, int, struct FTW *) {
            std::remove(path);
            return 0;
        },
        16, FTW_DEPTH | FTW_PHYS);
}

QByteArray songText(int lines, const QByteArray &title)
{
    QByteArray text = "*HEAD\"" + title + "\"\r\n";
    for (int i = 0; i < lines; ++i)
        text += "o4 l8 c d e f g a b > c < " + QByteArray::number(i) + "\r\n";
    return text;
}

QByteArray noise(int size)
{
    QByteArray bytes(size, '\0');
    quint32 state = 12345;
    for (char &c : bytes) {
        state = state * 1103515245u + 12345u;
        c = char(state >> 23);
    }
    return bytes;
}

} // namespace tunelet::testkit
