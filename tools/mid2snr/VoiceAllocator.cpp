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
    explicit Allocator(std::size_t maxVoices) : m_maxVoices(std::max<std::size_t>(maxVoices, 1)) {}

    void place(const SongNote &note)
    {
        releaseUntil(note.start);
        if (!m_free.empty()) {
            const std::size_t voice = *m_free.begin();
            m_free.erase(m_free.begin());
            occupy(voice, note);
        } else if (m_split.voices.size() < m_maxVoices) {
            m_split.voices.emplace_back();
            occupy(m_split.voices.size() - 1, note);
        } else {
            steal(note);
        }
    }

    VoiceSplit take() { return std::move(m_split); }

private:
    void releaseUntil(std::uint64_t tick)
    {
        while (!m_busy.empty() && m_busy.top().first <= tick) {
            m_free.insert(m_busy.top().second);
            m_busy.pop();
        }
    }

    void occupy(std::size_t voice, const SongNote &note)
    {
        m_split.voices[voice].push_back(note);
        m_busy.push({note.end, voice});
    }

    // Every voice is busy: shorten the note that would end first, if it started
    // before this one; the new note keeps its onset either way.
    void steal(const SongNote &note)
    {
        const auto [end, voice] = m_busy.top();
        SongNote &last = m_split.voices[voice].back();
        if (last.start >= note.start) {
            ++m_split.droppedNotes;
            return;
        }
        m_busy.pop();
        last.end = note.start;
        ++m_split.shortenedNotes;
        occupy(voice, note);
    }

    std::size_t m_maxVoices;
    VoiceSplit m_split;
    std::set<std::size_t> m_free;
    std::priority_queue<BusyVoice, std::vector<BusyVoice>, std::greater<>> m_busy;
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
