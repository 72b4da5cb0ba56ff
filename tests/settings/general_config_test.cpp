#include "settings/general_config.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "base/errors.h"
#include "hosts/common/sqlite_database.h"
#include "hosts/common/substitute_controller.h"
#include "settings/kvtavrix_config.h"

namespace kvt::settings {
namespace {

using hosts::SqliteDatabase;
using hosts::SubstituteController;

// A fresh in-memory host database; the store is detached again after each test because
// it is shared by the whole process.
class GeneralConfigTest : public ::testing::Test {
  protected:
    GeneralConfigTest()
        : database_(std::make_shared<SqliteDatabase>(":memory:")),
          host_(std::make_shared<SubstituteController>(database_)) {}
    ~GeneralConfigTest() override { TGeneralConfig::SetHost(nullptr); }

    void AttachHost() {
        database_->CreateHostTables();
        TGeneralConfig::SetHost(host_);
    }

    std::int32_t Count(const std::u16string& query) {
        return database_->OpenSQL(query)->FieldValue(0).ToInt32();
    }
    std::int32_t RowsFor(const std::u16string& id) {
        return Count(u"select count(*) from GeneralConfig where ConfigID = '" + id + u"'");
    }
    bool HasTable(const std::u16string& name) {
        return Count(u"select count(*) from sqlite_master where type = 'table' and name = '" +
                     name + u"'") == 1;
    }
    void StoreRaw(const std::u16string& content_literal) {
        database_->ExecSQL(u"insert into GeneralConfig values ('KvTavrix2009', " + content_literal +
                           u")");
    }
    static TKvTavrixConfig Loaded(std::string_view id) {
        TKvTavrixConfig config;
        config.LastSeleID = "unchanged";
        TGeneralConfig::Instance().Load(id, config);
        return config;
    }
    static void SaveSelection(std::string_view id, const char* last_sele_id) {
        TKvTavrixConfig config;
        config.LastSeleID = last_sele_id;
        TGeneralConfig::Instance().Save(id, config);
    }

