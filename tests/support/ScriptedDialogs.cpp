#include "tests/support/ScriptedDialogs.h"

namespace tunelet::testkit
{

QStringList ScriptedDialogs::texts(Shown::What what) const
{
    QStringList result;
    for (const Shown &s : m_shown)
        if (s.what == what)
            result << s.text;
    return result;
}

void ScriptedDialogs::clear()
{
    m_files.clear();
    m_answers.clear();
    m_shown.clear();
    m_beeps = 0;
}

bool ScriptedDialogs::execute(QWidget *, FileDialogState &dialog)
{
    m_shown.append({Shown::What::FileDialog, dialog.Title, dialog});
    const QByteArrayList files = m_files.isEmpty() ? QByteArrayList() : m_files.dequeue();
    if (files.isEmpty())
        return false;
    dialog.Files = files;
    dialog.FileName = files.first();
    return true;
}

void ScriptedDialogs::message(QWidget *, const QString &text)
{
    m_shown.append({Shown::What::Message, text, {}});
}

bool ScriptedDialogs::askYesNo(QWidget *, const QString &text)
{
    m_shown.append({Shown::What::Question, text, {}});
    return !m_answers.isEmpty() && m_answers.dequeue();
}

void ScriptedDialogs::error(QWidget *, const QString &text)
{
    m_shown.append({Shown::What::Error, text, {}});
}

} // namespace tunelet::testkit
