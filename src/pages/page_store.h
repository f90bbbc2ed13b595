#pragma once

#include "config/screen_info.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>
#include <QList>
#include <QString>

#include <array>
#include <memory>

// A screen's main-area pages live in one file, "Tavrel<n>.dat" in the application's directory. It
// is at the same time the stored form of the pages and the payload of "发送主区", which sends its
// bytes as they stand:
//
//   0      screen number (index + 1)
//   1      0xD1, the controller's code for main-area data
//   2      AreaFlags of the screen when the file was created
//   3      0
//   4..11  main area left, top, right, bottom, 16-bit little-endian
//   12     P, the page count
//   13     P page entries of 4 bytes: effect, reserved, speed code, dwell
//   ...    P rasters of PageBytes bytes each
//   last   trailer 0xAA
//
// Bytes 0..11 are written when the first pages are added and carried over unchanged afterwards.
// Page numbers are 1-based everywhere. Every function below enters the application's directory
// first; a missing file is not an error (status NoFile: there are no pages and nothing is done).
// Every reader checks the file first (CheckAreaFile): one that is not exactly what its header
// declares for the screen is reported as damaged and left alone. Every change replaces the whole
// file atomically.
namespace pelvoro {

class ConfigStore;
class DirectoryLock;

// The head the page file and the subtitle file share, which is also the head of the frames that
// carry them: screen number, the file's command code, the area flags, a zero byte, the area's
// rectangle (left, top, right, bottom, each 16-bit little-endian) and the page count.
inline constexpr qsizetype kDataFileScreenOffset = 0;
inline constexpr qsizetype kDataFileCodeOffset = 1;
inline constexpr qsizetype kDataFileAreasOffset = 2;
inline constexpr qsizetype kDataFileLeftOffset = 4;
inline constexpr qsizetype kDataFileTopOffset = 6;
inline constexpr qsizetype kDataFileRightOffset = 8;
inline constexpr qsizetype kDataFileBottomOffset = 10;
inline constexpr qsizetype kPageCountOffset = 12;
inline constexpr qsizetype kPageHeaderBytes = kPageCountOffset + 1;

inline constexpr qsizetype kPageEntryBytes = 4;
inline constexpr qsizetype kPageTrailerBytes = 1;
inline constexpr char kPageFileCode = char(0xD1);
inline constexpr char kPageTrailer = char(0xAA);
inline constexpr int kMaxSpeed = 30;

// A page's attributes, with the speed as the operator sees it (0..30).
struct PageEntry {
    int effect = 0;   // 0-based index into the EffectList of the screen's card type
    int reserved = 0; // 0 in new pages, carried over unchanged
    int speed = 0;
    int dwell = 0; // in the controller's unit, 0..255

    bool operator==(const PageEntry &) const = default;
};

// Speeds up to 15 are stored as they are, 16..30 doubled (32..60); out-of-range speeds are
// clamped into 0..30 first.
quint8 SpeedCode(int speed);
// A stored code of 15 or less is the speed itself; a larger one is halved.
int SpeedFromCode(quint8 code);

std::array<char, kPageEntryBytes> EncodePageEntry(const PageEntry &entry);
PageEntry DecodePageEntry(const char *bytes);

// Bytes of one page: W * MainHeight / 8 on a single-colour screen, / 4 on a dual-colour one; 0 for
// any other colour mode. When W is not a multiple of 8 this exceeds the packed raster, and the
// rest of each page is filled with 0xFF (dark LEDs).
qsizetype PageBytes(const ScreenInfo &screen);
// How many pages a conversion may fill: min(kMaxStoredPages, MainAreaBudget / PageBytes) for the
// screen's card type; 0 for any other card type.
int PageLimit(const ScreenInfo &screen);
// "最多可编辑" + PageLimit + "页内容", shown when a conversion stops at the limit.
QString PageLimitMessage(const ScreenInfo &screen);
// Size of a complete file of `pages` pages: 13 + pages * (4 + pageBytes) + 1.
qsizetype PageFileSize(qsizetype pageBytes, int pages);

enum class PageStatus {
    Ok,
    NoFile,  // the screen has no page file: nothing was done
    NoPage,  // the page number is not one of the file's pages: nothing was done
    Refused, // refused with one of the system's messages
    Damaged, // the file is not exactly what its header declares for the screen
    IoError, // the file (or SysConfig.ini) could not be read or written
};

struct PageResult {
    PageStatus status = PageStatus::Ok;
    QString message; // for the operator; empty when Ok

