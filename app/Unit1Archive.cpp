// Archive rows: the main window's archive component and the LZH data extraction that takes
// an archive's data file out into the work file, for an archive row's title and for playing
// it. The work is the playlist's LzhDataExtraction; the window lends it the component, its
// program folder, its handle and its message box.
#include "app/Unit1.h"

#include "playback/SongStarter.h"
#include "playlist/EntryBuilder.h"
#include "playlist/LzhDataExtraction.h"

void TForm1::CreateArchiveFile()
{
    // The value the main window's design stores; every other option is unset.
    ArchiveFile1.Options().n = 1;
    m_lzhExtraction = std::make_unique<tunelet::LzhDataExtraction>(
        ArchiveFile1,
        tunelet::LzhDataExtraction::Places{ProgramFolder(),
                                           ProgramFolder() + tunelet::WorkFileName},
        tunelet::LzhDataExtraction::Seams{
            [this] { return static_cast<WindowHandle>(winId()); },
            [this](const QString &text) { Dlg().message(isVisible() ? this : nullptr, text); }});
    Builder().setLzhExtractor([this](const QByteArray &archivePath) -> std::optional<QByteArray> {
        if (!ExtractLzhData(archivePath))
            return std::nullopt;
        return ProgramFolder() + tunelet::WorkFileName;
    });
}

bool TForm1::ExtractLzhData(const QByteArray &archivePath)
{
    return m_lzhExtraction->extract(archivePath);
}
