#include "tools/sonaro/Player.h"

#include <QAbstractEventDispatcher>

#include <algorithm>
#include <climits>
#include <cmath>

namespace sonaro
{

namespace
{
constexpr int kShortestWaitMs = 5;
} // namespace

Player::Player(const songdata::Song &song, QObject *parent)
    : QObject(parent), m_song(song), m_synth(song, kSampleRate)
{
    m_endTimer.setSingleShot(true);
    m_endTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_endTimer, &QTimer::timeout, this, &Player::update);
    // Every start, pause, seek and end passes here.
    connect(this, &Player::stateChanged, this, &Player::awaitEnd);
}

Player::~Player()
{
    closeAudio();
}

void Player::audioCallback(void *self, Uint8 *stream, int len)
{
    auto *p = static_cast<Player *>(self);
    const std::int64_t from = p->m_synth.position();
    p->m_synth.render(reinterpret_cast<std::int16_t *>(stream), len / 4);
    p->setBlock(from, p->m_synth.position());
    p->tellStep(from);
}

void Player::tellStep(std::int64_t from)
{
    if (!m_stepListener)
        return;
    const std::int64_t step = from / m_stepFrames;
    if (step == m_lastStep)
        return;
    m_lastStep = step;
    m_stepListener(from);
}

void Player::setStepListener(std::int64_t stepFrames, StepListener listener)
{
    if (m_device != 0)
        SDL_LockAudioDevice(m_device);
    m_stepFrames = std::max<std::int64_t>(stepFrames, 1);
    m_stepListener = std::move(listener);
    m_lastStep = -1;
    if (m_device != 0)
        SDL_UnlockAudioDevice(m_device);
}

void Player::setBlock(std::int64_t from, std::int64_t to)
{
    const auto now = std::chrono::steady_clock::now();
    std::lock_guard lock(m_blockMutex);
    m_block = {from, to, now};
}

bool Player::openAudio()
{
    if (m_device != 0)
        return true;
    if (SDL_WasInit(SDL_INIT_AUDIO) == 0)
        return false;
    SDL_AudioSpec want{};
    want.freq = kSampleRate;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = kBlockFrames;
    want.callback = &Player::audioCallback;
    want.userdata = this;
    SDL_AudioSpec have{};
    // The synthesiser renders exactly this format; SDL converts for the device.
    m_device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    return m_device != 0;
}

void Player::closeAudio()
{
    if (m_device != 0) {
        SDL_CloseAudioDevice(m_device);
        m_device = 0;
    }
}

std::int64_t Player::positionFrames() const
{
    if (!isRunning())
        return m_clockBase;
    if (m_device != 0) {
        std::lock_guard lock(m_blockMutex);
        const auto ran = std::chrono::duration_cast<std::chrono::nanoseconds>(
                             std::chrono::steady_clock::now() - m_block.at)
                             .count() *
                         kSampleRate / 1'000'000'000;
        return std::min(m_block.from + std::max<std::int64_t>(ran, 0), m_block.to);
    }
    std::int64_t f = m_clockBase;
    if (m_clock.isValid())
        f += m_clock.nsecsElapsed() * kSampleRate / 1'000'000'000;
    return std::min(f, m_synth.endFrame());
}

void Player::setPositionFrames(std::int64_t frame)
{
    frame = std::clamp<std::int64_t>(frame, 0, m_synth.endFrame());
    if (m_device != 0) {
        SDL_LockAudioDevice(m_device);
        m_synth.seek(frame);
        setBlock(frame, frame);
        SDL_UnlockAudioDevice(m_device);
    } else {
        m_synth.seek(frame);
        m_clock.restart();
    }
    m_clockBase = frame;
}

double Player::positionSeconds() const
{
    return double(positionFrames()) / kSampleRate;
}

void Player::play()
{
    const std::int64_t at = m_ended ? m_clockBase : positionFrames();
    m_started = true;
    m_paused = false;
    m_ended = false;
    m_clockBase = at;
    if (openAudio()) {
        SDL_LockAudioDevice(m_device);
        m_synth.setPaused(false);
        m_synth.seek(at);
        setBlock(at, at);
        SDL_UnlockAudioDevice(m_device);
        SDL_PauseAudioDevice(m_device, 0);
    } else {
        m_clock.restart();
    }
    update();
    emit stateChanged();
}

void Player::togglePause()
{
    if (!m_started || m_ended)
        return;
    // The device keeps running: the synthesiser fades out and renders silence, and
    // fades in again on resuming, so neither clicks.
    if (!m_paused) {
        m_clockBase = positionFrames();
        m_paused = true;
        if (m_device != 0) {
            SDL_LockAudioDevice(m_device);
            m_synth.setPaused(true);
            SDL_UnlockAudioDevice(m_device);
        }
    } else {
        m_paused = false;
        m_clock.restart();
        if (m_device != 0) {
            // On from where it stood, up to what the device still holds.
            SDL_LockAudioDevice(m_device);
            m_synth.setPaused(false);
            setBlock(m_clockBase, std::max(m_clockBase, m_synth.position()));
            SDL_UnlockAudioDevice(m_device);
        }
    }
    emit stateChanged();
}

void Player::seekBy(double seconds)
{
    seekTo(positionSeconds() + seconds);
}

void Player::seekTo(double seconds)
{
    const auto frame =
        static_cast<std::int64_t>(std::llround(std::max(0.0, seconds) * kSampleRate));
    if (m_ended) {
        if (frame >= m_synth.endFrame())
            return;
        // Leaving the end plays on from the new place.
        m_clockBase = frame;
        m_synth.seek(frame);
        play();
        return;
    }
    setPositionFrames(frame);
    update();
    emit stateChanged();
}

void Player::restart()
{
    closeAudio();
    m_clockBase = 0;
    m_synth.seek(0);
    play();
}

void Player::update()
{
    if (!isRunning())
        return;
    if (positionFrames() < m_synth.endFrame()) {
        awaitEnd();
        return;
    }
    m_ended = true;
    m_clockBase = m_synth.endFrame();
    // Closing the device stops it from writing silence after the song.
    closeAudio();
    emit ended();
    emit stateChanged();
}

void Player::awaitEnd()
{
    if (!isRunning()) {
        m_endTimer.stop();
        return;
    }
    // A song started before the toolkit's event loop exists has its timer set by the
    // first update() after it does.
    if (QAbstractEventDispatcher::instance() == nullptr)
        return;
    m_endTimer.start(msUntil(double(m_synth.endFrame()) / kSampleRate));
}

int Player::msUntil(double seconds) const
{
    const double ms = std::ceil((seconds - positionSeconds()) * 1000) + 1;
    return static_cast<int>(std::clamp<double>(ms, kShortestWaitMs, INT_MAX));
}

} // namespace sonaro
