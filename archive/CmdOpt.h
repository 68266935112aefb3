#pragma once

#include "archive/FileItems.h"

#include <QByteArray>

using TFileNameConverter = QByteArray (*)(const QByteArray &);

// Builds one archiver command line from switches, quoted values, folders and file lists.
// Every piece is preceded by one space.
class TCmdOpt final
{
public:
    bool Separate = false;
    TFileNameConverter Converter = nullptr;
    QByteArray CmdLine;

    void Add(const QByteArray &s);
    void AddStr(const QByteArray &switchName, const QByteArray &value);
    void AddInt(const QByteArray &switchName, int n);
    void AddBool(const QByteArray &switchName, bool flag);
    void AddDir(const QByteArray &switchName, const QByteArray &dir);
    void AddFile(const QByteArray &switchName, const QByteArray &name);
    void AddFiles(const QByteArray &switchName, const FileItems &items);
    // Writes the names quoted, one per CRLF line, to resFileName (replacing it) and adds
    // "@resFileName" quoted. Raises EFCreateError/EInOutError and adds nothing on failure.
    void AddResponseFile(const FileItems &items, const QByteArray &resFileName);

private:
    QByteArray converted(const QByteArray &name) const;
};
