#pragma once

#include <QString>

namespace tunelet
{

// Which resource ran out, as a line for a message box, when the system's
// error number (errno) says one did: descriptors, processes, memory, disk
// space or the file size limit. Empty for any other error.
QString shortageText(int errorNumber);

// The same for an error told in the system's words (strerror's text, as the
// file writers report it, also at the end of a longer text).
QString shortageText(const QString &systemReason);

// The message with the shortage on a line of its own below it, when there is
// one; else the message alone.
QString withShortage(const QString &message, int errorNumber);
QString withShortage(const QString &message, const QString &systemReason);

} // namespace tunelet
