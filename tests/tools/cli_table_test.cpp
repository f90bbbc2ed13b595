// pelvoro-cli table, run as the built binary on a temporary application directory.
#include "editors/table/grid_model.h"

#include "support/app_dir_fixture.h"
#include "support/cli_runner.h"
#include "support/gbk_lines.h"
#include "support/scripted_prompt.h"

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace pelvoro::test {
namespace {

class CliTableTest : public AppDirTest {
protected:
    CliResult Run(const QStringList &args) const { return RunCli(QStringList{"table"} + args, dir_.path()); }
    QJsonObject Show(const QString &file) const
    {
        const CliResult result = Run({"show", file});
        EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
        return QJsonDocument::fromJson(result.out.toUtf8()).object();
    }
    // The shown cell named `name`, empty when it is not shown.
    static QJsonObject ShownCell(const QJsonObject &table, const QString &name)
    {
        for (const QJsonValue &cell : table[QStringLiteral("cells")].toArray()) {
            if (cell[QStringLiteral("cell")].toString() == name)
                return cell.toObject();
        }
        return {};
    }
    // A 5 x 5 table whose column B holds number cells with thousands separators.
    void WriteNumberTable(const QString &name)
    {
        ScriptedPrompt prompt;
        TEasyGrid grid(prompt, ScreenResolution{96, 96});
        grid.SetCellProp({2, 1, 2, 4}, CellProp::DataStyle, int(dsNumber));
        grid.SetCellProp({2, 1, 2, 4}, CellProp::ThousandSep, true);
        ASSERT_TRUE(grid.SaveToFile(Path(name)).Ok());
    }
};

TEST_F(CliTableTest, NewWritesAGridOfTheGivenSizeAndShowDescribesIt)
{
    const CliResult made = Run({"new", "--cols", "7", "--rows", "12", "t.bls"});
    ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();
    EXPECT_EQ(made.out, QStringLiteral(R"({"colWidth":40,"cols":7,"rowHeight":20,"rows":12})"));
    const QJsonObject table = Show(QStringLiteral("t.bls"));
    EXPECT_EQ(table[QStringLiteral("cols")].toInt(), 7);
    EXPECT_EQ(table[QStringLiteral("rows")].toInt(), 12);
    EXPECT_EQ(table[QStringLiteral("colWidths")].toArray().size(), 7);
    EXPECT_EQ(table[QStringLiteral("rowHeights")].toArray().at(11).toInt(), 17); // the grid's default height
    EXPECT_EQ(table[QStringLiteral("page")][QStringLiteral("topConjunction")].toString(), QStringLiteral("  承前页  "));

    ScriptedPrompt prompt;
    TEasyGrid grid(prompt);
    ASSERT_TRUE(grid.LoadFromFile(Path(QStringLiteral("t.bls"))).Ok());
    EXPECT_EQ(grid.ColCount(), 7);
}

// What the table editor starts with: black cells with red text and lines, fitted to the screen's
// page when one is named, so that the table does not light the whole sign.
TEST_F(CliTableTest, NewMakesTheEditorsTableFittedToAScreen)
{
    WriteFile("SysConfig.ini",
              GbkLines({"[0号屏参数]", "横向点数=128", "纵向点数=32", "第一区域=主区", "主区域高=32"}));
    const struct {
        QStringList args;
        QString out;
    } cases[] = {
        {{"new", "t.bls"}, R"({"colWidth":40,"cols":5,"rowHeight":20,"rows":5})"},
        // 128 wide; the editor lays a screen lower than 64 dots out on 64: (128 - 5) / 4, (64 - 5) / 4.
        {{"new", "--screen", "1", "t.bls"}, R"({"colWidth":30,"cols":5,"rowHeight":14,"rows":5})"},
        {{"new", "--screen=1", "--cols", "3", "--rows", "9", "t.bls"},
         R"({"colWidth":62,"cols":3,"rowHeight":6,"rows":9})"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const CliResult made = Run(c.args);
        ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();
        EXPECT_EQ(made.out, c.out);
        ScriptedPrompt prompt;
        TEasyGrid grid(prompt);
        ASSERT_TRUE(grid.LoadFromFile(Path(QStringLiteral("t.bls"))).Ok());
        const TCellInfo &cell = grid.Cell(1, 1);
        EXPECT_EQ(cell.Color & 0xFFFFFF, kColorBlack);
        EXPECT_EQ(cell.FontColor, kColorRed);
        EXPECT_EQ(grid.Props().ClientLineColor, kColorRed);
    }

    // On the screen's main area the fitted table is one page of red lines on black.
    const CliResult exported = Run({"export", "t.bls", "--width", "128", "--height", "32", "p.png"});
    ASSERT_EQ(exported.exitCode, 0) << exported.err.toStdString();
    const QJsonObject shown = QJsonDocument::fromJson(exported.out.toUtf8()).object();
    EXPECT_EQ(shown[QStringLiteral("green")].toInt(), 0);
    EXPECT_GT(shown[QStringLiteral("red")].toInt(), 128);
    EXPECT_LT(shown[QStringLiteral("red")].toInt(), 128 * 32 / 4);

    for (const QStringList &args :
         {QStringList{"new", "--screen", "2", "x.bls"}, QStringList{"new", "--screen", "0", "x.bls"}})
        EXPECT_NE(Run(args).exitCode, 0) << args.join(' ').toStdString();
    EXPECT_FALSE(Exists(QStringLiteral("x.bls")));
}

TEST_F(CliTableTest, SetFormatsThroughTheCellsAndRefusesWhatTheyCannotRead)
{
    WriteNumberTable(QStringLiteral("n.bls"));
    const CliResult set = Run({"set", "n.bls", "B3=1234.5", "1,1=中文=文字", "C0=标题"});
    ASSERT_EQ(set.exitCode, 0) << set.err.toStdString();
    EXPECT_EQ(set.out, QStringLiteral(R"([{"cell":"B3","foreText":"1,234.5"},{"cell":"A1","foreText":"中文=文字"},)"
                                      R"({"cell":"C0","foreText":"标题"}])"));
    const QJsonObject shown = ShownCell(Show(QStringLiteral("n.bls")), QStringLiteral("B3"));
    EXPECT_EQ(shown[QStringLiteral("foreText")].toString(), QStringLiteral("1,234.5"));
    EXPECT_EQ(shown[QStringLiteral("dataStyle")].toString(), QStringLiteral("number"));
    EXPECT_TRUE(shown[QStringLiteral("thousandSep")].toBool());

    const QByteArray before = ReadFile(QStringLiteral("n.bls"));
    const CliResult refused = Run({"set", "n.bls", "C2=fine", "B2=12a"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err, QStringLiteral("单元格[2,2]内容不合法,请写入正确的数值。"));
    EXPECT_EQ(ReadFile(QStringLiteral("n.bls")), before);

    // Text the GBK file cannot hold is refused by name, not stored as '?'.
    const CliResult lost = Run({"set", "n.bls", "C2=fine", "A1=😀x"});
    EXPECT_EQ(lost.exitCode, 1);
    EXPECT_EQ(lost.err, QStringLiteral("单元格A1中有不能保存的字符：😀"));
    EXPECT_EQ(ReadFile(QStringLiteral("n.bls")), before);
}

TEST_F(CliTableTest, MergeAndSplitFollowTheGridsRules)
{
    ASSERT_EQ(Run({"new", "t.bls"}).exitCode, 0);
    ASSERT_EQ(Run({"set", "t.bls", "C2=x"}).exitCode, 0);
    const CliResult merged = Run({"merge", "t.bls", "B1:C2"});
    ASSERT_EQ(merged.exitCode, 0) << merged.err.toStdString();
    EXPECT_EQ(merged.out, QStringLiteral(R"({"merged":"B1:C2"})"));
    const QJsonObject owner = ShownCell(Show(QStringLiteral("t.bls")), QStringLiteral("B1"));
    EXPECT_EQ(owner[QStringLiteral("merged")].toString(), QStringLiteral("B1:C2"));
    EXPECT_EQ(owner[QStringLiteral("foreText")].toString(), QStringLiteral("x"));

    const QByteArray before = ReadFile(QStringLiteral("t.bls"));
    for (const QStringList &args : {QStringList{"merge", "t.bls", "C2:D3"}, QStringList{"merge", "t.bls", "2,0:3,1"},
                                    QStringList{"split", "t.bls", "B1"}}) {
        const CliResult refused = Run(args);
        EXPECT_EQ(refused.exitCode, 1) << args.join(' ').toStdString();
        EXPECT_FALSE(refused.err.isEmpty());
    }
    EXPECT_EQ(ReadFile(QStringLiteral("t.bls")), before);
    ASSERT_EQ(Run({"split", "t.bls", "2,1:3,2"}).exitCode, 0);
    EXPECT_TRUE(ShownCell(Show(QStringLiteral("t.bls")), QStringLiteral("B1"))[QStringLiteral("merged")].isNull());
}

TEST_F(CliTableTest, ExportDrawsOnePageAsThePageConversionDoes)
{
    // A new table: four 40-dot columns and four 20-dot rows make 4 x 4 pages of 64 x 32.
    ASSERT_EQ(Run({"new", "t.bls"}).exitCode, 0);
    const CliResult exported = Run({"export", "t.bls", "--width", "64", "--height", "32", "--page", "2", "p.png"});
    ASSERT_EQ(exported.exitCode, 0) << exported.err.toStdString();
    const QJsonObject shown = QJsonDocument::fromJson(exported.out.toUtf8()).object();
    EXPECT_EQ(shown[QStringLiteral("pages")].toInt(), 16);
    EXPECT_EQ(shown[QStringLiteral("page")].toInt(), 2);
    const QImage page(Path("p.png"));
    ASSERT_EQ(page.size(), QSize(64, 32));
    int red = 0;
    int green = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 64; ++x) {
            red += qRed(page.pixel(x, y)) >= 128;
            green += qGreen(page.pixel(x, y)) >= 128;
        }
    }
    EXPECT_EQ(shown[QStringLiteral("red")].toInt(), red);
    EXPECT_EQ(shown[QStringLiteral("green")].toInt(), green);
    // Black cells with red lines.
    EXPECT_GT(red, 64);
    EXPECT_EQ(green, 0);

    for (const QStringList &args :
         {QStringList{"export", "t.bls", "--width", "64", "--height", "32", "--page", "17", "p.png"},
          QStringList{"export", "t.bls", "--height", "32", "p.png"},
          QStringList{"export", "t.bls", "--width", "64", "--height", "32"}})
        EXPECT_EQ(Run(args).exitCode, 64) << args.join(' ').toStdString();
}

TEST_F(CliTableTest, DamagedFilesAndBadArgumentsAreReported)
{
    WriteFile(QStringLiteral("bad.bls"), QByteArray("Vantorlex EasyGrid Version 1.0\x1A", 31));
    const CliResult damaged = Run({"show", "bad.bls"});
    EXPECT_EQ(damaged.exitCode, 1);
    EXPECT_EQ(damaged.err, QStringLiteral("该文件不是一个合法的报表文件。"));
    EXPECT_EQ(Run({"show", "missing.bls"}).exitCode, 1);

    ASSERT_EQ(Run({"new", "t.bls"}).exitCode, 0);
    const QList<QStringList> usage = {
        {"new", "--cols", "1", "x.bls"},
        {"new", "--cols", "257", "x.bls"},
        {"new", "--rows", "abc", "x.bls"},
        {"set", "t.bls"},
        {"set", "t.bls", "B3"},
        {"set", "t.bls", "3B=1"},
        {"set", "t.bls", "F1=1"},
        {"merge", "t.bls"},
        {"merge", "t.bls", "B1:C2:D3"},
        {"show"},
        {"rename", "t.bls"},
    };
    for (const QStringList &args : usage)
        EXPECT_EQ(Run(args).exitCode, 64) << args.join(' ').toStdString();
    EXPECT_FALSE(Exists(QStringLiteral("x.bls")));
}

} // namespace
} // namespace pelvoro::test
