// Loading a table's definition and saving the table editor's changes, on
// real databases of both dialects, read back through a second connection.

#include "app/editors/TableCatalog.h"
#include "app/editors/TableSave.h"

#include "DebugTest_support.h"
#include "TableTest_support.h"
#include "support/DatabaseSupport.h"

#include <gtest/gtest.h>

namespace {

using qveditors::column;

TTableColumn newColumn(const TColumnDef& def)
{
    return {def, std::nullopt, csNew};
}

TTableColumn* find(TTableDefinition& table, const QString& name)
{
    for (TTableColumn& column : table.Columns)
        if (column.Def.Name == name)
            return &column;
    return nullptr;
}

class TableSaveTest : public qvdebug::TargetDialectTest
{
protected:
    void open(const QStringList& statements = {})
    {
        m_database = qvdebug::createDatabase(target(), m_dir, dialect(), statements);
    }
    TTableDefinition load(const QString& table) { return TTableCatalog(m_database.get()).LoadTable(table); }
    // Saves and answers what was sent; a failure fails the test.
    QStringList save(TTableDefinition& table)
    {
        TTableSaver saver(m_database.get(), table);
        const TTableSaver::Result result = saver.Save();
        EXPECT_EQ(result, TTableSaver::Saved) << saver.RefusalMessage().toStdString() << saver.FailedStep().toStdString()
                                              << " " << saver.ServerMessage().toStdString();
        return saver.Sent();
    }
    QString literal(const QString& text) const { return dialect() == 1 ? '"' + text + '"' : '\'' + text + '\''; }

    std::unique_ptr<TQvDatabase> m_database;
};

} // namespace

// A new table from nothing, then changed step by step as a user would.
TEST_P(TableSaveTest, NewTableIsCreatedAndChanged)
{
    open({"create table P (ID integer not null primary key)"});
    TTableDefinition table;
    table.Name = "T";
    table.Columns.push_back(newColumn(column("ID", "Integer", {}, "No")));
    table.Columns.push_back(newColumn(column("NAME", "Varchar", "20", "Yes", "abc")));
    table.PKFields = QStringList{"ID"};
    table.PKChanged = true;
    QStringList sent = save(table);
    ASSERT_EQ(sent.size(), 2);
    EXPECT_EQ(sent[0], "CREATE TABLE T (\r\n      ID Integer NOT NULL,\r\n      NAME Varchar(20) DEFAULT " + literal("abc")
                           + "\r\n);");
    EXPECT_EQ(sent[1], "alter table T add constraint T_PK primary key (ID)");
    EXPECT_FALSE(table.IsNew);
    EXPECT_EQ(read("select cast(rdb$default_source as varchar(60)) from rdb$relation_fields where rdb$relation_name='T' and "
                   "rdb$field_name='NAME'"),
              QStringList({"DEFAULT " + literal("abc")}));

    TTableDefinition loaded = load("T");
    ASSERT_EQ(loaded.Columns.size(), 2u);
    EXPECT_EQ(loaded.Columns[0].Def, column("ID", "Integer", {}, "No"));
    EXPECT_EQ(loaded.Columns[1].Def, column("NAME", "Varchar", "20", "Yes", "abc"));
    EXPECT_EQ(loaded.PKName, "T_PK");
    EXPECT_EQ(loaded.PKFields, QStringList({"ID"}));

    // A new column goes last.
    loaded.Columns.push_back(newColumn(column("C", "Varchar", "10")));
    EXPECT_EQ(save(loaded), QStringList({"alter table T  add       C Varchar(10)"}));
    EXPECT_EQ(read("select rdb$field_name from rdb$relation_fields where rdb$relation_name='T' order by "
                   "rdb$field_position").last(),
              "C");

    // Widening a Varchar that holds data keeps every value.
    qvtest::execute(target(), path(),
                    {"insert into P values (1)", "insert into P values (2)",
                     "insert into T (ID, C) values (1, 'abcdefghij')", "insert into T (ID, C) values (2, 'x')"});
    loaded = load("T");
    find(loaded, "C")->Def.Size = "20";
    find(loaded, "C")->State = csChanged;
    EXPECT_EQ(save(loaded), QStringList({"alter table T  alter column C type Varchar(20)"}));
    EXPECT_EQ(read("select C from T order by ID"), QStringList({"abcdefghij", "x"}));
    EXPECT_EQ(load("T").Columns[2].Def.Size, "20");

    // Renamed and then deleted before saving: dropped by its stored name.
    TTableColumn& c = *find(loaded, "C");
    c.Def.Name = "D";
    c.State = csChanged;
    c.Def.Name = "E";
    c.State = csDropped;
    EXPECT_EQ(save(loaded), QStringList({"alter table T  drop C"}));
    EXPECT_EQ(load("T").Columns.size(), 2u);

    // The constraint kinds, and a column description.
    loaded = load("T");
    loaded.ForeignKeys.push_back(ConstraintItems::ForeignKey("T_FK", "P", "CASCADE", "NO ACTION", {"ID"}));
    loaded.Indices.push_back(ConstraintItems::Index("IX", true, true, true, {"ID", "NAME"}));
    loaded.Checks.push_back(ConstraintItems::Check("T_CK", "ID > 0"));
    loaded.Uniques.push_back(ConstraintItems::Unique("T_UQ", {"ID", "NAME"}));
    find(loaded, "NAME")->Def.Description = "the 'name'";
    sent = save(loaded);
    EXPECT_EQ(sent, QStringList({"alter table T add constraint T_FK foreign key (ID) references P ON DELETE CASCADE",
                                 "Create unique Descending index \r\nIX on T (ID,NAME)",
                                 "ALTER TABLE T add constraint T_CK CHECK (ID > 0\r\n)",
                                 "ALTER TABLE T add constraint T_UQ UNIQUE (ID,NAME)",
                                 "COMMENT ON COLUMN T.NAME IS 'the ''name'''"}));
    EXPECT_EQ(read("select rdb$unique_flag || ' ' || rdb$index_type from rdb$indices where rdb$index_name='IX'"),
              QStringList({"1 1"}));
    EXPECT_EQ(read("select cast(rdb$description as varchar(60)) from rdb$relation_fields where rdb$field_name='NAME'"),
              QStringList({"the 'name'"}));

    const TTableDefinition reloaded = load("T");
    ASSERT_EQ(reloaded.ForeignKeys.size(), 1u);
    ASSERT_EQ(reloaded.Indices.size(), 1u);
    ASSERT_EQ(reloaded.Checks.size(), 1u);
    ASSERT_EQ(reloaded.Uniques.size(), 1u);
    EXPECT_EQ(reloaded.ForeignKeys[0].SubItems, QStringList({"P", "CASCADE", "NO ACTION", "ID"}));
    EXPECT_EQ(reloaded.Indices[0].SubItems, QStringList({"Unique", "Desc", "Active", "ID", "NAME"}));
    EXPECT_EQ(reloaded.Checks[0].SubItems, QStringList({"ID > 0"}));
    EXPECT_EQ(reloaded.Uniques[0].SubItems, QStringList({"ID", "NAME"}));
    // What the save left in the definition is what the database now holds.
    EXPECT_EQ(loaded.Columns.size(), reloaded.Columns.size());
    for (size_t i = 0; i < loaded.Columns.size(); ++i)
        EXPECT_EQ(loaded.Columns[i].Stored, reloaded.Columns[i].Def);

    // The primary key emptied: dropped, none added.
    loaded.PKFields.clear();
    loaded.PKChanged = true;
    EXPECT_EQ(save(loaded), QStringList({"alter table T drop constraint T_PK"}));
    EXPECT_TRUE(load("T").PKName.isEmpty());
}

