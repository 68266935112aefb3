// The floor of a Qt Widgets program's start-up: an application and one window of
// Tunelet's design size titled "bare", nothing else. bench_startup measures Tunelet
// against it.
#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare"));
    window.resize(423, 290);
    window.show();
    return app.exec();
}
