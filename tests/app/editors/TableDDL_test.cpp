// The table editor's statement texts, built without a window or a database.

#include "app/editors/TableDDL.h"
#include "access/QvSqlText.h"

#include "TableTest_support.h"

#include <gtest/gtest.h>

#include "support/TestSupport.h"

namespace {

using qveditors::column;

TTableColumn stored(const TColumnDef& def)
{
    TTableColumn column;
    column.Def = def;
    column.Stored = def;
    column.State = csUnchanged;
    return column;
}

TTableDefinition existingTable(const QString& name, std::vector<TTableColumn> columns)
{
    TTableDefinition table;
    table.Name = name;
    table.IsNew = false;
    table.Columns = std::move(columns);
    return table;
}

} // namespace

TEST(TableDDL, NewTableTextFollowsTheDialect)
{
    TTableDefinition table;
    table.Name = "T";
    table.Columns.push_back({column("ID", "Integer", {}, "No"), std::nullopt, csNew});
    table.Columns.push_back({column("NAME", "Varchar", "20", "Yes", "abc"), std::nullopt, csNew});
    EXPECT_EQ(CreateTableLines(table, 1),
              QStringList({"CREATE TABLE T (", "      ID Integer NOT NULL,", "      NAME Varchar(20) DEFAULT \"abc\"", ");"}));
    EXPECT_EQ(CreateTableLines(table, 3),
              QStringList({"CREATE TABLE T (", "      ID Integer NOT NULL,", "      NAME Varchar(20) DEFAULT 'abc'", ");"}));

    // Dialect 3 quotes a name it cannot write plainly; a dropped new row has no line.
    table.Name = "order";
    table.Columns.push_back({column("X", "Integer"), std::nullopt, csDropped});
    EXPECT_EQ(CreateTableLines(table, 3).first(), "CREATE TABLE \"order\" (");
    EXPECT_EQ(CreateTableLines(table, 3).size(), 4);
}

TEST(TableDDL, ColumnClauses)
{
    EXPECT_EQ(ColumnClause(column("N", "Integer", {}, "Yes", "5"), 0, 1), "      N Integer DEFAULT 5");
    EXPECT_EQ(ColumnClause(column("C", "Char", "3", "No", "abc"), 0, 1), "      C Char(3) DEFAULT \"abc\" NOT NULL");
    EXPECT_EQ(ColumnClause(column("P", "Numeric", "9,2", "Yes", "1.5"), 0, 3), "      P Numeric(9,2) DEFAULT 1.5");
    // A blob never takes a default.
    EXPECT_EQ(ColumnClause(column("B", "Blob", {}, "Yes", "x"), 0, 1), "      B Blob");
    // Domains: a number domain takes the value as typed, any other a literal.
    EXPECT_EQ(ColumnClause(column("D", "DMONEY", {}, "Yes", "7"), 8, 1), "      D DMONEY DEFAULT 7");
    EXPECT_EQ(ColumnClause(column("E", "DNAME", {}, "Yes", "7"), 37, 3), "      E DNAME DEFAULT '7'");
    // A typed quote can never end the literal; a number column's text that
    // is no number is sent as a literal, never as SQL.
    EXPECT_EQ(ColumnClause(column("Q", "Varchar", "9", "Yes", "it's"), 0, 3), "      Q Varchar(9) DEFAULT 'it''s'");
    EXPECT_EQ(ColumnClause(column("I", "Integer", {}, "Yes", "1, X integer"), 0, 3),
              "      I Integer DEFAULT '1, X integer'");
    // Context words stay words.
    EXPECT_EQ(ColumnClause(column("S", "Varchar", "9", "Yes", "null"), 0, 1), "      S Varchar(9) DEFAULT null");
    EXPECT_EQ(ColumnClause(column("U", "Varchar", "31", "Yes", "CURRENT_USER"), 0, 3),
              "      U Varchar(31) DEFAULT CURRENT_USER");
    TColumnDef computed = column("TOTAL", {});
    computed.Computed = "A * (B + 1)";
    EXPECT_EQ(ColumnClause(computed, 0, 1), "TOTAL COMPUTED BY (A * (B + 1))");
}

TEST(TableDDL, ColumnChangesOfAnExistingTable)
{
    TTableDefinition table = existingTable("T", {stored(column("A", "Varchar", "10")), stored(column("B", "Integer"))});
    EXPECT_EQ(AlterColumnsStatement(table, 1), "");

    table.Columns.push_back({column("C", "Varchar", "10"), std::nullopt, csNew});
    EXPECT_EQ(AlterColumnsStatement(table, 1), "alter table T  add       C Varchar(10)");

    // Changes the server can make in place keep the values.
    table.Columns.pop_back();
    table.Columns[0].Def = column("AA", "Varchar", "20", "No", "x");
    table.Columns[0].State = csChanged;
    EXPECT_TRUE(ColumnsLosingData(table).isEmpty());
    EXPECT_EQ(AlterColumnsStatement(table, 3),
              "alter table T  alter column A to AA, alter column AA type Varchar(20), alter column AA set default 'x',"
              " alter column AA set not null");
    table.Columns[0].Stored = column("AA", "Varchar", "20", "No", "x");
    table.Columns[0].Def = column("AA", "Varchar", "20", "Yes");
    EXPECT_EQ(AlterColumnsStatement(table, 1), "alter table T  alter column AA drop default, alter column AA drop not null");

    // A stored column made computed is dropped and added anew, after the drops of the other rows.
    table.Columns[0] = stored(column("A", "Varchar", "10"));
    TColumnDef computed = column("B", {});
    computed.Computed = "A || 'x'";
    table.Columns[1].Def = computed;
    table.Columns[1].State = csChanged;
    table.Columns.push_back({column("C", "Integer"), column("C", "Integer"), csDropped});
    EXPECT_EQ(ColumnsLosingData(table), QStringList({"B"}));
    EXPECT_EQ(AlterColumnsStatement(table, 1), "alter table T  drop B, drop C, add B COMPUTED BY (A || 'x')");
}

