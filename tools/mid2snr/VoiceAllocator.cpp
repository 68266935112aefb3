#include "tools/mid2snr/VoiceAllocator.h"

#include <algorithm>
#include <functional>
#include <queue>
#include <set>
#include <utility>

namespace mid2snr
{

namespace
{

using BusyVoice = std::pair<std::uint64_t, std::size_t>; // end tick, voice

class Allocator final
{
public:
    explicit Allocator(std::size_t maxVoices) : maxVoices_(std::max<std::size_t>(maxVoices, 1)) {}

    void place(const SongNote &note)
    {
        releaseUntil(note.start);
        if (!free_.empty()) {
            const std::size_t voice = *free_.begin();
            free_.erase(free_.begin());
            occupy(voice, note);
        } else if (split_.voices.size() < maxVoices_) {
            split_.voices.emplace_back();
            occupy(split_.voices.size() - 1, note);
        } else {
            steal(note);
        }
    }

    VoiceSplit take() { return std::move(split_); }

private:
    void releaseUntil(std::uint64_t tick)
    {
        while (!busy_.empty() && busy_.top().first <= tick) {
            free_.insert(busy_.top().second);
            busy_.pop();
        }
    }

    void occupy(std::size_t voice, const SongNote &note)
    {
        split_.voices[voice].push_back(note);
        busy_.push({note.end, voice});
    }

    // Every voice is busy: shorten the note that would end first, if it started
    // before this one; the new note keeps its onset either way.
    void steal(const SongNote &note)
    {
        const auto [end, voice] = busy_.top();
        SongNote &last = split_.voices[voice].back();
        if (last.start >= note.start) {
            ++split_.droppedNotes;
            return;
        }
        busy_.pop();
        last.end = note.start;
        ++split_.shortenedNotes;
        occupy(voice, note);
    }

    std::size_t maxVoices_;
    VoiceSplit split_;
    std::set<std::size_t> free_;
    std::priority_queue<BusyVoice, std::vector<BusyVoice>, std::greater<>> busy_;
};

} // namespace

VoiceSplit splitIntoVoices(std::vector<SongNote> notes, std::size_t maxVoices)
{
    std::stable_sort(notes.begin(), notes.end(), [](const SongNote &a, const SongNote &b) {
        return a.start != b.start ? a.start < b.start : a.key > b.key;
    });
    Allocator allocator(maxVoices);
    for (const SongNote &note : notes)
        allocator.place(note);
    return allocator.take();
}

} // namespace mid2snr
