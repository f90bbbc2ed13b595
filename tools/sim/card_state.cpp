#include "sim/card_state.h"

#include "base/atomic_file.h"
#include "comm/bcd.h"
#include "comm/frame_layout.h"
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

// "2006-12-31 23:59:07" from the clock fields at `at`.
QString BcdDateTime(const QByteArray &f, int at)
{
    return QStringLiteral("20") + TwoBcd(f, {at + kTimeYear, at + kTimeMonth, at + kTimeDay}, QLatin1Char('-'))
           + QLatin1Char(' ') + TwoBcd(f, {at + kTimeHour, at + kTimeMinute, at + kTimeSecond}, QLatin1Char(':'));
}

// A schedule entry's window fields: "23:59:07" and "06-12-31".
QString WindowTime(const QByteArray &e, int at)
{
    return TwoBcd(e, {at + kWindowHour, at + kWindowMinute, at + kWindowSecond}, QLatin1Char(':'));
}

QString WindowDate(const QByteArray &e, int at)
{
    return TwoBcd(e, {at + kWindowYear, at + kWindowMonth, at + kWindowDay}, QLatin1Char('-'));
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
        o[QStringLiteral("colours")] = U8(f, kParamFrameColours);
        o[QStringLiteral("signals")] = U8(f, kParamFrameSignals);
        o[QStringLiteral("lineOrder")] = U8(f, kParamFrameLineOrder);
        o[QStringLiteral("dataFlow")] = U8(f, kParamFrameDataFlow);
        break;
    case CardSlot::Clock: {
        static const char *const kFieldNames[kTimeBytes] = {"second", "minute",  "hour", "day",
                                                            "month",  "weekday", "year"};
        QJsonObject shown;
        for (int i = 0; i < kTimeBytes; ++i)
            shown[QLatin1String(kFieldNames[i])] = U8(f, kClockFrameShown + i) != 0;
        o[QStringLiteral("areas")] = U8(f, kClockFrameAreas);
        o[QStringLiteral("tall")] = U8(f, kClockFrameTall);
        o[QStringLiteral("format")] = U8(f, kClockFrameFormat);
        o[QStringLiteral("colour")] = U8(f, kClockFrameColour);
        o[QStringLiteral("shown")] = shown;
        o[QStringLiteral("time")] = BcdDateTime(f, kClockFrameTime);
        o[QStringLiteral("weekday")] = U8(f, kClockFrameTime + kTimeWeekday);
        o[QStringLiteral("x")] = Le16(f, kClockFrameX);
        o[QStringLiteral("y")] = Le16(f, kClockFrameY);
        break;
    }
    case CardSlot::Temperature:
        o[QStringLiteral("areas")] = U8(f, kTempFrameAreas);
        o[QStringLiteral("tall")] = U8(f, kTempFrameTall);
        o[QStringLiteral("format")] = U8(f, kTempFrameFormat);
        o[QStringLiteral("colour")] = U8(f, kTempFrameColour);
        o[QStringLiteral("x")] = Le16(f, kTempFrameX);
        o[QStringLiteral("y")] = Le16(f, kTempFrameY);
        break;
    case CardSlot::TimeSync:
        o[QStringLiteral("time")] = BcdDateTime(f, kTimeSyncFrameTime);
        o[QStringLiteral("weekday")] = U8(f, kTimeSyncFrameTime + kTimeWeekday);
        break;
    case CardSlot::Power:
        o[QStringLiteral("on")] = U8(f, kPowerFrameState) == kPowerOn;
        break;
    case CardSlot::Test:
        o[QStringLiteral("pattern")] = U8(f, kTestFramePattern);
        break;
    case CardSlot::Schedule: {
        QJsonArray entries;
        const int count = U8(f, kFrameCount);
        for (int k = 0; k < count; ++k) {
            const QByteArray e = f.mid(kScheduleFrameEntries + kScheduleEntryBytes * k, kScheduleEntryBytes);
            QJsonObject entry;
            entry[QStringLiteral("page")] = U8(e, kScheduleEntryPage);
            // A window is set when its fields are; the hour and the day stand for them.
            if (U8(e, kScheduleEntryStartTime + kWindowHour) != kNoWindow) {
                entry[QStringLiteral("from")] = WindowTime(e, kScheduleEntryStartTime);
                entry[QStringLiteral("to")] = WindowTime(e, kScheduleEntryEndTime);
            }
            if (U8(e, kScheduleEntryStartDate + kWindowDay) != kNoWindow) {
                entry[QStringLiteral("fromDate")] = WindowDate(e, kScheduleEntryStartDate);
                entry[QStringLiteral("toDate")] = WindowDate(e, kScheduleEntryEndDate);
            }
            if (U8(e, kScheduleEntryWeekdays) != kNoWindow) {
                QJsonArray days;
                for (int d = 0; d < 7; ++d)
                    days.append(U8(e, kScheduleEntryWeekdays + d) != 0);
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
    case CardSlot::Subtitle: {
        o = AreaFileJson(f);
        const SubtitleEntry entry = DecodeSubtitleEntry(f.constData() + kSubtitleEntryOffset);
        o[QStringLiteral("style")] = entry.style;
        o[QStringLiteral("reserved")] = entry.reserved;
        o[QStringLiteral("speed")] = entry.speed;
        o[QStringLiteral("dwell")] = entry.dwell;
        break;
    }
    case CardSlot::Glyphs:
        o[QStringLiteral("width")] = U8(f, kGlyphFrameWidth);
        o[QStringLiteral("height")] = U8(f, kGlyphFrameHeight);
        o[QStringLiteral("bytes")] = f.size() - GlyphFrameBytes(0);
        break;
    case CardSlot::Fpga:
    case CardSlot::Outdoor:
        o[QStringLiteral("bytes")] = f.size() - FileFrameBytes(0);
        break;
    }
    return o;
}

const char *const kSlotKeys[kCardSlotCount] = {"params",   "clock", "temperature", "timeSync", "power", "test",
                                               "schedule", "pages", "subtitle",    "glyphs",   "fpga",  "outdoor"};

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
    case kColourCodeRed:
        return moduleType == 1 ? QColor(0, 255, 0) : QColor(255, 0, 0);
    case kColourCodeGreen:
        return moduleType == 1 ? QColor(255, 0, 0) : QColor(0, 255, 0);
    case kColourCodeYellow:
        return QColor(255, 255, 0);
    default:
        return QColor(255, 0, 0);
    }
}

