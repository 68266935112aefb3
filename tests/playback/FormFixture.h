#pragma once

#include "KeySynth.h"
#include "ScriptedDialogs.h"
#include "Unit1.h"
#include "Unit2.h"

#include <QTemporaryDir>

#include <memory>

namespace windowlink
{
class WindowSystem;
}
namespace tunelet
{
class ProcessLauncher;
}

// The main window and the data viewer on a program folder in a temporary
// directory, with scripted dialogs, recorded keys and the given playback
// seams (null: the real ones).
class FormFixture final
{
public:
    FormFixture();
    ~FormFixture();
    Q_DISABLE_COPY_MOVE(FormFixture)

    TForm1 &start(windowlink::WindowSystem *windows, tunelet::ProcessLauncher *processes);
    void stop();

    QByteArray home() const { return m_home; }
    QByteArray path(const QByteArray &name) const { return m_home + name; }
    QByteArray write(const QByteArray &name, const QByteArray &content) const;
    TForm1 &form() const { return *m_form; }
    TForm2 &viewer() const { return *m_viewer; }

    // The playlist's rows for these paths, replacing any others.
    void setRows(const QByteArrayList &paths);
    QString label() const;
    QString panel(int index) const;

    tunelet::ScriptedDialogs dialogs;
    tunelet::RecordingKeySynth keys;

private:
    QTemporaryDir m_dir;
    QByteArray m_home;
    std::unique_ptr<TForm1> m_form;
    std::unique_ptr<TForm2> m_viewer;
};
