// Draws the pictures the outdoor configuration dialog shows: for every data route of every scan
// mode a wiring diagram of one LED board seen from its back (the rows one data line drives, and
// the path the data takes through them), and "no.jpg" for a choice without a picture.
//
// usage: pelvoro-datagen OUTDIR
// Writes TavrelPic<s><v>.jpg and no.jpg into OUTDIR. Run at build time; the pictures are data
// shipped beside the station, never edited by hand.
#include "comm/outdoor_config.h"

#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QSaveFile>

#include <cstdio>

namespace {

using namespace pelvoro;

constexpr int kWidth = 400;
constexpr int kHeight = 300;
// The board drawn: 32 columns by 16 rows of LEDs, the size of one common module.
constexpr int kColumns = 32;
constexpr int kRows = 16;
constexpr int kBoardLeft = 24;
constexpr int kBoardTop = 50;
constexpr int kDot = 10; // pitch in pixels

enum class Path {
    Straight,   // along every row of the band, each row in the same direction
    SnakeUp,    // `fold` columns along a row, then up to the next row, back, and so on
    SnakeDown,  // the same, going down
};

// What a route means for the drawing.
struct Wiring {
    int scan;          // rows lit at once: 8, 4, 2 or 1 (static)
    int rowsPerData;   // rows one data line drives
    int fold;          // columns before the path turns (0: a whole row)
    Path path;
    bool enterBelow;   // the data comes in at the bottom of the band (static boards)
    bool rowDecoder;   // row lines driven through a decoder
};

Wiring WiringOf(int scanMode, int route)
{
    switch (scanMode) {
    case 0:
        return route == 0 ? Wiring{8, 8, 0, Path::Straight, false, false}
                          : Wiring{8, 16, 16, Path::SnakeDown, false, false};
    case 1: {
        static const Wiring kQuarter[] = {
            {4, 4, 0, Path::Straight, false, false},   {4, 4, 0, Path::Straight, false, true},
            {4, 8, 8, Path::SnakeUp, false, false},    {4, 8, 8, Path::SnakeDown, false, false},
            {4, 16, 8, Path::SnakeUp, false, false},   {4, 16, 8, Path::SnakeDown, false, false},
            {4, 16, 16, Path::SnakeDown, false, false}, {4, 16, 4, Path::SnakeDown, false, false},
        };
        return kQuarter[route];
    }
    default:
        return route == 0 ? Wiring{1, 8, 0, Path::Straight, false, false}
                          : Wiring{1, 16, 0, Path::Straight, route == 2, false};
    }
}

QPointF Dot(int column, int row)
{
    return {kBoardLeft + column * kDot + kDot / 2.0, kBoardTop + row * kDot + kDot / 2.0};
}

void DrawBoard(QPainter &p, int bandRows)
{
    p.setPen(QColor(90, 90, 90));
    p.setBrush(QColor(25, 25, 25));
    p.drawRect(kBoardLeft - 4, kBoardTop - 4, kColumns * kDot + 8, kRows * kDot + 8);
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            // The rows of the first data line stand out.
            p.setBrush(row < bandRows ? QColor(230, 40, 40) : QColor(90, 30, 30));
            p.setPen(Qt::NoPen);
            p.drawEllipse(Dot(column, row), 3, 3);
        }
    }
}

