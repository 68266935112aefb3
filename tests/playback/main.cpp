#include "tests/playback/PlaybackTests.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    int failures = 0;
    failures += runRuleTests(argc, argv);
    failures += runClockTests(argc, argv);
    failures += runStarterTests(argc, argv);
    failures += runSessionTests(argc, argv);
    failures += runWindowTests(argc, argv);
    failures += runIntegrationTests(argc, argv);
    return failures;
}