// A table written by hand with every kind of constraint loads, and saves
// back with nothing sent; items re-created from what was loaded come back the same.
TEST_P(TableSaveTest, HandWrittenTableSavesBackUnchanged)
{
    open({"create domain DNAME varchar(30) default 'none'",
          "create table P (ID integer not null, CODE varchar(5) not null, constraint P_PK primary key (ID), "
          "constraint P_UQ unique (CODE))",
          "create table H (ID integer not null, PID integer default 0, NAME DNAME, QTY numeric(9,2) default 0, "
          "NOTE blob sub_type 1, TOTAL computed by (QTY * 2), S varchar(10) default 'it''s', "
          "constraint H_PK primary key (ID), "
          "constraint H_FK foreign key (PID) references P on delete cascade on update set null, "
          "constraint H_FK2 foreign key (PID) references P (ID) on delete set default on update cascade, "
          "constraint H_CK1 check(qty>0), "
          "constraint H_CK2 CHECK (QTY > 0 AND (ID IN (1, 2) OR ID > 10)), "
          "constraint H_UQ unique (NAME, S))",
          "create descending index H_IX on H (NAME)",
          "create unique index H_IX2 on H (S, ID)",
          "comment on column H.NAME is 'the name'"});
    const QStringList formatBefore = read("select rdb$format from rdb$relations where rdb$relation_name='H'");
    TTableDefinition table = load("H");
    ASSERT_EQ(table.Columns.size(), 7u);
    EXPECT_EQ(table.Columns[2].Def.Type, "DNAME");
    EXPECT_EQ(table.Columns[2].DomainType, 37);
    EXPECT_EQ(table.Columns[2].Def.Description, "the name");
    EXPECT_EQ(table.Columns[3].Def, column("QTY", "Numeric", "9,2", "Yes", "0"));
    EXPECT_EQ(table.Columns[5].Def.Computed, "QTY * 2");
    EXPECT_EQ(table.Columns[6].Def.Default, "it's");
    EXPECT_EQ(table.PKName, "H_PK");
    ASSERT_EQ(table.ForeignKeys.size(), 2u);
    EXPECT_EQ(table.ForeignKeys[0].SubItems, QStringList({"P", "CASCADE", "SET NULL", "PID"}));
    EXPECT_EQ(table.ForeignKeys[1].SubItems, QStringList({"P", "SET DEFAULT", "CASCADE", "PID"}));
    ASSERT_EQ(table.Indices.size(), 2u);
    EXPECT_EQ(table.Indices[0].SubItems, QStringList({"---", "Desc", "Active", "NAME"}));
    EXPECT_EQ(table.Indices[1].SubItems, QStringList({"Unique", "---", "Active", "S", "ID"}));
    ASSERT_EQ(table.Checks.size(), 2u);
    EXPECT_EQ(ConstraintItems::CheckText(table.Checks[0]), "qty>0");
    EXPECT_EQ(ConstraintItems::CheckText(table.Checks[1]), "QTY > 0 AND (ID IN (1, 2) OR ID > 10)");
    ASSERT_EQ(table.Uniques.size(), 1u);
    EXPECT_EQ(table.Uniques[0].SubItems, QStringList({"NAME", "S"}));

    EXPECT_TRUE(save(table).isEmpty());
    EXPECT_EQ(read("select rdb$format from rdb$relations where rdb$relation_name='H'"), formatBefore);

    // Every item dropped and created anew from what was loaded.
    const TTableDefinition before = table;
    for (const TConstraintKind kind : {TConstraintKind::ForeignKey, TConstraintKind::Index, TConstraintKind::Check,
                                       TConstraintKind::Unique})
        for (TConstraintItem& item : table.Items(kind))
            item.State = isChanged;
    EXPECT_EQ(save(table).size(), 14);
    const TTableDefinition after = load("H");
    for (const TConstraintKind kind : {TConstraintKind::ForeignKey, TConstraintKind::Index, TConstraintKind::Check,
                                       TConstraintKind::Unique}) {
        ASSERT_EQ(after.Items(kind).size(), before.Items(kind).size());
        for (size_t i = 0; i < after.Items(kind).size(); ++i) {
            EXPECT_EQ(after.Items(kind)[i].Caption, before.Items(kind)[i].Caption);
            EXPECT_EQ(after.Items(kind)[i].SubItems, before.Items(kind)[i].SubItems);
            EXPECT_EQ(table.Items(kind)[i].State, isLoaded);
        }
    }

    // A stored constraint renamed in the editor goes by the name the database knows.
    table.Checks[0].Caption = "H_CK3";
    table.Checks[0].State = isChanged;
    EXPECT_EQ(save(table), QStringList({"ALTER TABLE H drop constraint H_CK1",
                                        "ALTER TABLE H add constraint H_CK3 CHECK (qty>0\r\n)"}));
    EXPECT_EQ(read("select rdb$constraint_name from rdb$check_constraints where rdb$constraint_name starting with 'H_CK' "
                   "group by rdb$constraint_name"),
              QStringList({"H_CK2", "H_CK3"}));
}

