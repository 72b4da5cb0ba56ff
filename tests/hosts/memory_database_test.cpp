#include "hosts/common/memory_database.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/errors.h"

namespace kvt::hosts {
namespace {

class MemoryDatabaseTest : public ::testing::Test {
  protected:
    MemoryDatabaseTest() {
        database_.CreateHostTables();
        database_.ExecSQL(u"Create Table GeneralConfig (ConfigID CHAR(50), ConfigContent TEXT)");
    }

    std::vector<WideString> Column(std::u16string_view sql, std::u16string_view column) {
        std::vector<WideString> cells;
        const auto records = database_.OpenSQL(sql);
        for (records->MoveFirst(); !records->Eof(); records->MoveNext()) {
            cells.push_back(records->FieldValue(column).ToWide());
        }
        return cells;
    }
    std::vector<WideString> Contents() {
        return Column(u"select ConfigContent from GeneralConfig", u"ConfigContent");
    }

    MemoryDatabase database_;
};

TEST_F(MemoryDatabaseTest, AnswersTheSettingsStoresStatements) {
    database_.CreateHostTables();  // "if not exists": no second table, no error
    EXPECT_EQ(database_.ExecSQL(u"insert into GeneralConfig (ConfigID, ConfigContent) values "
                                u"('KvTavrix2009', '{\"LastSeleID\":\"1\"}')"),
              1);
    EXPECT_EQ(database_.ExecSQL(u"INSERT INTO generalconfig VALUES ('other', 'x');"), 1);
    EXPECT_EQ(database_.ExecSQL(u"insert into GeneralConfig (ConfigContent) values ('y')"), 1);

    const auto records = database_.OpenSQL(
        u"select ConfigContent from GeneralConfig where ConfigID = 'KvTavrix2009'");
    EXPECT_EQ(records->RecordCount(), 1);
    EXPECT_EQ(records->FieldCount(), 1);
    EXPECT_EQ(records->FieldValue(u"configcontent"), Variant(u"{\"LastSeleID\":\"1\"}"));
    EXPECT_EQ(Column(u"select ConfigID from GeneralConfig where ConfigContent = 'y'", u"ConfigID"),
              std::vector<WideString>{u""});

    EXPECT_EQ(database_.ExecSQL(u"delete from GeneralConfig where ConfigID='KvTavrix2009'"), 1);
    EXPECT_EQ(database_.ExecSQL(u"delete from GeneralConfig where ConfigID='KvTavrix2009'"), 0);
    EXPECT_EQ(Contents(), (std::vector<WideString>{u"x", u"y"}));
    EXPECT_EQ(database_.ExecSQL(u"delete from GeneralConfig"), 2);
    EXPECT_TRUE(database_.OpenSQL(u"select IValue from netSYSTEM")->Eof());
}

// The listing names the tables as created, through a recordset even after the database
// object is gone.
TEST(MemoryDatabaseListingTest, ListsTheTablesThroughAnyRecordset) {
    std::unique_ptr<host::Recordset> records;
    {
        MemoryDatabase database;
        database.CreateHostTables();
        database.ExecSQL(u"create table GeneralConfig (ConfigID CHAR(50), ConfigContent TEXT)");
        records = database.OpenSQL(u"select IValue from netSYSTEM");
    }
    const auto tables = records->OpenTableSchema();
    std::vector<std::u16string> listed;
    for (tables->MoveFirst(); !tables->Eof(); tables->MoveNext()) {
        listed.push_back(tables->FieldValue(u"TABLE_TYPE").ToWide() + u" " +
                         tables->FieldValue(u"TABLE_NAME").ToWide());
    }
    EXPECT_EQ(listed, (std::vector<std::u16string>{u"TABLE GeneralConfig", u"TABLE netSYSTEM",
                                                   u"SYSTEM TABLE sysobjects"}));
}

TEST_F(MemoryDatabaseTest, TextStaysInsideItsLiteral) {
    database_.ExecSQL(
        u"insert into GeneralConfig (ConfigID, ConfigContent) values ('x'' or ''1''=''1', "
        u"'it''s; drop table netSYSTEM;--')");
    database_.ExecSQL(u"insert into GeneralConfig (ConfigID, ConfigContent) values ('配置', '')");
    EXPECT_EQ(Column(u"select ConfigContent from GeneralConfig where ConfigID = 'x'' or ''1''=''1'",
                     u"ConfigContent"),
              std::vector<WideString>{u"it's; drop table netSYSTEM;--"});
    EXPECT_EQ(Column(u"select ConfigID from GeneralConfig where ConfigContent = ''", u"ConfigID"),
              std::vector<WideString>{u"配置"});
    EXPECT_EQ(Column(u"select ConfigID from GeneralConfig where ConfigID = 'x'", u"ConfigID"),
              std::vector<WideString>{});
    EXPECT_NE(database_.OpenSQL(u"select IValue from netSYSTEM"), nullptr);
}

// A statement outside the grammar fails as a whole, whatever a prefix of it would do.
TEST_F(MemoryDatabaseTest, RefusesWhatItDoesNotUnderstandAndChangesNothing) {
    database_.ExecSQL(u"insert into GeneralConfig values ('kept', 'row')");
    const char16_t* const refused[] = {
        u"create table GeneralConfig (ConfigID TEXT)",
        u"insert into Missing (a) values ('1')",
        u"insert into GeneralConfig (Missing) values ('1')",
        u"insert into GeneralConfig (ConfigID) values ('1', '2')",
        u"insert into GeneralConfig (ConfigID) values (1)",
        u"insert into GeneralConfig (ConfigID) values ('1",
        u"delete from GeneralConfig where ConfigID = 'kept' or 1",
        u"delete from GeneralConfig; delete from netSYSTEM",
        u"drop table GeneralConfig",
        u"",
    };
    for (const char16_t* sql : refused) {
        try {
            database_.ExecSQL(sql);
            ADD_FAILURE() << "accepted: " << WideToUtf8(sql);
        } catch (const EOleError& error) {
            EXPECT_EQ(error.Code(), kEFail) << WideToUtf8(sql);
        }
    }
    for (const char16_t* sql :
         {u"select Missing from GeneralConfig", u"select ConfigID from Nothing",
          u"select ConfigID from GeneralConfig where ConfigID = kept",
          u"select ConfigID GeneralConfig"}) {
        EXPECT_THROW(database_.OpenSQL(sql), EOleError) << WideToUtf8(sql);
    }
    EXPECT_EQ(Contents(), std::vector<WideString>{u"row"});
}

}  // namespace
}  // namespace kvt::hosts
