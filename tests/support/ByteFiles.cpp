#include "tests/support/ByteFiles.h"

#include "platform/core/AtomicFile.h"
#include "platform/core/ByteFile.h"

namespace tunelet::testkit
{

bool writeBytes(const QByteArray &path, const QByteArray &content)
{
    return tunelet::writeFileAtomically(path, content);
}

QByteArray readBytes(const QByteArray &path)
{
    return tunelet::readWholeFile(path).value_or(QByteArray("(missing)"));
}

} // namespace tunelet::testkit
