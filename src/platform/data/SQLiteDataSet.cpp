#include "platform/data/SQLiteDataSet.h"

#include "platform/base/Format.h"
#include "platform/base/ScopeGuard.h"
#include "platform/data/DBPrivate.h"

#include <sqlite3.h>

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
    if (sqlite3_open_v2(StringToUtf8(FDatabaseName).c_str(), &FDb, SQLITE_OPEN_READWRITE, nullptr) !=
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
    sqlite3_stmt* S = Prepare(u"SELECT rowid FROM " + Quoted(FTableName) + u" ORDER BY rowid");
    auto Finalize = TScopeExit([&] { sqlite3_finalize(S); });
    std::vector<Int64> Ids;
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
    sqlite3_bind_int64(FRead, 1, Id);
    auto Reset = TScopeExit([&] { sqlite3_reset(FRead); });
    int Rc = sqlite3_step(FRead);
    if (Rc == SQLITE_DONE) DatabaseError(u"Record not found", this);
    if (Rc != SQLITE_ROW) Fail(FTableName);
    for (int I = 0; I < FieldDefs().Count() && I < int(Values.size()); ++I) {
        TFieldType Type = FieldDefs()[I].DataType;
        switch (sqlite3_column_type(FRead, I)) {
        case SQLITE_NULL:
            Values[size_t(I)] = Variant::Null();
            break;
        case SQLITE_INTEGER:
            if (Type == ftBoolean)
                Values[size_t(I)] = sqlite3_column_int64(FRead, I) != 0;
            else if (Type == ftDate || Type == ftTime || Type == ftDateTime)
                Values[size_t(I)] = Variant::FromDateTime(double(sqlite3_column_int64(FRead, I)));
            else
                Values[size_t(I)] = Int64(sqlite3_column_int64(FRead, I));
            break;
        case SQLITE_FLOAT:
            if (Type == ftDate || Type == ftTime || Type == ftDateTime)
                Values[size_t(I)] = Variant::FromDateTime(sqlite3_column_double(FRead, I));
            else
                Values[size_t(I)] = sqlite3_column_double(FRead, I);
            break;
        case SQLITE_BLOB: {
            const Byte* P = static_cast<const Byte*>(sqlite3_column_blob(FRead, I));
            Values[size_t(I)] = BytesToVariantText(TBytes(P, P + sqlite3_column_bytes(FRead, I)));
            break;
        }
        default:
            Values[size_t(I)] =
                Utf8ToString(std::string_view(reinterpret_cast<const char*>(sqlite3_column_text(FRead, I)),
                                              size_t(sqlite3_column_bytes(FRead, I))));
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
    sqlite3_stmt* S = Prepare(u"DELETE FROM " + Quoted(FTableName) + u" WHERE rowid=?");
    auto Finalize = TScopeExit([&] { sqlite3_finalize(S); });
    sqlite3_bind_int64(S, 1, Id);
    Step(S);
    if (sqlite3_changes(FDb) == 0) DatabaseError(u"Record not found", this);
}

bool TSQLiteDataSet::InternalExists(Int64 Id) {
    if (!FSQL.empty()) return Id >= 1 && Id <= Int64(FRows.size());
    sqlite3_bind_int64(FExists, 1, Id);
    auto Reset = TScopeExit([&] { sqlite3_reset(FExists); });
    return sqlite3_step(FExists) == SQLITE_ROW;
}
