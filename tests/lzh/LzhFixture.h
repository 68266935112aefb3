#pragma once

#include "KeySynth.h"
#include "ScriptedDialogs.h"
#include "Unit1.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QTemporaryDir>

#include <memory>

namespace tunelet
{
class ProcessLauncher;
}

// One member of an archive made for a test: its path inside the archive and
// its content.
using Member = QPair<QByteArray, QByteArray>;

// The main window on a program folder in a temporary directory, with
// scripted dialogs, recorded keys, a window-link folder of its own and LZH
// archives made with lha.
class LzhFixture final
{
public:
    LzhFixture();
    ~LzhFixture();
    Q_DISABLE_COPY_MOVE(LzhFixture)

    bool isValid() const { return m_dir.isValid(); }
    // Builds the main window (FormCreate runs); null processes: the system's.
    TForm1 &start(tunelet::ProcessLauncher *processes = nullptr);
    void stop();
    TForm1 &form() const { return *m_form; }

    // The program folder, with its trailing '/'.
    QByteArray home() const { return m_home; }
    QByteArray path(const QByteArray &name) const { return m_home + name; }
    // The entries the program folder holds, recursively ("sub/", "sub/a.snr"),
    // sorted, without the settings file.
    QByteArrayList leftInHome() const;

    // An archive named name outside the program folder, made by lha from the
    // members in this order; empty when lha failed or is missing.
    QByteArray makeLzh(const QByteArray &name, const QList<Member> &members);
    // Any file outside the program folder.
    QByteArray writeOutside(const QByteArray &name, const QByteArray &content);

    QByteArrayList captions() const;

    tunelet::ScriptedDialogs dialogs;
    tunelet::RecordingKeySynth keys;

private:
    QTemporaryDir m_dir;
    QByteArray m_home;
    QByteArray m_savedRuntimeDir;
    std::unique_ptr<TForm1> m_form;
};

// Song data whose title line holds the title (empty: no title line).
QByteArray songWithTitle(const QByteArray &title);
bool writeBytes(const QByteArray &path, const QByteArray &content);
QByteArray readBytes(const QByteArray &path);
// The LHA library is loaded from this folder from now on (empty: beside the
// executable); the library loaded before is let go.
void useLibraryFolder(const QByteArray &folder);
