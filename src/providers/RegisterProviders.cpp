#include "providers/BuiltInProviders.h"

namespace {

// Linked as an object file into every program that uses the providers, so the linker cannot
// drop it the way it drops an unreferenced member of a static library.
const bool registered = (rp::registerBuiltInProviders(), true);

} // namespace
