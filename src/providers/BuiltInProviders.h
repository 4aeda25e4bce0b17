#pragma once

namespace rp {

// Registers the SQLite, PostgreSQL, workbook and Access providers with the core's registry.
// Every program that links the providers library has this done before main().
void registerBuiltInProviders();

} // namespace rp
