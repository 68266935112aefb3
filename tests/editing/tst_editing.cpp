// The editing commands' tests, one Qt Test object per group of commands.
#include <QApplication>
#include <QTest>

int runAddInsertTests(int argc, char **argv);
int runRowsTests(int argc, char **argv);
int runDropTests(int argc, char **argv);
int runSortPruneTests(int argc, char **argv);
int runWiringTests(int argc, char **argv);

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tunelet"));
    int failures = 0;
    for (auto run :
         {runAddInsertTests, runRowsTests, runDropTests, runSortPruneTests, runWiringTests})
        failures += run(argc, argv);
    return failures;
}
