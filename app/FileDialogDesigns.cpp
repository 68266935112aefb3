#include "app/FileDialogDesigns.h"

namespace tunelet
{
namespace
{

// What every design sets; the filter in the "name|patterns|…" form.
FileDialogState design(FileDialogState::Kind kind, const QString &title, const QString &filter,
                       const QString &defaultExt)
{
    FileDialogState dialog;
    dialog.kind = kind;
    dialog.Title = title;
    dialog.Filter = qtFileFilter(filter);
    dialog.DefaultExt = defaultExt;
    return dialog;
}

} // namespace

FileDialogState listOpenDialog()
{
    return design(FileDialogState::Kind::Open, QStringLiteral("リストを開く"),
                  QStringLiteral("リストファイル (*.ppl *.alb)|*.ppl;*.alb"),
                  QStringLiteral("ppl"));
}

FileDialogState listSaveDialog()
{
    FileDialogState dialog =
        design(FileDialogState::Kind::Save, QStringLiteral("リストを保存"),
               QStringLiteral("リストファイル (*.ppl)|*.ppl"), QStringLiteral("ppl"));
    dialog.OverwritePrompt = true;
    return dialog;
}

FileDialogState addFilesDialog()
{
    FileDialogState dialog = design(
        FileDialogState::Kind::Open, QStringLiteral("ファイルの追加"),
        QStringLiteral(
            "読み込み可能なファイル (*.snr *.txt *.mid *.lzh)|*.snr;*.txt;*.mid;*.lzh|snrファイル "
            "(*.snr)|*.snr|テキストファイル (*.txt)|*.txt|MIDIファイル (*.mid)|*.mid|LZHファイル "
            "(*.lzh)|*.lzh|すべてのファイル (*)|*"),
        QStringLiteral("snr"));
    dialog.AllowMultiSelect = true;
    return dialog;
}

} // namespace tunelet
