#pragma once

#include <QString>

namespace tunelet
{

class RandomGenerator;

// The play mode; the values are the stored PlayMode setting.
enum class PlayMode : int { List = 0, Single = 1, Random = 2 };

// Status panel 1's name of a mode: "List", "Single", "Random".
QString playModeText(PlayMode mode);
// The mode cycle: List → Single → Random → List.
PlayMode nextPlayMode(PlayMode mode);

// What the sequencing rules look at.
struct SequenceState {
    int count = 0;     // playlist rows
    int playIndex = 0; // may be −1 or point past the last row
    PlayMode mode = PlayMode::List;
    bool repeat = true;
};

// What the main window does next.
struct SequenceStep {
    enum class Action {
        Nothing,
        ClosePlayer, // StopPlayer only
        Stop,        // StopPlayer and the progress timer off
        Start,       // StopPlayer, PlayIndex := playIndex, StartSong with that row
        PlayAgain,   // PlayIndex := playIndex, the player's play-again keys
    };
    Action action = Action::Nothing;
    int playIndex = 0;

    bool operator==(const SequenceStep &) const = default;
};

// Which row plays next, for each play command and at the end of a song.
// Random picks come from the program-wide generator.
class PlaySequencer final
{
public:
    explicit PlaySequencer(RandomGenerator &random) : m_random(random) {}
    Q_DISABLE_COPY_MOVE(PlaySequencer)

    SequenceStep play(const SequenceState &state);
    SequenceStep next(const SequenceState &state);
    SequenceStep back(const SequenceState &state);
    // The selected row, −1 for none.
    SequenceStep playSelected(const SequenceState &state, int selectedRow) const;
    // Space: Play while idle, else Stop.
    SequenceStep space(const SequenceState &state, bool idle);
    // The end-of-song rule.
    SequenceStep songEnded(const SequenceState &state);

private:
    int draw(int count);

    RandomGenerator &m_random;
};

} // namespace tunelet
