#include "tests/tray/TrayTestSupport.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    int failures = 0;
    failures += RunRegistryTests(argc, argv);
    failures += RunPropertyTests(argc, argv);
    failures += RunTipTests(argc, argv);
    failures += RunMessageTests(argc, argv);
    failures += RunClickTests(argc, argv);
    failures += RunQtNotifyAreaTests(argc, argv);
    return failures;
}
