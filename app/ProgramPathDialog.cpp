#include "app/ProgramPathDialog.h"

#include "platform/core/BytePath.h"
#include "playback/ProgramPath.h"

namespace tunelet
{

FileDialogState programPathDialog(const ProgramPathSetting &setting, const QByteArray &value,
                                  const QByteArray &programFolder, const QByteArray &shippedFolder)
{
    const QByteArray shown =
        setting.shippedName ? programPath(value, setting.shippedName, programFolder, shippedFolder)
                            : value;
    FileDialogState dialog;
    dialog.kind = FileDialogState::Kind::Open;
    dialog.Title = setting.title;
    dialog.Filter = setting.filter;
    dialog.DefaultExt.clear();
    dialog.FileName = shown;
    dialog.InitialDir = folderPart(shown);
    return dialog;
}

ProgramPathSetting sonaroPathSetting()
{
    return {QStringLiteral("Sonaroのパス"), QStringLiteral("Sonaro本体 (sonaro)"),
            PlayerProgramName};
}

ProgramPathSetting editorPathSetting()
{
    return {QStringLiteral("エディタのパス"), QStringLiteral("テキストエディタ (*)")};
}

ProgramPathSetting mid2snrPathSetting()
{
    return {QStringLiteral("mid2snrのパス"), QStringLiteral("mid2snr (mid2snr)"),
            ConverterProgramName};
}

} // namespace tunelet
