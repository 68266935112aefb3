#include "tests/support/WindowFixture.h"

#include "tests/support/ByteFiles.h"
#include "tests/support/SongFiles.h"

#include "app/StatusBar.h"
#include "playlist/PlaylistModel.h"

#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QTreeView>

#include <algorithm>
#include <sys/stat.h>

namespace tunelet::testkit
{

WindowFixture::WindowFixture()
{
    m_home = QFile::encodeName(m_dir.filePath(QStringLiteral("home"))) + '/';
    QDir().mkpath(QFile::decodeName(m_home));
    m_settingsPath = m_home + "tunelet.ini";
    // The help file and other program-folder paths follow TUNELET_HOME.
    qputenv("TUNELET_HOME", m_home);
    // A player started by a test publishes its window in a folder of this
    // fixture alone.
    const QByteArray runtime = QFile::encodeName(m_dir.filePath(QStringLiteral("run")));
    QDir().mkpath(QFile::decodeName(runtime));
    ::chmod(runtime.constData(), 0700);
    m_savedRuntimeDir = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime);
}

WindowFixture::~WindowFixture()
{
    stop();
    if (m_savedRuntimeDir.isEmpty())
        qunsetenv("XDG_RUNTIME_DIR");
    else
        qputenv("XDG_RUNTIME_DIR", m_savedRuntimeDir);
}

void WindowFixture::setHome(const QByteArray &folder)
{
    m_home = folder.endsWith('/') ? folder : folder + '/';
    m_settingsPath = m_home + "tunelet.ini";
    qputenv("TUNELET_HOME", m_home);
}

QByteArray WindowFixture::write(const QByteArray &name, const QByteArray &content) const
{
    const QByteArray file = path(name);
    if (!writeBytes(file, content))
        qWarning("cannot write %s", file.constData());
    return file;
}

QByteArray WindowFixture::writeOutside(const QByteArray &name, const QByteArray &content) const
{
    const QByteArray file = outsideRoot() + name;
    return writeBytes(file, content) ? file : QByteArray();
}

QByteArray WindowFixture::outsideRoot() const
{
    return QFile::encodeName(m_dir.path()) + '/';
}

QByteArray WindowFixture::settings() const
{
    return readBytes(m_settingsPath);
}

QByteArrayList WindowFixture::leftInHome() const
{
    QByteArrayList entries = entriesBelow(m_home);
    entries.removeAll("tunelet.ini");
    return entries;
}

QByteArray WindowFixture::makeLzh(const QByteArray &name,
                                  const QList<archives::Member> &members) const
{
    const QString lha = QStandardPaths::findExecutable(QStringLiteral("jlha"));
    if (lha.isEmpty())
        return {};
    const QString source = m_dir.filePath(QStringLiteral("src-") + QFile::decodeName(name));
    QStringList arguments{QStringLiteral("a"), QString()};
    for (const archives::Member &member : members) {
        const QString file = source + '/' + QFile::decodeName(member.name);
        QDir().mkpath(QFileInfo(file).path());
        if (!writeBytes(QFile::encodeName(file), member.data))
            return {};
        arguments.append(QFile::decodeName(member.name));
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

WindowFixture::RecordingSeams &WindowFixture::useRecordingSeams()
{
    m_recorded = std::make_unique<RecordingSeams>();
    m_seams = {&m_recorded->windows, &m_recorded->launcher, &m_recorded->notifyArea,
               &m_recorded->shell};
    return *m_recorded;
}

TForm1 &WindowFixture::start(const Seams &seams)
{
    m_seams = seams;
    return start();
}

TForm1 &WindowFixture::start()
{
    const Seams &seams = m_seams;
    TForm1::Environment environment;
    environment.dialogs = &m_dialogs;
    environment.keys = seams.keys ? seams.keys : &m_keys;
    environment.programFolder = m_home;
    environment.settingsPath = m_settingsPath;
    environment.windows = seams.windows;
    environment.processes = seams.processes;
    environment.notifyArea = seams.notifyArea;
    environment.shell = seams.shell;
    m_realSeams.fill(environment);
    m_form = std::make_unique<TForm1>(environment);
    m_about = std::make_unique<TAboutBox>(m_form.get());
    m_viewer = std::make_unique<TForm2>();
    m_form->SetSiblings(m_about.get(), m_viewer.get());
    if (m_recorded && seams.processes == &m_recorded->launcher)
        m_form->SonaroPath = write("sonaro", "program");
    return *m_form;
}

void WindowFixture::stop()
{
    if (m_form)
        m_form->CloseOnce();
    m_about.reset();
    m_viewer.reset();
    m_form.reset();
}

TForm1 &WindowFixture::restart()
{
    stop();
    return start();
}

bool WindowFixture::show()
{
    m_form->show();
    return QTest::qWaitForWindowExposed(m_form.get());
}

bool WindowFixture::showLaidOut()
{
    m_form->resize(500, 400);
    if (!show())
        return false;
    listView(*m_form)->doItemsLayout();
    return true;
}

QByteArrayList WindowFixture::addSongs(int count)
{
    QByteArrayList files;
    for (int i = 1; i <= count; ++i) {
        const QByteArray number = QByteArray::number(i);
        files << write("song" + number + ".snr", songData("Song " + number));
        m_form->AppendEntry(files.last());
    }
    return files;
}

void WindowFixture::setRows(const QByteArrayList &paths)
{
    m_form->Playlist().clear();
    for (const QByteArray &p : paths)
        m_form->AppendEntry(p);
}

QByteArrayList WindowFixture::captions() const
{
    QByteArrayList out;
    for (const tunelet::PlaylistEntry &e : m_form->Playlist().entries())
        out << e.caption;
    return out;
}

QByteArrayList WindowFixture::paths() const
{
    return m_form->Playlist().paths();
}

QString WindowFixture::label() const
{
    return timeLabel(*m_form)->text();
}

QString WindowFixture::panel(int index) const
{
    return statusBar(*m_form)->panelText(index);
}

} // namespace tunelet::testkit
