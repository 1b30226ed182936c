#include "platform/data/SQLiteDataSet.h"

#include "platform/base/Format.h"
#include "platform/base/Idle.h"
#include "platform/base/ScopeGuard.h"
#include "platform/base/Threads.h"
#include "platform/data/DBPrivate.h"

#include <sqlite3.h>

#include <algorithm>

using namespace DBDetail;

namespace {

String Quoted(const String& Name) {
    return u"\"" + StringReplace(Name, u"\"", u"\"\"", rfReplaceAll) + u"\"";
}

TFieldType TypeOfColumn(const String& Declared, int& Size) {
    String T = UpperCase(Trim(Declared));
    Size = 0;
    size_t Open = T.find(u'(');
    String Base = Trim(T.substr(0, Open));
    if (Open != String::npos) Size = StrToIntDef(T.substr(Open + 1, T.find(u')') - Open - 1), 0);
    if (Base == u"INTEGER" || Base == u"INT" || Base == u"SMALLINT") return ftInteger;
    if (Base == u"BIGINT") return ftLargeint;
    if (Base == u"VARCHAR" || Base == u"CHAR" || Base == u"NVARCHAR") return ftString;
    if (Base == u"TEXT" || Base == u"MEMO" || Base == u"CLOB") return ftMemo;
    if (Base == u"REAL" || Base == u"FLOAT" || Base == u"DOUBLE") return ftFloat;
    if (Base == u"NUMERIC" || Base == u"DECIMAL") return ftBCD;
    if (Base == u"BOOLEAN") return ftBoolean;
    if (Base == u"DATE") return ftDate;
    if (Base == u"TIME") return ftTime;
    if (Base == u"DATETIME" || Base == u"TIMESTAMP") return ftDateTime;
    if (Base == u"BLOB") return ftBlob;
    return ftString;
}

// The datasets of this thread whose forward statement holds a read lock now.
thread_local std::vector<TSQLiteDataSet*> Readers;

} // namespace

TSQLiteDataSet::TSQLiteDataSet(TComponent* AOwner) : TDataSet(AOwner) {}

TSQLiteDataSet::~TSQLiteDataSet() {
    if (Active()) Close();
    InternalClose();
}

void TSQLiteDataSet::Published(TPublisher<TSQLiteDataSet>& P) {
    P.Property(u"DatabaseName", &TSQLiteDataSet::DatabaseName, &TSQLiteDataSet::SetDatabaseName);
    P.Property(u"TableName", &TSQLiteDataSet::TableName, &TSQLiteDataSet::SetTableName);
    P.Property(u"SQL", &TSQLiteDataSet::SQL, &TSQLiteDataSet::SetSQL);
    P.Property(u"Params", &TSQLiteDataSet::Params);
}

void TSQLiteDataSet::SetSQL(const String& Value) {
    if (Active()) DatabaseError(u"Cannot perform this operation on an open dataset", this);
    FSQL = Value;
}

void TSQLiteDataSet::SetDatabaseName(const String& Value) {
    if (Active()) DatabaseError(u"Cannot perform this operation on an open dataset", this);
    FDatabaseName = Value;
}

void TSQLiteDataSet::SetTableName(const String& Value) {
    if (Active()) DatabaseError(u"Cannot perform this operation on an open dataset", this);
    FTableName = Value;
}

void TSQLiteDataSet::Fail(const String& What) {
    String Msg = FDb ? Utf8ToString(sqlite3_errmsg(FDb)) : String(u"out of memory");
    int Code = FDb ? sqlite3_extended_errcode(FDb) & 0xFF : SQLITE_NOMEM;
    if (Code == SQLITE_CONSTRAINT) Msg = u"Key violation: " + Msg;
    DatabaseError(Format(u"%s: %s", {What, Msg}), this);
}

sqlite3_stmt* TSQLiteDataSet::Prepare(const String& Sql) {
    sqlite3_stmt* S = nullptr;
    AnsiString U = StringToUtf8(Sql);
    if (sqlite3_prepare_v2(FDb, U.c_str(), int(U.size()), &S, nullptr) != SQLITE_OK) Fail(FDatabaseName);
    return S;
}

