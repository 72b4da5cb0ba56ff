#include "hosts/common/sqlite_database.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>

#include "base/errors.h"
#include "hosts/common/substitute_controller.h"

namespace kvt::hosts {
namespace {

class SqliteDatabaseTest : public ::testing::Test {
  protected:
    SqliteDatabase database_{":memory:"};
};

TEST_F(SqliteDatabaseTest, QueryGivesAllRowsWithTheirValues) {
    database_.ExecSQL(
        u"create table t (i INTEGER, r REAL, s TEXT, b BLOB, n TEXT);"
        u"insert into t values (7, 2.5, '板块', x'0102', NULL);"
        u"insert into t values (5000000000, -1, '', x'', 'x')");
    const auto records = database_.OpenSQL(u"select i, r, s, b, n from t order by rowid");
    ASSERT_EQ(records->RecordCount(), 2);
    ASSERT_EQ(records->FieldCount(), 5);
    EXPECT_FALSE(records->Eof());
    EXPECT_EQ(records->FieldValue(0), Variant(std::int32_t{7}));
    EXPECT_EQ(records->FieldValue(1), Variant(2.5));
    EXPECT_EQ(records->FieldValue(u"S"), Variant(u"板块"));
    EXPECT_EQ(records->FieldValue(3), Variant::Bytes({1, 2}));
    EXPECT_TRUE(records->FieldValue(u"n").IsNull());
    records->MoveNext();
    EXPECT_EQ(records->FieldValue(u"i"), Variant(std::int64_t{5000000000}));
    records->MoveNext();
    EXPECT_TRUE(records->Eof());
    EXPECT_THROW(records->FieldValue(0), EOleError);
    EXPECT_THROW(records->MoveNext(), EOleError);
    records->MoveFirst();
    EXPECT_EQ(records->FieldValue(0), Variant(std::int32_t{7}));
    EXPECT_THROW(records->FieldValue(5), EOleError);
    EXPECT_THROW(records->FieldValue(u"missing"), EOleError);
}

TEST_F(SqliteDatabaseTest, EmptyResultHasNoRows) {
    database_.CreateHostTables();
    const auto records = database_.OpenSQL(u"select IValue from netSYSTEM");
    EXPECT_EQ(records->RecordCount(), 0);
    EXPECT_TRUE(records->Eof());
}

TEST_F(SqliteDatabaseTest, ExecRunsEveryStatementAndCountsChangedRows) {
    EXPECT_EQ(database_.ExecSQL(u"create table t (v); insert into t values (1), (2), (3);"), 3);
    EXPECT_EQ(database_.ExecSQL(u"update t set v = v + 1 where v > 1 -- trailing comment"), 2);
    EXPECT_EQ(database_.ExecSQL(u"create index tv on t (v)"), 0);
}

TEST_F(SqliteDatabaseTest, FailuresCarryAFailedCodeAndSqliteMessage) {
    struct Case {
        const char16_t* sql;
        bool query;
        std::string message;
    };
    const Case cases[] = {
        {u"select * from nope", true, "no such table: nope"},
        {u"drop table nope", false, "no such table: nope"},
        {u"selec 1", true, "near \"selec\": syntax error"},
        {u"  ", true, "The query text holds no statement"},
        {u"select 1; create table made (v)", true, "The query text holds more than one statement"},
    };
    for (const auto& c : cases) {
        try {
            if (c.query) {
                database_.OpenSQL(c.sql);
            } else {
                database_.ExecSQL(c.sql);
            }
            ADD_FAILURE() << "no error for " << WideToUtf8(c.sql);
        } catch (const EOleError& error) {
            EXPECT_EQ(error.Code(), kEFail);
            EXPECT_EQ(error.what(), c.message);
        }
    }
    EXPECT_EQ(
        database_.OpenSQL(u"select count(*) from sqlite_master where name = 'made'")->FieldValue(0),
        Variant(std::int32_t{0}));
}

TEST_F(SqliteDatabaseTest, TableListingNamesTablesAndViews) {
    database_.CreateHostTables();
    database_.ExecSQL(
        u"create table Items (id INTEGER PRIMARY KEY AUTOINCREMENT);"
        u"create view ItemView as select id from Items");
    std::map<std::u16string, std::u16string> types;
    // Reached through a query's recordset, as the settings store does.
    const auto tables = database_.OpenSQL(u"select IValue from netSYSTEM")->OpenTableSchema();
    for (tables->MoveFirst(); !tables->Eof(); tables->MoveNext()) {
        types[tables->FieldValue(u"TABLE_NAME").ToWide()] =
            tables->FieldValue(u"TABLE_TYPE").ToWide();
    }
    const std::map<std::u16string, std::u16string> expected = {
        {u"Items", u"TABLE"},
        {u"ItemView", u"VIEW"},
        {u"netSYSTEM", u"TABLE"},
        {u"sqlite_sequence", u"SYSTEM TABLE"},
    };
    EXPECT_EQ(types, expected);
}

TEST_F(SqliteDatabaseTest, RecordsetKeepsItsConnectionAlive) {
    std::unique_ptr<host::Recordset> records;
    {
        SqliteDatabase database(":memory:");
        database.CreateHostTables();
        records = database.OpenSQL(u"select 1");
    }
    EXPECT_EQ(records->OpenTableSchema()->RecordCount(), 1);
}

class TempPath {
  public:
    TempPath()
        : path_(std::filesystem::temp_directory_path() /
                ("kvt_hosts_" + std::to_string(::getpid()) + ".db")) {
        std::filesystem::remove(path_);
    }
    ~TempPath() { std::filesystem::remove(path_); }
    std::string str() const { return path_.string(); }

