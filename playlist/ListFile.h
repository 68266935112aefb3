#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

namespace tunelet
{

class EntryBuilder;
class PlaylistModel;

// The outcome of reading or writing a list file.
struct ListFileStatus {
    enum class Error { None, CannotOpen, CannotCreate };
    Error error = Error::None;
    QByteArray path; // the list file concerned
    QString reason;  // the system's reason, for logs and tests

    bool ok() const { return error == Error::None; }
    // "ﾌｧｲﾙ %s は開けません" / "ﾌｧｲﾙ %s を作成できません" with the path, and
    // on a second line the resource that ran out, if one did; empty when ok.
    QString message() const;
};

// Splits list-file text into lines: a line ends at CR LF, a lone CR or a lone
// LF; a last line without an end still counts; a NUL byte ends the text.
QList<QByteArray> splitListText(QByteArrayView text);
// Every line followed by CR LF; no lines give an empty text.
QByteArray joinListLines(const QList<QByteArray> &lines);

// Reads a list file's lines; Error::CannotOpen when it cannot be read.
ListFileStatus readListFile(const QByteArray &path, QList<QByteArray> *lines);
// Writes lines atomically; Error::CannotCreate when it cannot be written (the
// old file then stays as it was).
ListFileStatus writeListFile(const QByteArray &path, const QList<QByteArray> &lines);

// The path a list line names: a bare name (no '/') is taken in listFolder
// (the list's folder with its trailing '/', or empty); any other line as it is.
QByteArray resolveListLine(QByteArrayView listFolder, const QByteArray &line);
// True for the extensions a list may add: ".snr", ".txt", ".mid", ".lzh".
bool isListableExtension(QByteArrayView path);

// Replaces the playlist with the list file's entries: lines that name an
// existing regular file with a listable extension, resolved as above, each
// added by the builder's rule (titles read). When the file cannot be read,
// nothing changes and the status says so. On success the caller sets FileName
// to listPath and PlayIndex to NoPlayIndex. An archive error thrown while a
// row is built ends the load; the rows built before it stay.
ListFileStatus LoadListFile(EntryBuilder &builder, const QByteArray &listPath);

// Writes every row's path, in order, each followed by CR LF; an empty playlist
// gives a zero-byte file.
ListFileStatus SaveListFile(const PlaylistModel &model, const QByteArray &listPath);

// The question asked before the current list is overwritten: its file name,
// without the folder, in double quotes, then "に上書き保存？".
QString overwriteQuestion(const QByteArray &listPath);

} // namespace tunelet