void TSQLiteDataSet::Step(sqlite3_stmt* S) {
    int Rc = sqlite3_step(S);
    sqlite3_reset(S);
    if (Rc != SQLITE_DONE && Rc != SQLITE_ROW) Fail(FTableName);
}

void TSQLiteDataSet::InternalOpen() {
    if (FDatabaseName.empty()) DatabaseError(u"No database file given", this);
    if (FTableName.empty() && FSQL.empty()) DatabaseError(u"No table name given", this);
    auto Undo = TScopeExit([&] { InternalClose(); });
    // The file must exist: opening never creates one.
    // One connection per dataset, used by one thread at a time: no lock around every call.
    if (sqlite3_open_v2(StringToUtf8(FDatabaseName).c_str(), &FDb, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                        nullptr) !=
        SQLITE_OK)
        Fail(FDatabaseName);
    if (!FSQL.empty()) {
        RunQuery();
        FFreshRows = true;
        if (!ReadOnly()) {
            SetReadOnly(true);
            FQueryReadOnly = true;
        }
        Undo.Release();
        return;
    }
    sqlite3_stmt* Info = Prepare(u"PRAGMA table_info(" + Quoted(FTableName) + u")");
    FieldDefs().Clear();
    int Rc;
    while ((Rc = sqlite3_step(Info)) == SQLITE_ROW) {
        String Name = Utf8ToString(reinterpret_cast<const char*>(sqlite3_column_text(Info, 1)));
        const char* Decl = reinterpret_cast<const char*>(sqlite3_column_text(Info, 2));
        int Size;
        TFieldType Type = TypeOfColumn(Decl ? Utf8ToString(Decl) : String(), Size);
        FieldDefs().Add(Name, Type, Size, sqlite3_column_int(Info, 3) != 0);
    }
    sqlite3_finalize(Info);
    if (Rc != SQLITE_DONE) Fail(FDatabaseName);
    if (FieldDefs().Count() == 0) DatabaseError(Format(u"Table '%s' not found", {FTableName}), this);
    FRead = Prepare(u"SELECT * FROM " + Quoted(FTableName) + u" WHERE rowid = ?");
    FCursor = Prepare(u"SELECT rowid, * FROM " + Quoted(FTableName) + u" WHERE rowid >= ? ORDER BY rowid");
    FExists = Prepare(u"SELECT 1 FROM " + Quoted(FTableName) + u" WHERE rowid = ?");
    Undo.Release();
}

void TSQLiteDataSet::RunQuery() {
    sqlite3_stmt* S = Prepare(FSQL);
    auto Finalize = TScopeExit([&] { sqlite3_finalize(S); });
    for (int I = 1; I <= sqlite3_bind_parameter_count(S); ++I) {
        const char* Name = sqlite3_bind_parameter_name(S, I);
        if (!Name) DatabaseError(u"Parameters must be named (:name)", this);
        const TParam& P = FParams.ParamByName(Utf8ToString(Name + 1));
        Bind(S, I, P.Value, P.DataType == ftUnknown ? ftString : P.DataType);
    }
    const int Columns = sqlite3_column_count(S);
    if (Columns == 0) DatabaseError(u"The SQL text selects no columns", this);
    std::vector<TFieldType> Types(size_t(Columns), ftString);
    std::vector<int> Sizes(size_t(Columns), 0);
    for (int I = 0; I < Columns; ++I)
        if (const char* Decl = sqlite3_column_decltype(S, I)) Types[size_t(I)] = TypeOfColumn(Utf8ToString(Decl), Sizes[size_t(I)]);
    std::vector<std::vector<Variant>> Rows;
    int Rc;
    bool First = true;
    while ((Rc = sqlite3_step(S)) == SQLITE_ROW) {
        if (First && FieldDefs().Count() == 0) {
            // Computed columns have no declared type: their first value tells.
            for (int I = 0; I < Columns; ++I)
                if (!sqlite3_column_decltype(S, I)) {
                    const int T = sqlite3_column_type(S, I);
                    Types[size_t(I)] = T == SQLITE_INTEGER ? ftLargeint : T == SQLITE_FLOAT ? ftFloat
                                                           : T == SQLITE_BLOB  ? ftBlob : ftMemo;
                }
        }
        First = false;
        std::vector<Variant> Row(static_cast<size_t>(Columns), Variant());
        for (int I = 0; I < Columns; ++I) {
            switch (sqlite3_column_type(S, I)) {
            case SQLITE_NULL:
                Row[size_t(I)] = Variant::Null();
                break;
            case SQLITE_INTEGER:
                Row[size_t(I)] = Int64(sqlite3_column_int64(S, I));
                break;
            case SQLITE_FLOAT:
                Row[size_t(I)] = sqlite3_column_double(S, I);
                break;
            case SQLITE_BLOB: {
                const Byte* P = static_cast<const Byte*>(sqlite3_column_blob(S, I));
                Row[size_t(I)] = BytesToVariantText(TBytes(P, P + sqlite3_column_bytes(S, I)));
                break;
            }
            default:
                Row[size_t(I)] = Utf8ToString(std::string_view(
                    reinterpret_cast<const char*>(sqlite3_column_text(S, I)), size_t(sqlite3_column_bytes(S, I))));
            }
        }
        Rows.push_back(std::move(Row));
    }
    if (Rc != SQLITE_DONE) Fail(FDatabaseName);
    if (FieldDefs().Count() == 0 || FieldDefs().Count() != Columns) {
        FieldDefs().Clear();
        for (int I = 0; I < Columns; ++I)
            FieldDefs().Add(Utf8ToString(sqlite3_column_name(S, I)), Types[size_t(I)], Sizes[size_t(I)]);
    }
    FRows = std::move(Rows);
}

