// The editing commands on the main window with 100,000 rows, each timed
// together with the repaint of the list that follows it, so the figures are
// what a user waits for. Runs on the offscreen platform unless one is set.
#include "tests/support/ByteFiles.h"
#include "tests/support/WindowFixture.h"

#include "playlist/ListFile.h"
#include "playlist/PlaylistModel.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTreeView>

#include <cstdio>
#include <functional>

namespace
{
constexpr int kFiles = 10000;
constexpr int kRows = 100000;

double worst = 0;

void report(const char *name, double value, const char *unit)
{
    std::printf("%s: %.3f %s\n", name, value, unit);
    std::fflush(stdout);
}

// Runs a command, then lets the window handle what it queued and repaint the
// list, and reports the whole time.
void timed(TForm1 &form, const char *name, const std::function<void()> &command)
{
    QElapsedTimer timer;
    timer.start();
    command();
    QCoreApplication::processEvents();
    tunelet::testkit::listView(form)->viewport()->repaint();
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    worst = std::max(worst, ms);
    report(name, ms, "ms");
}

QByteArray songText(int i)
{
    QByteArray text = "#song " + QByteArray::number(i) + "\r\n*HEAD\"Song " +
                      QByteArray::number((i * 7919) % kFiles) + "\"\r\n";
    while (text.size() < 1024)
        text += "o4 c d e f g a b > c < b a g f e d c\r\n";
    return text;
}
} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    tunelet::testkit::WindowFixture fixture;
    if (!fixture.isValid())
        return 1;
    const QByteArray root = fixture.home();
    for (int d = 0; d < kRows / kFiles; ++d)
        QDir(QFile::decodeName(root)).mkdir(QStringLiteral("d%1").arg(d));
    QByteArrayList files;
    for (int i = 0; i < kFiles; ++i) {
        files << root + "song" + QByteArray::number(i) + ".snr";
        if (!tunelet::testkit::writeBytes(files.back(), songText(i)))
            return 1;
    }
    // 100,000 distinct paths over the same files.
    QByteArrayList rows;
    for (int i = 0; i < kRows; ++i)
        rows << root + 'd' + QByteArray::number(i / kFiles) + "/../song" +
                    QByteArray::number(i % kFiles) + ".snr";
    const QByteArray list = root + "big.ppl";
    if (!tunelet::writeListFile(list, rows).ok())
        return 1;

    TForm1 &form = fixture.start();
    tunelet::testkit::ScriptedDialogs &dialogs = fixture.dialogs();
    form.resize(800, 600);
    form.show();
    QCoreApplication::processEvents();

    timed(form, "window_load_list_100000", [&] { form.LoadListFile(list); });
    report("rows", form.Playlist().count(), "rows");
    const int middle = kRows / 2;
    timed(form, "window_select_middle_row", [&] {
        form.SelectRow(middle);
        tunelet::testkit::listView(form)->scrollTo(form.Playlist().index(middle, 0));
    });
    timed(form, "window_add_one_file", [&] {
        dialogs.chooseFiles({files[1]});
        form.MMAddClick();
    });
    timed(form, "window_insert_three_files", [&] {
        dialogs.chooseFiles({files[1], files[2], files[3]});
        form.PMInsertClick();
    });
    timed(form, "window_move_up", [&] { form.MMUpClick(); });
    timed(form, "window_move_down", [&] { form.MMDownClick(); });
    timed(form, "window_delete", [&] { form.MMDeleteClick(); });
    const QPoint rowPos =
        tunelet::testkit::listView(form)->visualRect(form.Playlist().index(middle, 0)).center();
    timed(form, "window_drop_three_files_on_row", [&] {
        form.FilesDropped({files[4], files[5], files[6]}, rowPos);
    });
    timed(form, "window_sort_title", [&] { form.MMHEADSortClick(); });
    timed(form, "window_sort_title_again", [&] { form.MMHEADSortClick(); });
    timed(form, "window_sort_path", [&] { form.MMFileNameSortClick(); });
    timed(form, "window_shuffle_rereads_titles", [&] { form.MMRandomSortClick(); });
    timed(form, "window_scroll_to_end", [&] {
        tunelet::testkit::listView(form)->verticalScrollBar()->setValue(
            tunelet::testkit::listView(form)->verticalScrollBar()->maximum());
    });
    timed(form, "window_remove_missing", [&] { form.MMExistsDeleteClick(); });
    timed(form, "window_remove_duplicates", [&] { form.MMWFileDeleteClick(); });
    // Every other row duplicated: scattered removals.
    timed(form, "window_load_list_again", [&] { form.LoadListFile(list); });
    {
        QList<tunelet::PlaylistEntry> doubled = form.Playlist().entries();
        for (int i = 1; i < doubled.size(); i += 2)
            doubled[i] = doubled[i - 1];
        form.Playlist().setEntries(doubled);
    }
    timed(form, "window_remove_duplicates_half_of_100000", [&] { form.MMWFileDeleteClick(); });
    timed(form, "window_clear", [&] { form.MMClearClick(); });

    // Repainting a full list while scrolled to its middle.
    form.LoadListFile(list);
    tunelet::testkit::listView(form)->verticalScrollBar()->setValue(
        tunelet::testkit::listView(form)->verticalScrollBar()->maximum() / 2);
    QCoreApplication::processEvents();
    QElapsedTimer paint;
    paint.start();
    for (int i = 0; i < 20; ++i)
        tunelet::testkit::listView(form)->viewport()->repaint();
    report("window_repaint_list_100000", double(paint.nsecsElapsed()) / 1e6 / 20, "ms");
    report("window_worst_command", worst, "ms");
    report("uniform_row_heights", tunelet::testkit::listView(form)->uniformRowHeights() ? 1 : 0,
           "bool");
    return 0;
}
