// Replays hostile inputs through the checks of the fuzz targets: the seed corpus of
// each target and every input saved after a target failed on it.
#include "fuzz/checks/ArchiveDataCheck.h"
#include "fuzz/checks/ArchiveOperandsCheck.h"
#include "fuzz/checks/BgaDataCheck.h"
#include "fuzz/checks/CabWriteCheck.h"
#include "fuzz/checks/IniCheck.h"
#include "fuzz/checks/ListFileCheck.h"
#include "fuzz/checks/LzhWriteCheck.h"
#include "fuzz/checks/SongDataCheck.h"
#include "fuzz/checks/TitlesCheck.h"
#include "fuzz/checks/WindowLinkCheck.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QTest>

#include <functional>

namespace
{

using Check = std::function<std::string(std::span<const std::uint8_t>)>;

const QHash<QString, Check> &checks()
{
    static const QHash<QString, Check> table{
        {"titles", fuzzcheck::checkTitles},
        {"listfile", fuzzcheck::checkListFile},
        {"ini", fuzzcheck::checkIni},
        {"songdata",
         [](std::span<const std::uint8_t> data) { return fuzzcheck::checkSongData(data); }},
        {"windowlink", fuzzcheck::checkWindowLink},
        {"archive_data", fuzzcheck::checkArchiveData},
        {"archive_arj", fuzzcheck::checkArjData},
        {"archive_operands", fuzzcheck::checkArchiveOperands},
        {"cab_write", fuzzcheck::checkCabWrite},
        {"bga", fuzzcheck::checkBgaData},
        {"lzh_write", fuzzcheck::checkLzhWrite},
    };
    return table;
}

// Saved inputs that still fail, by "<target>/<file name>": why, and who must fix it.
// An entry is removed once the fault is fixed, so the input then guards the fix.
const QHash<QString, QString> &knownFaults()
{
    static const QHash<QString, QString> table{};
    return table;
}

QString sourceDir()
{
    const QByteArray env = qgetenv("TUNELET_SOURCE_DIR");
    return env.isEmpty() ? QStringLiteral(TUNELET_REGRESSION_SOURCE_DIR)
                         : QString::fromLocal8Bit(env);
}

// One row per file below folder/<target>/<sub>, for every target with a check.
void addRows(const QString &folderPattern)
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("path");
    int rows = 0;
    for (auto it = checks().cbegin(); it != checks().cend(); ++it) {
        const QString folder = sourceDir() + folderPattern.arg(it.key());
        QDirIterator files(folder, QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QString path = files.next();
            const QString name = it.key() + '/' + QFileInfo(path).fileName();
            QTest::newRow(qPrintable(name)) << it.key() << path;
            ++rows;
        }
    }
    if (rows == 0)
        QTest::newRow("none") << QString() << QString();
}

std::string run(const QString &target, const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "cannot read " + path.toStdString();
    const QByteArray bytes = file.readAll();
    return checks().value(target)(std::span(
        reinterpret_cast<const std::uint8_t *>(bytes.constData()), std::size_t(bytes.size())));
}

} // namespace

class TestRegressions final : public QObject
{
    Q_OBJECT
private slots:
    // Every target has seeds, and every seed passes its target's checks.
    void everyTargetHasSeeds()
    {
        for (auto it = checks().cbegin(); it != checks().cend(); ++it) {
            const QDir corpus(sourceDir() + "/fuzz/" + it.key() + "/corpus");
            QVERIFY2(!corpus.entryList(QDir::Files).isEmpty(), qPrintable(it.key()));
        }
    }
    void seedPasses_data() { addRows("/fuzz/%1/corpus"); }
    void seedPasses()
    {
        QFETCH(QString, target);
        QFETCH(QString, path);
        const std::string problem = run(target, path);
        QVERIFY2(problem.empty(), problem.c_str());
    }

    // The corpus a long fuzzing run grew, minimized (scripts/fuzz-all.sh keeps it).
    void grownInputPasses_data() { addRows("/fuzz/%1/grown"); }
    void grownInputPasses()
    {
        QFETCH(QString, target);
        QFETCH(QString, path);
        if (target.isEmpty())
            QSKIP("no grown corpus kept");
        const std::string problem = run(target, path);
        QVERIFY2(problem.empty(), problem.c_str());
    }

    // Inputs a fuzz target failed on once; each must pass now, or be a known fault.
    void savedInputPasses_data() { addRows("/tests/regressions/inputs/%1"); }
    void savedInputPasses()
    {
        QFETCH(QString, target);
        QFETCH(QString, path);
        if (target.isEmpty())
            QSKIP("no saved failing inputs");
        const QString key = target + '/' + QFileInfo(path).fileName();
        if (const QString why = knownFaults().value(key); !why.isEmpty())
            QSKIP(qPrintable("known fault, not fixed yet: " + why));
        const std::string problem = run(target, path);
        QVERIFY2(problem.empty(), problem.c_str());
    }
};

QTEST_GUILESS_MAIN(TestRegressions)
#include "tst_regressions.moc"
