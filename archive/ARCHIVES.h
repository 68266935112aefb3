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

    const QByteArray &FileName() const { return fileName_; }
    // Applies the type the name's extension gives, then stores the name.
    void SetFileName(const QByteArray &fileName);
    int OutputSize() const { return static_cast<int>(output_.size()); }
    void SetOutputSize(int size);
    TArchiverOptions &Options() { return *options_; }
    const TArchiverOptions &Options() const { return *options_; }
    TArchiverType ArchiverType() const { return type_; }
    void SetArchiverType(TArchiverType type);
    const TArchiverProgressEvent &OnProgress() const { return onProgress_; }
    void SetOnProgress(TArchiverProgressEvent handler) { onProgress_ = std::move(handler); }
    const QByteArray &CommandLine() const { return commandLine_; }

    int Unpack(WindowHandle window, const TArchiverOptions *options, const QByteArray &destDir,
               const FileItems &files);
    ArchiveHandle OpenArchive(WindowHandle window, int mode);
    void CloseArchive();
    int FindFirst(const QByteArray &wildName, TArchiveEntryInfo &info);
    int FindNext(TArchiveEntryInfo &info);

    // The class library's component states: edited in a form designer, being read from a
    // form stream.
    void SetDesigning(bool designing) { designing_ = designing; }
    void SetReading(bool reading) { reading_ = reading; }

    // The installed back-end (none until a type atLha..atBga was applied).
    TArchiver *Archiver() const { return archiver_.get(); }
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

    TArchiverType type_ = TArchiverType::atAutoDetect;
    std::unique_ptr<TArchiver> archiver_;
    std::unique_ptr<TArchiverOptions> options_;
    QByteArray fileName_;
    QByteArray commandLine_;
    QByteArray output_;
    std::unique_ptr<HiddenWindow> window_;
    TArchiverProgressEvent onProgress_;
    ArchiveHandle handle_ = 0;
    std::exception_ptr handlerError_; // raised by OnProgress during a library call
    bool designing_ = false;
    bool reading_ = false;
};
