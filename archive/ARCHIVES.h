#pragma once

#include "archive/Archiver.h"
#include "archive/ArchiverOptions.h"
#include "archive/ArchiverTypes.h"
#include "archive/CmdOpt.h"
#include "archive/FileItems.h"

#include <QByteArray>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>

class TArchiveFile;

// (Sender, State, lpEis, var Abort): lpEis is the library's progress record, passed unread.
using TArchiverProgressEvent =
    std::function<void(TArchiveFile &sender, std::int32_t state, void *lpEis, bool &abort)>;

// The type by the file name's extension (byName), or by asking every library in turn.
TArchiverType DetectArchiverType(const QByteArray &fileName, bool byName);

// A new back-end of the class for a type in atLha..atBga (its library loaded); nullptr for
// other types.
std::unique_ptr<TArchiver> CreateArchiver(TArchiverType type);

// The archive component: one interface to archives of many formats, each driven by a
// back-end. Errors are raised as EArchiver (and the class library's file errors).
class TArchiveFile final
{
public:
    TArchiveFile();
    ~TArchiveFile();
    TArchiveFile(const TArchiveFile &) = delete;
    TArchiveFile &operator=(const TArchiveFile &) = delete;

    const QByteArray &FileName() const { return m_fileName; }
    // Applies the type the name's extension gives, then stores the name.
    void SetFileName(const QByteArray &fileName);
    int OutputSize() const { return static_cast<int>(m_output.size()); }
    void SetOutputSize(int size);
    TArchiverOptions &Options() { return *m_options; }
    const TArchiverOptions &Options() const { return *m_options; }
    TArchiverType ArchiverType() const { return m_type; }
    void SetArchiverType(TArchiverType type);
    const TArchiverProgressEvent &OnProgress() const { return m_onProgress; }
    void SetOnProgress(TArchiverProgressEvent handler) { m_onProgress = std::move(handler); }
    const QByteArray &CommandLine() const { return m_commandLine; }

    int Unpack(WindowHandle window, const TArchiverOptions *options, const QByteArray &destDir,
               const FileItems &files);
    ArchiveHandle OpenArchive(WindowHandle window, int mode);
    void CloseArchive();
    int FindFirst(const QByteArray &wildName, TArchiveEntryInfo &info);
    int FindNext(TArchiveEntryInfo &info);

    // The class library's component states: edited in a form designer, being read from a
    // form stream.
    void SetDesigning(bool designing) { m_designing = designing; }
    void SetReading(bool reading) { m_reading = reading; }

    // The installed back-end (none until a type atLha..atBga was applied).
    TArchiver *Archiver() const { return m_archiver.get(); }
    // The hidden progress window: 0 until the first hook with a handler.
    WindowHandle MessageWindow() const;
    // Its window procedure.
    std::intptr_t WindowProc(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);
    // The number registered for "wm_arcextract" (0 until the first hook).
    static std::uint32_t ProgressMessage();

private:
    struct HiddenWindow;
    void DetectByContent();
    TArchiver &RequireArchiver() const;
    void HookProgress();
    void UnhookProgress();

    TArchiverType m_type = TArchiverType::atAutoDetect;
    std::unique_ptr<TArchiver> m_archiver;
    std::unique_ptr<TArchiverOptions> m_options;
    QByteArray m_fileName;
    QByteArray m_commandLine;
    QByteArray m_output;
    std::unique_ptr<HiddenWindow> m_window;
    TArchiverProgressEvent m_onProgress;
    ArchiveHandle m_handle = 0;
    std::exception_ptr m_handlerError; // raised by OnProgress during a library call
    bool m_designing = false;
    bool m_reading = false;
};
