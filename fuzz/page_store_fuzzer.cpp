// Feeds arbitrary bytes to the page file reader as a screen's Tavrel1.dat and runs every operation
// of the page list on it. Input: one byte choosing the screen's geometry, one choosing a page, two
// for an entry, then the file. Besides the sanitizers' checks it traps when
//   - the file is accepted or refused other than by its declared size (header, entries, rasters),
//     or a refusal has no message or leaves a partial result (entries, an image);
//   - a page reads back other than what its entry and raster bytes say;
//   - an operation refused on the file changes it, or one that succeeds changes other bytes than
//     its own (an entry written, a page saved from its own image, a move and its reverse, a page
//     appended or deleted);
//   - the file is sent as a frame that is not one whole frame of its declared length.
//
// Seeds are page files PageAppender wrote (fuzz_seeds). Run:
//   page_store_fuzzer -max_len=4096 -timeout=10 CORPUS fuzz/corpus/page_store_fuzzer
#include "fuzz_support.h"

#include "base/atomic_file.h"
#include "comm/frames.h"
#include "config/config_store.h"
#include "pages/data_files.h"
#include "pages/page_store.h"
#include "pages/raster.h"

#include <cstddef>
#include <cstdint>

using namespace pelvoro;
using pelvoro::fuzz::Check;
using pelvoro::fuzz::Geometry;
using pelvoro::fuzz::kGeometries;

namespace {

ScreenTable TableFor(const Geometry &g)
{
    ScreenTable table;
    ScreenInfo &s = table[0];
    s = DefaultScreenInfo();
    s.CardType = kCardNormal;
    s.Width = g.width;
    s.Height = g.height;
    s.MainHeight = g.height;
    s.ColorMode = g.colour;
    s.Areas = {QStringLiteral("主区"), QString(), QString(), QString()};
    return table;
}

qsizetype EntryAt(int page)
{
    return kPageHeaderBytes + kPageEntryBytes * (page - 1);
}

// The file with page `page`'s entry, raster (and nothing else) cut out, as a delete leaves it.
QByteArray WithoutPage(const QByteArray &file, int count, int page, qsizetype pageBytes)
{
    const qsizetype rasters = EntryAt(count + 1);
    QByteArray out = file.left(kPageCountOffset);
    out.append(char(count - 1));
    for (int k = 1; k <= count; ++k) {
        if (k != page)
            out.append(file.mid(EntryAt(k), kPageEntryBytes));
    }
    for (int k = 1; k <= count; ++k) {
        if (k != page)
            out.append(file.mid(rasters + pageBytes * (k - 1), pageBytes));
    }
    out.append(kPageTrailer);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 4)
        return 0;
    const QString dir = fuzz::UseScratchAppDir();
    fuzz::ClearDir(dir);
    const Geometry &g = kGeometries[data[0] % std::size(kGeometries)];
    const ScreenTable table = TableFor(g);
    const QByteArray file(reinterpret_cast<const char *>(data + 4), qsizetype(size - 4));
    const QString path = AppFile(PageFileName(0));
    const auto reset = [&] { fuzz::Put(path, file); };
    reset();

    const qsizetype pageBytes = PageBytes(table[0]);
    const int count = file.size() > kPageCountOffset ? quint8(file[kPageCountOffset]) : 0;
    const bool whole = file.size() >= kPageHeaderBytes && file.size() >= EntryAt(count + 1) + pageBytes * count;
    const bool withTrailer = whole && file.size() > EntryAt(count + 1) + pageBytes * count;
    const int page = data[1] % (count + 2); // 0 .. count + 1: both ends and one past them
    const PageEntry wanted{data[2], 0, data[3] % 40, data[3]};

    // The list of entries: exactly the files whose size holds what their count declares.
    const PageEntries entries = ReadPageEntries(table, 0);
    Check(entries.Ok() == whole);
    Check(StoredPageCount(0) == count);
    if (whole) {
        Check(entries.entries.size() == count);
        for (int k = 1; k <= count; ++k)
            Check(entries.entries[k - 1] == DecodePageEntry(file.constData() + EntryAt(k)));
    } else {
        Check(entries.status == PageStatus::Damaged && !entries.message.isEmpty() && entries.entries.isEmpty());
    }

    // One page: what its entry says and its raster decoded; nothing at all on a refusal.
    const PageRead read = ReadPage(table, 0, page);
    const bool inRange = page >= 1 && page <= count;
    Check(read.Ok() == (whole && inRange));
    if (read.Ok()) {
        Check(read.image.width() == g.width && read.image.height() == g.height);
        Check(read.entry == entries.entries[page - 1] && read.pageCount == count);
    } else {
        Check(read.image.isNull() && !read.message.isEmpty());
    }
    Check(fuzz::Get(path) == file);

