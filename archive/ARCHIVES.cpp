#include "archive/ARCHIVES.h"

#include "archive/ARJ32.h"
#include "archive/BGA32.h"
#include "archive/CAB32.h"
#include "archive/LHA32.h"
#include "archive/RAR32.h"
#include "archive/RegisteredMessages.h"
#include "archive/TAR32.h"
#include "archive/ZIP32.h"

#include <atomic>
#include <utility>

namespace
{

std::atomic<std::uint32_t> progressMessage{0};

struct ExtensionRow {
    const char *extension;
    TArchiverType type;
};

constexpr ExtensionRow extensionTable[] = {
    {".z", TArchiverType::atTgz},   {".gz", TArchiverType::atTgz},  {".tgz", TArchiverType::atTgz},
    {".taz", TArchiverType::atTgz}, {".tar", TArchiverType::atTar}, {".bz2", TArchiverType::atBZ2},
    {".gza", TArchiverType::atBga}, {".bza", TArchiverType::atBga}, {".rar", TArchiverType::atRar},
    {".arj", TArchiverType::atArj}, {".zip", TArchiverType::atZip}, {".cab", TArchiverType::atCab},
    {".lzh", TArchiverType::atLha},
};

QByteArray extensionOf(const QByteArray &fileName)
{
    const qsizetype nameStart = fileName.lastIndexOf('/') + 1;
    const qsizetype dot = fileName.lastIndexOf('.');
    return dot >= nameStart ? fileName.mid(dot) : QByteArray();
}

TArchiverType detectByName(const QByteArray &fileName)
{
    const QByteArray extension = extensionOf(fileName);
    if (extension.compare(".exe", Qt::CaseInsensitive) == 0)
        return DetectArchiverType(fileName, false);
    TArchiverType result = TArchiverType::atNone;
    for (const auto &row : extensionTable) {
        if (extension.compare(row.extension, Qt::CaseInsensitive) == 0)
            result = row.type;
    }
    return result;
}

// Every probe runs, in this order; each later yes wins.
TArchiverType detectByContent(const QByteArray &fileName)
{
    TArchiverType result = TTar32::ArchiveType(fileName);
    const std::pair<bool (*)(const QByteArray &), TArchiverType> probes[] = {
        {TRar32::IsArchive, TArchiverType::atRar}, {TArj32::IsArchive, TArchiverType::atArj},
        {TZip32::IsArchive, TArchiverType::atZip}, {TBGA32::IsArchive, TArchiverType::atBga},
        {TCab32::IsArchive, TArchiverType::atCab}, {TLha32::IsArchive, TArchiverType::atLha},
    };
    for (const auto &[probe, type] : probes) {
        if (probe(fileName))
            result = type;
    }
    return result;
}

} // namespace

TArchiverType DetectArchiverType(const QByteArray &fileName, bool byName)
{
    return byName ? detectByName(fileName) : detectByContent(fileName);
}

std::unique_ptr<TArchiver> CreateArchiver(TArchiverType type)
{
    switch (type) {
    case TArchiverType::atLha:
        return TArchiver::Create<TLha32>();
    case TArchiverType::atZip:
        return TArchiver::Create<TZip32>();
    case TArchiverType::atCab:
        return TArchiver::Create<TCab32>();
    case TArchiverType::atArj:
        return TArchiver::Create<TArj32>();
    case TArchiverType::atTar:
        return TArchiver::Create<TTar32>();
    case TArchiverType::atTgz:
        return TArchiver::Create<TTgz32>();
    case TArchiverType::atBZ2:
        return TArchiver::Create<TBZ232>();
    case TArchiverType::atRar:
        return TArchiver::Create<TRar32>();
    case TArchiverType::atBga:
        return TArchiver::Create<TBGA32>();
    default:
        return nullptr;
    }
}

// The hidden window that receives the libraries' progress messages; its handle is the
// address of its ArcMessageWindow record.
struct TArchiveFile::HiddenWindow {
    ArcMessageWindow record{};
    TArchiveFile *owner = nullptr;

    // An exception of the handler never goes through the library: the command is aborted,
    // so the library cleans up after itself, and Unpack raises it once the library is back.
    static std::intptr_t send(ArcMessageWindow *window, std::uint32_t message,
                              std::uintptr_t wParam, std::intptr_t lParam)
    {
        auto *self = reinterpret_cast<HiddenWindow *>(window);
        try {
            return self->owner->WindowProc(message, wParam, lParam);
        } catch (...) {
            self->owner->m_handlerError = std::current_exception();
            return 1;
        }
    }
};

TArchiveFile::TArchiveFile()
    : m_options(std::make_unique<TArchiverOptions>()), m_fileName(nulString())
{
}

