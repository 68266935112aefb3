#include "tests/modes/ModesTests.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tunelet"));
    QApplication::setQuitOnLastWindowClosed(false);
    int failures = 0;
    failures += runCompactModeTests(argc, argv);
    failures += runStayOnTopTests(argc, argv);
    failures += runTrayTests(argc, argv);
    failures += runDataViewerTests(argc, argv);
    failures += runToolsTests(argc, argv);
    failures += runShellTests(argc, argv);
    failures += runModeRulesTests(argc, argv);
    return failures;
}