void TSQLiteDataSet::InternalClose() {
    ReleaseCursor();
    sqlite3_finalize(FCursor);
    FCursor = nullptr;
    FRows.clear();
    if (FQueryReadOnly) {
        SetReadOnly(false);
        FQueryReadOnly = false;
    }
    sqlite3_finalize(FRead);
    sqlite3_finalize(FExists);
    FRead = FExists = nullptr;
    sqlite3_close(FDb);
    FDb = nullptr;
}

std::vector<Int64> TSQLiteDataSet::InternalIds() {
    if (!FSQL.empty()) {
        // The rows read at the open serve its first view; a refresh runs the statement again.
        if (!FFreshRows) RunQuery();
        FFreshRows = false;
        std::vector<Int64> Ids(FRows.size());
        for (size_t I = 0; I < Ids.size(); ++I)
            Ids[I] = Int64(I) + 1;
        return Ids;
    }
    ReleaseCursor(); // the rows as the file holds them now, not as a read begun earlier saw them
    sqlite3_stmt* S = Prepare(u"SELECT rowid FROM " + Quoted(FTableName) + u" ORDER BY rowid");
    auto Finalize = TScopeExit([&] { sqlite3_finalize(S); });
    std::vector<Int64> Ids;
    // The highest rowid is found without a scan and, rows seldom being deleted, is near the
    // count: one allocation instead of a vector grown (and copied) a doubling at a time.
    if (sqlite3_stmt* Top = Prepare(u"SELECT max(rowid) FROM " + Quoted(FTableName))) {
        if (sqlite3_step(Top) == SQLITE_ROW) Ids.reserve(size_t(std::clamp<Int64>(sqlite3_column_int64(Top, 0), 0, 1 << 24)));
        sqlite3_finalize(Top);
    }
    int Rc;
    while ((Rc = sqlite3_step(S)) == SQLITE_ROW)
        Ids.push_back(sqlite3_column_int64(S, 0));
    if (Rc != SQLITE_DONE) Fail(FTableName);
    return Ids;
}