    bool Ok() const { return status == PageStatus::Ok; }
    // Whether the operator has to be told (NoFile and NoPage only mean that nothing was done).
    bool IsError() const
    {
        return status == PageStatus::Refused || status == PageStatus::Damaged || status == PageStatus::IoError;
    }
};

// ReadPage's answer: on success the page's entry and its image of W x MainHeight pixels, decoded
// as the preview shows it (pure red, green, yellow and black).
struct PageRead : PageResult {
    int pageCount = 0;
    PageEntry entry;
    QImage image;
};

// The entries of all pages (for lists and the command-line tool).
struct PageEntries : PageResult {
    QList<PageEntry> entries;
};

enum class MoveDirection { Up, Down };

// Preview window and page list: decodes page `page` of screen `screenIndex`.
PageRead ReadPage(const ScreenTable &table, int screenIndex, int page);
// The same into `*image`, whose buffer is reused when it already has the page's size.
PageResult ReadPage(const ScreenTable &table, int screenIndex, int page, PageEntry *entry, QImage *image);

PageEntries ReadPageEntries(const ScreenTable &table, int screenIndex);

// Preview window: packs `image` (its top-left W x MainHeight pixels) and overwrites the raster of
// page `page` (0 is taken as 1). Nothing is done when the file does not exist or holds no pages.
PageResult SavePageImage(const ScreenTable &table, int screenIndex, int page, const QImage &image);

// Rewrites the entry of one page; the file keeps its size.
PageResult WritePageEntry(const ScreenTable &table, int screenIndex, int page, const PageEntry &entry);
// Gives pages first..last (clamped to the file's pages) the same entry in one rewrite, as
// "设置以下页相同" does.
PageResult WritePageEntries(const ScreenTable &table, int screenIndex, int first, int last, const PageEntry &entry);

// Deletes one page. The playback schedules of the following pages move down by one first (in
// `config`), so that schedules stay with their pages; deleting the only page removes the file.
PageResult DeletePage(const ScreenTable &table, int screenIndex, int page, ConfigStore &config);
// Erases the schedules of all pages and removes the file.
PageResult DeleteAllPages(const ScreenTable &table, int screenIndex, ConfigStore &config);
// Swaps a page with its neighbour; refused with "只有一页数据,不能移动该数据页!" when the file holds
// one page. Moving the first page up or the last down leaves the file as it is. Schedules stay with
// the page positions.
PageResult MovePage(const ScreenTable &table, int screenIndex, int page, MoveDirection direction);

// Appends a run of pages to a screen's page file in one pass: the file is read when the appender
// is made, pages are added in memory, and Finish() writes the new file once. The appender holds the
// directory's lock from the read to its end, so that no other writer's change falls in between.
//
//     PageAppender appender(table, screen);
//     if (!appender.OpenResult().Ok()) { report; stop; }
//     for (each image) if (appender.Append(image, {0, 0, 1, 1})) { show LimitMessage(); break; }
//     PageResult written = appender.Finish();
class PageAppender {
public:
    PageAppender(const ScreenTable &table, int screenIndex);
    ~PageAppender();
    PageAppender(const PageAppender &) = delete;
    PageAppender &operator=(const PageAppender &) = delete;

    // Ok, or why nothing can be appended: the existing file is damaged or unreadable (Damaged,
    // IoError), another writer holds the directory (IoError), or the screen has no main area of a
    // usable size (Refused).
    const PageResult &OpenResult() const { return open_; }
    int PageCount() const { return count_; }
    int Appended() const { return appended_; }
    int Limit() const { return limit_; }
    QString LimitMessage() const;

    // Packs the top-left W x MainHeight pixels of `image` into a new page. Returns true when the
    // conversion has to stop: this page made the count reach the limit, or the limit had been
    // reached before (then nothing is added), or the appender could not be opened.
    bool Append(const QImage &image, const PageEntry &entry);
    bool Append(const QImage &image, int effect, int reserved, int speed, int dwell);
    // The same with a ready raster of at least the packed size (a page's remaining bytes are 0xFF).
    bool AppendRaster(QByteArrayView raster, const PageEntry &entry);

    // Writes the file with everything appended (nothing is written when nothing was appended).
    PageResult Finish();

private:
    bool AddPage(const PageEntry &entry);

    std::unique_ptr<DirectoryLock> lock_;
    ScreenInfo screen_;
    int screenIndex_ = 0;
    QString path_;
    PageResult open_;
    qsizetype pageBytes_ = 0;
    int limit_ = 0;
    int count_ = 0;
    int appended_ = 0;
    QByteArray header_;  // header and entries
    QByteArray rasters_; // rasters and trailer
};

// A damaged page file that lists no pages is deleted, as an empty page list has no file: the screen
// can take pages again. `openResult` is what opening it for appending said. True when it went.
bool RemoveEmptyDamagedPageFile(const PageResult &openResult, int screenIndex);

} // namespace pelvoro
