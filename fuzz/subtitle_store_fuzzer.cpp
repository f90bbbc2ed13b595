// Feeds arbitrary bytes to the subtitle readers: TavrelTitle1.dat and its text TavrelTitle1.txt.
// Input: one byte choosing the screen's geometry, one choosing a page, two for an entry, one giving
// the length N of the text, N bytes of text, then the page file. Besides the sanitizers' checks it
// traps when
//   - the file is accepted or refused other than by its declared size (header, entry, rasters), a
//     refusal has no message or leaves a partial result, or a page reads back another entry;
//   - a refused entry write changes the file, or an accepted one changes more than its four bytes;
//   - the file goes out as a frame that is not one whole frame, or differs from the file in more
//     than the move style the controller is sent;
//   - the text read back holds a line break, or a second save of it changes its bytes;
//   - deleting leaves either file, or an unfinished update behind.
//
// Seeds are files the subtitle writers made (fuzz_seeds). Run:
//   subtitle_store_fuzzer -max_len=4096 -timeout=10 CORPUS fuzz/corpus/subtitle_store_fuzzer
#include "fuzz_support.h"

#include "base/atomic_file.h"
#include "base/gbk.h"
#include "comm/frame_layout.h"
#include "comm/frames.h"
#include "pages/data_files.h"
#include "pages/subtitle_store.h"

#include <cstddef>
#include <cstdint>

using namespace pelvoro;
using pelvoro::fuzz::Check;
using pelvoro::fuzz::Geometry;
using pelvoro::fuzz::kGeometries;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 5 || size < 5 + size_t(data[4]))
        return 0;
    const QString dir = fuzz::UseScratchAppDir();
    fuzz::ClearDir(dir);
    const Geometry &g = kGeometries[data[0] % std::size(kGeometries)];
    ScreenTable table;
    table[0] = DefaultScreenInfo();
    table[0].CardType = kCardNormal;
    table[0].Width = g.width;
    table[0].Height = g.height;
    table[0].TitleHeight = g.height;
    table[0].ColorMode = g.colour;
    const QByteArray text(reinterpret_cast<const char *>(data + 5), data[4]);
    const QByteArray file(reinterpret_cast<const char *>(data + 5 + data[4]), qsizetype(size - 5 - data[4]));
    const QString path = AppFile(SubtitleFileName(0));
    const QString textPath = AppFile(SubtitleTextFileName(0));
    fuzz::Put(path, file);
    fuzz::Put(textPath, text);

    const qsizetype pageBytes = SubPageBytes(table[0]);
    const int count = file.size() > kPageCountOffset ? quint8(file[kPageCountOffset]) : 0;
    const bool whole = file.size() >= kSubtitleRasterOffset + pageBytes * count;
    const int page = data[1] % (count + 2);
    const bool inRange = page >= 1 && page <= count;

    const SubtitleState state = ReadSubtitleState(table, 0);
    Check(state.Ok() == whole);
    if (whole) {
        Check(state.pageCount == count && state.entry == DecodeSubtitleEntry(file.constData() + kSubtitleEntryOffset));
    } else {
        Check(state.status == PageStatus::Damaged && !state.message.isEmpty());
    }

    const SubtitleRead read = ReadSubtitlePage(table, 0, page);
    Check(read.Ok() == (whole && inRange));
    if (read.Ok())
        Check(read.image.width() == g.width && read.image.height() == g.height && read.entry == state.entry);
    else
        Check(read.image.isNull() && !read.message.isEmpty());
    Check(fuzz::Get(path) == file);

    // The entry: its four bytes and nothing else, or nothing at all.
    const SubtitleEntry wanted{data[2] % 3, data[3], data[2], data[3] ^ data[2]};
    const PageResult written = WriteSubtitleEntry(table, 0, wanted);
    Check(written.Ok() == whole);
    QByteArray expected = file;
    if (whole) {
        const auto bytes = EncodeSubtitleEntry(wanted);
        for (int i = 0; i < kSubtitleEntryBytes; ++i)
            expected[kSubtitleEntryOffset + i] = bytes[size_t(i)];
        Check(ReadSubtitleState(table, 0).entry == DecodeSubtitleEntry(bytes.data()));
    }
    Check(fuzz::Get(path) == expected);

    // As a frame: the file with the move style the controller knows, or a refusal with a reason.
    const FrameResult frame = LoadSubtitleFrame(file, g.colour);
    if (frame) {
        Check(frame.frame.size() == file.size() && frame.pageCount == count && IsWholeFrame(frame.frame, g.colour));
        for (qsizetype i = 0; i < file.size(); ++i) {
            if (i != kSubtitleFrameStyle)
                Check(frame.frame[i] == file[i]);
        }
        Check(quint8(frame.frame[kSubtitleFrameStyle]) == (file[kSubtitleFrameStyle] == 0 ? kSentScrollLeft
                                                                                          : kSentOtherStyle));
    } else {
        Check(!frame.error.isEmpty());
    }

    // The text: its lines joined; what the station saves of it it reads back and saves unchanged.
    const std::optional<QString> joined = ReadSubtitleText(0);
    Check(joined.has_value());
    QByteArray unbroken = text;
    unbroken.removeIf([](char c) { return c == '\r' || c == '\n'; });
    Check(*joined == FromGbk(unbroken) && !joined->contains(u'\r') && !joined->contains(u'\n'));
    Check(SaveSubtitleText(0, *joined).Ok());
    const QByteArray saved = fuzz::Get(textPath);
    const std::optional<QString> again = ReadSubtitleText(0);
    Check(again.has_value() && SaveSubtitleText(0, *again).Ok() && fuzz::Get(textPath) == saved);

    Check(DeleteSubtitleFiles(0).Ok());
    Check(!QFile::exists(path) && !QFile::exists(textPath) && !HasUnfinishedUpdate(dir));
    Check(!ReadSubtitleText(0).has_value() && ReadSubtitleState(table, 0).status == PageStatus::NoFile);
    return 0;
}