// The data's way through the band of one data line, seen from the back: it comes in at the right.
QPainterPath DataPath(const Wiring &w)
{
    const int band = std::min(w.rowsPerData, kRows);
    QPainterPath path;
    if (w.path == Path::Straight) {
        // Row after row of the band, each from the right edge to the left one.
        for (int k = 0; k < band; ++k) {
            const int row = w.enterBelow ? band - 1 - k : k;
            path.moveTo(Dot(kColumns, row));
            path.lineTo(Dot(0, row));
        }
        return path;
    }
    // Snake: `fold` columns, turn to the next row, back; the band is crossed once per fold block.
    const int fold = std::max(1, w.fold);
    const bool down = w.path == Path::SnakeDown;
    int column = kColumns - 1;
    path.moveTo(Dot(kColumns, down ? 0 : band - 1));
    for (int block = 0; column >= 0; ++block) {
        const int right = column;
        const int left = std::max(0, column - fold + 1);
        for (int k = 0; k < band; ++k) {
            const int row = down == (block % 2 == 0) ? k : band - 1 - k;
            const bool leftward = k % 2 == 0;
            path.lineTo(Dot(leftward ? right : left, row));
            path.lineTo(Dot(leftward ? left : right, row));
        }
        column = left - 1;
    }
    return path;
}

QImage RoutePicture(int scanMode, int route)
{
    const Wiring w = WiringOf(scanMode, route);
    QImage img(kWidth, kHeight, QImage::Format_RGB32);
    img.fill(Qt::black);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(14);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(10, 6, kWidth - 20, 18), Qt::AlignLeft,
               QStringLiteral("扫描方式 %1   数据流向 %2").arg(OutdoorScanModes()[scanMode]).arg(route + 1));
    p.drawText(QRect(10, 24, kWidth - 20, 18), Qt::AlignLeft, QStringLiteral("灯板背面"));
    DrawBoard(p, std::min(w.rowsPerData, kRows));
    QPen pen(QColor(80, 200, 255), 2);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawPath(DataPath(w));
    // The data input, at the right edge.
    const int inputRow = w.enterBelow || w.path == Path::SnakeUp ? std::min(w.rowsPerData, kRows) - 1 : 0;
    const QPointF in = Dot(kColumns, inputRow);
    p.setBrush(QColor(80, 200, 255));
    p.drawPolygon(QPolygonF{in + QPointF(12, 0), in + QPointF(4, -5), in + QPointF(4, 5)});
    p.setPen(Qt::white);
    p.drawText(QRect(kBoardLeft + kColumns * kDot + 14, int(in.y()) - 9, 40, 18), Qt::AlignLeft,
               QStringLiteral("数据"));
    if (w.rowDecoder)
        p.drawText(QRect(kBoardLeft, kBoardTop + kRows * kDot + 8, 300, 18), Qt::AlignLeft,
                   QStringLiteral("行信号经译码输出"));
    p.setPen(QColor(255, 220, 0));
    p.drawText(QRect(10, kHeight - 44, kWidth - 20, 40), Qt::AlignLeft | Qt::TextWordWrap,
               OutdoorRoutes(scanMode)[route]);
    return img;
}

QImage NoPicture()
{
    QImage img(kWidth, kHeight, QImage::Format_RGB32);
    img.fill(QColor(40, 40, 40));
    QPainter p(&img);
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(20);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(img.rect(), Qt::AlignCenter, QStringLiteral("没有此选择的配置"));
    return img;
}

// Each picture replaces the old one whole, so a build stopped halfway leaves no torn file.
bool Save(const QImage &img, const QDir &dir, const QString &name)
{
    QSaveFile file(dir.filePath(name));
    if (file.open(QIODevice::WriteOnly) && img.save(&file, "JPG", 90) && file.commit())
        return true;
    std::fprintf(stderr, "pelvoro-datagen: cannot write %s\n", qPrintable(dir.filePath(name)));
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("usage: pelvoro-datagen OUTDIR\n", stderr);
        return 64;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(dir.path())) {
        std::fprintf(stderr, "pelvoro-datagen: cannot create %s\n", argv[1]);
        return 1;
    }
    bool ok = Save(NoPicture(), dir, kOutdoorNoPicture);
    for (int s = 0; s < kOutdoorScanModeCount; ++s) {
        for (int v = 0; v < OutdoorRoutes(s).size(); ++v)
            ok = Save(RoutePicture(s, v), dir, OutdoorPictureFile(s, v)) && ok;
    }
    return ok ? 0 : 1;
}