    std::shared_ptr<SqliteDatabase> database_;
    std::shared_ptr<SubstituteController> host_;
};

TEST_F(GeneralConfigTest, FirstStartCreatesTheTableAndKeepsTheInitialRecord) {
    AttachHost();
    EXPECT_TRUE(HasTable(u"GeneralConfig"));
    TKvTavrixConfig config;
    TGeneralConfig::Instance().Load(kKvTavrixConfigID, config);
    EXPECT_EQ(config.LastSeleID, "0");
}

TEST_F(GeneralConfigTest, HostWithoutItsOwnTableIsRefused) {
    try {
        TGeneralConfig::SetHost(host_);
        FAIL() << "SetHost accepted a database without netSYSTEM";
    } catch (const EOleError& error) {
        EXPECT_TRUE(Failed(error.Code()));
        EXPECT_STREQ(error.what(), "no such table: netSYSTEM");
    }
}

// The table test counts a table of that name in any letter case; creating a second
// one would fail in SQLite, so SetHost succeeding shows the existing one was found.
TEST_F(GeneralConfigTest, ExistingTableInAnyLetterCaseIsUsed) {
    database_->ExecSQL(u"create table generalCONFIG (ConfigID CHAR(50), ConfigContent TEXT)");
    StoreRaw(u"'{\"LastSeleID\":\"4\"}'");
    AttachHost();
    EXPECT_EQ(Loaded(kKvTavrixConfigID).LastSeleID, "4");
}

TEST_F(GeneralConfigTest, ViewOfThatNameIsNotTheTable) {
    database_->CreateHostTables();
    database_->ExecSQL(u"create view GeneralConfig as select 1 as ConfigID, 2 as ConfigContent");
    // Not counted as present, so the store tries to create its table, which SQLite refuses.
    EXPECT_THROW(TGeneralConfig::SetHost(host_), EOleError);
}

TEST_F(GeneralConfigTest, SaveKeepsExactlyOneRowWithTheRecordText) {
    AttachHost();
    for (const char* value : {"1", "2", "3"}) {
        SaveSelection(kKvTavrixConfigID, value);
    }
    EXPECT_EQ(RowsFor(u"KvTavrix2009"), 1);
    EXPECT_EQ(Count(u"select count(*) from GeneralConfig"), 1);
    EXPECT_EQ(database_->OpenSQL(u"select ConfigContent from GeneralConfig")->FieldValue(0),
              Variant(u"{\"Name\":\"\",\"Tag\":0,\"LastSeleID\":\"3\"}"));
    EXPECT_EQ(Loaded(kKvTavrixConfigID).LastSeleID, "3");
}

TEST_F(GeneralConfigTest, IdentifiersAreTrimmed) {
    AttachHost();
    SaveSelection(" KvTavrix2009 ", "5");
    SaveSelection("\tKvTavrix2009\n", "6");
    EXPECT_EQ(RowsFor(u"KvTavrix2009"), 1);
    EXPECT_EQ(Loaded("  KvTavrix2009").LastSeleID, "6");
}

TEST_F(GeneralConfigTest, IdentifiersAreKeptApart) {
    AttachHost();
    SaveSelection("first", "1");
    SaveSelection("second", "2");
    EXPECT_EQ(Loaded("first").LastSeleID, "1");
    EXPECT_EQ(Loaded("second").LastSeleID, "2");
    EXPECT_EQ(Loaded("third").LastSeleID, "unchanged");
}

// Code page identifiers reach the database as text, stored as UTF-8.
TEST_F(GeneralConfigTest, CodePageIdentifierIsStoredAsText) {
    AttachHost();
    const AnsiString id = AnsiFromUtf8("配置");
    SaveSelection(id, "8");
    EXPECT_EQ(RowsFor(u"配置"), 1);
    EXPECT_EQ(Count(u"select count(*) from GeneralConfig where hex(ConfigID) = 'E9858DE7BDAE'"), 1);
    EXPECT_EQ(Loaded(id).LastSeleID, "8");
}

TEST_F(GeneralConfigTest, UnreadableContentLoadsWithoutChange) {
    AttachHost();
    for (const char16_t* content : {u"'not json'", u"''", u"NULL", u"'{'", u"x'00ff'"}) {
        database_->ExecSQL(u"delete from GeneralConfig");
        StoreRaw(content);
        EXPECT_EQ(Loaded(kKvTavrixConfigID).LastSeleID, "unchanged") << WideToUtf8(content);
    }
}

TEST_F(GeneralConfigTest, ContentThatIsNotAnObjectIsReported) {
    AttachHost();
    StoreRaw(u"'[1,2]'");
    EXPECT_THROW(Loaded(kKvTavrixConfigID), EInvalidCast);
}

TEST_F(GeneralConfigTest, ReadingNeverReportsDatabaseErrors) {
    AttachHost();
    database_->ExecSQL(u"drop table GeneralConfig");
    EXPECT_EQ(Loaded(kKvTavrixConfigID).LastSeleID, "unchanged");
}

// Load tells a database that answered (with or without a row) from one that could not be
// asked, so that a caller never takes the record it kept for what is stored.
TEST_F(GeneralConfigTest, LoadAnswersWhetherTheStoredTextCouldBeRead) {
    TKvTavrixConfig config;
    EXPECT_FALSE(TGeneralConfig::Instance().Load(kKvTavrixConfigID, config)) << "no host";
    AttachHost();
    EXPECT_TRUE(TGeneralConfig::Instance().Load(kKvTavrixConfigID, config)) << "no row";
    SaveSelection(kKvTavrixConfigID, "5");
    EXPECT_TRUE(TGeneralConfig::Instance().Load(kKvTavrixConfigID, config)) << "a row";
    EXPECT_EQ(config.LastSeleID, "5");
    StoreRaw(u"NULL");
    database_->ExecSQL(u"delete from GeneralConfig where ConfigContent is not null");
    EXPECT_TRUE(TGeneralConfig::Instance().Load(kKvTavrixConfigID, config)) << "a NULL cell";
    database_->ExecSQL(u"drop table GeneralConfig");
    EXPECT_FALSE(TGeneralConfig::Instance().Load(kKvTavrixConfigID, config)) << "a failed query";
    EXPECT_EQ(config.LastSeleID, "5");
}

TEST_F(GeneralConfigTest, WithoutHostReadingChangesNothingAndWritingFails) {
    TGeneralConfig::SetHost(nullptr);
    EXPECT_EQ(Loaded(kKvTavrixConfigID).LastSeleID, "unchanged");
    try {
        SaveSelection(kKvTavrixConfigID, "1");
        FAIL() << "Save succeeded without a host";
    } catch (const Exception& error) {
        EXPECT_STREQ(error.what(), "Cannot save settings: the settings store has no host database");
    }
}

TEST_F(GeneralConfigTest, DetachedStoreNoLongerWritesToTheHost) {
    AttachHost();
    TGeneralConfig::SetHost(nullptr);
    EXPECT_THROW(SaveSelection(kKvTavrixConfigID, "1"), Exception);
    EXPECT_EQ(Count(u"select count(*) from GeneralConfig"), 0);
}

TEST_F(GeneralConfigTest, FailedInsertAfterDeleteIsReported) {
    AttachHost();
    SaveSelection(kKvTavrixConfigID, "1");
    database_->ExecSQL(
        u"create trigger refuse before insert on GeneralConfig "
        u"begin select raise(abort, 'insert refused'); end");
    try {
        SaveSelection(kKvTavrixConfigID, "2");
        FAIL() << "Save reported success";
    } catch (const EOleError& error) {
        EXPECT_STREQ(error.what(), "insert refused");
    }
    EXPECT_EQ(RowsFor(u"KvTavrix2009"), 0);
}

// Single quotes in the identifier or the stored text stay inside their SQL literals.
TEST_F(GeneralConfigTest, QuotesCannotEndTheLiteral) {
    struct Case {
        const char* id;
        const char* last_sele_id;
    };
    const Case cases[] = {
        {"KvTavrix2009", "x'); drop table netSYSTEM;--"},
        {"x'); drop table netSYSTEM;--", "1"},
        {"x'; drop table netSYSTEM;--", "it's"},
        {"x' or '1'='1", "''"},
    };
    for (const auto& c : cases) {
        database_ = std::make_shared<SqliteDatabase>(":memory:");
        host_ = std::make_shared<SubstituteController>(database_);
        AttachHost();
        SaveSelection("other", "other row");
        SaveSelection(c.id, c.last_sele_id);

        EXPECT_EQ(Loaded(c.id).LastSeleID, c.last_sele_id) << c.id;
        EXPECT_EQ(Loaded("other").LastSeleID, "other row") << c.id;
        EXPECT_TRUE(HasTable(u"netSYSTEM")) << c.id;
        EXPECT_EQ(Count(u"select count(*) from GeneralConfig"), 2) << c.id;
        TKvTavrixConfig expected;
        expected.LastSeleID = c.last_sele_id;
        const auto stored = database_->OpenSQL(
            u"select ConfigContent from GeneralConfig where ConfigID <> 'other'");
        EXPECT_EQ(stored->FieldValue(0).ToAnsi(), expected.ToJson()) << c.id;
    }
}

}  // namespace
}  // namespace kvt::settings
