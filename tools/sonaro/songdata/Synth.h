#pragma once
// Renders a parsed song to 16-bit stereo samples: one simple oscillator voice per note
// (square, triangle, sawtooth, sine, noise, 25 % pulse) with short fades against clicks.

#include "tools/sonaro/songdata/Song.h"

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

    // Continues from frame (clamped to 0 … endFrame), with the notes sounding there.
    void seek(std::int64_t frame);
    // Writes frames interleaved stereo samples; after the end, silence.
    void render(std::int16_t *stereo, int frames);

private:
    struct Event {
        std::int64_t start;
        std::int64_t end;
        std::size_t note;
    };
    struct Voice {
        std::int64_t start;
        std::int64_t end;
        double phase;
        double step;
        float left;
        float right;
        Waveform waveform;
        std::uint32_t noise;
    };

    void startVoice(const Event &e);
    float sample(Voice &v, std::int64_t frame) const;

    const Song &m_song;
    int m_rate;
    std::vector<Event> m_events; // by start frame
    std::int64_t m_endFrame = 0;
    std::int64_t m_longest = 0;
    std::int64_t m_position = 0;
    std::size_t m_next = 0;
    std::vector<Voice> m_voices;
    int m_fade;
};

} // namespace songdata
