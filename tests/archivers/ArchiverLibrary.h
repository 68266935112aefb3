#pragma once

#include "archive/ArchiverApi.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QString>

// One stand-in library loaded from the build's bin folder, its entry points looked up by
// the prefix the back-ends use.
class ArchiverLibrary final
{
public:
    ArchiverLibrary(const QString &fileName, const QByteArray &prefix);
    ~ArchiverLibrary();
    Q_DISABLE_COPY_MOVE(ArchiverLibrary)

    bool isLoaded() const { return m_handle != nullptr; }
    QString error() const { return m_error; }
    void *entry(const QByteArray &name) const; // the exact name
    void *prefixed(const char *suffix) const { return entry(m_prefix + suffix); }

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
    void *m_handle = nullptr;
    QByteArray m_prefix;
    QString m_error;
};

// A command line as the back-ends write it: `head` (the command and its switches), two blanks,
// the quoted archive, the quoted folder with its closing backslash (left out when empty), each
// quoted name, and a closing blank.
QByteArray backendLine(const QByteArray &head, const QByteArray &archive, const QByteArray &folder,
                       const QByteArrayList &names);
