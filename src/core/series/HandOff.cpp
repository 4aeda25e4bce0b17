#include "core/series/HandOff.h"

#include "core/base/Error.h"
#include "core/series/SeriesSession.h"

namespace rp {

SeriesHeader seriesHeader(TimeStep step, const QString& description) {
    const qsizetype split = description.indexOf(QLatin1Char(';'));
    if (split < 0)
        throw Error(
            QStringLiteral("No series is retrieved: choose a parameter and press GO first."));
    const TimeStepInfo& info = timeStepInfo(step);
    SeriesHeader header;
    header.heading = QLatin1String(info.heading);
    header.parameter = description.mid(split + 2);
    header.line1 = QLatin1String(info.code) + description.left(split);
    header.line2 = header.heading + QLatin1Char(' ') + header.parameter;
    return header;
}

DialogStates handOffStates(TimeStep step, const SeriesHeader& header, SeriesSession& session) {
    DialogStates states;
    states.acftEnabled = header.parameter.contains(QLatin1String("CFS"), Qt::CaseSensitive);
    if (step == TimeStep::Unit || step == TimeStep::UnitShift) {
        states.tableEnabled = false;
        states.updateEnabled = false;
        states.updateUnchanged = step == TimeStep::Unit;
    }
    if (header.heading != session.lastHeading)
        session.seriesCount = 0;
    session.lastHeading = header.heading;
    states.addlineEnabled = session.seriesCount != 0;
    if (!states.addlineEnabled)
        session.cumulative = false;
    return states;
}

} // namespace rp
