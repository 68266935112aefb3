#pragma once

#include <QByteArray>
#include <QString>

#include <stdexcept>

namespace tunelet
{

// The texts the user sees when a file cannot be opened or created, the path
// decoded for display (a Shift-JIS name shows as itself).
QString fileOpenMessage(const QByteArray &path);   // "ﾌｧｲﾙ %s は開けません"
QString fileCreateMessage(const QByteArray &path); // "ﾌｧｲﾙ %s を作成できません"

// A file operation that failed. It ends the command that raised it, and the
// error box shows what(), which is UTF-8.
class EInOutError : public std::runtime_error
{
public:
    explicit EInOutError(const QString &message);
};

// A file that cannot be opened.
class EFOpenError final : public EInOutError
{
public:
    explicit EFOpenError(const QByteArray &path);
};

// A file that cannot be created.
class EFCreateError final : public EInOutError
{
public:
    explicit EFCreateError(const QByteArray &path);
};

} // namespace tunelet
