#pragma once

#include "platform/core/FileErrors.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace tunelet
{

// A list file holds one path a line and its text ends at a NUL byte, so a
// file name holding a CR, an LF or a NUL cannot be saved and read back as it
// was: the row would be lost, or come back as other rows. Every command that
// adds rows refuses such a name.
bool isListableName(QByteArrayView path);

// The message naming the refused file; line breaks and NULs in the name are
// shown as \r, \n and \0.
QString unlistableNameMessage(const QByteArray &path);

// Thrown when a row is asked for such a name: a file error that ends the
// command that was adding rows; the error box shows what(), which is UTF-8.
class EUnlistableName final : public EInOutError
{
public:
    explicit EUnlistableName(const QByteArray &path);
};

// Throws EUnlistableName for a name that a list file cannot hold.
void requireListableName(const QByteArray &path);

} // namespace tunelet
