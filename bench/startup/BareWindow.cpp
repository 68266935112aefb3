// The floor of a Qt Widgets program's start-up as Tunelet's window looks: an
// application, a main window of Tunelet's design size titled "bare" with a menu
// bar carrying Tunelet's menu titles (so the same fonts, also the Japanese
// fallback, are looked up and loaded), a line of text and a status bar; nothing
// else. bench_startup measures Tunelet against it.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("bare"));
    for (const char *title : {"ファイル(&F)", "編集(&E)", "設定(&S)", "ヘルプ(&H)"})
        window.menuBar()->addMenu(QString::fromUtf8(title));
    window.setCentralWidget(new QLabel(QStringLiteral("00:00/00:00")));
    window.statusBar()->showMessage(QStringLiteral("List"));
    window.resize(423, 290);
    window.show();
    return app.exec();
}
