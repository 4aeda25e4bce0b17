#include "core/writeback/AggregateSinkFactory.h"

namespace rp {

std::function<AggregateSink*()> aggregateSinkFactory(std::function<QString()> connectionString,
                                                     std::function<QString()> modeText,
                                                     WriteBackChoice choice) {
    return [connectionString = std::move(connectionString), modeText = std::move(modeText),
            choice = std::move(choice),
            current = std::make_shared<std::unique_ptr<DatabaseAggregateSink>>()]() {
        current->reset();
        *current = std::make_unique<DatabaseAggregateSink>(connectionString(), modeText(), choice);
        return static_cast<AggregateSink*>(current->get());
    };
}

} // namespace rp
