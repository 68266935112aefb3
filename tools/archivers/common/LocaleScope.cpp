#include "LocaleScope.h"

namespace archivers
{
namespace
{

locale_t utf8Locale()
{
    static const locale_t loc = [] {
        locale_t l = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
        return l != static_cast<locale_t>(nullptr) ? l
                                                   : ::newlocale(LC_CTYPE_MASK, "C.utf8", nullptr);
    }();
    return loc;
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
