// pelvoro-cli pages sheet, and the fidelity set: what reaches the LEDs for a few documents an
// operator would send, kept as pictures beside the sources.
#include "base/gbk.h"
#include "support/app_dir_fixture.h"
#include "support/cli_runner.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QSet>

#include <algorithm>

namespace pelvoro::test {
namespace {

const QString kKeptSheets = QStringLiteral(PELVORO_SOURCE_DIR "/docs/fidelity");
const QString kInputs = QStringLiteral(PELVORO_SOURCE_DIR "/tests/data/fidelity");
const QString kRtfInputs = QStringLiteral(PELVORO_SOURCE_DIR "/tests/pages/data/rtf");

class CliPagesSheetTest : public AppDirTest {
protected:
    CliResult Run(const QStringList &args) const { return RunCli(args, dir_.path()); }
    // Screen 1 of `width` x `height` dots, all of it main area, with no pages.
    void Screen(int width, int height, int colorMode) const
    {
        const QString ini = QStringLiteral("[0号屏参数]\r\n单双色=%1\r\n横向点数=%2\r\n纵向点数=%3\r\n第一区域=主区\r\n"
                                           "主区域高=%3\r\n")
                                .arg(colorMode)
                                .arg(width)
                                .arg(height);
        WriteFile("SysConfig.ini", ToGbk(ini));
        QFile::remove(Path("Tavrel1.dat"));
    }
};

TEST_F(CliPagesSheetTest, SheetShowsEveryPageAndRefusesAScreenWithoutPages)
{
    Screen(64, 16, 1);
    const CliResult none = Run({"pages", "sheet", "--screen", "1", Path("none.png")});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_FALSE(none.err.isEmpty());
    EXPECT_FALSE(QFile::exists(Path("none.png")));
    EXPECT_EQ(Run({"pages", "sheet", "--screen", "1"}).exitCode, 64);

    // Three pages: a red one, a black one and a green one.
    QImage red(64, 16, QImage::Format_RGB32);
    red.fill(Qt::red);
    QImage black(64, 16, QImage::Format_RGB32);
    black.fill(Qt::black);
    QImage green(64, 16, QImage::Format_RGB32);
    green.fill(Qt::green);
    ASSERT_TRUE(red.save(Path("r.png")) && black.save(Path("k.png")) && green.save(Path("g.png")));
    ASSERT_EQ(Run({"pages", "add", "--screen", "1", Path("r.png"), Path("k.png"), Path("g.png")}).exitCode, 0);
    const CliResult made = Run({"pages", "sheet", "--screen", "1", Path("s.png")});
    ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();
    const QImage sheet(Path("s.png"));
    ASSERT_FALSE(sheet.isNull());
    EXPECT_EQ(made.out,
              QStringLiteral(R"({"pages": 3, "width": %1, "height": %2})").arg(sheet.width()).arg(sheet.height()));
    // Every page's dots in their colours: all three colours of dot show, lit and unlit.
    QSet<QRgb> colours;
    for (int y = 0; y < sheet.height(); ++y) {
        for (int x = 0; x < sheet.width(); ++x)
            colours.insert(sheet.pixel(x, y));
    }
    EXPECT_TRUE(colours.contains(qRgb(255, 0, 0)));
    EXPECT_TRUE(colours.contains(qRgb(0, 255, 0)));
    EXPECT_TRUE(colours.contains(qRgb(0, 0, 0)));
    // The black page's dots show as dark grey LEDs.
    EXPECT_TRUE(std::any_of(colours.begin(), colours.end(), [](QRgb c) {
        return qRed(c) == qGreen(c) && qGreen(c) == qBlue(c) && qRed(c) > 0 && qRed(c) < 64;
    }));
}

// A table's sheet is drawn without touching the page file and shows what converting it would
// store: both sheets alike, on a single-colour screen too.
TEST_F(CliPagesSheetTest, TableSheetShowsWhatConvertingStores)
{
    const QString table = kInputs + "/bus-timetable.bls";
    for (const int colorMode : {0, 1}) {
        SCOPED_TRACE(colorMode);
        Screen(128, 32, colorMode);
        const CliResult drawn = Run({"table", "sheet", table, "--screen", "1", Path("table.png")});
        ASSERT_EQ(drawn.exitCode, 0) << drawn.err.toStdString();
        EXPECT_FALSE(Exists("Tavrel1.dat"));
        ASSERT_EQ(Run({"convert", "--screen", "1", table}).exitCode, 0);
        ASSERT_EQ(Run({"pages", "sheet", "--screen", "1", Path("pages.png")}).exitCode, 0);
        EXPECT_EQ(QImage(Path("table.png")), QImage(Path("pages.png")));
    }
    WriteFile("bad.bls", "not a table");
    EXPECT_EQ(Run({"table", "sheet", Path("bad.bls"), "--screen", "1", Path("bad.png")}).exitCode, 1);
    EXPECT_FALSE(Exists("bad.png"));
    EXPECT_EQ(Run({"table", "sheet", table, Path("x.png")}).exitCode, 64);
}

// The fidelity set: a notice in each of three faces made with `text`, a LibreOffice document and a
// bus timetable converted with `convert`, on a single-colour 64 x 16 and dual-colour 128 x 32 and
// 256 x 64 screens. Each sheet must equal the one kept in docs/fidelity dot for dot, so that a
// change to what reaches the LEDs shows up as a changed picture. With PELVORO_FIDELITY_OUT=DIR the
// sheets are written to DIR instead (DIR = docs/fidelity renews the kept ones).
TEST_F(CliPagesSheetTest, FidelitySetMatchesTheKeptSheets)
{
    const QString renewTo = qEnvironmentVariable("PELVORO_FIDELITY_OUT");
    const QStringList notice = {QStringLiteral("温馨提示"), QStringLiteral("请勿吸烟 Fine: 200"),
                                QStringLiteral("biog_ref 违多示")};
    const struct {
        const char *name;
        QStringList args;
    } documents[] = {
        {"notice-song", QStringList{"text", "--screen", "1", "--font", "宋体"} + notice},
        {"notice-hei", QStringList{"text", "--screen", "1", "--font", "黑体"} + notice},
        {"notice-kai", QStringList{"text", "--screen", "1", "--font", "楷体"} + notice},
        {"libreoffice", {"convert", "--screen", "1", kRtfInputs + "/libreoffice.rtf"}},
        {"bus-timetable", {"convert", "--screen", "1", kInputs + "/bus-timetable.bls"}},
    };
    const struct {
        int width;
        int height;
        int colorMode;
    } screens[] = {{64, 16, 0}, {128, 32, 1}, {256, 64, 1}};

    for (const auto &screen : screens) {
        for (const auto &document : documents) {
            const QString name = QStringLiteral("%1-%2x%3.png").arg(document.name).arg(screen.width).arg(screen.height);
            SCOPED_TRACE(name.toStdString());
            Screen(screen.width, screen.height, screen.colorMode);
            // A stop (a line taller than the area) keeps the pages before it, as the station does.
            const CliResult converted = Run(document.args);
            ASSERT_NE(converted.exitCode, 64) << converted.err.toStdString();
            const QString made = renewTo.isEmpty() ? Path(name) : QDir(renewTo).filePath(name);
            const CliResult drawn = Run({"pages", "sheet", "--screen", "1", made});
            ASSERT_EQ(drawn.exitCode, 0) << drawn.err.toStdString();
            if (!renewTo.isEmpty())
                continue;
            const QImage kept = QImage(QDir(kKeptSheets).filePath(name)).convertToFormat(QImage::Format_RGB32);
            const QImage now = QImage(made).convertToFormat(QImage::Format_RGB32);
            ASSERT_FALSE(kept.isNull()) << "no kept sheet";
            if (kept == now)
                continue;
            // Kept for a look at what changed.
            const QString changed = QDir::temp().filePath(QStringLiteral("pelvoro-fidelity-") + name);
            QFile::remove(changed);
            QFile::copy(made, changed);
            ADD_FAILURE() << "the sheet differs from the kept one; the new one is " << changed.toStdString();
        }
    }
}

} // namespace
} // namespace pelvoro::test