void DrawTestPattern(QImage &img, int pattern)
{
    const QRgb red = qRgb(255, 0, 0);
    switch (pattern) {
    case kTestYellow:
        img.fill(QColor(255, 255, 0));
        return;
    case kTestRed:
        img.fill(QColor(255, 0, 0));
        return;
    case kTestGreen:
        img.fill(QColor(0, 255, 0));
        return;
    default:
        break;
    }
    if (pattern < kTestRisingLines || pattern > kTestCrossedLines)
        return; // kTestBlack: all black
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            const bool rising = (x + y) % 8 == 7;
            const bool falling = (x - y + 8 * img.height()) % 8 == 0;
            const bool grid = x % 8 == 0 || y % 8 == 0;
            const bool lit = pattern == kTestRisingLines    ? rising
                             : pattern == kTestFallingLines ? falling
                             : pattern == kTestGrid         ? grid
                                                            : rising || falling;
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
void DrawFirstPage(QImage &img, const CardScreenMemory &m, const QByteArray &frame, qsizetype rastersAt, int moduleType)
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
    const QByteArrayView raster = QByteArrayView(frame).sliced(start,
                                                               std::min<qint64>(pageBytes, frame.size() - start));
    const QImage page = UnpackRaster(raster, rect.Width(), rect.Height(), RasterFormat{mode, moduleType});
    QPainter painter(&img);
    painter.drawImage(rect.left, rect.top, page);
}

// The downloaded glyphs, looked up by character.
class GlyphFont {
public:
    explicit GlyphFont(const QByteArray &frame)
    {
        if (frame.size() < GlyphFrameBytes(0))
            return;
        cell_ = {U8(frame, kGlyphFrameWidth), U8(frame, kGlyphFrameHeight)};
        if (cell_.width == 0 || cell_.height == 0
            || frame.size() != GlyphFrameBytes(GlyphBytes(cell_.width, cell_.height)))
            return;
        qsizetype offset = kGlyphFrameData;
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
            for (int k = kGlyphEnglishWeekdays; k < kGlyphEnglishWeekdays + 7; ++k) {
                if (text.mid(i, 3) == texts_[k]) {
                    index = k;
                    length = 3;
                }
            }
            if (index < 0) {
                const QString ch = text.mid(i, 1);
                // "日" comes twice: once as a weekday, once as the day of the month.
                if (ch == QStringLiteral("日")
                    && !text.mid(std::max<qsizetype>(0, i - 2), 2).endsWith(QStringLiteral("期")))
                    index = kGlyphDayOfMonth;
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
    if (f.size() != kClockFrameBytes || !(U8(f, kClockFrameAreas) & kAreasClock))
        return;
    ScreenInfo settings;
    settings.ClockFormat = U8(f, kClockFrameFormat);
    for (int field = 0; field < kTimeBytes; ++field)
        settings.ClockParts[size_t(kClockPartOfField[size_t(field)])] = U8(f, kClockFrameShown + field) != 0;
    QDateTime time = m.ClockTime();
    if (!time.isValid())
        time = QDateTime(QDate(2000, 1, 1), QTime(0, 0));
    const QString text = ClockText(settings, time).text;
    DrawSample(img, glyphs, text, Le16(f, kClockFrameX), Le16(f, kClockFrameY), U8(f, kClockFrameTall) != 0,
               LedColour(U8(f, kClockFrameColour), moduleType));
}

void DrawTemperature(QImage &img, const CardScreenMemory &m, const GlyphFont &glyphs, int moduleType)
{
    const QByteArray &f = m[CardSlot::Temperature];
    if (f.size() != kTempFrameBytes || !(U8(f, kTempFrameAreas) & kAreasTemperature))
        return;
    ScreenInfo settings;
    settings.TempFormat = U8(f, kTempFrameFormat);
    DrawSample(img, glyphs, TemperatureSample(settings), Le16(f, kTempFrameX), Le16(f, kTempFrameY),
               U8(f, kTempFrameTall) != 0, LedColour(U8(f, kTempFrameColour), moduleType));
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
