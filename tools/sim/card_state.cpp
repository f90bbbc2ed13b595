#include "sim/card_state.h"

#include "base/atomic_file.h"
#include "comm/bcd.h"
#include "comm/frames.h"
#include "comm/glyphs.h"
#include "config/screen_info.h"
#include "pages/clock_text.h"
#include "pages/page_store.h"
#include "pages/raster.h"
#include "pages/subtitle_store.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPainter>
#include <QRegularExpression>

namespace pelvoro {
namespace {

const QString kTimeFile = QStringLiteral("time.bin");
const QString kStateFile = QStringLiteral("state.json");

int U8(const QByteArray &f, int i)
{
    return quint8(f[i]);
}

int Le16(const QByteArray &f, int i)
{
    return U8(f, i) | (U8(f, i + 1) << 8);
}

QString TwoBcd(const QByteArray &f, std::initializer_list<int> offsets, QChar separator)
{
    QStringList parts;
    for (int i : offsets)
        parts.append(QStringLiteral("%1").arg(U8(f, i), 2, 16, QLatin1Char('0')));
    return parts.join(separator);
}

// The colour mode a page or subtitle frame was cut with: by the screen parameters, else by the
// frame's own length.
int FrameColourMode(const CardScreenMemory &m, const QByteArray &frame)
{
    if (const auto mode = m.ColourMode())
        return *mode;
    return IsWholeFrame(frame, 1) && !IsWholeFrame(frame, 0) ? 1 : 0;
}

QJsonObject AreaFileJson(const QByteArray &f)
{
    const AreaRect rect = ReadAreaRect(f);
    QJsonObject o;
    o[QStringLiteral("areas")] = U8(f, kDataFileAreasOffset);
    o[QStringLiteral("rect")] = QJsonArray{rect.left, rect.top, rect.right, rect.bottom};
    o[QStringLiteral("pages")] = U8(f, kPageCountOffset);
    o[QStringLiteral("bytes")] = f.size();
    return o;
}

QJsonObject Describe(const CardScreenMemory &m, CardSlot slot)
{
    const QByteArray &f = m[slot];
    QJsonObject o;
    switch (slot) {
    case CardSlot::Params:
        o[QStringLiteral("width")] = m.Width();
        o[QStringLiteral("height")] = m.Height();
        o[QStringLiteral("colours")] = U8(f, 7);
        o[QStringLiteral("signals")] = U8(f, 8);
        o[QStringLiteral("lineOrder")] = U8(f, 9);
        o[QStringLiteral("dataFlow")] = U8(f, 10);
        break;
    case CardSlot::Clock: {
        static const char *const kParts[] = {"second", "minute", "hour", "day", "month", "weekday", "year"};
        QJsonObject shown;
        for (int i = 0; i < 7; ++i)
            shown[QLatin1String(kParts[i])] = U8(f, 8 + i) != 0;
        o[QStringLiteral("areas")] = U8(f, 2);
        o[QStringLiteral("tall")] = U8(f, 5);
        o[QStringLiteral("format")] = U8(f, 6);
        o[QStringLiteral("colour")] = U8(f, 7);
        o[QStringLiteral("shown")] = shown;
        o[QStringLiteral("time")] = QString(QStringLiteral("20") + TwoBcd(f, {21, 19, 18}, QLatin1Char('-'))
                                            + QLatin1Char(' ') + TwoBcd(f, {17, 16, 15}, QLatin1Char(':')));
        o[QStringLiteral("weekday")] = U8(f, 20);
        o[QStringLiteral("x")] = Le16(f, 22);
        o[QStringLiteral("y")] = Le16(f, 24);
        break;
    }
    case CardSlot::Temperature:
        o[QStringLiteral("areas")] = U8(f, 2);
        o[QStringLiteral("tall")] = U8(f, 5);
        o[QStringLiteral("format")] = U8(f, 6);
        o[QStringLiteral("colour")] = U8(f, 7);
        o[QStringLiteral("x")] = Le16(f, 8);
        o[QStringLiteral("y")] = Le16(f, 10);
        break;
    case CardSlot::TimeSync:
        o[QStringLiteral("time")] = QString(QStringLiteral("20") + TwoBcd(f, {9, 7, 6}, QLatin1Char('-'))
                                            + QLatin1Char(' ') + TwoBcd(f, {5, 4, 3}, QLatin1Char(':')));
        o[QStringLiteral("weekday")] = U8(f, 8);
        break;
    case CardSlot::Power:
        o[QStringLiteral("on")] = U8(f, 3) == 0;
        break;
    case CardSlot::Test:
        o[QStringLiteral("pattern")] = U8(f, 3);
        break;
    case CardSlot::Schedule: {
        QJsonArray entries;
        const int count = U8(f, 2);
        for (int k = 0; k < count; ++k) {
            const QByteArray e = f.mid(3 + 23 * k, 23);
            QJsonObject entry;
            entry[QStringLiteral("page")] = U8(e, 0);
            if (U8(e, 4) != 0xFF) {
                entry[QStringLiteral("from")] = TwoBcd(e, {4, 3, 2}, QLatin1Char(':'));
                entry[QStringLiteral("to")] = TwoBcd(e, {11, 10, 9}, QLatin1Char(':'));
            }
            if (U8(e, 5) != 0xFF) {
                entry[QStringLiteral("fromDate")] = TwoBcd(e, {8, 6, 5}, QLatin1Char('-'));
                entry[QStringLiteral("toDate")] = TwoBcd(e, {15, 13, 12}, QLatin1Char('-'));
            }
            if (U8(e, 16) != 0xFF) {
                QJsonArray days;
                for (int d = 0; d < 7; ++d)
                    days.append(U8(e, 16 + d) != 0);
                entry[QStringLiteral("weekdays")] = days; // Monday first
            }
            entries.append(entry);
        }
        o[QStringLiteral("entries")] = entries;
        break;
    }
    case CardSlot::Pages: {
        o = AreaFileJson(f);
        QJsonArray entries;
        for (int k = 0; k < U8(f, kPageCountOffset); ++k) {
            const PageEntry entry = DecodePageEntry(f.constData() + kPageHeaderBytes + kPageEntryBytes * k);
            entries.append(QJsonObject{{QStringLiteral("effect"), entry.effect},
                                       {QStringLiteral("reserved"), entry.reserved},
                                       {QStringLiteral("speed"), entry.speed},
                                       {QStringLiteral("dwell"), entry.dwell}});
        }
        o[QStringLiteral("entries")] = entries;
        break;
    }
    case CardSlot::Subtitle:
    {
        o = AreaFileJson(f);
        const SubtitleEntry entry = DecodeSubtitleEntry(f.constData() + kSubtitleEntryOffset);
        o[QStringLiteral("style")] = entry.style;
        o[QStringLiteral("reserved")] = entry.reserved;
        o[QStringLiteral("speed")] = entry.speed;
        o[QStringLiteral("dwell")] = entry.dwell;
        break;
    }
    case CardSlot::Glyphs:
        o[QStringLiteral("width")] = U8(f, 3);
        o[QStringLiteral("height")] = U8(f, 4);
        o[QStringLiteral("bytes")] = f.size() - 6;
        break;
    case CardSlot::Fpga:
    case CardSlot::Outdoor:
        o[QStringLiteral("bytes")] = f.size() - 13;
        break;
    }
    return o;
}

const char *const kSlotKeys[kCardSlotCount] = {"params", "clock", "temperature", "timeSync", "power", "test",
                                               "schedule", "pages", "subtitle", "glyphs", "fpga", "outdoor"};

bool WriteIfChanged(const QString &path, const QByteArray &bytes, QString *error)
{
    QByteArray old;
    if (ReadWholeFile(path, &old) && old == bytes)
        return true;
    return WriteFileAtomically(path, bytes, error);
}

// ---- drawing -------------------------------------------------------------------------------

QColor LedColour(int code, int moduleType)
{
    switch (code) {
    case 1: return moduleType == 1 ? QColor(0, 255, 0) : QColor(255, 0, 0);
    case 2: return moduleType == 1 ? QColor(255, 0, 0) : QColor(0, 255, 0);
    case 3: return QColor(255, 255, 0);
    default: return QColor(255, 0, 0);
    }
}

void DrawTestPattern(QImage &img, int pattern)
{
    const QRgb red = qRgb(255, 0, 0);
    switch (pattern) {
    case 2: img.fill(QColor(255, 255, 0)); return;
    case 3: img.fill(QColor(255, 0, 0)); return;
    case 4: img.fill(QColor(0, 255, 0)); return;
    default: break;
    }
    if (pattern < 5 || pattern > 8)
        return; // 1: all black
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            const bool rising = (x + y) % 8 == 7;
            const bool falling = (x - y + 8 * img.height()) % 8 == 0;
            const bool grid = x % 8 == 0 || y % 8 == 0;
            const bool lit = pattern == 5 ? rising : pattern == 6 ? falling : pattern == 7 ? grid : rising || falling;
            if (lit)
                img.setPixel(x, y, red);
        }
    }
}

