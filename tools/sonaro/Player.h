#pragma once
// Plays a song: renders it through the synthesiser into an SDL audio device and keeps
// the position. Without an audio device it keeps time by the clock, silently.

#include "tools/sonaro/songdata/Song.h"
#include "tools/sonaro/songdata/Synth.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <SDL.h>
#include <chrono>
#include <functional>
#include <mutex>

namespace sonaro
{

class Player final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Player)

public:
    static constexpr int kSampleRate = 44100;
    // Frames rendered per audio callback: about 93 ms, so the audio thread wakes
    // about 11 times a second.
    static constexpr int kBlockFrames = 4096;

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
    // Started, not paused and not ended: the position moves.
    bool isRunning() const { return m_started && !m_paused && !m_ended; }
    bool hasAudio() const { return m_device != 0; }
    double positionSeconds() const;
    double totalSeconds() const { return m_song.totalSeconds; }
    // Milliseconds until the position reaches `seconds`, while it moves: one past
    // it, so it has surely been reached, and at least a few, so a position that
    // lags the clock (the audio device is late) is not looked at in a busy loop.
    int msUntil(double seconds) const;

    // Notices the end of the song now. The player notices it by itself too, by a
    // timer set to the moment the song ends (set here when the song started before
    // the event loop existed). Emits ended() once per end.
    void update();

    // Told of the position in frames whenever the song plays into a new step of
    // stepFrames, on the audio thread, at the start of the block that enters it (the
    // thread wakes for every block anyway, so following the position costs no wake of
    // its own). Not told without an audio device, nor of seeks. Replaces the listener
    // before; an empty one stops it.
    using StepListener = std::function<void(std::int64_t frame)>;
    void setStepListener(std::int64_t stepFrames, StepListener listener);

signals:
    void ended();
    void stateChanged();

private:
    static void audioCallback(void *self, Uint8 *stream, int len);
    bool openAudio();
    void closeAudio();
    std::int64_t positionFrames() const;
    void setPositionFrames(std::int64_t frame);
    // The block the device is playing now starts at `from` (rendered up to `to`).
    void setBlock(std::int64_t from, std::int64_t to);
    void tellStep(std::int64_t from);
    // Sets the end timer to the moment the song ends, or stops it when it does not play.
    void awaitEnd();

    // The last block handed to the device. The position runs on from its start by
    // the clock, up to its end: the device takes a block at a time, but the position
    // still moves smoothly and never runs ahead of what was rendered.
    struct Block {
        std::int64_t from = 0;
        std::int64_t to = 0;
        std::chrono::steady_clock::time_point at;
    };

    const songdata::Song &m_song;
    songdata::Synth m_synth;
    SDL_AudioDeviceID m_device = 0;
    mutable std::mutex m_blockMutex; // the audio thread writes m_block, this thread reads it
    Block m_block;
    // The clock used without an audio device.
    QElapsedTimer m_clock;
    // The position while it does not move (not started, paused, ended); without an
    // audio device also where the clock started.
    std::int64_t m_clockBase = 0;
    QTimer m_endTimer;
    // Used on the audio thread; set under the device's lock.
    StepListener m_stepListener;
    std::int64_t m_stepFrames = 1;
    std::int64_t m_lastStep = -1;
    bool m_started = false;
    bool m_paused = false;
    bool m_ended = false;
};

} // namespace sonaro
