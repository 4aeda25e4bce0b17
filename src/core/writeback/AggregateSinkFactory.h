#pragma once

#include "core/writeback/DatabaseAggregateSink.h"

#include <functional>

namespace rp {

// The write-back of a window that runs table reports one after another: each call starts the
// write-back of a new report with the connection string and the mode box as they are then, and
// releases the database of the previous report. The sink returned stays valid until the next call
// or until the last copy of the factory is gone. Throws rp::Error as DatabaseAggregateSink does.
std::function<AggregateSink*()> aggregateSinkFactory(std::function<QString()> connectionString,
                                                     std::function<QString()> modeText,
                                                     WriteBackChoice choice);

} // namespace rp
