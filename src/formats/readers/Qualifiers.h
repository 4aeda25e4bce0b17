#pragma once

#include "formats/readers/ReadResult.h"

#include <QString>

namespace rp::readers {

// The HDB `source` marks a loaded value gets from its file's qualifier code. 1, 2, 3 and 5 are
// the marks the HDB already uses (observed, provisional, estimated, computed); 4 marks ice.
enum class HdbSource : short { Approved = 1, Provisional = 2, Estimated = 3, Ice = 4 };

// The one mapping (HYDAT's symbols differ from USGS's: "A" is a partial day there) from qualifier
// codes to source marks. Codes may be combined with ":" or "," (USGS "A:e", "P Ice"); the most
// doubtful part wins: ice, then estimated, then provisional.
//   USGS:  A, empty → Approved; P, ?? and other unreviewed codes → Provisional;
//          e, E, <, > → Estimated; letters run together (Ae, Pe) count each; Ice, Eqp, Bkw, Dis,
//          Ssn … (equipment, backwater, season) → Provisional unless Ice.
//   HYDAT: empty, D (dry), R (revised) → Approved; E (estimated), A (partial day) → Estimated;
//          B (ice conditions) → Ice; others → Provisional.
HdbSource hdbSource(const QString& qualifier, QualifierScheme scheme = QualifierScheme::Usgs);

} // namespace rp::readers
