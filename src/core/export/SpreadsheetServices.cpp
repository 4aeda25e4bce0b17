// The Graph/Table dialog's spreadsheet services on one export session.
#include "core/export/SpreadsheetServices.h"

#include "core/base/Error.h"
#include "core/base/UserDialogs.h"
#include "core/db/ConnectionPassword.h"
#include "core/db/Database.h"
#include "core/export/ApplyUpdate.h"
#include "core/export/UpdateWorkbook.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace rp {

namespace {

// The session starts on first use, when the program's folder is settled.
struct Shared {
    SpreadsheetHooks hooks;
    std::shared_ptr<ExportSession> session;
    QString lastUpdateBook; // the workbook and sheet the last update filled
    QString lastUpdateSheet;

    ExportSession& get() {
        if (!session->workbookPath().isEmpty() || !hooks.folder)
            return *session;
        *session = ExportSession(hooks.folder(), hooks.opener);
        return *session;
    }
};

void watched(const Shared& shared, const QString& label,
             const std::function<void(const Progress&)>& work) {
    if (shared.hooks.withProgress)
        shared.hooks.withProgress(label, work);
    else
        work({});
}

// The database F2 names. F2 holds no password: the current connection string lends its own when
// the rest is the same, else libpq looks (PGPASSWORD, ~/.pgpass, passfile=); when that is refused
// too, the user is asked.
std::shared_ptr<Database> openWorkbookDatabase(const Shared& shared, QWidget* parent,
                                               GraphTableServices& services,
                                               const QString& stored) {
    const QString current =
        shared.hooks.connectionString ? shared.hooks.connectionString() : QString();
    const QString connection = connectionWithKnownPassword(stored, current);
    try {
        return openDatabase(connection);
    } catch (const Error&) {
        if (hasPassword(connection) || !services.askPassword)
            throw;
        const auto password = services.askPassword(
            parent, QStringLiteral("The password for %1").arg(connectionWithoutPassword(stored)));
        if (!password)
            throw;
        return openDatabase(connectionWithPassword(stored, *password));
    }
}

void applyWorkbook(Shared& shared, QWidget* parent, GraphTableServices& services) {
    const bool updated = !shared.lastUpdateBook.isEmpty();
    const QString preset = updated ? shared.lastUpdateBook
                                   : QDir(shared.hooks.folder ? shared.hooks.folder() : QString())
                                         .filePath(QLatin1String(updateWorkbookName));
    const auto chosen = services.chooseFile(
        parent, preset, QStringLiteral("Select the update workbook file"), QStringLiteral("xlsx"));
    if (!chosen || chosen->trimmed().isEmpty())
        return;
    const QString path = chosen->trimmed();
    const bool sameBook = updated && QFileInfo(path) == QFileInfo(shared.lastUpdateBook);
    const UpdateSheet sheet =
        readUpdateSheet(path, sameBook ? shared.lastUpdateSheet : QStringLiteral("Sheet1"));
    const auto database = openWorkbookDatabase(shared, parent, services, sheet.connection);
    const UpdatePlan plan = planUpdate(*database, sheet);
    if (plan.changes.empty() && plan.conflicts.empty()) {
        services.dialogs->message(parent, QStringLiteral("%1 of %2 changes nothing in %3.")
                                              .arg(sheet.sheetName, path, plan.table));
        return;
    }
    if (plan.changes.empty()) {
        services.dialogs->message(parent, updatePlanSummary(plan) + QStringLiteral(":\n") +
                                              updatePlanLines(plan).join(QLatin1Char('\n')));
        return;
    }
    if (!services.confirmUpdate ||
        !services.confirmUpdate(parent, updatePlanSummary(plan), updatePlanLines(plan)))
        return;
    applyUpdatePlan(*database, plan);
    services.dialogs->message(parent, updatePlanSummary(plan) + QStringLiteral(": written."));
}

} // namespace

void openInDesktopApplication(const QString& path) {
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        throw Error(
            QStringLiteral("No application opens %1; the workbook is written there.").arg(path));
}

std::shared_ptr<ExportSession> fillSpreadsheetServices(GraphTableServices& services,
                                                       SpreadsheetHooks hooks) {
    if (!hooks.opener)
        hooks.opener = openInDesktopApplication;
    auto shared = std::make_shared<Shared>();
    shared->session = std::make_shared<ExportSession>(QString(), hooks.opener);
    shared->hooks = std::move(hooks);
    services.spreadsheet = [shared](const QString& path, bool isReport) {
        const int perDay = shared->hooks.valuesPerDay ? shared->hooks.valuesPerDay() : 0;
        ExportSession& session = shared->get();
        watched(*shared, QStringLiteral("Writing the workbook..."), [&](const Progress& progress) {
            session.exportFile(path, isReport, perDay, progress);
        });
    };
    services.update = [shared](const QString& path) {
        const int perDay = shared->hooks.valuesPerDay ? shared->hooks.valuesPerDay() : 0;
        const QString connection =
            shared->hooks.connectionString ? shared->hooks.connectionString() : QString();
        ExportSession& session = shared->get();
        watched(*shared, QStringLiteral("Writing the update workbook..."),
                [&](const Progress& progress) {
                    session.exportUpdate(path, perDay, connection, progress);
                });
        shared->lastUpdateBook = session.workbookPath();
        shared->lastUpdateSheet = session.sheetName();
        // A workbook database must let go of its file for the spreadsheet application.
        if (isWorkbookConnection(connection) && shared->hooks.releaseWorkbookDatabase)
            shared->hooks.releaseWorkbookDatabase();
    };
    services.applyWorkbook = [shared](QWidget* parent, GraphTableServices& dialogServices) {
        applyWorkbook(*shared, parent, dialogServices);
    };
    return shared->session;
}

} // namespace rp
