#pragma once
// Plays a song: renders it through the synthesiser into an SDL audio device and keeps
// the position. Without an audio device it keeps time by the clock, silently.

#include "songdata/song.h"
#include "songdata/synth.h"

#include <QElapsedTimer>
#include <QObject>
#include <SDL.h>
#include <atomic>
#include <memory>

namespace sonaro
{

class Player final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Player)

public:
    static constexpr int kSampleRate = 44100;

    explicit Player(const songdata::Song &song, QObject *parent = nullptr);
    ~Player() override;

    void play();
    void togglePause();
    // Moves the position by seconds (negative: back); leaving the end resumes playing.
    void seekBy(double seconds);
    void seekTo(double seconds);
    // Plays from the start again.
    void restart();

    bool isStarted() const { return m_started; }
    bool isPaused() const { return m_paused; }
    bool isEnded() const { return m_ended; }
    bool hasAudio() const { return m_device != 0; }
    double positionSeconds() const;
    double totalSeconds() const { return m_song.totalSeconds; }

    // Notices the end of the song; call regularly. Emits ended() once per end.
    void update();

signals:
    void ended();
    void stateChanged();

private:
    static void audioCallback(void *self, Uint8 *stream, int len);
    bool openAudio();
    void closeAudio();
    std::int64_t positionFrames() const;
    void setPositionFrames(std::int64_t frame);

    const songdata::Song &m_song;
    songdata::Synth m_synth;
    SDL_AudioDeviceID m_device = 0;
    std::atomic<std::int64_t> m_rendered{0}; // synth position, mirrored for other threads
    // The clock used without an audio device.
    QElapsedTimer m_clock;
    std::int64_t m_clockBase = 0;
    bool m_started = false;
    bool m_paused = false;
    bool m_ended = false;
};

} // namespace sonaro
