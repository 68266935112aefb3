#include "tools/archivers/common/LocaleScope.h"

namespace archivers
{
namespace
{

// Created once, freed when the library is unloaded.
class Utf8Locale final
{
public:
    Utf8Locale()
    {
        m_loc = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
        if (m_loc == static_cast<locale_t>(nullptr))
            m_loc = ::newlocale(LC_CTYPE_MASK, "C.utf8", static_cast<locale_t>(nullptr));
    }
    ~Utf8Locale()
    {
        if (m_loc != static_cast<locale_t>(nullptr))
            ::freelocale(m_loc);
    }
    Utf8Locale(const Utf8Locale &) = delete;
    Utf8Locale &operator=(const Utf8Locale &) = delete;
    locale_t get() const { return m_loc; }

private:
    locale_t m_loc;
};

locale_t utf8Locale()
{
    static const Utf8Locale instance;
    return instance.get();
}

} // namespace

LocaleScope::LocaleScope()
{
    if (const locale_t loc = utf8Locale(); loc != static_cast<locale_t>(nullptr))
        m_previous = ::uselocale(loc);
}

LocaleScope::~LocaleScope()
{
    if (m_previous != static_cast<locale_t>(nullptr))
        ::uselocale(m_previous);
}

} // namespace archivers
