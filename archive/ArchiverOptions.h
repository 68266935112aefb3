#pragma once

#include "archive/ArchiverTypes.h"
#include "archive/FileItems.h"

#include <QByteArray>
#include <cstdint>
#include <span>
#include <variant>

// The class library's streamable-object base: assignment between objects of known classes.
class TPersistent
{
public:
    virtual ~TPersistent() = default;
    virtual const char *ClassName() const = 0;
    // Copies this object into dest; the base raises EConvertError
    // "Cannot assign a <this class> to a <dest class>".
    virtual void AssignTo(TPersistent &dest) const;
};

using TSmallOption = std::int8_t; // -1 = unset

// The 58 options that shape every archiver command line, in declaration order.
class TArchiverOptions final : public TPersistent
{
public:
    TArchiverOptions();
    const char *ClassName() const override { return "TArchiverOptions"; }
    void Reset();
    void AssignTo(TPersistent &dest) const override;

    TSmallOption a, c, e, f, h, i, l, m, n, o, p, r, s, t, u;
    QByteArray w;
    TSmallOption x, y, z, jc, jd, je, jf, jh, ji, jm, jn;
    QByteArray jo, job;
    TSmallOption jp, jr, jss, jw;
    TStringList jx;
    TSmallOption jyc;
    TSmallOption jyd, jyk, jyn, jyo;
    QByteArray jz;
    TSmallOption ga, gd, ge, gf, gj, gm, gn, go, gp;
    QByteArray gr;
    TSmallOption gs, gu, gw;
    QByteArray UserOptions;
    QByteArray UserFileList;
    TPackFilter PackFilter;
    QByteArray ResFileName;
    TResFileUsage ResFileUsage;

    // The published options as data: name, field and the default a form file leaves out.
    using Field = std::variant<TSmallOption TArchiverOptions::*, QByteArray TArchiverOptions::*,
                               TStringList TArchiverOptions::*, TPackFilter TArchiverOptions::*,
                               TResFileUsage TArchiverOptions::*>;
    struct Property {
        const char *name;
        Field field;
        bool hasStreamDefault; // false: written whenever not empty (strings) or always
        int streamDefault;
    };
    static std::span<const Property> Properties();
    // Whether a form file would hold this property's current value.
    bool IsStored(const Property &property) const;
};
