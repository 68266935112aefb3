#include "app/FileDialogDesigns.h"

namespace tunelet
{

FileDialogState listOpenDialog()
{
    FileDialogState dialog;
    dialog.kind = FileDialogState::Kind::Open;
    dialog.Title = QStringLiteral("リストを開く");
    dialog.Filter = qtFileFilter(QStringLiteral("リストファイル (*.ppl *.alb)|*.ppl;*.alb"));
    dialog.DefaultExt = QStringLiteral("ppl");
    return dialog;
}

FileDialogState listSaveDialog()
{
    FileDialogState dialog;
    dialog.kind = FileDialogState::Kind::Save;
    dialog.Title = QStringLiteral("リストを保存");
    dialog.Filter = qtFileFilter(QStringLiteral("リストファイル (*.ppl)|*.ppl"));
    dialog.DefaultExt = QStringLiteral("ppl");
    dialog.OverwritePrompt = true;
    return dialog;
}

FileDialogState addFilesDialog()
{
    FileDialogState dialog;
    dialog.kind = FileDialogState::Kind::Open;
    dialog.Title = QStringLiteral("ファイルの追加");
    dialog.Filter = qtFileFilter(QStringLiteral(
        "読み込み可能なファイル (*.snr *.txt *.mid *.lzh)|*.snr;*.txt;*.mid;*.lzh|snrファイル "
        "(*.snr)|*.snr|テキストファイル (*.txt)|*.txt|MIDIファイル (*.mid)|*.mid|LZHファイル "
        "(*.lzh)|*.lzh|すべてのファイル (*)|*"));
    dialog.DefaultExt = QStringLiteral("snr");
    dialog.AllowMultiSelect = true;
    return dialog;
}

} // namespace tunelet
