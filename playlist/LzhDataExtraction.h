#pragma once

#include "archive/ARCHIVES.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QString>

#include <functional>

namespace tunelet
{

// "snrファイルが存在しません。": an archive without a data file.
QString noDataFileMessage();
// An archive that would unpack to more than one library call takes out.
QString archiveTooLargeMessage(const QByteArray &archivePath);

// Takes the first data file of an LZH archive out into the work file (ExtractLzhData), with
// the archive component the main window owns. The library unpacks the data files ("*.SNR",
// "*.snr", "*.Snr") into the program folder; the first one the listing reports that was
// taken out becomes the work file; the copies of the others, and the folders the extraction
// made, are removed again.
class LzhDataExtraction final
{
public:
    struct Places {
        QByteArray programFolder; // with its trailing '/'
        QByteArray workFile;      // in the program folder
    };
    struct Seams {
        // The owner window handed to the library.
        std::function<WindowHandle()> ownerWindow;
        // Shows a message box (OK only).
        std::function<void(const QString &)> tell;
    };

    LzhDataExtraction(TArchiveFile &archive, Places places, Seams seams);
    Q_DISABLE_COPY_MOVE(LzhDataExtraction)

    // True when the work file now holds the archive's first data file. An archive without
    // one gets noDataFileMessage(), one beyond the bound archiveTooLargeMessage(), and false;
    // the work file is then left as it was. Archive errors (EArchiver) are thrown; a data
    // file that cannot become the work file throws EFCreateError, removing what was taken out.
    bool extract(const QByteArray &archivePath);

private:
    int unpackDataFiles(const QByteArray &archivePath);
    QByteArrayList listDataFiles();

    TArchiveFile &m_archive;
    Places m_places;
    Seams m_seams;
    quint64 m_extractions = 0; // extractions begun; tells when one ran inside another
};

} // namespace tunelet
