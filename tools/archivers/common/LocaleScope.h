#pragma once

#include <locale.h>

namespace archivers
{

// Runs a library call under a UTF-8 character type for this thread, so member names come
// out as UTF-8 (this platform's file-name bytes) whatever locale the host process has set.
class LocaleScope final
{
public:
    LocaleScope();
    ~LocaleScope();
    LocaleScope(const LocaleScope &) = delete;
    LocaleScope &operator=(const LocaleScope &) = delete;

private:
    locale_t m_previous = nullptr;
};

} // namespace archivers
