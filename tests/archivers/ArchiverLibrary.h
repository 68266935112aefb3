#pragma once

#include "archive/ArchiverApi.h"

#include <QByteArray>
#include <QString>

// One stand-in library loaded from the build's bin folder, its entry points looked up by
// the prefix the back-ends use.
class ArchiverLibrary final
{
public:
    ArchiverLibrary(const QString &fileName, const QByteArray &prefix);
    ~ArchiverLibrary();
    Q_DISABLE_COPY_MOVE(ArchiverLibrary)

    bool isLoaded() const { return handle_ != nullptr; }
    QString error() const { return error_; }
    void *entry(const QByteArray &name) const; // the exact name
    void *prefixed(const char *suffix) const { return entry(prefix_ + suffix); }

    // The command function with an output area of `outputSize` bytes.
    int command(const QByteArray &line, QByteArray *output = nullptr, int outputSize = 0) const;
    ArcHandle open(const QString &path, uint32_t mode = 0) const;
    int close(ArcHandle h) const;
    int findFirst(ArcHandle h, const char *wild, ArcEntryInfo *info) const;
    int findNext(ArcHandle h, ArcEntryInfo *info) const;
    int check(const QString &path, int mode) const;
    int extractMem(const QByteArray &line, QByteArray &buffer, uint32_t *written,
                   int64_t *time = nullptr, uint16_t *attr = nullptr) const;
    // Member names FindFirst/FindNext report for the mask, in order; `result` gets the
    // final (non-zero) answer.
    QStringList list(const QString &archive, const char *mask, int *result = nullptr) const;

private:
    void *handle_ = nullptr;
    QByteArray prefix_;
    QString error_;
};
