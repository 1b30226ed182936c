#pragma once
// A dataset over one table of an SQLite database file. The records are the table's rows, in
// rowid order; posts and deletes go straight to the file. Column types name the field kinds
// (INTEGER, BIGINT, VARCHAR(n), TEXT, REAL, NUMERIC, BOOLEAN, DATE, TIME, DATETIME, BLOB);
// dates are stored as day numbers. A file that is not a database, or a missing table, fails
// the open with EDatabaseError and leaves the file untouched.
//
// With SQL text the dataset is a query instead: the statement's rows (read again by Refresh),
// its ":name" parameters taken from Params, its columns typed by their declared types; a
// query's records cannot be changed.
//
// Reading goes forward through one open statement, so a scan costs one read of the file's
// lock and header, not one per record; other records (going back, jumps) are looked up by
// rowid. That statement holds a read lock, so it is let go whenever the program goes idle,
// before any dataset of this thread writes, and when the records are read again (Refresh).

#include "platform/data/DB.h"

struct sqlite3;
struct sqlite3_stmt;

class TSQLiteDataSet : public TDataSet {
    DECLARE_CLASS(TSQLiteDataSet, TDataSet)
public:
    explicit TSQLiteDataSet(TComponent* AOwner);
    ~TSQLiteDataSet() override;
    const String& DatabaseName() const { return FDatabaseName; }
    void SetDatabaseName(const String& Value);
    const String& TableName() const { return FTableName; }
    void SetTableName(const String& Value);
    const String& SQL() const { return FSQL; }
    void SetSQL(const String& Value);
    TParams* Params() { return &FParams; }

protected:
    void InternalOpen() override;
    void InternalClose() override;
    std::vector<Int64> InternalIds() override;
    void InternalRead(Int64 Id, std::vector<Variant>& Values) override;
    Int64 InternalInsert(const std::vector<Variant>& Values, Int64 BeforeId) override;
    void InternalUpdate(Int64 Id, const std::vector<Variant>& Values) override;
    void InternalRemove(Int64 Id) override;
    bool InternalExists(Int64 Id) override;

private:
    sqlite3_stmt* Prepare(const String& Sql);
    void Bind(sqlite3_stmt* S, int Index, const Variant& V, TFieldType Type);
    void Step(sqlite3_stmt* S);
    [[noreturn]] void Fail(const String& What);
    void ReadColumns(sqlite3_stmt* S, int First, std::vector<Variant>& Values);
    // Stands the forward statement on Id; false when the table has no such row.
    bool SeekCursor(Int64 Id);
    void ReleaseCursor();
    // Lets go of the read locks every dataset of this thread holds.
    static void ReleaseReaders();
    static void Published(TPublisher<TSQLiteDataSet>& P);
    void RunQuery();
    String FDatabaseName, FTableName, FSQL;
    TParams FParams;
    std::vector<std::vector<Variant>> FRows; // a query's rows
    bool FQueryReadOnly = false, FFreshRows = false;
    sqlite3* FDb = nullptr;
    sqlite3_stmt *FRead = nullptr, *FExists = nullptr;
    sqlite3_stmt* FCursor = nullptr; // rowid and row, forward from a rowid
    bool FCursorOn = false;          // FCursor stands on the row FCursorRow
    Int64 FCursorRow = 0;
};
