#pragma once

// An independent reading of song data text, as far as the tests need it: the
// header, the tracks' notes with their ticks and settings, the tempo map and the
// song's total time as the format defines it.

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct SnrNote {
    std::string track;
    int key = 0;
    std::int64_t tick = 0;
    std::int64_t length = 0;
    int volume = 100;
    int waveform = 0;
    int pan = 64;
    int gate = 7;
    std::array<int, 4> envelope{-1, -1, -1, -1}; // `s` parts; -1: the waveform's own
};

struct SnrReading {
    bool hasTitle = false;
    std::string title;
    int timebase = 48;
    double startBpm = 120.0;
    std::vector<std::pair<std::int64_t, double>> tempoChanges; // in playing order
    std::map<std::string, std::int64_t> trackEnds;
    std::vector<SnrNote> notes;
    std::vector<std::string> problems; // commands this reading does not understand

    double secondsAt(std::int64_t tick) const;
    std::int64_t endTick() const;
    double totalSeconds() const { return secondsAt(endTick()); }
};

SnrReading readSnr(const std::string &text);
