#include "archive/ArchiverOptions.h"

#include <array>
#include <string>

void TPersistent::AssignTo(TPersistent &dest) const
{
    throw EConvertError(std::string("Cannot assign a ") + ClassName() + " to a " +
                        dest.ClassName());
}

namespace
{

using O = TArchiverOptions;
using P = TArchiverOptions::Property;

constexpr P small(const char *name, TSmallOption O::*field)
{
    return {name, field, true, -1};
}
constexpr P text(const char *name, QByteArray O::*field)
{
    return {name, field, false, 0};
}

const std::array<P, 58> properties = {{
    small("a", &O::a),
    small("c", &O::c),
    small("e", &O::e),
    small("f", &O::f),
    small("h", &O::h),
    small("i", &O::i),
    small("l", &O::l),
    small("m", &O::m),
    small("n", &O::n),
    small("o", &O::o),
    small("p", &O::p),
    small("r", &O::r),
    small("s", &O::s),
    small("t", &O::t),
    small("u", &O::u),
    text("w", &O::w),
    small("x", &O::x),
    small("y", &O::y),
    small("z", &O::z),
    small("jc", &O::jc),
    small("jd", &O::jd),
    small("je", &O::je),
    small("jf", &O::jf),
    small("jh", &O::jh),
    small("ji", &O::ji),
    small("jm", &O::jm),
    small("jn", &O::jn),
    text("jo", &O::jo),
    text("job", &O::job),
    small("jp", &O::jp),
    small("jr", &O::jr),
    small("jss", &O::jss),
    small("jw", &O::jw),
    {"jx", &O::jx, false, 0},
    {"jyc", &O::jyc, false, 0},
    small("jyd", &O::jyd),
    small("jyk", &O::jyk),
    small("jyn", &O::jyn),
    small("jyo", &O::jyo),
    text("jz", &O::jz),
    small("ga", &O::ga),
    small("gd", &O::gd),
    small("ge", &O::ge),
    small("gf", &O::gf),
    small("gj", &O::gj),
    small("gm", &O::gm),
    small("gn", &O::gn),
    small("go", &O::go),
    small("gp", &O::gp),
    text("gr", &O::gr),
    small("gs", &O::gs),
    small("gu", &O::gu),
    small("gw", &O::gw),
    text("UserOptions", &O::UserOptions),
    text("UserFileList", &O::UserFileList),
    {"PackFilter", &O::PackFilter, true, static_cast<int>(TPackFilter::pfComponent)},
    text("ResFileName", &O::ResFileName),
    {"ResFileUsage", &O::ResFileUsage, false, 0},
}};

template <class... Ts> struct Overloaded : Ts... {
    using Ts::operator()...;
};
template <class... Ts> Overloaded(Ts...) -> Overloaded<Ts...>;

} // namespace

TArchiverOptions::TArchiverOptions()
{
    Reset();
}

std::span<const TArchiverOptions::Property> TArchiverOptions::Properties()
{
    return properties;
}

void TArchiverOptions::Reset()
{
    for (const Property &property : properties) {
        std::visit(Overloaded{
                       [this](TSmallOption O::*f) { this->*f = -1; },
                       [this](QByteArray O::*f) { this->*f = nulString(); },
                       [this](TStringList O::*f) { (this->*f).clear(); },
                       [this](TPackFilter O::*f) { this->*f = TPackFilter::pfComponent; },
                       [this](TResFileUsage O::*f) {
                           this->*f = {TResFileUse::ruOnPack, TResFileUse::ruOnUnpack,
                                       TResFileUse::ruOnRemoveItem};
                       },
                   },
                   property.field);
    }
    UserOptions.clear();
    UserFileList.clear();
    ResFileName.clear();
}

void TArchiverOptions::AssignTo(TPersistent &dest) const
{
    auto *target = dynamic_cast<TArchiverOptions *>(&dest);
    if (target == nullptr) {
        TPersistent::AssignTo(dest);
        return;
    }
    if (target != this)
        *target = *this;
}

bool TArchiverOptions::IsStored(const Property &property) const
{
    return std::visit(
        Overloaded{
            [&](TSmallOption O::*f) {
                return !property.hasStreamDefault || this->*f != property.streamDefault;
            },
            [&](QByteArray O::*f) { return !(this->*f).isEmpty(); },
            [&](TStringList O::*f) { return !(this->*f).isEmpty(); },
            [&](TPackFilter O::*f) { return static_cast<int>(this->*f) != property.streamDefault; },
            [](TResFileUsage O::*) { return true; },
        },
        property.field);
}