// The stored page count of a page or subtitle frame; 0 when the frame is shorter than its head.
int PageCountOf(const QByteArray &frame)
{
    return frame.size() < kPageHeaderBytes ? 0 : U8(frame, kPageCountOffset);
}

// Page 1 of a page or subtitle frame at its rectangle, its rasters starting at `rastersAt`.
void DrawFirstPage(QImage &img, const CardScreenMemory &m, const QByteArray &frame, qsizetype rastersAt,
                   int moduleType)
{
    if (PageCountOf(frame) == 0)
        return;
    const AreaRect rect = ReadAreaRect(frame);
    if (rect.Width() <= 0 || rect.Height() <= 0)
        return;
    const int mode = FrameColourMode(m, frame);
    const qint64 pageBytes = AreaPageBytes(rect.Width(), rect.Height(), mode);
    const qint64 start = rastersAt;
    if (start >= frame.size())
        return;
    const QByteArrayView raster = QByteArrayView(frame).sliced(start, std::min<qint64>(pageBytes, frame.size() - start));
    const QImage page = UnpackRaster(raster, rect.Width(), rect.Height(), RasterFormat{mode, moduleType});
    QPainter painter(&img);
    painter.drawImage(rect.left, rect.top, page);
}

// The downloaded glyphs, looked up by character.
class GlyphFont {
public:
    explicit GlyphFont(const QByteArray &frame)
    {
        if (frame.size() < 6)
            return;
        cell_ = {U8(frame, 3), U8(frame, 4)};
        if (cell_.width == 0 || cell_.height == 0 || frame.size() != 6 + GlyphBytes(cell_.width, cell_.height))
            return;
        qsizetype offset = 5;
        for (const GlyphString &g : GlyphSet()) {
            const int width = g.cells * cell_.width;
            const qsizetype bytes = qsizetype(width) * cell_.height / 8;
            images_.append(UnpackRaster(QByteArrayView(frame).sliced(offset, bytes), width, cell_.height, {0, 0}));
            texts_.append(g.Text());
            offset += bytes;
        }
    }
    bool Valid() const { return !images_.isEmpty(); }
    int CellWidth() const { return cell_.width; }

