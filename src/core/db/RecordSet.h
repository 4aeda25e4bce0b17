#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <optional>

namespace rp {

class Database;

enum class LockType { ReadOnly = 1, Optimistic = 3 };
// None: no pending change; InProgress: the current record has unsaved changes; Add: a new
// record is being added (not yet saved).
enum class EditMode { None = 0, InProgress = 1, Add = 2 };
enum class FieldType { Null, Integer, Real, Text, DateTime, Blob };

// A record's identity within its record set, stable across moves, adds and deletes of other rows.
using Bookmark = qint64;

// A client-side, static, scrollable result: every row is held in memory, typed, column by column.
// Read-only, or optimistic: edits are held for the current record until update(), which saves
// them to the database at once by the row's key (value tables: datatype_site_id and date_time;
// other tables: all original column values). Positions are 1-based as the navigator shows them;
// row indexes for the grid are 0-based.
class RecordSet {
public:
    class Builder;

    RecordSet();
    ~RecordSet();
    RecordSet(const RecordSet&) = delete;
    RecordSet& operator=(const RecordSet&) = delete;

    // Fields
    int fieldCount() const;
    QString fieldName(int field) const;
    QStringList fieldNames() const;
    // Case-insensitive; -1 when missing.
    int fieldIndex(const QString& name) const;
    // The type the field was declared with, or that of its first non-null value; a value
    // set through setValue is converted to it (a typed text read as a number or a date).
    FieldType fieldType(int field) const;

    // Rows
    qsizetype recordCount() const;
    bool isEmpty() const { return recordCount() == 0; }
    FieldType type(qsizetype row, int field) const;
    bool isNull(qsizetype row, int field) const;
    // Integer as qlonglong, Real as double, Text as QString, DateTime as QDateTime (Qt::UTC,
    // naive), Null as an invalid QVariant. A pending edit of that row shows its new value.
    QVariant value(qsizetype row, int field) const;
    // The text the grid shows: numbers with up to 15 significant digits and no trailing zeros,
    // date-times month first (gridDateTimeText), empty for null.
    QString displayText(qsizetype row, int field) const;
    // The same text appended in Latin-1, without the detour through QString for numbers: for
    // writers of large files.
    void appendDisplayText(QByteArray& out, qsizetype row, int field) const;
    // A date-time cell as naive milliseconds since 1970-01-01; nothing for other cells.
    std::optional<qint64> dateTimeMSecs(qsizetype row, int field) const;

    // Cursor
    bool bof() const;
    bool eof() const;
    // 1..recordCount, or 0 when before the first or after the last record.
    qsizetype absolutePosition() const;
    void setAbsolutePosition(qsizetype position);
    // 0-based row index of the current record, -1 at BOF/EOF.
    qsizetype currentRow() const { return absolutePosition() - 1; }
    void moveFirst();
    void moveLast();
    void moveNext();
    void movePrevious();
    Bookmark bookmark() const; // of the current record; throws at BOF/EOF
    void setBookmark(Bookmark bookmark);
    Bookmark bookmarkAt(qsizetype row) const;
    qsizetype rowOfBookmark(Bookmark bookmark) const; // -1 when deleted or unknown
    // Current record's value.
    QVariant value(int field) const;

    // Editing. Every editing call throws rp::Error on a read-only set or when the database
    // refuses; the set is then as it was before the call.
    LockType lockType() const;
    // The table saved edits go to; empty when the result does not come from one table.
    QString baseTable() const;
    bool isUpdatable() const;
    EditMode editMode() const;
    // Changes a field of the current record; the change is pending until update(). Moving to
    // another record saves pending changes first, as update() does. A record being added that
    // received no value has nothing to save: moving off it (or update()) drops it.
    void setValue(int field, const QVariant& value);
    // Appends an empty record, makes it current and puts the set in EditMode::Add.
    void addNew();
    // Saves the pending changes of the current record to the database.
    void update();
    // Drops the pending changes of the current record (an added record disappears).
    void cancelUpdate();
    // Drops every pending change.
    void cancelBatch();
    // Deletes the current record from the database and the set; the next record becomes current
    // (the new last one when the last was deleted). On a record being added it drops that record.
    void deleteCurrent();

    // Bytes the set holds in memory, all told.
    qsizetype memoryBytes() const;

private:
    friend class Builder;
    struct Data;
    std::unique_ptr<Data> d;
};

} // namespace rp
