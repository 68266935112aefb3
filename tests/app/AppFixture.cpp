#include "AppFixture.h"
#include "TestEnvironment.h"

#include "core/atomicfile.h"
#include "core/bytefile.h"

AppFixture::AppFixture()
{
    m_home = QFile::encodeName(m_dir.path()) + '/';
    m_settingsPath = m_home + "tunelet.ini";
    // The help file and other program-folder paths follow TUNELET_HOME.
    qputenv("TUNELET_HOME", m_home);
}

AppFixture::~AppFixture()
{
    m_viewer.reset();
    m_about.reset();
    m_form.reset();
}

TForm1 &AppFixture::start()
{
    m_form = std::make_unique<TForm1>(tunelet::testEnvironment(dialogs, keys, m_home, m_settingsPath));
    m_about = std::make_unique<TAboutBox>(m_form.get());
    m_viewer = std::make_unique<TForm2>();
    m_form->SetSiblings(m_about.get(), m_viewer.get());
    return *m_form;
}

void AppFixture::stop()
{
    if (m_form)
        m_form->CloseOnce();
    m_about.reset();
    m_viewer.reset();
    m_form.reset();
}

TForm1 &AppFixture::restart()
{
    stop();
    return start();
}

bool writeBytes(const QByteArray &path, const QByteArray &content)
{
    return tunelet::writeFileAtomically(path, content);
}

QByteArray readBytes(const QByteArray &path)
{
    return tunelet::readWholeFile(path).value_or(QByteArray());
}

QByteArray songData(const QByteArray &title)
{
    return "#comment\r\n*HEAD\"" + title + "\"\r\n*TEMPO 120\r\n";
}

static QList<QByteArray> iniLines(const QByteArray &ini)
{
    QList<QByteArray> lines;
    for (QByteArray line : ini.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (!line.isEmpty())
            lines << line;
    }
    return lines;
}

QStringList sectionsOf(const QByteArray &ini)
{
    QStringList sections;
    for (const QByteArray &line : iniLines(ini))
        if (line.startsWith('[') && line.endsWith(']'))
            sections << QString::fromUtf8(line.mid(1, line.size() - 2));
    return sections;
}

QList<QPair<QByteArray, QByteArray>> entriesOf(const QByteArray &ini, const QByteArray &section)
{
    QList<QPair<QByteArray, QByteArray>> entries;
    bool inside = false;
    for (const QByteArray &line : iniLines(ini)) {
        if (line.startsWith('[')) {
            inside = line == '[' + section + ']';
            continue;
        }
        const qsizetype eq = line.indexOf('=');
        if (inside && eq > 0)
            entries.append({line.left(eq), line.mid(eq + 1)});
    }
    return entries;
}

QByteArray iniValue(const QByteArray &ini, const QByteArray &section, const QByteArray &key)
{
    for (const auto &[k, v] : entriesOf(ini, section))
        if (k == key)
            return v;
    return "<missing>";
}
