#include "app/TextEditor.h"

#include "platform/core/ByteFile.h"
#include "platform/shell/DesktopShell.h"

namespace tunelet
{

QString unusableEditorMessage()
{
    return QStringLiteral("エディタのパスを正しく設定してください。");
}

bool isUsableEditor(const QByteArray &editorPath)
{
    return editorPath == DesktopEditor || isExistingFile(editorPath);
}

void startEditor(DesktopShell &shell, const QByteArray &editorPath, const QByteArray &dataFile)
{
    if (editorPath == DesktopEditor)
        shell.openFile(dataFile);
    else
        shell.startProgram(editorPath, {dataFile});
}

} // namespace tunelet
