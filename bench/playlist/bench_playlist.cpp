// Playlist benchmarks: list loading against a plain title-reading loop, and
// the editing commands on 10,000 and 100,000 rows. The figures named "_median"
// are medians of kRepeats runs taken in turn with their baseline; "_cpu" figures
// are this process's CPU time (all threads), the others wall time.
#include "tests/support/ProcessFigures.h"

#include "playlist/Editing.h"
#include "playlist/EntryBuilder.h"
#include "playlist/ListFile.h"
#include "playlist/PlaylistModel.h"
#include "playlist/Pruning.h"
#include "playlist/RandomGenerator.h"
#include "playlist/ReadTitle.h"
#include "playlist/Sorting.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QSet>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace tunelet;
using tunelet::testkit::median;
using tunelet::testkit::report;

namespace
{
constexpr int kFiles = 10000;
constexpr int kBigRows = 100000;
constexpr int kRepeats = 5;
constexpr int kListRepeats = 21;
constexpr int kColdRepeats = 4;

double millis(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

double cpuMillis()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

struct Samples {
    std::vector<double> wall;
    std::vector<double> cpu;

    void add(const std::function<void()> &work)
    {
        const double cpuBefore = cpuMillis();
        wall.push_back(millis(work));
        cpu.push_back(cpuMillis() - cpuBefore);
    }
};

// A song data file of about 2 KiB with its title on the third line.
QByteArray songText(int i)
{
    QByteArray text = "#song " + QByteArray::number(i) + "\r\n*TEMPO 120\r\n*HEAD\"Song " +
                      QByteArray::number((i * 7919) % kFiles) + "\"\r\n";
    while (text.size() < 2048)
        text += "o4 c d e f g a b > c < b a g f e d c\r\n";
    return text;
}

// The plain way: open each file, read lines up to the title line, close.
void plainTitleLoop(const QList<QByteArray> &paths)
{
    char line[4096];
    int found = 0;
    for (const QByteArray &path : paths) {
        FILE *f = std::fopen(path.constData(), "rb");
        if (!f)
            continue;
        while (std::fgets(line, sizeof line, f)) {
            if (std::strstr(line, "*HEAD")) {
                ++found;
                break;
            }
        }
        std::fclose(f);
    }
    if (found != paths.size())
        std::fprintf(stderr, "plain loop found %d titles\n", found);
}
// The floor of a shuffle that reads no unchanged file: a Fisher-Yates shuffle
// of the rows and one stat of each row's file.
void fisherYatesWithStat(QList<QByteArray> paths, RandomGenerator &random)
{
    for (qsizetype i = paths.size() - 1; i > 0; --i)
        std::swap(paths[i], paths[qsizetype(random.draw(quint32(i + 1)))]);
    struct stat st;
    for (const QByteArray &p : paths)
        ::stat(p.constData(), &st);
}

// The floor of a sort: the C library's qsort of the fields with strcoll (the
// process's collation, as the sort in that locale).
void cSort(const QList<QByteArray> &fields)
{
    std::vector<const char *> items;
    items.reserve(size_t(fields.size()));
    for (const QByteArray &f : fields)
        items.push_back(f.constData());
    std::qsort(items.data(), items.size(), sizeof(const char *), [](const void *a, const void *b) {
        return std::strcoll(*static_cast<const char *const *>(a),
                            *static_cast<const char *const *>(b));
    });
}

// The floor of duplicate removal: one pass of a hash set over the paths, a
// lookup and an insertion each.
void hashSetPass(const QList<QByteArray> &paths)
{
    QSet<QByteArray> seen;
    seen.reserve(paths.size());
    int duplicates = 0;
    for (const QByteArray &p : paths) {
        if (seen.contains(p))
            ++duplicates;
        else
            seen.insert(p);
    }
    if (duplicates != 0)
        std::fprintf(stderr, "hash set pass found %d duplicates\n", duplicates);
}

// Drops the files' pages from the page cache (their folder entries and inodes
// stay cached), so the next read comes from the disk. Only these files are
// dropped, not the whole cache, which other programs on the machine share.
// False when the pages cannot be dropped.
bool dropFromPageCache(const QList<QByteArray> &paths)
{
    ::sync();
    for (const QByteArray &p : paths) {
        const int fd = ::open(p.constData(), O_RDONLY);
        if (fd < 0)
            return false;
        const int rc = ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        ::close(fd);
        if (rc != 0)
            return false;
    }
    return true;
}

// Medians of a list command and its floor, taken in turn, as wall time and as
// this process's CPU time; prepare runs untimed before each run of the command.
// On a shared machine a run of a few milliseconds is often preempted once, so
// the CPU figures are the steadier ones.
void reportAgainstFloor(const char *name, const char *floorName,
                        const std::function<void()> &prepare, const std::function<void()> &command,
                        const std::function<void()> &floor)
{
    Samples commandRuns, floorRuns;
    for (int i = 0; i < kListRepeats; ++i) {
        floorRuns.add(floor);
        prepare();
        commandRuns.add(command);
    }
    const std::string n(name), f(floorName);
    report((n + "_median").c_str(), median(commandRuns.wall), "ms");
    report((f + "_median").c_str(), median(floorRuns.wall), "ms");
    report((n + "_cpu_median").c_str(), median(commandRuns.cpu), "ms");
    report((f + "_cpu_median").c_str(), median(floorRuns.cpu), "ms");
    report((n + "_vs_floor_ratio").c_str(), median(commandRuns.wall) / median(floorRuns.wall), "x");
    report((n + "_vs_floor_cpu_ratio").c_str(), median(commandRuns.cpu) / median(floorRuns.cpu),
           "x");
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    const QByteArray root = QFile::encodeName(dir.path()) + '/';
    for (int d = 0; d < 10; ++d)
        QDir(dir.path()).mkdir(QStringLiteral("d%1").arg(d));

    const QDateTime anHourAgo = QDateTime::currentDateTimeUtc().addSecs(-3600);
    QList<QByteArray> paths;
    for (int i = 0; i < kFiles; ++i) {
        paths.append(root + "song" + QByteArray::number(i) + ".snr");
        QFile file(QFile::decodeName(paths.back()));
        // Written an hour ago, as a user's song files are: a file changed within
        // the last seconds has its title read again by every shuffle.
        if (!file.open(QIODevice::WriteOnly) || file.write(songText(i)) < 0 || !file.flush() ||
            !file.setFileTime(anHourAgo, QFileDevice::FileModificationTime))
            return 1;
    }
    const QByteArray list = root + "list.ppl";
    writeListFile(list, paths);

    PlaylistModel model;
    EntryBuilder builder(model);
    // Warm the page cache so both readers see the same state.
    plainTitleLoop(paths);

    // In turn, so both see the same load of the machine.
    Samples plain, load;
    for (int i = 0; i < kRepeats; ++i) {
        plain.add([&] { plainTitleLoop(paths); });
        load.add([&] { LoadListFile(builder, list); });
    }
    // The same from the disk: each run starts with the files out of the cache.
    Samples coldPlain, coldLoad;
    bool dropped = true;
    // Each goes first in turn, since writing back the machine's other files
    // (the first drop syncs them) may slow the first read after it.
    auto coldRun = [&](Samples &samples, const std::function<void()> &work) {
        dropped = dropped && dropFromPageCache(paths);
        samples.add(work);
    };
    const std::function<void()> coldPlainLoop = [&] { plainTitleLoop(paths); };
    const std::function<void()> coldListLoad = [&] { LoadListFile(builder, list); };
    for (int i = 0; i < kColdRepeats && dropped; ++i) {
        if (i % 2 == 0) {
            coldRun(coldPlain, coldPlainLoop);
            coldRun(coldLoad, coldListLoad);
        } else {
            coldRun(coldLoad, coldListLoad);
            coldRun(coldPlain, coldPlainLoop);
        }
    }
    const double save = millis([&] { SaveListFile(model, root + "saved.ppl"); });
    report("load_10000_rows_median", median(load.wall), "ms");
    report("load_10000_rows_cpu_median", median(load.cpu), "ms");
    report("plain_title_loop_10000_files_median", median(plain.wall), "ms");
    report("plain_title_loop_10000_files_cpu_median", median(plain.cpu), "ms");
    report("load_vs_plain_ratio", median(load.wall) / median(plain.wall), "x");
    report("load_vs_plain_cpu_ratio", median(load.cpu) / median(plain.cpu), "x");
    if (dropped) {
        report("cold_load_10000_rows_median", median(coldLoad.wall), "ms");
        report("cold_plain_title_loop_10000_files_median", median(coldPlain.wall), "ms");
        report("cold_load_vs_plain_ratio", median(coldLoad.wall) / median(coldPlain.wall), "x");
    } else {
        std::printf("# cold cache figures skipped: the files' pages could not be dropped\n");
    }
    report("save_10000_rows", save, "ms");

    PlaylistSorter sorter;
    RandomGenerator random;
    LoadListFile(builder, list);
    shuffleEntries(builder, random); // rows in no order, every title read
    const QList<PlaylistEntry> rows = model.entries();
    QList<QByteArray> titles;
    for (const PlaylistEntry &e : rows)
        titles.append(e.caption);
    const QList<QByteArray> rowPaths = model.paths();
    auto restore = [&] {
        model.setEntries(rows);
        sorter.setSortKey(NoSortKey);
    };
    reportAgainstFloor(
        "sort_title_10000", "c_sort_title_10000", restore, [&] { sorter.sortByTitle(model); },
        [&] { cSort(titles); });
    reportAgainstFloor(
        "sort_path_10000", "c_sort_path_10000", restore, [&] { sorter.sortByPath(model); },
        [&] { cSort(rowPaths); });
    reportAgainstFloor(
        "shuffle_10000", "fisher_yates_stat_10000", [] {}, [&] { shuffleEntries(builder, random); },
        [&] { fisherYatesWithStat(rowPaths, random); });
    reportAgainstFloor(
        "remove_duplicates_10000", "hash_set_pass_10000", restore,
        [&] { removeDuplicateEntries(model); }, [&] { hashSetPass(rowPaths); });
    report("load_same_rows_10000", millis([&] { LoadListFile(builder, list); }), "ms");
    report("remove_missing_10000", millis([&] { removeMissingEntries(model); }), "ms");
    report("stat_each_path_10000", millis([&] {
               struct stat st;
               for (const QByteArray &p : paths)
                   ::stat(p.constData(), &st);
           }),
           "ms");

    // 100,000 distinct paths over the same files ("dN/../songM.snr").
    QList<QByteArray> bigPaths;
    bigPaths.reserve(kBigRows);
    for (int i = 0; i < kBigRows; ++i)
        bigPaths.append(root + 'd' + QByteArray::number(i / kFiles) + "/../song" +
                        QByteArray::number(i % kFiles) + ".snr");
    const QByteArray bigList = root + "big.ppl";
    writeListFile(bigList, bigPaths);
    Samples bigLoad, bigShuffle;
    for (int i = 0; i < kRepeats; ++i) {
        bigLoad.add([&] { LoadListFile(builder, bigList); });
        bigShuffle.add([&] { shuffleEntries(builder, random); });
    }
    report("load_100000_median", median(bigLoad.wall), "ms");
    report("load_100000_cpu_median", median(bigLoad.cpu), "ms");
    report("shuffle_100000_median", median(bigShuffle.wall), "ms");
    report("shuffle_100000_cpu_median", median(bigShuffle.cpu), "ms");
    LoadListFile(builder, bigList);
    report("save_100000", millis([&] { SaveListFile(model, root + "big-saved.ppl"); }), "ms");
    report("sort_title_100000", millis([&] { sorter.sortByTitle(model); }), "ms");
    report("sort_title_again_100000", millis([&] { sorter.sortByTitle(model); }), "ms");
    report("sort_path_100000", millis([&] { sorter.sortByPath(model); }), "ms");
    // The system locale may be "C" (plain code-point order); ICU collation for
    // a real locale costs more.
    PlaylistSorter english(QLocale(QLocale::English, QLocale::UnitedStates));
    report("sort_title_100000_en_US", millis([&] { english.sortByTitle(model); }), "ms");
    report("sort_path_100000_en_US", millis([&] { english.sortByPath(model); }), "ms");
    PlaylistSorter japanese(QLocale(QLocale::Japanese, QLocale::Japan));
    report("sort_path_100000_ja_JP", millis([&] { japanese.sortByPath(model); }), "ms");
    report("move_up_down_100000",
           millis([&] {
               for (int i = 0; i < 1000; ++i) {
                   moveEntryUp(model, kBigRows / 2);
                   moveEntryDown(model, kBigRows / 2 - 1);
               }
           }) * 1000.0 /
               2000.0,
           "us_per_move");
    report("insert_below_row_100000", millis([&] { builder.InsertEntry(1, paths[0]); }), "ms");
    report("delete_row_100000", millis([&] { deleteEntry(model, 1); }), "ms");
    report("remove_missing_100000", millis([&] { removeMissingEntries(model); }), "ms");
    report("remove_duplicates_100000", millis([&] { removeDuplicateEntries(model); }), "ms");
    LoadListFile(builder, bigList);
    // Every other row missing: scattered removals.
    QList<PlaylistEntry> half = model.entries();
    for (int i = 0; i < half.size(); i += 2)
        half[i].path += ".gone";
    model.setEntries(half);
    report("remove_missing_half_of_100000", millis([&] { removeMissingEntries(model); }), "ms");
    report("clear_100000", millis([&] { clearEntries(model); }), "ms");

    // A 4 GiB sparse data file: its title comes first, or it has none and the
    // read stops at the scan bound.
    const QByteArray titled = root + "huge_titled.snr";
    const QByteArray untitled = root + "huge_untitled.snr";
    writeListFile(titled, {"*HEAD\"Huge\""});
    writeListFile(untitled, {});
    if (!QFile::resize(QFile::decodeName(titled), qint64(4) << 30) ||
        !QFile::resize(QFile::decodeName(untitled), qint64(4) << 30))
        return 1;
    report("title_4GiB_sparse_titled", millis([&] { ReadTitle(titled); }), "ms");
    report("title_4GiB_sparse_untitled", millis([&] { ReadTitle(untitled); }), "ms");
    return 0;
}