  private:
    std::filesystem::path path_;
};

TEST(SqliteDatabaseFileTest, ExistingOnlyDoesNotCreateTheFile) {
    TempPath path;
    try {
        SqliteDatabase database(path.str(), OpenMode::ExistingOnly);
        FAIL() << "opened a missing file";
    } catch (const EOleError& error) {
        EXPECT_EQ(error.Code(), kEFail);
        EXPECT_NE(std::string(error.what()).find(path.str()), std::string::npos);
    }
    EXPECT_FALSE(std::filesystem::exists(path.str()));
}

TEST(SqliteDatabaseFileTest, FileKeepsItsTablesAcrossOpens) {
    TempPath path;
    SqliteDatabase(path.str()).CreateHostTables();
    SqliteDatabase reopened(path.str(), OpenMode::ExistingOnly);
    EXPECT_EQ(reopened.OpenSQL(u"select IValue from netSYSTEM")->RecordCount(), 0);
}

TEST(SubstituteControllerTest, DelegatesSqlAndAnswersOtherCallsFromItsSettings) {
    auto database = std::make_shared<SqliteDatabase>(":memory:");
    SubstituteController controller(database);
    EXPECT_EQ(controller.ExecSQL(u"create table t (v); insert into t values (1)"), 1);
    EXPECT_EQ(controller.OpenSQL(u"select v from t")->FieldValue(0), Variant(std::int32_t{1}));
    controller.SetParam(u"ServerIP", u"127.0.0.1:8080");
    EXPECT_EQ(controller.GetParam(u"ServerIP"), u"127.0.0.1:8080");
    EXPECT_EQ(controller.GetParam(u"HtmlValidate"), u"");
    controller.OpenModule(u"Prog.Id", u"param");
    controller.HandleKey(13);
    EXPECT_EQ(controller.OpenedModules().size(), 1u);
    EXPECT_EQ(controller.HandledKeys(), std::vector<std::int32_t>{13});
    EXPECT_EQ(controller.QueryRanges(), nullptr);
}

}  // namespace
}  // namespace kvt::hosts
