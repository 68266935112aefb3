#include "ModesFixture.h"
#include "TestEnvironment.h"

#include "core/atomicfile.h"
#include "core/bytefile.h"
#include "playlist/playlistmodel.h"

#include <QTest>

bool RecordingShell::openFile(const QByteArray &path)
{
    opened << path;
    return true;
}

bool RecordingShell::startProgram(const QByteArray &program, const QByteArrayList &arguments)
{
    started.append({program, arguments});
    return true;
}

QByteArray RecordingShell::findProgram(const QByteArrayList &names) const
{
    for (const QByteArray &name : names)
        if (onPath.contains(name))
            return "/usr/bin/" + name;
    return {};
}

bool RecordingNotifyArea::Notify(TNotifyMessage message, const TNotifyIconData &data)
{
    calls.append({message, data.Tip(), !data.icon.isNull()});
    if (message == nmAdd)
        return !refuseAdd;
    if (message == nmModify)
        return !refuseModify;
    return true;
}

int RecordingNotifyArea::countOf(TNotifyMessage message) const
{
    int count = 0;
    for (const Call &call : calls)
        count += call.message == message ? 1 : 0;
    return count;
}

QByteArray RecordingNotifyArea::lastTip() const
{
    for (auto it = calls.crbegin(); it != calls.crend(); ++it)
        if (it->message != nmDelete)
            return it->tip;
    return "<none>";
}

bool RecordingLauncher::startDetached(const QByteArray &, const QString &parameters,
                                      const QByteArray &)
{
    this->parameters << parameters;
    return true;
}

tunelet::RunOutcome RecordingLauncher::runAndWait(const QByteArray &, const QByteArray &,
                                                  const QByteArray &, std::chrono::milliseconds,
                                                  const std::function<void()> &)
{
    return {tunelet::RunOutcome::Status::Finished, 0};
}

ModesFixture::ModesFixture()
{
    m_home = QFile::encodeName(m_dir.path()) + '/';
    // The help file and other program-folder paths follow TUNELET_HOME.
    qputenv("TUNELET_HOME", m_home);
}

ModesFixture::~ModesFixture()
{
    m_viewer.reset();
    m_about.reset();
    m_form.reset();
}

QByteArray ModesFixture::write(const QByteArray &name, const QByteArray &content)
{
    const QByteArray file = path(name);
    if (!tunelet::writeFileAtomically(file, content))
        qWarning("cannot write %s", file.constData());
    return file;
}

QByteArray ModesFixture::settings() const
{
    return tunelet::readWholeFile(path("tunelet.ini")).value_or(QByteArray());
}

TForm1 &ModesFixture::start()
{
    TForm1::Environment environment = tunelet::testEnvironment(dialogs, keys, m_home, path("tunelet.ini"));
    environment.windows = &windows;
    environment.processes = &launcher;
    environment.notifyArea = &tray;
    environment.shell = &shell;
    m_form = std::make_unique<TForm1>(environment);
    m_about = std::make_unique<TAboutBox>(m_form.get());
    m_viewer = std::make_unique<TForm2>();
    m_form->SetSiblings(m_about.get(), m_viewer.get());
    // A player program that exists, so that songs start.
    m_form->SonaroPath = write("sonaro", "program");
    return *m_form;
}

bool ModesFixture::show()
{
    m_form->show();
    return QTest::qWaitForWindowExposed(m_form.get());
}

void ModesFixture::stop()
{
    if (m_form)
        m_form->CloseOnce();
    m_about.reset();
    m_viewer.reset();
    m_form.reset();
}

QByteArrayList ModesFixture::addSongs(int count)
{
    QByteArrayList paths;
    for (int i = 1; i <= count; ++i) {
        const QByteArray number = QByteArray::number(i);
        paths << write("song" + number + ".snr", songData("Song " + number));
        m_form->AppendEntry(paths.last());
    }
    return paths;
}

QByteArray songData(const QByteArray &title)
{
    return "#comment\r\n*HEAD\"" + title + "\"\r\n*TEMPO 120\r\n";
}