TEST(TableDDL, ColumnsThatMustBeDroppedAndAddedAnew)
{
    TColumnDef computed = column("C", {});
    computed.Computed = "1";
    EXPECT_TRUE(NeedsDropAndAdd(column("C", "Integer"), computed));
    EXPECT_TRUE(NeedsDropAndAdd(computed, column("C", "Integer")));
    EXPECT_FALSE(NeedsDropAndAdd(computed, computed));
    EXPECT_FALSE(NeedsDropAndAdd(column("C", "Smallint"), column("C", "Bigint")));
    EXPECT_FALSE(NeedsDropAndAdd(column("C", "Integer"), column("C", "Varchar", "20")));
    EXPECT_FALSE(NeedsDropAndAdd(column("C", "Integer"), column("C", "Numeric", "18,2")));
    EXPECT_FALSE(NeedsDropAndAdd(column("C", "Integer"), column("C", "DOMAIN_X")));
    EXPECT_TRUE(NeedsDropAndAdd(column("C", "Varchar", "20"), column("C", "Integer")));
    EXPECT_TRUE(NeedsDropAndAdd(column("C", "Blob"), column("C", "Varchar", "20")));
    EXPECT_TRUE(NeedsDropAndAdd(column("C", "Date"), column("C", "Integer")));
}

TEST(TableDDL, ConstraintStatements)
{
    EXPECT_EQ(AddPrimaryKeyStatement("T", "T_PK", {"ID"}, 1), "alter table T add constraint T_PK primary key (ID)");
    EXPECT_EQ(AddPrimaryKeyStatement("t", "pk", {"A", "b"}, 3),
              "alter table \"t\" add constraint \"pk\" primary key (A,\"b\")");
    EXPECT_EQ(DropConstraintStatement("T", "T_PK", 1), "alter table T drop constraint T_PK");
    EXPECT_EQ(DropConstraintStatement(TConstraintKind::ForeignKey, "T", "FK", 1), "alter table T drop constraint FK");
    EXPECT_EQ(DropConstraintStatement(TConstraintKind::Check, "T", "CK", 1), "ALTER TABLE T drop constraint CK");
    EXPECT_EQ(DropConstraintStatement(TConstraintKind::Unique, "t", "UQ", 3), "ALTER TABLE \"t\" drop constraint UQ");

    const TConstraintItem plain = ConstraintItems::ForeignKey("FK1", "P", "NO ACTION", "NO ACTION", {"A", "B"});
    EXPECT_EQ(AddForeignKeyStatement("T", plain, 1), "alter table T add constraint FK1 foreign key (A,B) references P");
    const TConstraintItem rules = ConstraintItems::ForeignKey("FK2", "P", "CASCADE", "SET NULL", {"A"});
    EXPECT_EQ(AddForeignKeyStatement("T", rules, 1),
              "alter table T add constraint FK2 foreign key (A) references P ON DELETE CASCADE ON UPDATE SET NULL");

    const TConstraintItem index = ConstraintItems::Index("IX", true, true, false, {"A", "B"});
    EXPECT_EQ(index.SubItems, QStringList({"Unique", "Desc", "---", "A", "B"}));
    EXPECT_EQ(CreateIndexStatement("T", index, 1), "Create unique Descending index \r\nIX on T (A,B)");
    EXPECT_EQ(CreateIndexStatement("T", ConstraintItems::Index("IX2", false, false, true, {"A"}), 1),
              "Create index \r\nIX2 on T (A)");
    EXPECT_EQ(DropIndexStatement("IX", 1), "drop index IX");

    const TConstraintItem check = ConstraintItems::Check("CK", "A > 0\r\n-- positive");
    EXPECT_EQ(check.SubItems, QStringList({"A > 0", "-- positive"}));
    EXPECT_EQ(AddCheckStatement("T", check, 1), "ALTER TABLE T add constraint CK CHECK (A > 0\r\n-- positive\r\n)");
    EXPECT_EQ(AddUniqueStatement("T", ConstraintItems::Unique("UQ", {"A", "B"}), 1),
              "ALTER TABLE T add constraint UQ UNIQUE (A,B)");

    EXPECT_EQ(QvSql::CommentOn("COLUMN", "A", "the 'first'", 1, "T"), "COMMENT ON COLUMN T.A IS 'the ''first'''");
    EXPECT_EQ(QvSql::CommentOn("COLUMN", "a", "", 3, "t"), "COMMENT ON COLUMN \"t\".\"a\" IS NULL");
}

TEST(TableDDL, ReadingForeignKeyRules)
{
    EXPECT_EQ(ForeignKeyRuleFromCatalog("RESTRICT"), "NO ACTION");
    EXPECT_EQ(ForeignKeyRuleFromCatalog("CASCADE   "), "CASCADE");
    EXPECT_EQ(ForeignKeyRuleFromCatalog("SET DEFAULT"), "SET DEFAULT");
}
