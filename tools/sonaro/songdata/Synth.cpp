#include "tools/sonaro/songdata/Synth.h"

#include <algorithm>
#include <cmath>

namespace songdata
{
namespace
{

constexpr double kPi = 3.14159265358979323846;
// Loud enough for a few voices, with room before clipping for many.
constexpr float kVoiceGain = 0.18f;

} // namespace

Synth::Synth(const Song &song, int sampleRate)
    : m_song(song), m_rate(std::max(sampleRate, 1000)), m_fade(m_rate / 200)
{
    m_endFrame = static_cast<std::int64_t>(std::llround(song.totalSeconds * m_rate));
    m_events.reserve(song.notes.size());
    for (std::size_t i = 0; i < song.notes.size(); ++i) {
        const Note &n = song.notes[i];
        const auto start = static_cast<std::int64_t>(std::llround(n.startSeconds * m_rate));
        const auto end = static_cast<std::int64_t>(std::llround(n.endSeconds * m_rate));
        if (end <= start)
            continue;
        m_events.push_back({start, end, i});
        m_longest = std::max(m_longest, end - start);
    }
    std::stable_sort(m_events.begin(), m_events.end(),
                     [](const Event &a, const Event &b) { return a.start < b.start; });
}

void Synth::seek(std::int64_t frame)
{
    m_position = std::clamp<std::int64_t>(frame, 0, m_endFrame);
    m_voices.clear();
    // Notes that began up to the longest note's length ago may still sound.
    const std::int64_t from = m_position - m_longest;
    auto it = std::lower_bound(m_events.begin(), m_events.end(), from,
                               [](const Event &e, std::int64_t f) { return e.start < f; });
    for (; it != m_events.end() && it->start <= m_position; ++it)
        if (it->end > m_position)
            startVoice(*it);
    m_next = static_cast<std::size_t>(it - m_events.begin());
}

void Synth::startVoice(const Event &e)
{
    const Note &n = m_song.notes[e.note];
    const double freq = 440.0 * std::pow(2.0, (n.key - 69) / 12.0);
    const float gain = kVoiceGain * static_cast<float>(n.volume) / 127.0f;
    const float pan = static_cast<float>(n.pan) / 127.0f;
    Voice v{};
    v.start = e.start;
    v.end = e.end;
    v.phase = 0;
    v.step = freq / m_rate;
    v.left = gain * std::sqrt(1.0f - pan) * 1.41421356f * 0.7071f;
    v.right = gain * std::sqrt(pan) * 1.41421356f * 0.7071f;
    v.waveform = n.waveform;
    v.noise = 0x1234567u ^ static_cast<std::uint32_t>(e.note * 2654435761u);
    m_voices.push_back(v);
}

float Synth::sample(Voice &v, std::int64_t frame) const
{
    float s;
    const double p = v.phase;
    switch (v.waveform) {
    case Waveform::Square:
        s = p < 0.5 ? 0.6f : -0.6f;
        break;
    case Waveform::Triangle:
        s = static_cast<float>(p < 0.5 ? 4 * p - 1 : 3 - 4 * p);
        break;
    case Waveform::Sawtooth:
        s = static_cast<float>(2 * p - 1) * 0.7f;
        break;
    case Waveform::Sine:
        s = static_cast<float>(std::sin(2 * kPi * p));
        break;
    case Waveform::Noise:
        // A new random value each period keeps the noise pitched by the key.
        if (p + v.step >= 1.0 || v.step > 0.25) {
            v.noise ^= v.noise << 13;
            v.noise ^= v.noise >> 17;
            v.noise ^= v.noise << 5;
        }
        s = (static_cast<float>(v.noise & 0xFFFF) / 32768.0f - 1.0f) * 0.5f;
        break;
    case Waveform::Pulse25:
    default:
        s = p < 0.25 ? 0.6f : -0.6f;
        break;
    }
    v.phase += v.step;
    if (v.phase >= 1.0)
        v.phase -= std::floor(v.phase);
    // Short fades at both ends of the note.
    const std::int64_t in = frame - v.start;
    const std::int64_t out = v.end - frame;
    if (in < m_fade)
        s *= static_cast<float>(in) / m_fade;
    if (out < m_fade)
        s *= static_cast<float>(out) / m_fade;
    return s;
}

void Synth::render(std::int16_t *stereo, int frames)
{
    for (int i = 0; i < frames; ++i) {
        const std::int64_t f = m_position;
        float l = 0, r = 0;
        if (f < m_endFrame) {
            while (m_next < m_events.size() && m_events[m_next].start <= f)
                startVoice(m_events[m_next++]);
            for (Voice &v : m_voices) {
                const float s = sample(v, f);
                l += s * v.left;
                r += s * v.right;
            }
            std::erase_if(m_voices, [f](const Voice &v) { return v.end <= f + 1; });
            ++m_position;
        }
        // Soft limit instead of hard clipping when many voices sound at once.
        l = l / (1.0f + std::fabs(l) * 0.3f);
        r = r / (1.0f + std::fabs(r) * 0.3f);
        stereo[2 * i] = static_cast<std::int16_t>(std::clamp(l, -1.0f, 1.0f) * 32767.0f);
        stereo[2 * i + 1] = static_cast<std::int16_t>(std::clamp(r, -1.0f, 1.0f) * 32767.0f);
    }
}

} // namespace songdata
