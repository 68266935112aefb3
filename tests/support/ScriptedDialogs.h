#pragma once

#include "app/Dialogs.h"

#include <QList>
#include <QQueue>

namespace tunelet::testkit
{

// A Dialogs for tests: answers file dialogs and questions from a script and
// records everything that was shown. Without a scripted answer a file
// dialog is cancelled and a question is answered No.
class ScriptedDialogs final : public tunelet::Dialogs
{
public:
    // One dialog or box as it was shown.
    struct Shown {
        enum class What { FileDialog, Message, Question, Error };
        What what;
        QString text;           // box text, or the file dialog's title
        FileDialogState dialog; // the file dialog's properties when it opened
    };

    ScriptedDialogs() = default;
    Q_DISABLE_COPY_MOVE(ScriptedDialogs)

    // The next file dialog is confirmed with these files.
    void chooseFiles(const QByteArrayList &files) { m_files.enqueue(files); }
    // The next file dialog is cancelled.
    void cancelNextDialog() { m_files.enqueue({}); }
    // The next question is answered Yes (true) or No.
    void answerNext(bool yes) { m_answers.enqueue(yes); }

    const QList<Shown> &shown() const { return m_shown; }
    // The texts of the boxes of one kind, in order.
    QStringList texts(Shown::What what) const;
    int beeps() const { return m_beeps; }
    void clear();

    bool execute(QWidget *parent, FileDialogState &dialog) override;
    void message(QWidget *parent, const QString &text) override;
    bool askYesNo(QWidget *parent, const QString &text) override;
    void error(QWidget *parent, const QString &text) override;
    void beep() override { ++m_beeps; }

private:
    QQueue<QByteArrayList> m_files;
    QQueue<bool> m_answers;
    QList<Shown> m_shown;
    int m_beeps = 0;
};

} // namespace tunelet::testkit
