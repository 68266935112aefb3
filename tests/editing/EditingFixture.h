#pragma once

#include "KeySynth.h"
#include "ScriptedDialogs.h"
#include "Unit1.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QTemporaryDir>

#include <memory>

// A main window on a program folder in a temporary directory, with scripted
// dialogs and recorded keys, and song files to put on its list.
class EditingFixture final
{
public:
    EditingFixture();
    ~EditingFixture();
    Q_DISABLE_COPY_MOVE(EditingFixture)

    bool isValid() const { return m_dir.isValid(); }
    // The program folder, with its trailing '/'.
    QByteArray home() const { return m_home; }
    QByteArray path(const QByteArray &name) const { return m_home + name; }

    // Builds the window (FormCreate runs on the settings file, if any).
    TForm1 &start();
    TForm1 &form() const { return *m_form; }
    // Shows the window and waits until it is laid out, so that row positions
    // are real.
    bool showAndWait();

    // Writes a song data file with the title; returns its path.
    QByteArray song(const QByteArray &name, const QByteArray &title);
    // Writes songs "s1.snr" ... "sN.snr" titled "Song 1" ... and appends them.
    QByteArrayList fill(int n);

    QByteArrayList captions() const;
    QByteArrayList paths() const;
    // Position panel of the status bar.
    QString position() const;

    tunelet::ScriptedDialogs dialogs;
    tunelet::RecordingKeySynth keys;

private:
    QTemporaryDir m_dir;
    QByteArray m_home;
    std::unique_ptr<TForm1> m_form;
};

bool writeBytes(const QByteArray &path, const QByteArray &content);
QByteArray songData(const QByteArray &title);
