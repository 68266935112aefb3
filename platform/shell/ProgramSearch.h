#pragma once

#include <QByteArray>
#include <QByteArrayList>

namespace tunelet
{

// The full path of the first of names found as an executable regular file in
// one of the folders of pathVariable (':'-separated, as PATH; an empty entry
// is the current folder). Every folder is searched for the first name before
// the second name is tried. A name holding '/' is taken as a path of its own.
// Empty when none is found.
QByteArray findFirstProgram(const QByteArrayList &names, const QByteArray &pathVariable);

// findFirstProgram along the PATH of this process.
QByteArray findFirstProgramOnPath(const QByteArrayList &names);

} // namespace tunelet
