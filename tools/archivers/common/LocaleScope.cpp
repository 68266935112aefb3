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
        loc_ = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
        if (loc_ == static_cast<locale_t>(nullptr))
            loc_ = ::newlocale(LC_CTYPE_MASK, "C.utf8", static_cast<locale_t>(nullptr));
    }
    ~Utf8Locale()
    {
        if (loc_ != static_cast<locale_t>(nullptr))
            ::freelocale(loc_);
    }
    Utf8Locale(const Utf8Locale &) = delete;
    Utf8Locale &operator=(const Utf8Locale &) = delete;
    locale_t get() const { return loc_; }

private:
    locale_t loc_;
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
        previous_ = ::uselocale(loc);
}

LocaleScope::~LocaleScope()
{
    if (previous_ != static_cast<locale_t>(nullptr))
        ::uselocale(previous_);
}

} // namespace archivers