// Names that hold RDB$ or MON$ are the user's: the column of such a name,
// its domain and the index load as they are and save back with nothing sent.
TEST_P(TableSaveTest, UserNamesWithSystemPrefixesLoadAndSaveBack)
{
    open({"create domain D_RDB$KEY varchar(12)",
          "create table T_RDB$MIRROR (ID integer not null, RDB$KEY D_RDB$KEY, MON$SEEN integer, "
          "constraint PK_RDB$MIRROR primary key (ID))",
          "create index RDB$IX_SEEN on T_RDB$MIRROR (MON$SEEN)"});
    TTableDefinition table = load("T_RDB$MIRROR");
    ASSERT_EQ(table.Columns.size(), 3u);
    EXPECT_EQ(table.Columns[1].Def.Name, "RDB$KEY");
    EXPECT_EQ(table.Columns[1].Def.Type, "D_RDB$KEY");
    EXPECT_EQ(table.Columns[1].DomainType, 37);
    EXPECT_EQ(table.Columns[2].Def.Name, "MON$SEEN");
    ASSERT_EQ(table.Indices.size(), 1u);
    EXPECT_EQ(table.Indices[0].Caption, "RDB$IX_SEEN");
    EXPECT_TRUE(save(table).isEmpty());
    bool offered = false;
    for (const TDomainInfo& domain : TTableCatalog(m_database.get()).LoadDomains())
        offered = offered || domain.Name == QLatin1String("D_RDB$KEY");
    EXPECT_TRUE(offered);
}

