#pragma once
// Renders a parsed song to 16-bit stereo samples: one voice per note, each a
// band-limited waveform (square, triangle, sawtooth, sine, 25 % pulse; noise pitched
// by its key) shaped by the note's envelope. The song is brought to one loudness and
// the mix passes a peak limiter that acts only near full scale. Seeking cross-fades
// from the old place to the new one and pausing fades out and in, so neither clicks.

#include "tools/sonaro/songdata/Envelope.h"
#include "tools/sonaro/songdata/OutputStage.h"
#include "tools/sonaro/songdata/Song.h"
#include "tools/sonaro/songdata/WaveTables.h"

#include <cstdint>
#include <vector>

namespace songdata
{

class Synth final
{
public:
    Synth(const Song &song, int sampleRate);
    Synth(const Synth &) = delete;
    Synth &operator=(const Synth &) = delete;

    int sampleRate() const { return m_rate; }
    // Frame at which the song ends.
    std::int64_t endFrame() const { return m_endFrame; }
    std::int64_t position() const { return m_position; }
    bool atEnd() const { return m_position >= m_endFrame; }
    // The gain that brings this song to the common loudness.
    double songGain() const { return m_songGain; }

    // Continues from frame (clamped to 0 … endFrame), with the notes sounding there.
    void seek(std::int64_t frame);
    // Paused, the sound fades out within a few milliseconds and then renders silence
    // without moving the position; resumed, it fades in where it stopped.
    void setPaused(bool paused);
    // Writes frames interleaved stereo samples; after the end, silence.
    void render(std::int16_t *stereo, int frames);

private:
    struct Event {
        std::int64_t start;
        std::int64_t release; // where the note lets go
        std::int64_t end;     // where its release has faded out
        std::size_t note;
    };
    struct Voice {
        std::int64_t end;
        const float *table; // nullptr: noise
        std::uint32_t phase;
        std::uint32_t step;
        float left;
        float right;
        float ramp;     // cross-fade after a seek: 0 … 1
        float rampStep; // per frame; 0 once settled
        EnvelopeRun envelope;
        std::uint32_t noise;
        float noiseValue;
        bool sounded;
    };

    static constexpr int kSegment = 256; // frames mixed at a time

    void startVoice(const Event &e, std::int64_t at);
    void renderSteadyTone(Voice &v, const float *levels, float *left, float *right, int frames);
    void renderVoice(Voice &v, float *left, float *right, int frames);
    int segmentLength(int wanted) const;
    void mixSegment(std::int16_t *stereo, int frames);
    void applyTransport(float *left, float *right, int frames);

    const Song &m_song;
    int m_rate;
    WaveTables m_tables;
    OutputStage m_output;
    double m_songGain = 1;
    std::vector<Event> m_events; // by start frame
    std::int64_t m_endFrame = 0;
    std::int64_t m_longest = 0;
    std::int64_t m_position = 0;
    std::size_t m_next = 0;
    std::vector<Voice> m_voices;
    std::vector<Voice> m_fading; // voices of the place before a seek, fading out
    int m_rampFrames;
    bool m_paused = false;
    float m_transport = 1; // fade of pause and resume: 0 … 1
};

} // namespace songdata
