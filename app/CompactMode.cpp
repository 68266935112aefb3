#include "app/CompactMode.h"

namespace tunelet
{

int CompactMode::enter(const WindowHeights &now)
{
    if (now.listArea() > 0)
        m_heightBeforeCompact = now.outer;
    return now.bars;
}

std::optional<int> CompactMode::leave(const WindowHeights &now) const
{
    // A list that has a height keeps it.
    if (now.listArea() > 0)
        return std::nullopt;
    return m_heightBeforeCompact > 0 ? m_heightBeforeCompact : DesignHeight;
}

} // namespace tunelet
