#include "platform/core/SpareDescriptors.h"

#include <fcntl.h>
#include <unistd.h>

namespace tunelet
{

SpareDescriptors::SpareDescriptors(int count)
{
    for (int i = 0; i < count; ++i) {
        const int fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            break;
        m_descriptors.append(fd);
    }
}

SpareDescriptors::~SpareDescriptors()
{
    release();
}

void SpareDescriptors::release()
{
    for (const int fd : std::as_const(m_descriptors))
        ::close(fd);
    m_descriptors.clear();
}

} // namespace tunelet