void TSQLiteDataSet::InternalRead(Int64 Id, std::vector<Variant>& Values) {
    if (!FSQL.empty()) {
        if (Id < 1 || Id > Int64(FRows.size())) DatabaseError(u"Record not found", this);
        const auto& Row = FRows[size_t(Id - 1)];
        for (size_t I = 0; I < Values.size() && I < Row.size(); ++I) {
            const TFieldType T = FieldDefs()[int(I)].DataType;
            Values[I] = (T == ftDate || T == ftTime || T == ftDateTime) && !Row[I].IsClear()
                            ? Variant::FromDateTime(Row[I].AsFloat())
                            : T == ftBoolean && !Row[I].IsClear() ? Variant(Row[I].AsInt64() != 0) : Row[I];
        }
        return;
    }
    if (FCursorOn && Id < FCursorRow) {
        // Going back: a lookup by rowid, inside the read the forward statement keeps open.
        sqlite3_bind_int64(FRead, 1, Id);
        auto Reset = TScopeExit([&] { sqlite3_reset(FRead); });
        int Rc = sqlite3_step(FRead);
        if (Rc == SQLITE_DONE) DatabaseError(u"Record not found", this);
        if (Rc != SQLITE_ROW) Fail(FTableName);
        ReadColumns(FRead, 0, Values);
        return;
    }
    if (!SeekCursor(Id)) DatabaseError(u"Record not found", this);
    ReadColumns(FCursor, 1, Values);
}

bool TSQLiteDataSet::SeekCursor(Int64 Id) {
    if (FCursorOn && FCursorRow == Id) return true;
    if (FCursorOn) {
        // The next record of a scan is the next row: a step or a few are cheaper than a new
        // read. Stepping past Id, or off the end, means the row is gone.
        for (int Steps = 0; Steps < 16; ++Steps) {
            const int Rc = sqlite3_step(FCursor);
            if (Rc == SQLITE_DONE) {
                ReleaseCursor();
                return false;
            }
            if (Rc != SQLITE_ROW) {
                ReleaseCursor();
                Fail(FTableName);
            }
            FCursorRow = sqlite3_column_int64(FCursor, 0);
            if (FCursorRow >= Id) return FCursorRow == Id;
        }
    }
    ReleaseCursor();
    sqlite3_bind_int64(FCursor, 1, Id);
    const int Rc = sqlite3_step(FCursor);
    if (Rc != SQLITE_ROW) {
        sqlite3_reset(FCursor);
        if (Rc == SQLITE_DONE) return false;
        Fail(FTableName);
    }
    FCursorOn = true;
    FCursorRow = sqlite3_column_int64(FCursor, 0);
    Readers.push_back(this);
    if (GetCurrentThreadId() == MainThreadID()) {
        // The main thread's reads end when the program goes idle, so no lock outlives the
        // user action that took it.
        static const TIdleHandlerId Hook = AddIdleHandler(&TSQLiteDataSet::ReleaseReaders);
        (void)Hook;
    }
    return FCursorRow == Id;
}

void TSQLiteDataSet::ReleaseCursor() {
    if (!FCursorOn) return;
    FCursorOn = false;
    sqlite3_reset(FCursor);
    Readers.erase(std::remove(Readers.begin(), Readers.end(), this), Readers.end());
}

void TSQLiteDataSet::ReleaseReaders() {
    const std::vector<TSQLiteDataSet*> Holding = Readers;
    for (TSQLiteDataSet* DS : Holding)
        DS->ReleaseCursor();
}

void TSQLiteDataSet::ReadColumns(sqlite3_stmt* S, int First, std::vector<Variant>& Values) {
    for (int I = 0; I < FieldDefs().Count() && I < int(Values.size()); ++I) {
        const TFieldType Type = FieldDefs()[I].DataType;
        const int C = I + First;
        switch (sqlite3_column_type(S, C)) {
        case SQLITE_NULL:
            Values[size_t(I)] = Variant::Null();
            break;
        case SQLITE_INTEGER:
            if (Type == ftBoolean)
                Values[size_t(I)] = sqlite3_column_int64(S, C) != 0;
            else if (Type == ftDate || Type == ftTime || Type == ftDateTime)
                Values[size_t(I)] = Variant::FromDateTime(double(sqlite3_column_int64(S, C)));
            else
                Values[size_t(I)] = Int64(sqlite3_column_int64(S, C));
            break;
        case SQLITE_FLOAT:
            if (Type == ftDate || Type == ftTime || Type == ftDateTime)
                Values[size_t(I)] = Variant::FromDateTime(sqlite3_column_double(S, C));
            else
                Values[size_t(I)] = sqlite3_column_double(S, C);
            break;
        case SQLITE_BLOB: {
            const Byte* P = static_cast<const Byte*>(sqlite3_column_blob(S, C));
            Values[size_t(I)] = BytesToVariantText(TBytes(P, P + sqlite3_column_bytes(S, C)));
            break;
        }
        default:
            Values[size_t(I)] = Utf8ToString(std::string_view(
                reinterpret_cast<const char*>(sqlite3_column_text(S, C)), size_t(sqlite3_column_bytes(S, C))));
        }
    }
}

