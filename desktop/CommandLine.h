#pragma once

#include <QByteArrayList>

namespace tunelet
{

// The files named on Tunelet's command line (what is left after Qt took its
// own options), as absolute byte paths: a relative name is taken against
// the folder the command was given in (its "." and ".." steps worked out),
// a local file URL becomes its path,
// and a "--" that ends the options is dropped. Bytes are kept as given.
QByteArrayList filesFromArguments(const QByteArrayList &arguments, const QByteArray &currentFolder);

// The arguments of main() after the program's name, byte for byte.
QByteArrayList argumentsOf(int argc, const char *const *argv);

} // namespace tunelet
