#include "tests/longplay/LongPlayTests.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    int failures = 0;
    failures += runTerminationTests(argc, argv);
    failures += runLongPlayTests(argc, argv);
    return failures;
}
