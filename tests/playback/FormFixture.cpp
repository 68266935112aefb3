#include "FormFixture.h"
#include "TestEnvironment.h"

#include "StatusBar.h"

#include "core/atomicfile.h"
#include "playlist/playlistmodel.h"

#include <QLabel>

FormFixture::FormFixture()
{
    m_home = QFile::encodeName(m_dir.path()) + '/';
    qputenv("TUNELET_HOME", m_home);
}

FormFixture::~FormFixture()
{
    stop();
}

TForm1 &FormFixture::start(windowlink::WindowSystem *windows, tunelet::ProcessLauncher *processes)
{
    TForm1::Environment environment = tunelet::testEnvironment(dialogs, keys, m_home);
    environment.windows = windows;
    environment.processes = processes;
    m_form = std::make_unique<TForm1>(environment);
    m_viewer = std::make_unique<TForm2>();
    m_form->SetSiblings(nullptr, m_viewer.get());
    return *m_form;
}

void FormFixture::stop()
{
    if (m_form)
        m_form->CloseOnce();
    m_form.reset();
    m_viewer.reset();
}

QByteArray FormFixture::write(const QByteArray &name, const QByteArray &content) const
{
    const QByteArray target = m_home + name;
    if (!tunelet::writeFileAtomically(target, content))
        qWarning("cannot write %s", target.constData());
    return target;
}

void FormFixture::setRows(const QByteArrayList &paths)
{
    m_form->Playlist().clear();
    for (const QByteArray &p : paths)
        m_form->AppendEntry(p);
}

QString FormFixture::label() const
{
    return m_form->Label1->text();
}

QString FormFixture::panel(int index) const
{
    return m_form->StatusBar1->panelText(index);
}
