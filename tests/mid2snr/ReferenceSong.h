#pragma once

// A song described by its notes and tempo changes, from which the tests write a
// MIDI file and compute, independently of the converter, when each note starts
// and how long the song lasts.

#include "tests/support/SmfWriter.h"

#include <cstdint>
#include <string>
#include <vector>

struct RefNote {
    int track = 0;
    int channel = 0;
    int key = 60;
    std::uint32_t start = 0; // ticks from the start of the note's track
    std::uint32_t end = 0;
    int velocity = 100;
};

struct RefTempo {
    int track = 0;
    std::uint32_t tick = 0;
    std::uint32_t usPerQuarter = 500000;
};

struct RefSong {
    int format = 1;
    int tracks = 1;
    std::uint16_t division = 480;
    bool runningStatus = false;
    bool offAsNoteOn = false;
    bool extras = false;    // SysEx, text and unknown metas, pitch bends, an unknown chunk
    std::uint32_t tail = 0; // ticks from a track's last note to its end
    std::vector<RefNote> notes;
    std::vector<RefTempo> tempos;
    std::string trackName; // of the first track, when not empty
};

struct RefOnset {
    double seconds = 0;
    int key = 0;
};

std::string writeMidi(const RefSong &song);
// The song's onsets (sorted) and duration, format 2 tracks one after another.
std::vector<RefOnset> referenceOnsets(const RefSong &song);
double referenceSeconds(const RefSong &song);
// The length of one tick at a time in the song, in seconds.
double referenceTickSeconds(const RefSong &song, double seconds);
