#include "playback/PlaySequencer.h"

#include "playlist/RandomGenerator.h"

namespace tunelet
{

using Action = SequenceStep::Action;

QString playModeText(PlayMode mode)
{
    switch (mode) {
    case PlayMode::List:
        break;
    case PlayMode::Single:
        return QStringLiteral("Single");
    case PlayMode::Random:
        return QStringLiteral("Random");
    }
    return QStringLiteral("List");
}

PlayMode nextPlayMode(PlayMode mode)
{
    switch (mode) {
    case PlayMode::List:
        return PlayMode::Single;
    case PlayMode::Single:
        return PlayMode::Random;
    case PlayMode::Random:
        break;
    }
    return PlayMode::List;
}

int PlaySequencer::draw(int count)
{
    return static_cast<int>(m_random.draw(static_cast<quint32>(count)));
}

SequenceStep PlaySequencer::play(const SequenceState &state)
{
    if (state.count == 0)
        return {Action::ClosePlayer, state.playIndex};
    // Single mode starts from the first row too.
    const int row = state.mode == PlayMode::Random ? draw(state.count) : 0;
    return {Action::Start, row};
}

SequenceStep PlaySequencer::next(const SequenceState &state)
{
    if (state.count == 0)
        return {Action::Stop, state.playIndex};
    int row = state.mode == PlayMode::Random ? draw(state.count) : state.playIndex + 1;
    if (row > state.count - 1)
        row = state.repeat ? 0 : state.count - 1;
    return {Action::Start, row};
}

SequenceStep PlaySequencer::back(const SequenceState &state)
{
    if (state.count == 0)
        return {Action::Stop, state.playIndex};
    int row = state.playIndex;
    if (row == 0 && state.repeat)
        row = state.count;
    row = state.mode == PlayMode::Random ? draw(state.count) : row - 1;
    if (row < 0)
        row = 0;
    // After rows were removed, the index may lie well past the end: the last
    // row is the nearest one before it.
    if (row > state.count - 1)
        row = state.count - 1;
    return {Action::Start, row};
}

SequenceStep PlaySequencer::playSelected(const SequenceState &state, int selectedRow) const
{
    if (selectedRow < 0 || selectedRow >= state.count)
        return {Action::Nothing, state.playIndex};
    return {Action::Start, selectedRow};
}

SequenceStep PlaySequencer::space(const SequenceState &state, bool idle)
{
    if (idle)
        return play(state);
    return {Action::Stop, state.playIndex};
}

SequenceStep PlaySequencer::songEnded(const SequenceState &state)
{
    if (state.count == 0)
        return {Action::Stop, state.playIndex};
    if (state.mode == PlayMode::Single) {
        if (!state.repeat)
            return {Action::Stop, state.playIndex};
        return {Action::PlayAgain, state.playIndex < 0 ? 0 : state.playIndex};
    }
    if (state.repeat)
        return next(state);
    if (state.playIndex == state.count - 1 || state.count == 1)
        return {Action::Stop, state.playIndex};
    return next(state);
}

} // namespace tunelet
