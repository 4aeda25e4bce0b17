#include "providers/access/MdbCopy.h"

#include "providers/access/AccessValues.h"

// glib first: mdbtools.h relies on it.
#include <glib.h>
#include <mdbtools.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <new>
#include <sqlite3.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace rp {

namespace {

constexpr size_t bindSize = 256 * 1024; // the longest memo text kept whole
constexpr long progressEvery = 5000;

void report(int fd, const std::string& line) {
    std::string text = line + '\n';
    const char* p = text.data();
    size_t left = text.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        p += n;
        left -= size_t(n);
    }
}

std::string quoted(const char* name) {
    std::string q = "\"";
    for (const char* p = name; *p; ++p) {
        if (*p == '"')
            q += '"';
        q += *p;
    }
    return q + '"';
}

struct Failure {
    std::string message;
};

// A fault of the file itself rather than of the copy.
struct Damaged {
    std::string message;
};

// A table whose pages lie beyond the end of a file cut short would otherwise come out with rows
// missing and no word said: every page its usage map names must be in the file.
void requirePagesInFile(MdbTableDef* table, const std::string& name, guint32 pages) {
    const auto beyond = [&](guint32 page) {
        return Damaged{"the table " + name + " has its rows on page " + std::to_string(page) +
                       ", but the file ends after page " + std::to_string(pages - 1) +
                       ", as a file cut short in copying does."};
    };
    const unsigned char* map = table->usage_map;
    if (!map || table->map_sz == 0)
        return;
    if (map[0] == 1) // a map of map pages: each of them must be there too
        for (size_t at = 1; at + 4 <= table->map_sz; at += 4) {
            guint32 page;
            std::memcpy(&page, map + at, 4);
            page = GUINT32_FROM_LE(page);
            if (page >= pages)
                throw beyond(page);
        }
    gint32 page = 0;
    while ((page = mdb_map_find_next(table->entry->mdb, table->usage_map, unsigned(table->map_sz),
                                     guint32(page))) > 0)
        if (guint32(page) >= pages)
            throw beyond(guint32(page));
    if (page < 0)
        throw Damaged{"the map of the pages of the table " + name + " cannot be read."};
}

// Rows lost to a damaged page show as fewer rows than the table's definition counts.
void requireAllRows(const MdbTableDef* table, const std::string& name, long rows) {
    if (rows < long(table->num_rows))
        throw Damaged{"the table " + name + " gave " + std::to_string(rows) + " of the " +
                      std::to_string(table->num_rows) + " rows its definition counts."};
}

// The file's length in pages.
guint32 pagesIn(MdbHandle* mdb) {
    struct stat info;
    if (::fstat(::fileno(mdb->f->stream), &info) != 0)
        throw Failure{"The Access file cannot be measured."};
    return guint32(info.st_size / mdb->fmt->pg_size);
}

// The table catalogue (MSysObjects, described on page 2) read whole, as every table is found
// through it: a catalogue cut short would make tables vanish without a word.
void requireWholeCatalogue(MdbHandle* mdb, guint32 pages) {
    MdbCatalogEntry entry;
    std::memset(&entry, 0, sizeof entry);
    entry.mdb = mdb;
    entry.object_type = MDB_TABLE;
    entry.table_pg = 2;
    std::strcpy(entry.object_name, "MSysObjects");
    MdbTableDef* table = mdb_read_table(&entry);
    if (!table)
        throw Damaged{"its table catalogue cannot be read."};
    struct Free {
        MdbTableDef* t;
        ~Free() { mdb_free_tabledef(t); }
    } freeTable{table};
    if (!mdb_read_columns(table))
        throw Damaged{"its table catalogue cannot be read."};
    requirePagesInFile(table, "catalogue (MSysObjects)", pages);
    mdb_rewind_table(table);
    long rows = 0;
    while (mdb_fetch_row(table))
        ++rows;
    requireAllRows(table, "catalogue (MSysObjects)", rows);
}

