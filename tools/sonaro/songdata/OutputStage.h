#pragma once
// The last step before the samples leave the synthesiser: a peak limiter without
// look-ahead. Below its threshold it passes the mix untouched; a peak above it lowers
// the gain at once just enough, and the gain recovers smoothly, so many loud voices
// never clip and one voice is never bent.

namespace songdata
{

class OutputStage final
{
public:
    static constexpr float kThreshold = 0.84f; // about -1.5 dBFS

    explicit OutputStage(int sampleRate);

    void process(float &left, float &right);

private:
    float m_gain = 1;
    float m_recovery; // share of the way back to 1 the gain goes per frame
};

} // namespace songdata
