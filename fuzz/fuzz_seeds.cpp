// Writes the seed corpora of the data-file, project and link fuzzers from what the station's own
// writers make: a document from the RTF writer, page files from PageAppender, subtitle files from
// the subtitle conversion, projects from SaveProjectFiles, frames from the frame builders, answers
// from the simulated card.
//   fuzz_seeds CORPUS_ROOT        (writes CORPUS_ROOT/<fuzzer>/<name>)
// Each seed starts with the fuzzer's own leading bytes (geometry, options); see each fuzzer.
#include "fuzz_support.h"

#include "base/gbk.h"
#include "comm/exchange.h"
#include "comm/frames.h"
#include "config/config_store.h"
#include "pages/data_files.h"
#include "pages/page_store.h"
#include "pages/project_files.h"
#include "pages/rtf_writer.h"
#include "pages/subtitle_conversion.h"
#include "pages/subtitle_store.h"
#include "sim/controller_card.h"

#include <QDateTime>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>

#include <cstdio>

using namespace pelvoro;
using fuzz::Geometry;
using fuzz::kGeometries;

namespace {

QString root;

void Seed(const char *fuzzer, const QString &name, const QByteArray &bytes)
{
    const QString dir = QDir(root).filePath(QLatin1String(fuzzer));
    QDir().mkpath(dir);
    fuzz::Put(QDir(dir).filePath(name), bytes);
}

QByteArray Bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

ScreenInfo Screen(const Geometry &g, bool title)
{
    ScreenInfo s = DefaultScreenInfo();
    s.CardType = kCardNormal;
    s.Width = g.width;
    s.Height = g.height;
    s.ColorMode = g.colour;
    if (title) {
        s.TitleHeight = g.height;
        s.Areas = {QStringLiteral("小字幕"), QString(), QString(), QString()};
    } else {
        s.MainHeight = g.height;
        s.Areas = {QStringLiteral("主区"), QString(), QString(), QString()};
    }
    return s;
}

QImage Stripes(int width, int height, int seed)
{
    static const QRgb colours[] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(255, 255, 0), qRgb(0, 0, 0)};
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, colours[(x / 3 + y + seed) % 4]);
    }
    return image;
}

// A page file of `pages` pages for screen `index` of `table`, as the appender writes it.
QByteArray MakePageFile(ScreenTable &table, int index, int pages)
{
    PageAppender appender(table, index);
    for (int k = 0; k < pages; ++k) {
        const ScreenInfo &s = table[index];
        appender.Append(Stripes(s.Width, s.MainHeight, k), PageEntry{k, 0, 3 * k, 10 + k});
    }
    if (!appender.Finish().Ok())
        std::abort();
    return fuzz::Get(AppFile(PageFileName(index)));
}

void PageSeeds(const QString &app)
{
    for (int g = 0; g < int(std::size(kGeometries)); ++g) {
        for (int pages : {1, 3}) {
            fuzz::ClearDir(app);
            ScreenTable table;
            table[0] = Screen(kGeometries[g], false);
            const QByteArray file = MakePageFile(table, 0, pages);
            Seed("page_store_fuzzer", QStringLiteral("g%1p%2").arg(g).arg(pages), Bytes({g, 1, 2, 5}) + file);
        }
    }
}

void SubtitleSeeds(const QString &app)
{
    for (int g = 0; g < int(std::size(kGeometries)); ++g) {
        fuzz::ClearDir(app);
        ScreenTable table;
        table[0] = Screen(kGeometries[g], true);
        const QString text = QStringLiteral("欢迎光临 Welcome");
        const SubtitleConversion converted = ConvertSubtitleText(table, 0, text, SubtitleDrawing{}, SubtitleEntry{});
        if (!converted.Ok())
            continue; // a strip too low to draw in
        const QByteArray gbk = fuzz::Get(AppFile(SubtitleTextFileName(0)));
        const QByteArray file = fuzz::Get(AppFile(SubtitleFileName(0)));
        Seed("subtitle_store_fuzzer", QStringLiteral("g%1").arg(g), Bytes({g, 1, 1, 3, int(gbk.size())}) + gbk + file);
    }
}

