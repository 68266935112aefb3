#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QString>

#include <optional>

namespace tunelet
{

// Qt's file dialog shows and returns names as text. A name whose bytes are
// no valid UTF-8 (a Shift-JIS name, say) comes back with replacement
// characters in place of those bytes, and so names no file. Such names can
// still come in byte for byte by a drop or a list file.

// The first name the dialog handed back altered, or nothing.
std::optional<QByteArray> firstAlteredName(const QByteArrayList &names);

// The message for an altered name; the drop hint where a drop can do the job.
QString alteredNameMessage(const QByteArray &name, bool dropHint);

} // namespace tunelet
