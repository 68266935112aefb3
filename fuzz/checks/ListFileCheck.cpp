#include "fuzz/checks/ListFileCheck.h"

#include "fuzz/checks/Scratch.h"

#include "platform/core/ByteFile.h"
#include "platform/core/BytePath.h"
#include "playlist/EntryBuilder.h"
#include "playlist/ListFile.h"
#include "playlist/PlaylistModel.h"
#include "playlist/ReadTitle.h"

#include <string_view>
#include <sys/stat.h>

namespace fuzzcheck
{

namespace
{

using tunelet::PlaylistEntry;

// Lines end at CR LF, a lone CR or a lone LF; NUL ends the text.
QList<QByteArray> referenceLines(std::string_view text)
{
    text = text.substr(0, text.find('\0'));
    QList<QByteArray> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find_first_of("\r\n", start), text.size());
        lines.append(QByteArray(text.data() + start, qsizetype(end - start)));
        start = end + 1;
        if (end < text.size() && text[end] == '\r' && start < text.size() && text[start] == '\n')
            ++start;
    }
    return lines;
}

bool listable(std::string_view path)
{
    const std::size_t slash = path.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || name.size() - dot != 4)
        return false;
    std::string ext(name.substr(dot));
    for (char &c : ext) {
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
    return ext == ".snr" || ext == ".txt" || ext == ".mid" || ext == ".lzh";
}

bool regularFile(const QByteArray &path)
{
    struct stat st = {};
    return ::stat(path.constData(), &st) == 0 && S_ISREG(st.st_mode);
}

// The row a listed file becomes. The song folder's files are known (no archive
// there holds a data file, and no extractor is set); a file elsewhere that a
// relative line happens to name gets its title from the title reader.
PlaylistEntry referenceEntry(const QByteArray &path, const QByteArray &songFolder,
                             const QByteArray &songTitle)
{
    const QByteArray name = tunelet::fileNamePart(path);
    const qsizetype dot = name.lastIndexOf('.');
    const QByteArray ext = name.mid(dot).toLower(); // listable: four ASCII bytes
    if (ext == ".mid")
        return {"[MIDI] " + name, 1, path};
    if (ext == ".lzh")
        return {"[LZH] " + name, 2, path};
    QByteArray title;
    if (!path.startsWith(songFolder))
        title = tunelet::ReadTitle(path);
    else if (name == "title.snr" || name == "TITLE.SNR" || name == "deep.snr")
        title = songTitle;
    return {title.isEmpty() ? name : title, 0, path};
}

std::string show(const QByteArray &bytes)
{
    return bytes.left(80).toPercentEncoding().toStdString();
}

struct SongFolder {
    QByteArray path; // with its trailing '/'
    QByteArray title = "Little tune";
};

const SongFolder &songFolder()
{
    static const SongFolder folder = [] {
        SongFolder f;
        const std::string dir = scratchFolder() + "/songs";
        ::mkdir(dir.c_str(), 0700);
        ::mkdir((dir + "/folder.snr").c_str(), 0700);
        ::mkdir((dir + "/sub").c_str(), 0700);
        const std::string song = "*HEAD\"Little tune\"\r\nA: c d e\r\n";
        const auto bytes = [](const std::string &s) {
            return std::span(reinterpret_cast<const std::uint8_t *>(s.data()), s.size());
        };
        writeBytes(dir + "/title.snr", bytes(song));
        writeBytes(dir + "/TITLE.SNR", bytes(song));
        writeBytes(dir + "/plain.txt", bytes("no title here\r\n"));
        writeBytes(dir + "/tune.mid", bytes("MThd"));
        writeBytes(dir + "/pack.lzh", bytes("not really"));
        writeBytes(dir + "/notes.doc", bytes("other"));
        writeBytes(dir + "/sub/deep.snr", bytes(song));
        f.path = QByteArray::fromStdString(dir + "/");
        return f;
    }();
    return folder;
}