void RichTextSeeds()
{
    RichDocument document;
    CharFormat plain;
    plain.face = QStringLiteral("宋体");
    plain.charset = kGb2312Charset;
    CharFormat bold = plain;
    bold.bold = true;
    bold.autoColor = false;
    bold.color = qRgb(255, 0, 0);
    bold.sizeHalfPoints = 32;
    CharFormat latin;
    latin.face = QStringLiteral("Arial");
    latin.charset = kAnsiCharset;
    latin.family = FontFamily::Swiss;
    latin.italic = true;
    Paragraph title;
    title.format.alignment = Alignment::Center;
    title.Append(QStringLiteral("通知"), bold);
    title.markFormat = bold;
    Paragraph body;
    body.format.spacingRule = LineSpacingRule::Exactly;
    body.format.spacingValue = 300;
    body.Append(QStringLiteral("今日\t营业 "), plain);
    body.Append(QStringLiteral("Open 9:00–18:00 😀"), latin);
    body.markFormat = plain;
    Paragraph empty;
    empty.format.spacingRule = LineSpacingRule::Multiple;
    empty.format.spacingValue = 15;
    document.paragraphs = {title, body, empty};
    Seed("rtf_reader_fuzzer", QStringLiteral("written.rtf"), WriteRtf(document));
}

QByteArray Record(int slot, const QByteArray &bytes)
{
    return Bytes({slot, int(bytes.size() & 0xFF), int(bytes.size() >> 8)}) + bytes;
}

void ProjectSeeds(const QString &app)
{
    const QString projectDir = fuzz::MakeScratchDir();
    for (int screens : {1, 2, 3}) {
        fuzz::ClearDir(app);
        fuzz::ClearDir(projectDir);
        ScreenTable table;
        table.LastIndex = screens - 1;
        for (int i = 0; i < screens; ++i) {
            table[i] = Screen(kGeometries[i], false);
            table[i].Areas = {QStringLiteral("主区"), QStringLiteral("小字幕"), QString(), QString()};
            table[i].Height = 2 * kGeometries[i].height;
            table[i].TitleHeight = kGeometries[i].height;
            MakePageFile(table, i, i + 1);
            if (i != 1)
                ConvertSubtitleText(table, i, QStringLiteral("字幕%1").arg(i + 1), {}, SubtitleEntry{});
        }
        ConfigStore config;
        int last = table.LastIndex;
        if (!config.SaveLastIndex(last) || !config.SaveScreens(table, table.LastIndex))
            std::abort();
        const QString project = QDir(projectDir).filePath(QStringLiteral("p.save"));
        if (!SaveProjectFiles(project, table.LastIndex).Ok())
            std::abort();
        QByteArray seed = Record(0, fuzz::Get(project));
        static const char *kinds[] = {"main", "title", "title"};
        for (int i = 0; i < screens; ++i) {
            for (int k = 0; k < 3; ++k) {
                const QString companion = ProjectCompanion(project, QLatin1String(kinds[k]), i,
                                                           k == 2 ? QStringLiteral(".txt") : QStringLiteral(".dat"));
                if (QFile::exists(companion))
                    seed += Record(1 + 3 * i + k, fuzz::Get(companion));
            }
        }
        Seed("project_files_fuzzer", QStringLiteral("screens%1").arg(screens), seed);
        // The same project opened over a working set of one more screen.
        Seed("project_files_fuzzer", QStringLiteral("screens%1-over").arg(screens),
             seed + Record(10 + 3 * (screens % 3), fuzz::Get(AppFile(PageFileName(0))))
                 + Record(19, fuzz::Get(AppFile(kConfigFileName))));
    }
}