    // Draws `text` from (x, y); characters not in the set leave a gap.
    void Draw(QImage &img, const QString &text, int x, int y, QColor colour) const
    {
        for (qsizetype i = 0; i < text.size();) {
            int index = -1;
            int length = 1;
            for (int k = 18; k <= 24; ++k) { // the English weekdays
                if (text.mid(i, 3) == texts_[k]) {
                    index = k;
                    length = 3;
                }
            }
            if (index < 0) {
                const QString ch = text.mid(i, 1);
                // "日" comes twice: once as a weekday, once as the day of the month.
                if (ch == QStringLiteral("日") && !text.mid(std::max<qsizetype>(0, i - 2), 2).endsWith(QStringLiteral("期")))
                    index = 34;
                else
                    index = int(texts_.indexOf(ch));
            }
            if (index >= 0) {
                Blit(img, images_[index], x, y, colour);
                x += images_[index].width();
            } else {
                x += text[i].unicode() < 0x80 ? cell_.width : 2 * cell_.width;
            }
            i += length;
        }
    }

private:
    static void Blit(QImage &img, const QImage &glyph, int x0, int y0, QColor colour)
    {
        for (int y = 0; y < glyph.height(); ++y) {
            for (int x = 0; x < glyph.width(); ++x) {
                if (qRed(glyph.pixel(x, y)) >= 128 && img.rect().contains(x0 + x, y0 + y))
                    img.setPixel(x0 + x, y0 + y, colour.rgb());
            }
        }
    }

