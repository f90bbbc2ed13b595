// The controller-care commands: the test menu's patterns, the file downloads, the outdoor choices
// and the glyph download's frame.
#include "comm/frame_layout.h"
#include "comm/frames.h"
#include "comm/glyphs.h"
#include "comm/maintenance.h"
#include "comm/outdoor_config.h"
#include "pages/font_substitution.h"
#include "pages/raster.h"
#include "support/app_dir_fixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace pelvoro::test {
namespace {

TEST(TestPatterns, MenuCaptionsGiveTheirPatternInMenuOrder)
{
    const char16_t *const captions[] = {u"全屏黑", u"全屏黄", u"全屏红", u"全屏绿",  u"正斜线",
                                        u"负斜线", u"网格线", u"交叉线", u"退出测试"};
    const quint8 patterns[] = {1, 2, 3, 4, 5, 6, 7, 8, 0};
    ASSERT_EQ(TestPatterns().size(), std::size(captions));
    for (size_t i = 0; i < std::size(captions); ++i) {
        const QString caption = QString::fromUtf16(captions[i]);
        EXPECT_EQ(TestPatterns()[i].Caption(), caption);
        EXPECT_EQ(TestPatternOf(caption), patterns[i]) << caption.toStdString();
    }
    EXPECT_EQ(TestPatternOf(QStringLiteral("全屏蓝")), std::nullopt);
    // "退出测试" ends the test with pattern 0, "交叉线" is pattern 8.
    EXPECT_EQ(TestPatternRequest(0, *TestPatternOf(QStringLiteral("退出测试"))).frame.toHex(), "01ed0100aa");
    EXPECT_EQ(TestPatternRequest(2, *TestPatternOf(QStringLiteral("交叉线"))).frame.toHex(), "03ed0108aa");
}

TEST(Power, OnAndOffWithTheirCaptionsAndReplyKinds)
{
    const SendRequest on = PowerRequest(0, true);
    const SendRequest off = PowerRequest(0, false);
    EXPECT_EQ(on.frame.toHex(), "01c40100aa");
    EXPECT_EQ(on.caption, QStringLiteral("发送开机命令"));
    EXPECT_EQ(on.replyKind, ReplyKind::PowerOn);
    EXPECT_EQ(off.frame.toHex(), "01c40101aa");
    EXPECT_EQ(off.caption, QStringLiteral("发送关机命令"));
    EXPECT_EQ(off.replyKind, ReplyKind::PowerOff);
}

TEST(OutdoorChoice, NameFromScanModeAndRouteIndex)
{
    const struct {
        int scan;
        int route;
        const char *name;
    } cases[] = {
        {0, 0, "TavrelPic00"},
        {1, 2, "TavrelPic12"}, // "1/4", the third route
        {2, -1, "TavrelPic2-1"}, // "1/2" has no routes
        {3, 2, "TavrelPic32"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(OutdoorChoiceName(c.scan, c.route), QLatin1String(c.name));
        EXPECT_EQ(OutdoorConfigFile(c.scan, c.route), QLatin1String(c.name) + QStringLiteral(".config"));
        EXPECT_EQ(OutdoorPictureFile(c.scan, c.route), QLatin1String(c.name) + QStringLiteral(".jpg"));
    }
    EXPECT_EQ(OutdoorScanModes(), (QStringList{"1/8", "1/4", "1/2", "静态"}));
    const int routes[] = {2, 8, 0, 3};
    for (int s = 0; s < kOutdoorScanModeCount; ++s)
        EXPECT_EQ(OutdoorRoutes(s).size(), routes[s]) << s;
    EXPECT_EQ(OutdoorRoutes(1)[2], QStringLiteral("3.上蛇行,一路数据带8行,8列折行"));
}

class OutdoorFiles : public AppDirTest {
protected:
    // The application's directory, then a folder standing for the program's own shipped data.
    QStringList Dirs() const { return {AppDir(), Path(QStringLiteral("shipped"))}; }
};

// The picture and "配置参数" follow the files of the choice; "no.jpg" stands in when one is missing.
// A file the application's directory lacks is taken from the shipped data (a folder made with --dir
// has none of them); the application's own copy wins.
TEST_F(OutdoorFiles, PictureAndConfigureFollowTheFilesOfTheChoice)
{
    const struct {
        const char *name;
        QStringList files; // "shipped/..." in the program's data
        int scan;
        int route;
        QString picture;
        QString pictureFrom;
        bool canConfigure;
    } cases[] = {
        {"both files", {"TavrelPic12.jpg", "TavrelPic12.config", "no.jpg"}, 1, 2, "TavrelPic12.jpg", "", true},
        {"no configuration", {"TavrelPic12.jpg", "no.jpg"}, 1, 2, "no.jpg", "", false},
        {"no picture", {"TavrelPic12.config", "no.jpg"}, 1, 2, "no.jpg", "", false},
        {"1/2 without its files", {"no.jpg"}, 2, -1, "no.jpg", "", false},
        {"1/2 with its files", {"TavrelPic2-1.jpg", "TavrelPic2-1.config"}, 2, -1, "TavrelPic2-1.jpg", "", true},
        {"nothing at all: the picture stays", {}, 0, 0, QString(), "", false},
        {"all shipped", {"shipped/TavrelPic12.jpg", "shipped/TavrelPic12.config"}, 1, 2, "TavrelPic12.jpg",
         "shipped/", true},
        {"own copy wins", {"TavrelPic12.jpg", "shipped/TavrelPic12.jpg", "shipped/TavrelPic12.config"}, 1, 2,
         "TavrelPic12.jpg", "", true},
        {"shipped no.jpg", {"shipped/no.jpg"}, 3, 1, "no.jpg", "shipped/", false},
    };
    QDir().mkpath(Path(QStringLiteral("shipped")));
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        for (const QString &dir : Dirs())
            for (const QFileInfo &file : QDir(dir).entryInfoList(QDir::Files | QDir::Hidden))
                QFile::remove(file.filePath());
        for (const QString &name : c.files)
            WriteFile(name, "x");
        const OutdoorChoiceView view = ViewOutdoorChoice(c.scan, c.route, Dirs());
        EXPECT_EQ(view.picture, c.picture);
        EXPECT_EQ(view.picturePath, c.picture.isEmpty() ? QString() : Path(c.pictureFrom + c.picture));
        EXPECT_EQ(view.canConfigure, c.canConfigure);
    }
}

TEST_F(OutdoorFiles, ConfigurationIsSentAsItStandsOrTheMissingFileIsReported)
{
    OutdoorSend send = PrepareOutdoorSend(0, 1, 2, Dirs());
    EXPECT_EQ(send.missing, QStringLiteral("配置文件已被损坏，请卸载已有软件后重新安装最新软件!"));
    EXPECT_FALSE(send.download.request);

    QDir().mkpath(Path(QStringLiteral("shipped")));
    WriteFile("shipped/TavrelPic12.config", QByteArray("\x01\x02\x03", 3));
    send = PrepareOutdoorSend(4, 1, 2, Dirs());
    EXPECT_TRUE(send.missing.isEmpty());
    ASSERT_TRUE(send.download.request);
    EXPECT_EQ(send.download.request->frame.toHex(), "05cc01000001020305001225120105aa");
}

TEST_F(OutdoorFiles, FileDownloadsSendTheFileOrSayWhyNot)
{
    WriteFile("image.rbf", QByteArray(1000, char(0x5A)));
    WriteFile("empty.rbf", QByteArray());
    // A pipe would block the read, a file no frame can carry would only fill the memory.
    ASSERT_EQ(::mkfifo(QFile::encodeName(Path("pipe.rbf")).constData(), 0600), 0);
    QFile huge(Path("huge.rbf"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.resize(kMaxFrameBytes + 1));
    huge.close();
    const struct {
        const char *name;
        int subKind;
        QString file;
        bool sent;
        bool readable;
        qint64 size;
        QString status;
    } cases[] = {
        {"FPGA image", kFileKindFpga, "image.rbf", true, true, 1000, {}},
        {"outdoor configuration", kFileKindOutdoor, "image.rbf", true, true, 1000, {}},
        {"empty: nothing said", kFileKindFpga, "empty.rbf", false, true, 0, {}},
        {"unreadable FPGA image", kFileKindFpga, "missing.rbf", false, false, 0, "没有找到rbf文件"},
        {"unreadable configuration", kFileKindOutdoor, "missing.config", false, false, 0, "没有找到加载文件"},
        {"a pipe", kFileKindFpga, "pipe.rbf", false, false, 0, Path("pipe.rbf") + "：不是普通文件"},
        {"larger than a frame", kFileKindOutdoor, "huge.rbf", false, false, 0,
         Path("huge.rbf")
             + QStringLiteral("：文件有%1字节，超过此类文件最多的%2字节").arg(kMaxFrameBytes + 1).arg(kMaxFrameBytes)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const DownloadSend send = PrepareFileDownload(0, c.subKind, Path(c.file));
        EXPECT_EQ(send.request.has_value(), c.sent);
        EXPECT_EQ(send.readable, c.readable);
        EXPECT_EQ(send.fileSize, c.size);
        EXPECT_EQ(send.status, c.status);
        if (!send.request)
            continue;
        EXPECT_EQ(send.request->frame.size(), 1013);
        EXPECT_EQ(quint8(send.request->frame[kFileFrameKind]), c.subKind);
        EXPECT_EQ(send.request->replyKind, c.subKind == kFileKindFpga ? ReplyKind::Fpga : ReplyKind::Outdoor);
        EXPECT_EQ(send.request->caption, c.subKind == kFileKindFpga ? QStringLiteral("下载FPGA程序")
                                                                     : QStringLiteral("加载户外配置程序"));
    }
}

TEST(GlyphDownload, FrameSizeFollowsTheCellOfEachOfferedSize)
{
    InstallFontSubstitutions();
    const struct {
        int points;
        int w;
        int h;
    } cases[] = {
        {12, 8, 16},  {14, 16, 24}, {18, 16, 24}, {20, 16, 32}, {24, 16, 32}, {26, 32, 64},
        {28, 32, 64}, {36, 32, 64}, {48, 32, 64}, {50, 32, 64},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.points);
        const std::optional<SendRequest> request = GlyphDownloadRequest(0, QStringLiteral("宋体"), c.points);
        ASSERT_TRUE(request);
        const CommandFrame &f = request->frame;
        EXPECT_EQ(f.size(), 6 + 81 * c.w * c.h / 8);
        EXPECT_EQ(f.left(5).toHex(), QByteArray::fromRawData("\x01\xd3\x51", 3).toHex()
                                         + QByteArray(1, char(c.w)).toHex() + QByteArray(1, char(c.h)).toHex());
        EXPECT_EQ(quint8(f.back()), kFrameEnd);
        EXPECT_EQ(request->caption, QStringLiteral("下载字模数据"));
        EXPECT_EQ(request->replyKind, ReplyKind::Fpga);
    }
    EXPECT_EQ(GlyphDownloadRequest(0, QStringLiteral("宋体"), 12)->frame.size(), 1302);
    EXPECT_FALSE(GlyphDownloadRequest(0, QStringLiteral("宋体"), 51));
}

// "Mon" gets three cells whatever its width; dots the text does not reach stay dark.
TEST(GlyphDownload, WeekdayNameFillsThreeCellsAndLeavesTheRestDark)
{
    InstallFontSubstitutions();
    const GlyphCell cell = *GlyphCellFor(12);
    const std::optional<SendRequest> request = GlyphDownloadRequest(0, QStringLiteral("宋体"), 12);
    ASSERT_TRUE(request);
    // Groups 1 and 2 come first: 18 single cells.
    const qsizetype at = kGlyphFrameData + 18 * cell.width * cell.height / 8;
    const qsizetype bytes = 3 * cell.width * cell.height / 8;
    const QImage mon = UnpackRaster(QByteArrayView(request->frame).sliced(at, bytes), 3 * cell.width, cell.height,
                                    RasterFormat{0, 0});
    ASSERT_EQ(mon.size(), QSize(24, 16));
    EXPECT_EQ(PackMonoRaster(RenderGlyph(QStringLiteral("Mon"), 24, 16, QStringLiteral("宋体"), GlyphPixelSize(12)),
                             24, 16),
              QByteArrayView(request->frame).sliced(at, bytes).toByteArray());
    // Columns right of the text's advance are dark.
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(GlyphPixelSize(12));
    font.setStyleStrategy(QFont::NoAntialias);
    const int advance = QFontMetrics(font).horizontalAdvance(QStringLiteral("Mon"));
    int lit = 0;
    int litBeyond = 0;
    for (int y = 0; y < mon.height(); ++y) {
        for (int x = 0; x < mon.width(); ++x) {
            const bool on = qRed(mon.pixel(x, y)) >= 128;
            lit += on;
            litBeyond += on && x >= advance;
        }
    }
    EXPECT_GT(lit, 0);
    EXPECT_EQ(litBeyond, 0) << "advance " << advance;
    // Nothing is drawn into a space: a cell of 0xFF bytes.
    EXPECT_EQ(PackMonoRaster(RenderGlyph(QStringLiteral(" "), 8, 16, QStringLiteral("宋体"), 16), 8, 16),
              QByteArray(16, char(0xFF)));
}

} // namespace
} // namespace pelvoro::test
