#include "EditingFixture.h"
#include "TestEnvironment.h"

#include "StatusBar.h"

#include "core/atomicfile.h"
#include "playlist/playlistmodel.h"

#include <QFile>
#include <QTest>
#include <QTreeView>

EditingFixture::EditingFixture()
{
    m_home = QFile::encodeName(m_dir.path()) + '/';
    qputenv("TUNELET_HOME", m_home);
}

EditingFixture::~EditingFixture() = default;

TForm1 &EditingFixture::start()
{
    m_form = std::make_unique<TForm1>(tunelet::testEnvironment(dialogs, keys, m_home));
    return *m_form;
}

bool EditingFixture::showAndWait()
{
    m_form->resize(500, 400);
    m_form->show();
    if (!QTest::qWaitForWindowExposed(m_form.get()))
        return false;
    m_form->ListView1->doItemsLayout();
    return true;
}

QByteArray EditingFixture::song(const QByteArray &name, const QByteArray &title)
{
    const QByteArray file = path(name);
    return writeBytes(file, songData(title)) ? file : QByteArray();
}

QByteArrayList EditingFixture::fill(int n)
{
    QByteArrayList files;
    for (int i = 1; i <= n; ++i) {
        const QByteArray number = QByteArray::number(i);
        files << song("s" + number + ".snr", "Song " + number);
        m_form->AppendEntry(files.back());
    }
    return files;
}

QByteArrayList EditingFixture::captions() const
{
    QByteArrayList out;
    for (const tunelet::PlaylistEntry &e : m_form->Playlist().entries())
        out << e.caption;
    return out;
}

QByteArrayList EditingFixture::paths() const
{
    return m_form->Playlist().paths();
}

QString EditingFixture::position() const
{
    return m_form->StatusBar1->panelText(0);
}

bool writeBytes(const QByteArray &path, const QByteArray &content)
{
    return tunelet::writeFileAtomically(path, content);
}

QByteArray songData(const QByteArray &title)
{
    return "#comment\r\n*HEAD\"" + title + "\"\r\n*TEMPO 120\r\n";
}
