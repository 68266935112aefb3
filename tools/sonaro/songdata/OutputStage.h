#pragma once
// The last step before the samples leave the synthesiser: a peak limiter without
// look-ahead, then the conversion to 16-bit samples. Below its threshold the limiter
// passes the mix untouched; a peak above it lowers the gain at once just enough, and
// the gain recovers smoothly, so many loud voices never clip and one voice is never
// bent.

#include <cstdint>

namespace songdata
{

class OutputStage final
{
public:
    static constexpr float kThreshold = 0.84f; // about -1.5 dBFS

    explicit OutputStage(int sampleRate);

    // Limits a block of the mix and writes it as interleaved stereo samples.
    void process(float *left, float *right, std::int16_t *stereo, int frames);

private:
    // True when the gain is back at 1 and nothing in the block reaches the threshold:
    // the block then passes as it is.
    bool passesUntouched(const float *left, const float *right, int frames) const;
    void limit(float *left, float *right, int frames);

    float m_gain = 1;
    float m_recovery; // share of the way back to 1 the gain goes per frame
};

} // namespace songdata
