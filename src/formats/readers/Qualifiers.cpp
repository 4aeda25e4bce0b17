#include "formats/readers/Qualifiers.h"

#include <QRegularExpression>
#include <algorithm>

namespace rp::readers {

namespace {

int doubt(HdbSource s) {
    switch (s) {
    case HdbSource::Approved:
        return 0;
    case HdbSource::Provisional:
        return 1;
    case HdbSource::Estimated:
        return 2;
    case HdbSource::Ice:
        return 3;
    }
    return 1;
}

HdbSource usgsPart(const QString& code) {
    if (code == u"A")
        return HdbSource::Approved;
    if (code == u"e" || code == u"E" || code == u"<" || code == u">")
        return HdbSource::Estimated;
    if (code.compare(u"Ice", Qt::CaseInsensitive) == 0)
        return HdbSource::Ice;
    // Letters run together (HydroBase's "Ae", "Pe"): the worst of them, when each is a code.
    if (code.size() > 1 && code.size() <= 3 &&
        std::all_of(code.begin(), code.end(), [](QChar c) { return u"APeE"_qs.contains(c); })) {
        HdbSource worst = HdbSource::Approved;
        for (QChar c : code)
            if (doubt(usgsPart(QString(c))) > doubt(worst))
                worst = usgsPart(QString(c));
        return worst;
    }
    return HdbSource::Provisional;
}

HdbSource hydatPart(const QString& code) {
    if (code == u"D" || code == u"R")
        return HdbSource::Approved;
    if (code == u"E" || code == u"A")
        return HdbSource::Estimated;
    if (code == u"B")
        return HdbSource::Ice;
    return HdbSource::Provisional;
}

} // namespace

HdbSource hdbSource(const QString& qualifier, QualifierScheme scheme) {
    if (qualifier.isEmpty())
        return HdbSource::Approved;
    static const QRegularExpression separators(u"[:,;\\s]+"_qs);
    const QStringList parts = qualifier.split(separators, Qt::SkipEmptyParts);
    HdbSource worst = HdbSource::Approved;
    for (const QString& part : parts) {
        const HdbSource s = scheme == QualifierScheme::Hydat ? hydatPart(part) : usgsPart(part);
        if (doubt(s) > doubt(worst))
            worst = s;
    }
    return worst;
}

} // namespace rp::readers
