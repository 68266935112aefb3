#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QString>

class QWidget;

namespace tunelet
{

// A file dialog's properties, kept between uses as a dialog component keeps
// them: the starting folder and the file name survive from one run of the
// dialog to the next, and the chosen files are read back from it.
struct FileDialogState {
    enum class Kind { Open, Save };

    Kind kind = Kind::Open;
    QString Title;
    QString Filter;        // Qt form: "desc (*.a *.b);;desc2 (*.c)"
    QString DefaultExt;    // without the dot
    QByteArray InitialDir; // starting folder, as bytes
    QByteArray FileName;   // preset name; after a confirmed run, the (first) chosen file
    QByteArrayList Files;  // after a confirmed run, every chosen file in order
    bool AllowMultiSelect = false;
    bool OverwritePrompt = false;
};

// Turns a Windows dialog filter ("desc|*.a;*.b|desc2|*.c") into Qt's form
// ("desc (*.a *.b);;desc2 (*.c)"). A description that already ends with its
// patterns in parentheses is kept as it is.
QString qtFileFilter(const QString &windowsFilter);

// Every dialog and message box the main window shows goes through here, so
// that tests can answer them.
class Dialogs
{
public:
    virtual ~Dialogs() = default;

    // Runs a file dialog. On confirmation sets dialog.FileName and
    // dialog.Files and returns true; on cancel leaves both and returns false.
    virtual bool execute(QWidget *parent, FileDialogState &dialog) = 0;
    // A plain message box with an OK button, titled with the application title.
    virtual void message(QWidget *parent, const QString &text) = 0;
    // A question with Yes and No, no icon, titled with the application title.
    // True for Yes.
    virtual bool askYesNo(QWidget *parent, const QString &text) = 0;
    // The application's error box, for errors that end a command.
    virtual void error(QWidget *parent, const QString &text) = 0;
    // The default beep.
    virtual void beep() = 0;
};

// The real dialogs: QFileDialog, QMessageBox, QApplication::beep().
class QtDialogs final : public Dialogs
{
public:
    QtDialogs() = default;
    Q_DISABLE_COPY_MOVE(QtDialogs)

    bool execute(QWidget *parent, FileDialogState &dialog) override;
    void message(QWidget *parent, const QString &text) override;
    bool askYesNo(QWidget *parent, const QString &text) override;
    void error(QWidget *parent, const QString &text) override;
    void beep() override;
};

} // namespace tunelet
