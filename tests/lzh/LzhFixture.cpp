#include "LzhFixture.h"
#include "TestEnvironment.h"

#include "DynamicLibrary.h"
#include "LHA32.h"
#include "LibraryUnit.h"

#include "core/atomicfile.h"
#include "core/bytefile.h"
#include "playlist/playlistmodel.h"

#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QStandardPaths>

#include <sys/stat.h>

LzhFixture::LzhFixture()
{
    m_home = QFile::encodeName(m_dir.filePath(QStringLiteral("home"))) + '/';
    QDir().mkpath(QFile::decodeName(m_home));
    qputenv("TUNELET_HOME", m_home);
    // A player started by a test publishes its window in a folder of this
    // fixture alone.
    const QByteArray runtime = QFile::encodeName(m_dir.filePath(QStringLiteral("run")));
    QDir().mkpath(QFile::decodeName(runtime));
    ::chmod(runtime.constData(), 0700);
    m_savedRuntimeDir = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime);
}

LzhFixture::~LzhFixture()
{
    stop();
    if (m_savedRuntimeDir.isEmpty())
        qunsetenv("XDG_RUNTIME_DIR");
    else
        qputenv("XDG_RUNTIME_DIR", m_savedRuntimeDir);
}

TForm1 &LzhFixture::start(tunelet::ProcessLauncher *processes)
{
    TForm1::Environment environment = tunelet::testEnvironment(dialogs, keys, m_home);
    environment.processes = processes;
    m_form = std::make_unique<TForm1>(environment);
    return *m_form;
}

void LzhFixture::stop()
{
    if (m_form)
        m_form->CloseOnce();
    m_form.reset();
}

QByteArrayList LzhFixture::leftInHome() const
{
    QByteArrayList entries;
    const QString root = QFile::decodeName(m_home);
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        QByteArray entry = QFile::encodeName(it.filePath().mid(root.size()));
        if (entry == "tunelet.ini")
            continue;
        if (it.fileInfo().isDir())
            entry += '/';
        entries.append(entry);
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

QByteArray LzhFixture::makeLzh(const QByteArray &name, const QList<Member> &members)
{
    const QString lha = QStandardPaths::findExecutable(QStringLiteral("lha"));
    if (lha.isEmpty())
        return {};
    const QString source = m_dir.filePath(QStringLiteral("src-") + QFile::decodeName(name));
    QStringList arguments{QStringLiteral("a"), QString()};
    for (const Member &member : members) {
        const QString file = source + '/' + QFile::decodeName(member.first);
        QDir().mkpath(QFileInfo(file).path());
        if (!writeBytes(QFile::encodeName(file), member.second))
            return {};
        arguments.append(QFile::decodeName(member.first));
    }
    const QString archive = m_dir.filePath(QFile::decodeName(name));
    arguments[1] = archive;
    QProcess process;
    process.setWorkingDirectory(source);
    process.start(lha, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0 || !QFile::exists(archive))
        return {};
    return QFile::encodeName(archive);
}

QByteArray LzhFixture::writeOutside(const QByteArray &name, const QByteArray &content)
{
    const QByteArray file = QFile::encodeName(m_dir.filePath(QFile::decodeName(name)));
    return writeBytes(file, content) ? file : QByteArray();
}

QByteArrayList LzhFixture::captions() const
{
    QByteArrayList result;
    const tunelet::PlaylistModel &list = m_form->Playlist();
    for (int row = 0; row < list.count(); ++row)
        result.append(list.caption(row));
    return result;
}

QByteArray songWithTitle(const QByteArray &title)
{
    const QByteArray head = title.isEmpty() ? QByteArray() : "*HEAD\"" + title + "\"\r\n";
    return head + "*TEMPO 120\r\nA: @3 v100 o4 l4 c d e f\r\n";
}

bool writeBytes(const QByteArray &path, const QByteArray &content)
{
    return tunelet::writeFileAtomically(path, content);
}

QByteArray readBytes(const QByteArray &path)
{
    return tunelet::readWholeFile(path).value_or(QByteArray("(missing)"));
}

void useLibraryFolder(const QByteArray &folder)
{
    TLha32::Library().Free();
    tunelet::dynlib::setLibraryFolderOverride(folder.toStdString());
}