class Sqlite {
public:
    explicit Sqlite(const char* path) {
        if (sqlite3_open_v2(path, &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            fail("cannot open the copy");
        exec("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; BEGIN");
    }
    ~Sqlite() { sqlite3_close(db); }
    void exec(const std::string& sql) {
        if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
            fail(sql);
    }
    [[noreturn]] void fail(const std::string& what) const {
        throw Failure{"The copy failed (" + what + "): " + sqlite3_errmsg(db)};
    }
    sqlite3* db = nullptr;
};

// One column of a table being copied.
struct Column {
    MdbColumn* mdb = nullptr;
    int number = 0; // 1-based, as libmdb binds
    std::vector<char> text;
    int length = 0;
};

qint64 rawInteger(const unsigned char* p, int bytes) {
    switch (bytes) {
    case 1:
        return p[0];
    case 2: {
        qint16 v;
        std::memcpy(&v, p, 2);
        return v;
    }
    case 4: {
        qint32 v;
        std::memcpy(&v, p, 4);
        return v;
    }
    default: {
        qint64 v;
        std::memcpy(&v, p, 8);
        return v;
    }
    }
}

// Binds the current row's value of one column, read from the raw field where the type has a
// fixed size so no formatting stands between the file and the copy.
void bindValue(sqlite3_stmt* insert, int index, MdbHandle* mdb, Column& c) {
    const int type = c.mdb->col_type;
    const unsigned char* raw = mdb->pg_buf + c.mdb->cur_value_start;
    const int rawLength = c.mdb->cur_value_len;
    if (c.length == 0 && type != MDB_BOOL) {
        sqlite3_bind_null(insert, index);
        return;
    }
    auto fixed = [&](int bytes) {
        return rawLength == bytes && c.mdb->cur_value_start >= 0 &&
               size_t(c.mdb->cur_value_start) + size_t(bytes) <= sizeof mdb->pg_buf;
    };
    switch (type) {
    case MDB_BOOL:
        // Access keeps Yes as -1, and Jet's True is -1 too.
        sqlite3_bind_int(insert, index, c.length > 0 && c.text[0] == '1' ? -1 : 0);
        return;
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT: {
        const int bytes = type == MDB_BYTE ? 1 : type == MDB_INT ? 2 : 4;
        if (fixed(bytes)) {
            sqlite3_bind_int64(insert, index, rawInteger(raw, bytes));
            return;
        }
        break;
    }
    case MDB_FLOAT:
        if (fixed(4)) {
            float v;
            std::memcpy(&v, raw, 4);
            sqlite3_bind_double(insert, index, jetSingleValue(v));
            return;
        }
        break;
    case MDB_DOUBLE:
        if (fixed(8)) {
            double v;
            std::memcpy(&v, raw, 8);
            sqlite3_bind_double(insert, index, v);
            return;
        }
        break;
    case MDB_MONEY:
        if (fixed(8)) {
            sqlite3_bind_double(insert, index, jetCurrencyValue(rawInteger(raw, 8)));
            return;
        }
        break;
    case MDB_DATETIME:
        if (fixed(8)) {
            double v;
            std::memcpy(&v, raw, 8);
            const std::string text = jetDateTimeText(v);
            if (text.empty())
                sqlite3_bind_null(insert, index); // outside any date Jet itself can hold
            else
                sqlite3_bind_text(insert, index, text.c_str(), int(text.size()), SQLITE_TRANSIENT);
            return;
        }
        break;
    case MDB_BINARY:
        if (rawLength > 0 && c.mdb->cur_value_start >= 0 &&
            size_t(c.mdb->cur_value_start) + size_t(rawLength) <= sizeof mdb->pg_buf) {
            sqlite3_bind_blob(insert, index, raw, rawLength, SQLITE_TRANSIENT);
            return;
        }
        sqlite3_bind_null(insert, index);
        return;
    case MDB_NUMERIC: {
        // The library's decimal text; the process runs in the C locale, so '.' is the point.
        const std::string text(c.text.data(), size_t(c.length));
        char* end = nullptr;
        const double v = std::strtod(text.c_str(), &end);
        if (end && *end == '\0')
            sqlite3_bind_double(insert, index, v);
        else
            sqlite3_bind_text(insert, index, text.c_str(), int(text.size()), SQLITE_TRANSIENT);
        return;
    }
    default:
        break;
    }
    sqlite3_bind_text(insert, index, c.text.data(), c.length, SQLITE_TRANSIENT);
}

void copyTable(MdbCatalogEntry* entry, Sqlite& out, int reportFd, guint32 pages) {
    const std::string name = entry->object_name;
    if (entry->table_pg >= pages)
        throw Damaged{"the table " + name + " is defined on page " +
                      std::to_string(entry->table_pg) + ", but the file ends after page " +
                      std::to_string(pages - 1) + ", as a file cut short in copying does."};
    MdbTableDef* table = mdb_read_table(entry);
    if (!table)
        throw Failure{std::string("The table ") + entry->object_name + " cannot be read."};
    struct Free {
        MdbTableDef* t;
        ~Free() { mdb_free_tabledef(t); }
    } freeTable{table};
    if (!mdb_read_columns(table))
        throw Failure{std::string("The columns of ") + entry->object_name + " cannot be read."};
    requirePagesInFile(table, name, pages);

    std::vector<Column> columns;
    columns.reserve(table->num_cols);
    std::string create = "CREATE TABLE " + quoted(entry->object_name) + " (";
    std::string names, marks;
    int seriesKey = 0; // how many of the two columns that key a value table it has
    for (unsigned i = 0; i < table->num_cols; ++i) {
        auto* col = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, i));
        const std::string type = accessColumnSqlType(col->col_type);
        if (type.empty())
            continue; // OLE objects and attachments stay behind
        Column c;
        c.mdb = col;
        c.number = int(i) + 1;
        c.text.assign(bindSize, '\0');
        columns.push_back(std::move(c));
        if (!names.empty()) {
            create += ", ";
            names += ", ";
            marks += ", ";
        }
        create += quoted(col->name) + ' ' + type;
        seriesKey += g_ascii_strcasecmp(col->name, "datatype_site_id") == 0 ||
                     g_ascii_strcasecmp(col->name, "date_time") == 0;
        names += quoted(col->name);
        marks += '?';
    }
    if (columns.empty())
        return; // nothing of it is copied, so nothing can be missing
    out.exec(create + ')');
    for (unsigned i = 0; i < columns.size(); ++i)
        mdb_bind_column(table, columns[i].number, columns[i].text.data(), &columns[i].length);