std::string compareRows(const tunelet::PlaylistModel &model, const QList<PlaylistEntry> &expected,
                        const char *what)
{
    if (model.count() != expected.size())
        return std::string(what) + ": " + std::to_string(model.count()) + " rows, expected " +
               std::to_string(expected.size());
    for (int i = 0; i < model.count(); ++i) {
        if (!(model.entry(i) == expected[i]))
            return std::string(what) + ": row " + std::to_string(i) + " is " +
                   show(model.entry(i).caption) + " | " + show(model.entry(i).path) +
                   ", expected " + show(expected[i].caption) + " | " + show(expected[i].path);
    }
    return {};
}

} // namespace

std::string checkListFile(std::span<const std::uint8_t> data)
{
    const std::string_view text(reinterpret_cast<const char *>(data.data()), data.size());
    const QByteArrayView view(text.data(), qsizetype(text.size()));

    // Splitting.
    const QList<QByteArray> lines = tunelet::splitListText(view);
    const QList<QByteArray> expectedLines = referenceLines(text);
    if (lines != expectedLines)
        return "split gives " + std::to_string(lines.size()) + " lines, expected " +
               std::to_string(expectedLines.size());
    if (tunelet::splitListText(tunelet::joinListLines(lines)) != lines)
        return "joining and splitting again changes the lines";

    // Resolving against a folder taken from the first line.
    const QByteArray folder = lines.isEmpty() ? QByteArray() : tunelet::folderPart(lines.first());
    for (const QByteArray &line : lines) {
        const QByteArray resolved = tunelet::resolveListLine(folder, line);
        const QByteArray expected = line.contains('/') ? line : folder + line;
        if (resolved != expected)
            return "line " + show(line) + " resolves to " + show(resolved);
        if (tunelet::isListableExtension(line) !=
            listable(std::string_view(line.constData(), std::size_t(line.size()))))
            return "listable extension wrong for " + show(line);
    }

    // Loading from a real file in the song folder.
    const SongFolder &songs = songFolder();
    const QByteArray listPath = songs.path + "list.ppl";
    if (!writeBytes(listPath.toStdString(), data))
        return "cannot write the list file";
    QList<PlaylistEntry> expectedRows;
    for (const QByteArray &line : lines) {
        const QByteArray candidate = line.contains('/') ? line : songs.path + line;
        if (listable(std::string_view(candidate.constData(), std::size_t(candidate.size()))) &&
            regularFile(candidate))
            expectedRows.append(referenceEntry(candidate, songs.path, songs.title));
    }
    tunelet::PlaylistModel model;
    tunelet::EntryBuilder builder(model);
    model.appendEntry({"old row", 0, "/old.snr"});
    const tunelet::ListFileStatus loaded = tunelet::LoadListFile(builder, listPath);
    if (!loaded.ok())
        return "loading failed: " + loaded.reason.toStdString();
    if (std::string problem = compareRows(model, expectedRows, "load"); !problem.empty())
        return problem;

    // Saving and loading the saved list again loses nothing.
    const QByteArray savedPath = songs.path + "saved.ppl";
    const tunelet::ListFileStatus saved = tunelet::SaveListFile(model, savedPath);
    if (!saved.ok())
        return "saving failed: " + saved.reason.toStdString();
    const std::optional<QByteArray> written = tunelet::readWholeFile(savedPath);
    if (!written || *written != tunelet::joinListLines(model.paths()))
        return "the saved list is not every path followed by CR LF";
    tunelet::PlaylistModel reloaded;
    tunelet::EntryBuilder rebuilder(reloaded);
    if (!tunelet::LoadListFile(rebuilder, savedPath).ok())
        return "the saved list cannot be loaded";
    if (std::string problem = compareRows(reloaded, expectedRows, "reload"); !problem.empty())
        return problem;

    // A list that cannot be read leaves the playlist as it was.
    const tunelet::ListFileStatus missing =
        tunelet::LoadListFile(rebuilder, songs.path + "none.ppl");
    if (missing.ok() || reloaded.count() != expectedRows.size())
        return "a missing list file changed the playlist or was not reported";
    return {};
}

} // namespace fuzzcheck
