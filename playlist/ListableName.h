#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <stdexcept>

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

// Thrown when a row is asked for such a name: it ends the command that was
// adding rows, and the error box shows what(), which is UTF-8.
class EUnlistableName final : public std::runtime_error
{
public:
    explicit EUnlistableName(const QByteArray &path);
};

// Throws EUnlistableName for a name that a list file cannot hold.
void requireListableName(const QByteArray &path);

} // namespace tunelet