// Every frame the station builds, for screen `index` (0-based).
QList<QByteArray> StationFrames(int index)
{
    ScreenInfo s = Screen(kGeometries[2], false);
    const QDateTime now(QDate(2026, 12, 11), QTime(8, 30, 15));
    QList<QByteArray> frames{BuildParamFrame(index, s), BuildClockFrame(index, s, {3, 4}, now),
                             BuildTempFrame(index, s, {5, 6}), BuildTimeSyncFrame(index, now),
                             BuildPowerFrame(index, false), BuildTestFrame(index, 3),
                             BuildCancelScheduleFrame(index)};
    ScheduleRecord schedule;
    const std::array<ScheduleRecord, 2> schedules{schedule, schedule};
    if (const FrameResult f = BuildScheduleFrame(index, schedules))
        frames << f.frame;
    if (const FrameResult f = BuildImageFrame(index, 1, QByteArray("outdoor\0config", 14)))
        frames << f.frame;
    if (const FrameResult f = BuildGlyphFrame(index, 8, 1, QByteArray(GlyphBytes(8, 1), char(0x5A))))
        frames << f.frame;
    return frames;
}

void LinkSeeds(const QString &app)
{
    // The card's answers and the noise a faulty one sends, for the station to judge.
    for (int family = 0; family < 2; ++family) {
        for (const bool garbage : {false, true}) {
            CardOptions options;
            options.family = family ? CardFamily::ZpKq : CardFamily::Normal;
            options.garbage = garbage;
            ControllerCard card(options);
            const QByteArray frame = BuildPowerFrame(4, true);
            const auto answer = card.Feed(SerialPreamble(options.family, 5, frame, 0, false));
            if (answer.answers.empty())
                std::abort();
            Seed("link_answer_fuzzer", QStringLiteral("answer-f%1-g%2").arg(family).arg(garbage),
                 Bytes({5, 0, family}) + answer.answers[0]);
        }
    }
    Seed("link_answer_fuzzer", QStringLiteral("page-count"), Bytes({7, 3, 0, 3}));
    Seed("link_answer_fuzzer", QStringLiteral("address-then-zeros"), Bytes({7, 3, 0, 7, 0, 0, 9}));
    Seed("link_answer_fuzzer", QStringLiteral("preamble-zpkq"),
         Bytes({9, 2, 1}) + SerialPreamble(CardFamily::ZpKq, 9, BuildTestFrame(8, 1), 2, false));

    // Exchanges as the station sends them: preamble then frame, to both card families.
    fuzz::ClearDir(app);
    ScreenTable table;
    table[0] = Screen(kGeometries[2], false);
    const QByteArray pages = MakePageFile(table, 0, 1);
    for (int family = 0; family < 2; ++family) {
        const CardFamily f = family ? CardFamily::ZpKq : CardFamily::Normal;
        QByteArray all = Bytes({family | 64, 3});
        int n = 0;
        for (const QByteArray &frame : StationFrames(1)) {
            const QByteArray exchange = SerialPreamble(f, 2, frame, 0, false) + frame;
            Seed("controller_card_fuzzer", QStringLiteral("f%1-frame%2").arg(family).arg(n++),
                 Bytes({family, 2}) + exchange);
            all += exchange;
        }
        const FrameResult main = LoadMainFrame(pages, 1);
        if (!main)
            std::abort();
        all += SerialPreamble(f, 1, main.frame, main.pageCount, false) + main.frame;
        all += SerialPreamble(f, 1, main.frame, main.pageCount, true) + main.frame; // broadcast
        Seed("controller_card_fuzzer", QStringLiteral("f%1-session").arg(family), all);
    }
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv); // the subtitle conversion draws text
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds CORPUS_ROOT\n");
        return 64;
    }
    root = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath(); // the stores change directory
    const QString dir = fuzz::UseScratchAppDir();
    RichTextSeeds();
    PageSeeds(dir);
    SubtitleSeeds(dir);
    ProjectSeeds(dir);
    LinkSeeds(dir);
    return 0;
}
