// sonaro "<file>" *p *x [*i] [*m] [*f] [*s *a]: plays a song data file.

#include "tools/sonaro/IconicStart.h"
#include "tools/sonaro/LinkBinding.h"
#include "tools/sonaro/Options.h"
#include "tools/sonaro/Player.h"
#include "tools/sonaro/PlayerWindow.h"
#include "tools/sonaro/SongFile.h"
#include "tools/sonaro/SubWindows.h"
#include "tools/sonaro/Transport.h"

#include <QApplication>
#include <SDL.h>
#include <cstdio>

namespace
{

// The switches as Qt would give them, without building the application first.
QStringList argumentsOf(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

} // namespace

int main(int argc, char *argv[])
{
    // SDL only renders sound here; Qt owns the window system and signals.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    const bool audio = SDL_Init(SDL_INIT_AUDIO) == 0;

    const sonaro::Options options = sonaro::parseOptions(argumentsOf(argc, argv));
    // The file by the bytes of the command line: Qt's text arguments would
    // alter a name that is no UTF-8.
    const sonaro::LoadedSong loaded = sonaro::loadSongFile(sonaro::fileArgument(argc, argv));
    if (loaded.song.truncated)
        std::fprintf(stderr,
                     "sonaro: the song is cut short: a limit was reached after %llu parse steps\n",
                     static_cast<unsigned long long>(loaded.song.parseSteps));

    // The song starts before anything of the window system: a jukebox that
    // starts this player at the end of the previous song hears the next one
    // sooner. A file that cannot be played ends at once, with its error as
    // the status.
    sonaro::Player player(loaded.song);
    if (options.playAtOnce || !loaded.error.isEmpty())
        player.play();

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("sonaro"));
    sonaro::Transport transport(player);
    sonaro::PlayerWindow window(loaded, player, transport);
    sonaro::SubWindows subWindows(loaded, player, options, &window);
    sonaro::LinkBinding link(window, player, transport);

    // Started minimized, the window keeps its hands off the keyboard from the
    // first moment, as a program started minimized without activation: neither
    // the focus nor the active window changes.
    if (options.minimized)
        sonaro::prepareIconicStart(window);
    window.show();
    subWindows.show();
    window.refresh();

    // Published last, so the first look from outside sees the song already playing.
    QString why;
    if (!link.publish(&why))
        std::fprintf(stderr, "sonaro: window not published: %s\n", qPrintable(why));

    const int rc = app.exec();
    subWindows.close();
    if (audio)
        SDL_Quit();
    return rc;
}
