#pragma once

#include <QList>

namespace tunelet
{

// Descriptors held in reserve, so that work that must not fail for want of
// them (saving the settings and the list at exit) can still open its files
// after the process has run out: they are released right before it.
class SpareDescriptors final
{
public:
    explicit SpareDescriptors(int count);
    ~SpareDescriptors();
    Q_DISABLE_COPY_MOVE(SpareDescriptors)

    // Gives the descriptors back to the system.
    void release();
    int held() const { return int(m_descriptors.size()); }

private:
    QList<int> m_descriptors;
};

} // namespace tunelet
