#pragma once

#include "About.h"
#include "KeySynth.h"
#include "ScriptedDialogs.h"
#include "Unit1.h"
#include "Unit2.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QTemporaryDir>

#include <memory>

// A program folder in a temporary directory and the three windows built on it
// the way the entry builds them, with scripted dialogs and recorded keys.
class AppFixture final
{
public:
    AppFixture();
    ~AppFixture();
    Q_DISABLE_COPY_MOVE(AppFixture)

    bool isValid() const { return m_dir.isValid(); }
    // The program folder, with its trailing '/'.
    QByteArray home() const { return m_home; }
    QByteArray path(const QByteArray &name) const { return m_home + name; }
    QByteArray settingsPath() const { return m_settingsPath; }
    void setSettingsPath(const QByteArray &path) { m_settingsPath = path; }

    // Builds the windows (FormCreate runs); the form is not shown.
    TForm1 &start();
    // Runs the close query and destroys the windows.
    void stop();
    TForm1 &restart();

    TForm1 &form() const { return *m_form; }
    TForm2 &viewer() const { return *m_viewer; }
    TAboutBox &about() const { return *m_about; }

    tunelet::ScriptedDialogs dialogs;
    tunelet::RecordingKeySynth keys;

private:
    QTemporaryDir m_dir;
    QByteArray m_home;
    QByteArray m_settingsPath;
    std::unique_ptr<TForm1> m_form;
    std::unique_ptr<TAboutBox> m_about;
    std::unique_ptr<TForm2> m_viewer;
};

// Files by byte path (names may be in any encoding).
bool writeBytes(const QByteArray &path, const QByteArray &content);
QByteArray readBytes(const QByteArray &path);

// A song data file whose title line holds the title.
QByteArray songData(const QByteArray &title);

// An INI text taken apart: section names in file order, and a section's keys
// with their values in file order.
QStringList sectionsOf(const QByteArray &ini);
QList<QPair<QByteArray, QByteArray>> entriesOf(const QByteArray &ini, const QByteArray &section);
QByteArray iniValue(const QByteArray &ini, const QByteArray &section, const QByteArray &key);
