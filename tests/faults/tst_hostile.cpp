#include "tests/faults/FaultTests.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    int failures = 0;
    // First: its memory bound is measured against a process that has not
    // grown yet.
    failures += runHostileDataTests(argc, argv);
    failures += runHostileListTests(argc, argv);
    failures += runHostileArchiveTests(argc, argv);
    return failures;
}
