#include "pages/page_store.h"

#include "base/app_dir.h"
#include "base/atomic_file.h"
#include "base/directory_lock.h"
#include "config/area_layout.h"
#include "config/config_store.h"
#include "config/schedule_sections.h"
#include "pages/area_file_check.h"
#include "pages/area_stacking.h"
#include "pages/data_file_io.h"
#include "pages/data_files.h"
#include "pages/page_file_staging.h"
#include "pages/page_schedules.h"
#include "pages/raster.h"

#include <QFile>

#include <algorithm>
#include <cstring>

namespace pelvoro {
namespace {

// Speeds up to this one are stored as they are, faster ones doubled.
constexpr int kLastPlainSpeed = 15;

PageResult Result(PageStatus status, const QString &message = {})
{
    return DataFileResult(status, message);
}

QString PagePath(int screenIndex)
{
    EnterAppDir();
    return AppFile(PageFileName(screenIndex));
}

PageResult IoError(const QString &name, const QString &detail = {})
{
    return DataFileIoError(name, detail);
}

PageResult NoFile(int screenIndex)
{
    return Result(PageStatus::NoFile, QString::number(screenIndex + 1) + QStringLiteral("号屏没有数据页（")
                                          + PageFileName(screenIndex) + QStringLiteral("不存在）"));
}

PageResult NoPage(int page, int count)
{
    return Result(PageStatus::NoPage, QStringLiteral("没有第%1页数据（共%2页）").arg(page).arg(count));
}

PageResult UnusableArea(int screenIndex)
{
    return Result(PageStatus::Refused,
                  QString::number(screenIndex + 1) + QStringLiteral("号屏的主区大小或颜色设置无效，无法保存数据页"));
}

struct LoadedFile {
    QString path;
    QByteArray bytes;
    int count = 0;
};

int CountIn(const QByteArray &bytes)
{
    return bytes.size() > kPageCountOffset ? static_cast<unsigned char>(bytes[kPageCountOffset]) : 0;
}

// Reads the whole page file once it is known to be what its header declares for the screen.
PageResult LoadFile(const ScreenInfo &screen, int screenIndex, LoadedFile *file)
{
    file->path = PagePath(screenIndex);
    if (!QFile::exists(file->path))
        return NoFile(screenIndex);
    if (PageBytes(screen) <= 0)
        return UnusableArea(screenIndex);
    if (PageResult read = ReadCheckedAreaFile(AreaFileKind::Pages, PageFileName(screenIndex), file->path, screen,
                                              &file->bytes);
        !read.Ok())
        return read;
    file->count = CountIn(file->bytes);
    return {};
}

PageResult Store(int screenIndex, const QString &path, const QByteArray &bytes)
{
    return StoreDataFile(PageFileName(screenIndex), path, bytes);
}

qsizetype EntryOffset(int page)
{
    return kPageHeaderBytes + kPageEntryBytes * (page - 1);
}

qsizetype RasterOffset(int count, int page, qsizetype pageBytes)
{
    return kPageHeaderBytes + kPageEntryBytes * count + pageBytes * (page - 1);
}

void PackPage(const ScreenInfo &screen, const QImage &image, char *dest, qsizetype pageBytes)
{
    PackAreaPage(screen, screen.MainHeight, image, dest, pageBytes);
}

// Every change reads and replaces its files under the directory's lock.
PageResult Busy(const DirectoryLock &lock)
{
    return Result(PageStatus::IoError, lock.Error());
}

PageResult Commit(int screenIndex, FileSetUpdate &update)
{
    QString error;
    if (!update.Commit(&error))
        return IoError(PageFileName(screenIndex), error);
    return {};
}

QString ConfigError(const ConfigStore &config)
{
    return IoError(QStringLiteral("SysConfig.ini"), config.LastError()).message;
}

} // namespace

quint8 SpeedCode(int speed)
{
    const int s = std::clamp(speed, 0, kMaxSpeed);
    return quint8(s <= kLastPlainSpeed ? s : 2 * s);
}

int SpeedFromCode(quint8 code)
{
    return code <= kLastPlainSpeed ? code : code / 2;
}

std::array<char, kPageEntryBytes> EncodePageEntry(const PageEntry &entry)
{
    return {char(quint8(entry.effect)), char(quint8(entry.reserved)), char(SpeedCode(entry.speed)),
            char(quint8(entry.dwell))};
}

PageEntry DecodePageEntry(const char *bytes)
{
    const auto *b = reinterpret_cast<const unsigned char *>(bytes);
    return PageEntry{b[0], b[1], SpeedFromCode(b[2]), b[3]};
}

qsizetype PageBytes(const ScreenInfo &screen)
{
    if (screen.ColorMode != 0 && screen.ColorMode != 1)
        return 0;
    const qint64 dots = qint64(screen.Width) * screen.MainHeight;
    if (dots <= 0)
        return 0;
    return qsizetype(dots / (8 / (screen.ColorMode + 1)));
}

int PageLimit(const ScreenInfo &screen)
{
    const qint64 budget = MainAreaBudget(screen.CardType);
    const qint64 pageBytes = PageBytes(screen);
    if (budget == 0 || pageBytes <= 0)
        return 0;
    return int(std::min<qint64>(kMaxStoredPages, budget / pageBytes));
}

QString PageLimitMessage(const ScreenInfo &screen)
{
    return QStringLiteral("最多可编辑") + QString::number(PageLimit(screen)) + QStringLiteral("页内容");
}

qsizetype PageFileSize(qsizetype pageBytes, int pages)
{
    return kPageHeaderBytes + qsizetype(pages) * (kPageEntryBytes + pageBytes) + kPageTrailerBytes;
}

namespace {

PageResult ReadOnePage(const ScreenTable &table, int screenIndex, int page, PageEntry *entry, QImage *image,
                       int *pageCount)
{
    const ScreenInfo &screen = table[screenIndex];
    const qsizetype pageBytes = PageBytes(screen);
    if (pageBytes <= 0)
        return UnusableArea(screenIndex);
    const QString path = PagePath(screenIndex);
    if (!QFile::exists(path))
        return NoFile(screenIndex);
    // A file that is not what its header declares leaves every offset in doubt: it is damaged.
    AreaFileProbe probe;
    if (PageResult probed = ProbeAreaFile(PageFileName(screenIndex), path, &probe); !probed.Ok())
        return probed;
    if (PageResult checked = CheckAreaFile(AreaFileKind::Pages, PageFileName(screenIndex), screen, probe);
        !checked.Ok())
        return checked;
    const int pages = CountIn(probe.head);
    *pageCount = pages;
    if (page < 1 || page > pages)
        return NoPage(page, pages);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return IoError(PageFileName(screenIndex), file.errorString());
    // Only this page's entry and raster are read.
    char entryBytes[kPageEntryBytes];
    if (!file.seek(EntryOffset(page)) || file.read(entryBytes, kPageEntryBytes) != kPageEntryBytes)
        return IoError(PageFileName(screenIndex), file.errorString());
    const RasterFormat format = RasterFormatOf(screen);
    const qsizetype packed = std::min(RasterBytes(screen.Width, screen.MainHeight, format), pageBytes);
    QByteArray raster(packed, Qt::Uninitialized);
    if (!file.seek(RasterOffset(pages, page, pageBytes)) || file.read(raster.data(), packed) != packed)
        return IoError(PageFileName(screenIndex), file.errorString());
    if (!UnpackRaster(raster, screen.Width, screen.MainHeight, format, image)) {
        return IoError(PageFileName(screenIndex),
                       QStringLiteral("无法生成%1×%2的图像").arg(screen.Width).arg(screen.MainHeight));
    }
    *entry = DecodePageEntry(entryBytes);
    return {};
}

} // namespace

PageResult ReadPage(const ScreenTable &table, int screenIndex, int page, PageEntry *entry, QImage *image)
{
    int count = 0;
    return ReadOnePage(table, screenIndex, page, entry, image, &count);
}

PageRead ReadPage(const ScreenTable &table, int screenIndex, int page)
{
    PageRead read;
    static_cast<PageResult &>(read) = ReadOnePage(table, screenIndex, page, &read.entry, &read.image, &read.pageCount);
    if (!read.Ok())
        read.image = QImage();
    return read;
}

PageEntries ReadPageEntries(const ScreenTable &table, int screenIndex)
{
    PageEntries result;
    const qsizetype pageBytes = PageBytes(table[screenIndex]);
    if (pageBytes <= 0) {
        static_cast<PageResult &>(result) = UnusableArea(screenIndex);
        return result;
    }
    LoadedFile file;
    const PageResult loaded = LoadFile(table[screenIndex], screenIndex, &file);
    if (!loaded.Ok()) {
        static_cast<PageResult &>(result) = loaded;
        return result;
    }
    for (int k = 1; k <= file.count; ++k)
        result.entries.append(DecodePageEntry(file.bytes.constData() + EntryOffset(k)));
    return result;
}

PageResult SavePageImage(const ScreenTable &table, int screenIndex, int page, const QImage &image)
{
    const DirectoryLock lock;
    if (!lock.Locked())
        return Busy(lock);
    const ScreenInfo &screen = table[screenIndex];
    const qsizetype pageBytes = PageBytes(screen);
    if (pageBytes <= 0)
        return UnusableArea(screenIndex);
    if (page == 0)
        page = 1;
    LoadedFile file;
    if (PageResult loaded = LoadFile(screen, screenIndex, &file); !loaded.Ok())
        return loaded;
    if (page < 1 || page > file.count)
        return NoPage(page, file.count);
    PackPage(screen, image, file.bytes.data() + RasterOffset(file.count, page, pageBytes), pageBytes);
    return Store(screenIndex, file.path, file.bytes);
}

PageResult WritePageEntry(const ScreenTable &table, int screenIndex, int page, const PageEntry &entry)
{
    return WritePageEntries(table, screenIndex, page, page, entry);
}

PageResult WritePageEntries(const ScreenTable &table, int screenIndex, int first, int last, const PageEntry &entry)
{
    const DirectoryLock lock;
    if (!lock.Locked())
        return Busy(lock);
    const qsizetype pageBytes = PageBytes(table[screenIndex]);
    if (pageBytes <= 0)
        return UnusableArea(screenIndex);
    LoadedFile file;
    if (PageResult loaded = LoadFile(table[screenIndex], screenIndex, &file); !loaded.Ok())
        return loaded;
    first = std::max(first, 1);
    last = std::min(last, file.count);
    if (first > last)
        return NoPage(first, file.count);
    const std::array<char, kPageEntryBytes> bytes = EncodePageEntry(entry);
    const QByteArray before = file.bytes;
    for (int k = first; k <= last; ++k)
        std::memcpy(file.bytes.data() + EntryOffset(k), bytes.data(), bytes.size());
    if (file.bytes == before)
        return {};
    return Store(screenIndex, file.path, file.bytes);
}

PageResult DeletePage(const ScreenTable &table, int screenIndex, int page, ConfigStore &config)
{
    const DirectoryLock lock;
    if (!lock.Locked())
        return Busy(lock);
    const qsizetype pageBytes = PageBytes(table[screenIndex]);
    LoadedFile file;
    if (PageResult loaded = LoadFile(table[screenIndex], screenIndex, &file); !loaded.Ok())
        return loaded;
    const int count = file.count;
    if (page < 1 || page > count)
        return NoPage(page, count);
    // The shifted schedules and the shorter file (or none) replace the old ones as a unit.
    FileSetUpdate update;
    if (!config.Stage([&](IniDocument &doc) { return ShiftSchedulesForDeletedPage(doc, screenIndex, page, count); },
                      update))
        return Result(PageStatus::IoError, ConfigError(config));
    if (count == 1) {
        update.Remove(file.path);
    } else {
        const QByteArray &in = file.bytes;
        QByteArray out;
        out.reserve(PageFileSize(pageBytes, count - 1));
        out.append(in.constData(), kPageCountOffset);
        out.append(char(count - 1));
        out.append(in.constData() + EntryOffset(1), kPageEntryBytes * (page - 1));
        out.append(in.constData() + EntryOffset(page + 1), kPageEntryBytes * (count - page));
        out.append(in.constData() + RasterOffset(count, 1, pageBytes), pageBytes * (page - 1));
        out.append(in.constData() + RasterOffset(count, page + 1, pageBytes), pageBytes * (count - page));
        out.append(kPageTrailer);
        update.Write(file.path, out);
    }
    return Commit(screenIndex, update);
}

PageResult DeleteAllPages(const ScreenTable & /*table*/, int screenIndex, ConfigStore &config)
{
    const DirectoryLock lock;
    if (!lock.Locked())
        return Busy(lock);
    const QString path = PagePath(screenIndex);
    const int count = StoredPageCount(screenIndex);
    FileSetUpdate update;
    if (!config.Stage([&](IniDocument &doc) { return EraseScheduleSections(doc, screenIndex, count); }, update))
        return Result(PageStatus::IoError, ConfigError(config));
    const bool present = QFile::exists(path);
    if (present)
        update.Remove(path);
    if (PageResult committed = Commit(screenIndex, update); !committed.Ok())
        return committed;
    return present ? PageResult{} : NoFile(screenIndex);
}

PageResult MovePage(const ScreenTable &table, int screenIndex, int page, MoveDirection direction)
{
    const DirectoryLock lock;
    if (!lock.Locked())
        return Busy(lock);
    const qsizetype pageBytes = PageBytes(table[screenIndex]);
    LoadedFile file;
    if (PageResult loaded = LoadFile(table[screenIndex], screenIndex, &file); !loaded.Ok())
        return loaded;
    const int count = file.count;
    if (count == 1)
        return Result(PageStatus::Refused, QStringLiteral("只有一页数据,不能移动该数据页!"));
    if (page < 1 || page > count)
        return NoPage(page, count);
    const int other = direction == MoveDirection::Up ? page - 1 : page + 1;
    if (other < 1 || other > count)
        return {}; // the first page up or the last down: the file stays as it is
    const int a = std::min(page, other);
    char *bytes = file.bytes.data();
    std::swap_ranges(bytes + EntryOffset(a), bytes + EntryOffset(a) + kPageEntryBytes, bytes + EntryOffset(a + 1));
    char *rasterA = bytes + RasterOffset(count, a, pageBytes);
    std::swap_ranges(rasterA, rasterA + pageBytes, rasterA + pageBytes);
    return Store(screenIndex, file.path, file.bytes);
}

PageAppender::PageAppender(const ScreenTable &table, int screenIndex)
    : lock_(std::make_unique<DirectoryLock>()), screen_(table[screenIndex]), screenIndex_(screenIndex),
      pageBytes_(PageBytes(screen_)), limit_(PageLimit(screen_))
{
    path_ = PagePath(screenIndex);
    if (!lock_->Locked()) {
        open_ = Busy(*lock_);
        return;
    }
    if (!HasMain(screen_)) {
        open_ = Result(PageStatus::Refused, QString::number(screenIndex + 1) + QStringLiteral("号屏没有主区"));
        return;
    }
    if (pageBytes_ <= 0) {
        open_ = UnusableArea(screenIndex);
        return;
    }
    if (QFile::exists(path_)) {
        LoadedFile file;
        open_ = LoadFile(screen_, screenIndex, &file);
        if (!open_.Ok())
            return;
        count_ = file.count;
        const qsizetype entriesEnd = kPageHeaderBytes + kPageEntryBytes * count_;
        header_ = file.bytes.left(entriesEnd);
        rasters_ = file.bytes.mid(entriesEnd, pageBytes_ * count_ + kPageTrailerBytes);
    } else {
        header_ = NewAreaFileHeader(screen_, screenIndex, kPageFileCode, AreaStacking(screen_).mainTop,
                                    screen_.MainHeight);
    }
    if (limit_ > count_)
        rasters_.reserve(pageBytes_ * limit_ + kPageTrailerBytes);
}

PageAppender::~PageAppender() = default;

namespace {
thread_local FileSetUpdate *currentStaging = nullptr;
} // namespace

PageFileStaging::PageFileStaging(FileSetUpdate &update) : previous_(currentStaging)
{
    currentStaging = &update;
}

PageFileStaging::~PageFileStaging()
{
    currentStaging = previous_;
}

FileSetUpdate *PageFileStaging::Current()
{
    return currentStaging;
}

QString PageAppender::LimitMessage() const
{
    return PageLimitMessage(screen_);
}

bool PageAppender::AddPage(const PageEntry &entry)
{
    if (!open_.Ok() || count_ >= limit_)
        return false;
    ++count_;
    ++appended_;
    header_[kPageCountOffset] = char(quint8(count_));
    const std::array<char, kPageEntryBytes> bytes = EncodePageEntry(entry);
    header_.append(bytes.data(), qsizetype(bytes.size()));
    rasters_.resize(pageBytes_ * count_ + kPageTrailerBytes);
    rasters_[rasters_.size() - 1] = kPageTrailer;
    return true;
}

bool PageAppender::Append(const QImage &image, const PageEntry &entry)
{
    if (!AddPage(entry))
        return true;
    PackPage(screen_, image, rasters_.data() + pageBytes_ * (count_ - 1), pageBytes_);
    return count_ >= limit_;
}

bool PageAppender::Append(const QImage &image, int effect, int reserved, int speed, int dwell)
{
    return Append(image, PageEntry{effect, reserved, speed, dwell});
}

bool PageAppender::AppendRaster(QByteArrayView raster, const PageEntry &entry)
{
    if (!AddPage(entry))
        return true;
    char *dest = rasters_.data() + pageBytes_ * (count_ - 1);
    const qsizetype copied = std::min(raster.size(), pageBytes_);
    std::memcpy(dest, raster.data(), size_t(copied));
    std::memset(dest + copied, 0xFF, size_t(pageBytes_ - copied));
    return count_ >= limit_;
}

PageResult PageAppender::Finish()
{
    if (!open_.Ok())
        return open_;
    if (appended_ == 0)
        return {};
    if (FileSetUpdate *update = PageFileStaging::Current()) {
        update->Write(path_, header_ + rasters_);
        return {};
    }
    return Store(screenIndex_, path_, header_ + rasters_);
}

bool RemoveEmptyDamagedPageFile(const PageResult &openResult, int screenIndex)
{
    if (openResult.status != PageStatus::Damaged || StoredPageCount(screenIndex) != 0)
        return false;
    return QFile::remove(AppFile(PageFileName(screenIndex)));
}

} // namespace pelvoro
