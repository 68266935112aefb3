#pragma once
// A note's envelope as the synthesiser runs it, a block of frames at a time: a straight
// rise over the attack, an exponential fall towards the sustain level, and an
// exponential release from the note's end.

#include "tools/sonaro/songdata/Song.h"

#include <cstdint>

namespace songdata
{

class EnvelopeRun final
{
public:
    // Shortest rise and release, so no note starts or ends with a click.
    static constexpr double kMinAttackSeconds = 0.002;
    static constexpr double kMinReleaseSeconds = 0.005;

    EnvelopeRun() = default;
    // releaseAt: frames from the note's start to its release; the release lasts at
    // most maxReleaseFrames (so a note can fade out before the song ends).
    EnvelopeRun(const Envelope &e, int sampleRate, std::int64_t releaseAt,
                std::int64_t maxReleaseFrames);
    // Frames the release of an envelope lasts.
    static std::int64_t releaseFramesOf(const Envelope &e, int sampleRate);

    // Frames the release lasts.
    std::int64_t releaseFrames() const { return m_releaseFrames; }
    // Puts the run where it is `frames` after the note's start.
    void skip(std::int64_t frames);
    // Writes the levels of the next `frames` frames and moves on past them.
    void fill(float *levels, int frames);

private:
    enum class Stage : std::uint8_t { Attack, Decay, Release };

    // The level of this frame; then moves on by one frame, changing stage if due.
    float next()
    {
        const float level = m_level;
        advance();
        return level;
    }
    void advance();
    // Frames from here that step within the current stage, without changing it.
    std::int64_t framesWithinStage() const;
    // Levels falling from `excess` above `floor` by `factor` a frame, four at a time.
    float fall(float *levels, int frames, float floor, float excess, float factor) const;
    // Level `frames` after the start, by the closed forms of the stages.
    float levelAt(std::int64_t frames) const;

    float m_level = 0;
    float m_attackStep = 1;
    float m_sustain = 1;
    float m_decayFactor = 0;
    float m_releaseFactor = 0;
    std::int64_t m_attackFrames = 1;
    std::int64_t m_releaseAt = 0;
    std::int64_t m_releaseFrames = 1;
    std::int64_t m_age = 0;
    Stage m_stage = Stage::Attack;
};

} // namespace songdata