// Refusals, a retry after a failure, the question before values are lost,
// and a description the server refuses.
TEST_P(TableSaveTest, FailuresLoseNothingAndRetriesDoNotRepeat)
{
    open({"create table P (ID integer not null primary key)", "create table Q (A integer, B integer)",
          "insert into Q values (1, 2)"});
    TTableDefinition empty;
    empty.Name = "E";
    {
        TTableSaver saver(m_database.get(), empty);
        EXPECT_EQ(saver.Save(), TTableSaver::Refused);
        EXPECT_EQ(saver.RefusalMessage(), "Table has no fields !");
        EXPECT_TRUE(saver.Sent().isEmpty());
    }
    TTableDefinition table;
    table.Name = "T2";
    table.Columns.push_back(newColumn(column("ID", "Integer", {}, "No")));
    table.ForeignKeys.push_back(ConstraintItems::ForeignKey("T2_FK", "P", "NO ACTION", "NO ACTION", {}));
    {
        TTableSaver saver(m_database.get(), table);
        EXPECT_EQ(saver.Save(), TTableSaver::Refused);
        EXPECT_EQ(saver.RefusalMessage(), "Foreign Key T2_FK has no fields !");
        EXPECT_TRUE(saver.Sent().isEmpty());
    }
    table.ForeignKeys[0] = ConstraintItems::ForeignKey("T2_FK", "NOPE", "NO ACTION", "NO ACTION", {"ID"});
    {
        TTableSaver saver(m_database.get(), table);
        int created = 0;
        saver.OnTableCreated = [&] { ++created; };
        EXPECT_EQ(saver.Save(), TTableSaver::Failed);
        EXPECT_EQ(saver.FailedStep(), "Can't create Foreign Key: T2_FK");
        EXPECT_FALSE(saver.ServerMessage().isEmpty());
        // The whole save was rolled back: no table, and the definition as it was.
        EXPECT_EQ(created, 0);
        EXPECT_TRUE(table.IsNew);
        EXPECT_EQ(table.Columns[0].State, csNew);
        EXPECT_EQ(table.ForeignKeys[0].State, isNew);
        EXPECT_TRUE(read("select rdb$relation_name from rdb$relations where rdb$relation_name = 'T2'").isEmpty());
    }
    table.ForeignKeys[0].SubItems[0] = "P";
    const QStringList sent = save(table);
    ASSERT_EQ(sent.size(), 2);
    EXPECT_TRUE(sent[0].startsWith("CREATE TABLE T2"));
    EXPECT_EQ(sent[1], "alter table T2 add constraint T2_FK foreign key (ID) references P");
    EXPECT_FALSE(table.IsNew);
    EXPECT_EQ(table.Columns[0].State, csUnchanged);

    // Making a stored column computed loses its values: asked first.
    TTableDefinition q = load("Q");
    TTableColumn& b = *find(q, "B");
    b.Def.Type.clear();
    b.Def.Computed = "A + 1";
    b.State = csChanged;
    {
        TTableSaver saver(m_database.get(), q);
        QStringList asked;
        saver.ConfirmDataLoss = [&](const QStringList& columns) {
            asked = columns;
            return false;
        };
        EXPECT_EQ(saver.Save(), TTableSaver::Declined);
        EXPECT_EQ(asked, QStringList({"B"}));
        EXPECT_TRUE(saver.Sent().isEmpty());
        EXPECT_EQ(read("select B from Q"), QStringList({"2"}));
        saver.ConfirmDataLoss = [](const QStringList&) { return true; };
        EXPECT_EQ(saver.Save(), TTableSaver::Saved);
        EXPECT_EQ(saver.Sent(), QStringList({"alter table Q  drop B, add B COMPUTED BY (A + 1)"}));
        EXPECT_EQ(read("select B from Q"), QStringList({"2"}));
    }

    // A description of a column dropped behind the editor's back is reported.
    q = load("Q");
    find(q, "A")->Def.Description = "gone";
    qvtest::execute(target(), path(), {"alter table Q drop B", "alter table Q add C integer", "alter table Q drop A"});
    TTableSaver saver(m_database.get(), q);
    EXPECT_EQ(saver.Save(), TTableSaver::Failed);
    EXPECT_EQ(saver.FailedStep(), "Can't save description of field: A");
}

INSTANTIATE_TEST_SUITE_P(Targets, TableSaveTest, ::testing::ValuesIn(qvdebug::allTargetDialects()),
                         qvdebug::targetDialectName);