    GlyphCell cell_;
    QList<QImage> images_;
    QStringList texts_;
};

void DrawSample(QImage &img, const GlyphFont &glyphs, const QString &text, int x, int y, bool tall, QColor colour)
{
    if (glyphs.Valid()) {
        glyphs.Draw(img, text, x, y, colour);
        return;
    }
    const int height = tall ? 32 : 16;
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(height);
    font.setStyleStrategy(QFont::NoAntialias);
    QPainter painter(&img);
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(QRect(x, y, img.width() + height * text.size(), height), Qt::AlignLeft | Qt::AlignTop, text);
}

void DrawClock(QImage &img, const CardScreenMemory &m, const GlyphFont &glyphs, int moduleType)
{
    const QByteArray &f = m[CardSlot::Clock];
    if (f.size() != 29 || !(U8(f, 2) & 0x01))
        return;
    ScreenInfo settings;
    settings.ClockFormat = U8(f, 6);
    // The frame lists second, minute, hour, day, month, weekday, year; ClockParts runs from the year.
    static constexpr int kPartOf[] = {6, 5, 4, 2, 1, 3, 0};
    for (int i = 0; i < 7; ++i)
        settings.ClockParts[size_t(kPartOf[i])] = U8(f, 8 + i) != 0;
    QDateTime time = m.ClockTime();
    if (!time.isValid())
        time = QDateTime(QDate(2000, 1, 1), QTime(0, 0));
    const QString text = ClockText(settings, time).text;
    DrawSample(img, glyphs, text, Le16(f, 22), Le16(f, 24), U8(f, 5) != 0, LedColour(U8(f, 7), moduleType));
}

void DrawTemperature(QImage &img, const CardScreenMemory &m, const GlyphFont &glyphs, int moduleType)
{
    const QByteArray &f = m[CardSlot::Temperature];
    if (f.size() != 15 || !(U8(f, 2) & 0x02))
        return;
    ScreenInfo settings;
    settings.TempFormat = U8(f, 6);
    DrawSample(img, glyphs, TemperatureSample(settings), Le16(f, 8), Le16(f, 10), U8(f, 5) != 0,
               LedColour(U8(f, 7), moduleType));
}

QSize ScreenSize(const CardScreenMemory &m)
{
    if (m.Width() > 0 && m.Height() > 0)
        return {m.Width(), m.Height()};
    // Without parameters: as far as the areas reach.
    int w = 0;
    int h = 0;
    for (CardSlot slot : {CardSlot::Pages, CardSlot::Subtitle}) {
        const QByteArray &f = m[slot];
        if (f.size() < kPageHeaderBytes)
            continue;
        const AreaRect rect = ReadAreaRect(f);
        w = std::max(w, rect.right + 1);
        h = std::max(h, rect.bottom + 1);
    }
    return {w, h};
}

} // namespace

QString CardScreenFolder(const QString &dir, int address)
{
    return QDir(dir).filePath(QStringLiteral("screen%1").arg(address));
}

QJsonObject DescribeCardScreen(int address, const CardScreenMemory &m)
{
    QJsonObject o;
    o[QStringLiteral("screen")] = address;
    for (int i = 0; i < kCardSlotCount; ++i) {
        if (m.slots[size_t(i)].isEmpty())
            continue;
        o[QLatin1String(kSlotKeys[i])] = m.Holds(CardSlot(i)) ? Describe(m, CardSlot(i))
                                                               : QJsonObject{{QStringLiteral("damaged"), true}};
    }
    const QDateTime time = m.ClockTime();
    if (time.isValid())
        o[QStringLiteral("clockTime")] = time.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
    return o;
}