void TSQLiteDataSet::Bind(sqlite3_stmt* S, int Index, const Variant& V, TFieldType Type) {
    if (V.IsClear()) {
        sqlite3_bind_null(S, Index);
        return;
    }
    switch (Type) {
    case ftBlob:
    case ftGraphic: {
        TBytes B = VariantTextToBytes(V.AsString());
        sqlite3_bind_blob(S, Index, B.data(), int(B.size()), SQLITE_TRANSIENT);
        return;
    }
    case ftInteger:
    case ftLargeint:
    case ftSmallint:
    case ftAutoInc:
        sqlite3_bind_int64(S, Index, V.AsInt64());
        return;
    case ftBoolean:
        sqlite3_bind_int(S, Index, V.AsBoolean() ? 1 : 0);
        return;
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftDate:
    case ftTime:
    case ftDateTime:
        sqlite3_bind_double(S, Index, V.AsFloat());
        return;
    default: {
        AnsiString U = StringToUtf8(V.AsString());
        sqlite3_bind_text(S, Index, U.c_str(), int(U.size()), SQLITE_TRANSIENT);
    }
    }
}

Int64 TSQLiteDataSet::InternalInsert(const std::vector<Variant>& Values, Int64) {
    ReleaseReaders(); // a write waits for no read lock of ours, and commits at once
    String Names, Marks;
    for (int I = 0; I < FieldDefs().Count(); ++I) {
        Names += (I ? u"," : u"") + Quoted(FieldDefs()[I].Name);
        Marks += I ? u",?" : u"?";
    }
    sqlite3_stmt* S =
        Prepare(u"INSERT INTO " + Quoted(FTableName) + u" (" + Names + u") VALUES (" + Marks + u")");
    auto Finalize = TScopeExit([&] { sqlite3_finalize(S); });
    for (int I = 0; I < FieldDefs().Count(); ++I)
        Bind(S, I + 1, Values[size_t(I)], FieldDefs()[I].DataType);
    Step(S);
    return sqlite3_last_insert_rowid(FDb);
}

void TSQLiteDataSet::InternalUpdate(Int64 Id, const std::vector<Variant>& Values) {
    ReleaseReaders();
    String Sets;
    for (int I = 0; I < FieldDefs().Count(); ++I)
        Sets += (I ? u"," : u"") + Quoted(FieldDefs()[I].Name) + u"=?";
    sqlite3_stmt* S = Prepare(u"UPDATE " + Quoted(FTableName) + u" SET " + Sets + u" WHERE rowid=?");
    auto Finalize = TScopeExit([&] { sqlite3_finalize(S); });
    for (int I = 0; I < FieldDefs().Count(); ++I)
        Bind(S, I + 1, Values[size_t(I)], FieldDefs()[I].DataType);
    sqlite3_bind_int64(S, FieldDefs().Count() + 1, Id);
    Step(S);
    if (sqlite3_changes(FDb) == 0) DatabaseError(u"Record not found", this);
}

void TSQLiteDataSet::InternalRemove(Int64 Id) {
    ReleaseReaders();
    sqlite3_stmt* S = Prepare(u"DELETE FROM " + Quoted(FTableName) + u" WHERE rowid=?");
    auto Finalize = TScopeExit([&] { sqlite3_finalize(S); });
    sqlite3_bind_int64(S, 1, Id);
    Step(S);
    if (sqlite3_changes(FDb) == 0) DatabaseError(u"Record not found", this);
}

bool TSQLiteDataSet::InternalExists(Int64 Id) {
    if (!FSQL.empty()) return Id >= 1 && Id <= Int64(FRows.size());
    ReleaseCursor(); // asked when the records are read again: as the file holds them now
    sqlite3_bind_int64(FExists, 1, Id);
    auto Reset = TScopeExit([&] { sqlite3_reset(FExists); });
    return sqlite3_step(FExists) == SQLITE_ROW;
}