    sqlite3_stmt* insert = nullptr;
    const std::string sql =
        "INSERT INTO " + quoted(entry->object_name) + " (" + names + ") VALUES (" + marks + ')';
    if (sqlite3_prepare_v2(out.db, sql.c_str(), -1, &insert, nullptr) != SQLITE_OK)
        out.fail(sql);
    struct Finalize {
        sqlite3_stmt* s;
        ~Finalize() { sqlite3_finalize(s); }
    } finalize{insert};

    mdb_rewind_table(table);
    long rows = 0;
    MdbHandle* mdb = entry->mdb;
    while (mdb_fetch_row(table)) {
        for (size_t i = 0; i < columns.size(); ++i)
            bindValue(insert, int(i) + 1, mdb, columns[i]);
        if (sqlite3_step(insert) != SQLITE_DONE)
            out.fail(std::string("a row of ") + entry->object_name);
        sqlite3_reset(insert);
        if (++rows % progressEvery == 0)
            report(reportFd, "P" + std::to_string(rows) + '\t' + entry->object_name);
    }
    requireAllRows(table, name, rows);
    report(reportFd, "P" + std::to_string(rows) + '\t' + entry->object_name);
    // A value table of an HDB is searched by series and date.
    if (seriesKey == 2)
        out.exec("CREATE INDEX " + quoted((std::string(entry->object_name) + "_series").c_str()) +
                 " ON " + quoted(entry->object_name) + " (datatype_site_id, date_time)");
}

} // namespace

int copyMdbToSqlite(const char* mdbPath, const char* sqlitePath, int reportFd) {
    MdbHandle* mdb = mdb_open(mdbPath, MDB_NOFLAGS);
    if (!mdb) {
        report(reportFd, std::string("EThe Access file ") + mdbPath + " cannot be opened.");
        return 2;
    }
    try {
        mdb_set_bind_size(mdb, bindSize);
        mdb_set_date_fmt(mdb, "%Y-%m-%d %H:%M:%S");
        mdb_set_boolean_fmt_numbers(mdb);
        const guint32 pages = pagesIn(mdb);
        requireWholeCatalogue(mdb, pages);
        if (!mdb_read_catalog(mdb, MDB_TABLE))
            throw Failure{"Its table catalogue cannot be read."};
        Sqlite out(sqlitePath);
        for (unsigned i = 0; i < mdb->num_catalog; ++i) {
            auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
            if (entry->object_type == MDB_TABLE && mdb_is_user_table(entry))
                copyTable(entry, out, reportFd, pages);
        }
        out.exec("COMMIT");
    } catch (const Damaged& d) {
        report(reportFd, 'E' + d.message);
        mdb_close(mdb);
        return mdbCopyDamaged;
    } catch (const std::bad_alloc&) {
        // The memory limit of the process, reached only by a file that makes the reader run away.
        report(reportFd, "Ereading it needed more memory than a file of its size can.");
        mdb_close(mdb);
        return mdbCopyDamaged;
    } catch (const Failure& f) {
        report(reportFd, 'E' + f.message);
        mdb_close(mdb);
        return 2;
    } catch (const std::exception& e) {
        // Out of memory, say: reported like any other failure rather than as a crash.
        report(reportFd, std::string("EThe Access file cannot be copied: ") + e.what());
        mdb_close(mdb);
        return 2;
    }
    mdb_close(mdb);
    return 0;
}

} // namespace rp