bool SaveCardScreen(const QString &dir, int address, const CardScreenMemory &m, QString *error)
{
    const QString folder = CardScreenFolder(dir, address);
    if (!QDir().mkpath(folder)) {
        if (error)
            *error = QStringLiteral("cannot create %1").arg(folder);
        return false;
    }
    const QDir d(folder);
    for (int i = 0; i < kCardSlotCount; ++i) {
        const QString path = d.filePath(CardSlotFileName(CardSlot(i)));
        const QByteArray &bytes = m.slots[size_t(i)];
        if (bytes.isEmpty()) {
            if (QFile::exists(path) && !QFile::remove(path)) {
                if (error)
                    *error = QStringLiteral("cannot remove %1").arg(path);
                return false;
            }
        } else if (!WriteIfChanged(path, bytes, error)) {
            return false;
        }
    }
    if (!m.time.isEmpty() && !WriteIfChanged(d.filePath(kTimeFile), m.time, error))
        return false;
    const QByteArray json = QJsonDocument(DescribeCardScreen(address, m)).toJson(QJsonDocument::Indented);
    return WriteIfChanged(d.filePath(kStateFile), json, error);
}

void LoadCardMemory(const QString &dir, CardMemory &memory, QStringList *warnings)
{
    static const QRegularExpression folderName(QStringLiteral("^screen(\\d{1,3})$"));
    const QDir root(dir);
    for (const QString &name : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const auto match = folderName.match(name);
        if (!match.hasMatch())
            continue;
        const int address = match.captured(1).toInt();
        if (address > 255)
            continue;
        const QDir d(root.filePath(name));
        CardScreenMemory &screen = memory.Screen(address);
        // Parameters first: the colour depth decides how long a page file is.
        for (int i = 0; i < kCardSlotCount; ++i) {
            const CardSlot slot = CardSlot(i);
            QByteArray bytes;
            if (!ReadWholeFile(d.filePath(CardSlotFileName(slot)), &bytes))
                continue;
            const int mode = screen.ColourMode().value_or(FrameColourMode(screen, bytes));
            if (!IsWholeFrame(bytes, mode) || CardSlotOf(bytes) != slot) {
                if (warnings)
                    warnings->append(QStringLiteral("%1 is not a whole frame of its kind; ignored")
                                         .arg(d.filePath(CardSlotFileName(slot))));
                continue;
            }
            screen[slot] = bytes;
        }
        QByteArray time;
        if (ReadWholeFile(d.filePath(kTimeFile), &time) && time.size() == 7)
            screen.time = time;
    }
}

QImage RenderCardScreen(const CardScreenMemory &m, int moduleType)
{
    const QSize size = ScreenSize(m);
    if (size.width() <= 0 || size.height() <= 0 || size.width() > 8192 || size.height() > 8192)
        return {};
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::black);
    if (m.PoweredOff())
        return img;
    const int pattern = m.TestPattern();
    if (pattern != 0) {
        DrawTestPattern(img, pattern);
    } else {
        const QByteArray &pages = m[CardSlot::Pages];
        DrawFirstPage(img, m, pages, kPageHeaderBytes + kPageEntryBytes * PageCountOf(pages), moduleType);
        DrawFirstPage(img, m, m[CardSlot::Subtitle], kSubtitleRasterOffset, moduleType);
        const GlyphFont glyphs(m[CardSlot::Glyphs]);
        DrawClock(img, m, glyphs, moduleType);
        DrawTemperature(img, m, glyphs, moduleType);
    }
    if (m.ColourMode().value_or(1) == 0) {
        // One plane: only red LEDs.
        for (int y = 0; y < img.height(); ++y) {
            QRgb *line = reinterpret_cast<QRgb *>(img.scanLine(y));
            for (int x = 0; x < img.width(); ++x)
                line[x] = qRgb(qRed(line[x]) >= 128 ? 255 : 0, 0, 0);
        }
    }
    return img;
}

} // namespace pelvoro