TArchiveFile::~TArchiveFile()
{
    m_window.reset();
    m_archiver.reset();
    m_options.reset();
}

void TArchiveFile::SetFileName(const QByteArray &fileName)
{
    SetArchiverType(DetectArchiverType(fileName, true));
    m_fileName = fileName;
}

void TArchiveFile::SetOutputSize(int size)
{
    m_output.resize(size > 0 ? size : 0);
    if (size > 0)
        m_output[0] = '\0';
}

void TArchiveFile::SetArchiverType(TArchiverType type)
{
    if (m_designing) {
        m_type = type;
        return;
    }
    const auto ordinal = static_cast<unsigned>(type);
    if (ordinal <= static_cast<unsigned>(TArchiverType::atBga)) {
        auto archiver = CreateArchiver(type);
        m_archiver = std::move(archiver);
        m_type = type;
    } else if (type == TArchiverType::atNone) {
        return;
    } else if (type == TArchiverType::atAutoDetect) {
        m_type = type;
    } else if (m_reading) {
        m_type = type;
    } else {
        throw EArchiver("書庫の形式を特定できませんでした。");
    }
}

void TArchiveFile::DetectByContent()
{
    if (m_type == TArchiverType::atAutoDetect)
        SetArchiverType(DetectArchiverType(m_fileName, false));
}

TArchiver &TArchiveFile::RequireArchiver() const
{
    if (!m_archiver)
        throw EArchiver("書庫の形式を判別できません。");
    return *m_archiver;
}

std::uint32_t TArchiveFile::ProgressMessage()
{
    return progressMessage.load();
}

WindowHandle TArchiveFile::MessageWindow() const
{
    return m_window ? reinterpret_cast<WindowHandle>(&m_window->record) : 0;
}

std::intptr_t TArchiveFile::WindowProc(std::uint32_t message, std::uintptr_t wParam,
                                       std::intptr_t lParam)
{
    if (message == 0 || message != progressMessage.load())
        return 0; // the default procedure: nothing else is handled here
    bool abort = false;
    if (m_onProgress) {
        m_onProgress(*this, static_cast<std::int32_t>(wParam), reinterpret_cast<void *>(lParam),
                     abort);
    }
    return abort ? 1 : 0;
}

void TArchiveFile::HookProgress()
{
    if (!m_onProgress)
        return;
    if (progressMessage.load() == 0)
        progressMessage.store(registerWindowMessage("wm_arcextract"));
    if (!m_window) {
        m_window = std::make_unique<HiddenWindow>();
        m_window->record.signature = ARC_MESSAGE_WINDOW_SIGNATURE;
        m_window->record.progressMessage = progressMessage.load();
        m_window->record.send = &HiddenWindow::send;
        m_window->owner = this;
    }
    try {
        m_archiver->SetOwnerWindowEx(MessageWindow(), nullptr);
    } catch (...) {
    }
}

void TArchiveFile::UnhookProgress()
{
    if (!m_onProgress)
        return;
    try {
        m_archiver->KillOwnerWindowEx(MessageWindow());
    } catch (...) {
    }
}

int TArchiveFile::Unpack(WindowHandle window, const TArchiverOptions *options,
                         const QByteArray &destDir, const FileItems &files)
{
    TArchiver &archiver = RequireArchiver();
    HookProgress();
    const TArchiverOptions &set = options != nullptr ? *options : *m_options;
    m_handlerError = nullptr;
    int result = 0;
    try {
        result = archiver.Unpack(window, m_fileName, set, destDir, files,
                                 set.ResFileUsage.contains(TResFileUse::ruOnUnpack), m_output);
    } catch (...) {
        m_commandLine = archiver.CommandLine;
        UnhookProgress();
        throw;
    }
    m_commandLine = archiver.CommandLine;
    UnhookProgress();
    if (const std::exception_ptr error = std::exchange(m_handlerError, nullptr))
        std::rethrow_exception(error);
    return result;
}

ArchiveHandle TArchiveFile::OpenArchive(WindowHandle window, int mode)
{
    // Before content detection, whose probes would only answer "no" for such a name.
    RequireUnambiguousPath(m_fileName);
    DetectByContent();
    m_handle = RequireArchiver().OpenArchive(window, m_fileName, mode);
    return m_handle;
}

void TArchiveFile::CloseArchive()
{
    RequireArchiver().CloseArchive(m_handle);
    m_handle = 0;
}

int TArchiveFile::FindFirst(const QByteArray &wildName, TArchiveEntryInfo &info)
{
    return RequireArchiver().FindFirst(m_handle, info, wildName);
}

int TArchiveFile::FindNext(TArchiveEntryInfo &info)
{
    return RequireArchiver().FindNext(m_handle, info);
}
