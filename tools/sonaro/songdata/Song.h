#pragma once
// A song of the song data format (".snr"), parsed: its header texts, tracks, notes and
// tempo map, and the time of every note. Free of Qt so any part of the project can use it.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace songdata
{

enum class Waveform : std::uint8_t { Square = 0, Triangle, Sawtooth, Sine, Noise, Pulse25 };

// How a note's level moves: it rises to full over the attack, falls by 60 dB towards
// the sustain level over the decay, holds there to the note's end, then falls by 60 dB
// over the release.
struct Envelope {
    int attackMs = 0;  // 0 … 10,000
    int decayMs = 0;   // 0 … 60,000
    int sustain = 100; // % of full, 0 … 100
    int releaseMs = 0; // 0 … 10,000
    bool operator==(const Envelope &) const = default;
};

// The envelope a waveform plays with when a song sets none.
Envelope defaultEnvelope(Waveform waveform);

struct Note {
    int track = 0; // index into Song::tracks
    std::int64_t startTick = 0;
    std::int64_t lengthTicks = 0; // how long it sounds (gate applied), at least 1
    int key = 60;                 // MIDI key number, 60 = middle C
    int volume = 100;             // 0 … 127
    Waveform waveform = Waveform::Square;
    int pan = 64;                     // 0 left … 64 centre … 127 right
    std::optional<Envelope> envelope; // none: the waveform's default
    double startSeconds = 0;
    double endSeconds = 0;
};

struct TempoChange {
    std::int64_t tick = 0;
    double bpm = 120;   // quarter notes per minute
    double seconds = 0; // time at which it takes effect
};

struct Track {
    std::string name; // "A", "B2", …
    std::int64_t endTick = 0;
    std::size_t noteCount = 0;
    Waveform firstWaveform = Waveform::Square;
};

struct Song {
    std::string title; // bytes of the *HEAD line's title (UTF-8 or Shift-JIS)
    bool hasTitle = false;
    std::string composer;
    std::string comment;
    int timebase = 48;               // ticks per quarter note
    std::vector<Track> tracks;       // in order of first appearance
    std::vector<Note> notes;         // ordered by start time, then track
    std::vector<TempoChange> tempos; // effective tempo map, first entry at tick 0
    std::int64_t endTick = 0;        // end of the longest track
    double totalSeconds = 0;
    bool truncated = false;       // a limit cut the song short
    std::uint64_t parseSteps = 0; // characters of the tracks read, each read counted

    // Total time rounded up to a whole second, as the player shows it.
    std::int64_t wholeSeconds() const;
    double secondsAt(std::int64_t tick) const;
    std::int64_t tickAt(double seconds) const;
};

// Guards against hostile input; the defaults fit any real song by far.
struct ParseLimits {
    std::size_t maxNotes = 1'000'000;
    std::size_t maxTempoChanges = 1'000'000;
    // Characters of the tracks read, every pass of a loop reading its body again.
    std::uint64_t maxSteps = 20'000'000;
    std::int64_t maxTrackTicks = std::int64_t(1) << 40;
    std::size_t maxTracks = 256;
};

// The header texts (title, composer, comment) keep at most this many bytes.
inline constexpr std::size_t kMaxHeaderTextBytes = 4096;

// Parses song data. Never fails: what it cannot read it ignores.
Song parseSong(std::string_view bytes, const ParseLimits &limits = {});

// True for bytes that are plainly not a text file (NUL bytes, or many control bytes).
bool looksBinary(std::string_view bytes);

// "3：05" (minutes, full-width colon U+FF1A, two-digit seconds), UTF-8.
std::string formatMinutesSeconds(std::int64_t wholeSeconds);

} // namespace songdata
