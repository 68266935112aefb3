#include "tests/faults/FaultTests.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    int failures = 0;
    failures += runPlayerFaultTests(argc, argv);
    failures += runConverterFaultTests(argc, argv);
    failures += runFolderFaultTests(argc, argv);
    return failures;
}