    // The page saved from its own image: only the bytes past the packed raster change (to dark).
    if (read.Ok()) {
        const PageResult saved = SavePageImage(table, 0, page, read.image);
        Check(saved.Ok());
        QByteArray expected = file;
        const qsizetype packed = std::min(RasterBytes(g.width, g.height, RasterFormatOf(table[0])), pageBytes);
        const qsizetype at = EntryAt(count + 1) + pageBytes * (page - 1);
        for (qsizetype i = at + packed; i < at + pageBytes; ++i)
            expected[i] = char(0xFF);
        Check(fuzz::Get(path) == expected);
        reset();
    }

    // An entry written: its four bytes and nothing else; a refusal changes nothing.
    const PageResult written = WritePageEntry(table, 0, page, wanted);
    Check(written.Ok() == (whole && inRange));
    if (written.Ok()) {
        QByteArray expected = file;
        const auto bytes = EncodePageEntry(wanted);
        for (int i = 0; i < kPageEntryBytes; ++i)
            expected[EntryAt(page) + i] = bytes[size_t(i)];
        Check(fuzz::Get(path) == expected);
        const PageEntries after = ReadPageEntries(table, 0);
        Check(after.Ok() && after.entries[page - 1] == DecodePageEntry(bytes.data()));
        reset();
    } else {
        Check(fuzz::Get(path) == file);
    }

    // A move down and back up gives the file back; a move that cannot be made changes nothing.
    const PageResult moved = MovePage(table, 0, page, MoveDirection::Down);
    Check(moved.Ok() == (whole && inRange && count > 1));
    if (moved.Ok() && page < count) {
        const PageEntries swapped = ReadPageEntries(table, 0);
        Check(swapped.Ok() && swapped.entries[page - 1] == entries.entries[page]
              && swapped.entries[page] == entries.entries[page - 1]);
        Check(MovePage(table, 0, page + 1, MoveDirection::Up).Ok());
    }
    Check(fuzz::Get(path) == file);

    // A page appended keeps every byte the file declares and drops whatever follows its trailer.
    {
        PageAppender appender(table, 0);
        Check(appender.OpenResult().Ok() == withTrailer);
        if (appender.OpenResult().Ok()) {
            QByteArray raster(pageBytes, char(data[2]));
            const bool full = appender.AppendRaster(raster, wanted);
            Check(appender.Finish().Ok());
            if (count >= appender.Limit()) {
                Check(full && appender.Appended() == 0 && fuzz::Get(path) == file);
            } else {
                const auto bytes = EncodePageEntry(wanted);
                QByteArray expected = file.left(kPageCountOffset);
                expected.append(char(count + 1));
                expected.append(file.mid(kPageHeaderBytes, kPageEntryBytes * count));
                expected.append(bytes.data(), kPageEntryBytes);
                expected.append(file.mid(EntryAt(count + 1), pageBytes * count));
                expected.append(raster);
                expected.append(kPageTrailer);
                Check(fuzz::Get(path) == expected);
            }
            reset();
        } else {
            Check(!appender.OpenResult().message.isEmpty());
            Check(appender.Append(QImage(g.width, g.height, QImage::Format_RGB32), wanted));
            Check(!appender.Finish().Ok() && fuzz::Get(path) == file);
        }
    }

    // A page deleted: the others keep their entries and rasters; the only page takes the file.
    {
        ConfigStore config;
        const PageResult deleted = DeletePage(table, 0, page, config);
        if (inRange && count == 1) {
            Check(deleted.Ok() && !QFile::exists(path));
        } else if (inRange && whole) {
            Check(deleted.Ok() && fuzz::Get(path) == WithoutPage(file, count, page, pageBytes));
        } else {
            Check(!deleted.Ok() && fuzz::Get(path) == file);
        }
        Check(!HasUnfinishedUpdate(dir));
    }

    // Sent as it stands, a file must be one whole frame of the length its header declares.
    const FrameResult frame = LoadMainFrame(file, g.colour);
    if (frame) {
        Check(frame.frame == file && frame.pageCount == count && IsWholeFrame(file, g.colour));
        const FrameExtent extent = ProbeFrameExtent(file.left(kPageHeaderBytes), g.colour);
        Check(extent.status == FrameExtent::Known && extent.length == file.size());
    } else {
        Check(!frame.error.isEmpty());
    }
    return 0;
}
