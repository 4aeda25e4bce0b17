#include "core/db/Database.h"

#include "core/base/Error.h"

namespace rp {

void inTransaction(Database& database, const QString& failure, const std::function<void()>& work) {
    database.beginTransaction();
    try {
        work();
        database.commit();
    } catch (const Error& e) {
        const QString message = failure + QStringLiteral(": ") + e.message();
        try {
            database.rollback();
        } catch (const Error& undo) {
            throw Error(message + QStringLiteral(" Undoing it failed too: ") + undo.message());
        }
        throw Error(message);
    }
}

} // namespace rp
