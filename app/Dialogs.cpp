#include "app/Dialogs.h"

#include "platform/core/TextCodec.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace tunelet
{

QString qtFileFilter(const QString &windowsFilter)
{
    const QStringList parts = windowsFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        const QString patterns =
            parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts).join(QLatin1Char(' '));
        const QString suffix = QStringLiteral("(%1)").arg(patterns);
        filters << (description.endsWith(suffix) ? description
                                                 : description + QLatin1Char(' ') + suffix);
    }
    return filters.join(QStringLiteral(";;"));
}

bool QtDialogs::execute(QWidget *parent, FileDialogState &dialog)
{
    const bool save = dialog.kind == FileDialogState::Kind::Save;
    QFileDialog box(parent, dialog.Title, pathToQString(dialog.InitialDir), dialog.Filter);
    box.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (!save)
        box.setFileMode(dialog.AllowMultiSelect ? QFileDialog::ExistingFiles
                                                : QFileDialog::ExistingFile);
    box.setDefaultSuffix(dialog.DefaultExt);
    box.setOption(QFileDialog::DontConfirmOverwrite, !dialog.OverwritePrompt);
    box.setOption(QFileDialog::ReadOnly, false);
    if (!dialog.FileName.isEmpty())
        box.selectFile(pathToQString(dialog.FileName));
    if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty())
        return false;
    dialog.Files.clear();
    for (const QString &file : box.selectedFiles())
        dialog.Files << encodeText(file);
    dialog.FileName = dialog.Files.first();
    return true;
}

void QtDialogs::message(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), text, QMessageBox::Ok,
                    parent);
    box.exec();
}

bool QtDialogs::askYesNo(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), text,
                    QMessageBox::Yes | QMessageBox::No, parent);
    return box.exec() == QMessageBox::Yes;
}

void QtDialogs::error(QWidget *parent, const QString &text)
{
    QMessageBox::critical(parent, QApplication::applicationName(), text);
}

void QtDialogs::beep()
{
    QApplication::beep();
}

} // namespace tunelet
