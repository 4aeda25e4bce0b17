// Jet SQL as a user types it: the tokenizer must give back the statement exactly, and the
// translator must either translate or throw rp::Error, for both backends.
#include "FuzzCheck.h"
#include "core/base/Error.h"
#include "jet/JetSql.h"
#include "jet/JetSqlTokenizer.h"
#include "providers/postgres/PostgresDialect.h"
#include "providers/sqlite/SqliteDialect.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString sql = QString::fromUtf8(rp::fuzz::bytes(data, size));
    try {
        QString joined;
        for (const rp::JetToken& token : rp::tokenizeJetSql(sql)) {
            rp::fuzz::check(token.position == joined.size(), "token position");
            rp::fuzz::check(!token.text.isEmpty(), "empty token");
            joined += token.text;
        }
        rp::fuzz::check(joined == sql, "tokens join to the statement");
    } catch (const rp::Error&) {
    }
    try {
        rp::JetSql::translate(sql, rp::SqliteDialect());
    } catch (const rp::Error&) {
    }
    try {
        rp::JetSql::translate(sql, rp::PostgresDialect());
    } catch (const rp::Error&) {
    }
    return 0;
}
