#pragma once

// Song data as the player reads it: through the player's own songdata library
// when the build has it, otherwise through this folder's independent reading.

#include <array>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

struct PlayedNote {
    std::string track;
    int key = 0;
    std::int64_t tick = 0;
    std::int64_t length = 0; // sounding length in ticks
    double seconds = 0;
    int volume = 0;
    int waveform = 0;
    std::array<int, 4> envelope{-1, -1, -1, -1}; // attack, decay, sustain, release; -1: default
};

struct PlayedSong {
    bool byPlayerLibrary = false;
    bool hasTitle = false;
    std::string title;
    double startBpm = 0;
    std::set<std::string> tracks;
    std::vector<PlayedNote> notes; // by start time, then key
    double totalSeconds = 0;
    double firstTickSeconds = 0; // length of the song's first tick
    std::vector<std::string> problems;
};

PlayedSong playSong(const std::string &text);
