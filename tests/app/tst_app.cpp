// The application shell's tests, one Qt Test object per group, run in turn.
#include <QApplication>
#include <QTest>

int runSettingsTests(int argc, char **argv);
int runLayoutTests(int argc, char **argv);
int runListsTests(int argc, char **argv);
int runClosingTests(int argc, char **argv);
int runWindowRulesTests(int argc, char **argv);

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tunelet"));
    int failures = 0;
    for (auto run :
         {runSettingsTests, runLayoutTests, runListsTests, runClosingTests, runWindowRulesTests})
        failures += run(argc, argv);
    return failures;
}
