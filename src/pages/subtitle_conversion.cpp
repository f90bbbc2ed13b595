#include "pages/subtitle_conversion.h"

#include "pages/font_choices.h"

#include "base/app_dir.h"
#include "base/atomic_file.h"
#include "base/directory_lock.h"
#include "base/gbk.h"
#include "base/input_file_limits.h"
#include "config/area_layout.h"
#include "pages/area_file_check.h"
#include "pages/data_file_io.h"
#include "pages/data_files.h"
#include "pages/font_substitution.h"
#include "pages/rich_layout.h"

#include <QFile>
#include <QFontDatabase>

#include <algorithm>
#include <vector>

namespace pelvoro {
namespace {

constexpr QRgb kBlack = 0xFF000000;

// The subtitle file being built: header and entry, then rasters and trailer.
class SubtitleBuilder {
public:
    // `text`: the pages are rebuilt from scratch, and the new text file replaces the old one together
    // with them.
    SubtitleBuilder(const ScreenTable &table, int screenIndex, const SubtitleEntry &entry, const QByteArray *text)
        : screen_(table[screenIndex]), screenIndex_(screenIndex), entry_(entry), subPageBytes_(SubPageBytes(screen_)),
          capacity_(SubtitleCapacity(screen_)), text_(text)
    {
        EnterAppDir();
        path_ = AppFile(SubtitleFileName(screenIndex));
    }

    PageResult Open()
    {
        const QString name = SubtitleFileName(screenIndex_);
        if (!HasTitle(screen_)) {
            return DataFileResult(PageStatus::Refused,
                                  QString::number(screenIndex_ + 1) + QStringLiteral("号屏没有字幕区"));
        }
        if (subPageBytes_ <= 0) {
            return DataFileResult(PageStatus::Refused,
                                  QString::number(screenIndex_ + 1)
                                      + QStringLiteral("号屏的字幕区大小或颜色设置无效，无法保存字幕页"));
        }
        if (text_ || !QFile::exists(path_)) {
            head_ = NewSubtitleHeader(screen_, screenIndex_);
            head_.resize(kSubtitleRasterOffset, '\0');
            return {};
        }
        QByteArray bytes;
        if (PageResult read = ReadCheckedAreaFile(AreaFileKind::Subtitle, name, path_, screen_, &bytes); !read.Ok())
            return read;
        count_ = static_cast<unsigned char>(bytes[kPageCountOffset]);
        head_ = bytes.left(kSubtitleRasterOffset);
        rasters_ = bytes.mid(kSubtitleRasterOffset, subPageBytes_ * count_ + 1);
        return {};
    }

    bool Full() const { return count_ >= capacity_; }
    int Count() const { return count_; }
    int Appended() const { return appended_; }

    void Append(const QImage &image)
    {
        ++count_;
        ++appended_;
        head_[kPageCountOffset] = char(quint8(count_));
        const std::array<char, 4> entry = EncodeSubtitleEntry(entry_);
        std::copy(entry.begin(), entry.end(), head_.begin() + kSubtitleEntryOffset);
        rasters_.resize(subPageBytes_ * count_ + 1);
        PackAreaPage(screen_, screen_.TitleHeight, image, rasters_.data() + subPageBytes_ * (count_ - 1),
                     subPageBytes_);
        rasters_[rasters_.size() - 1] = kSubtitleTrailer;
    }

    PageResult Write() const
    {
        FileSetUpdate update;
        if (text_) {
            update.Write(AppFile(SubtitleTextFileName(screenIndex_)), *text_);
            if (appended_ == 0 && QFile::exists(path_))
                update.Remove(path_);
        }
        if (appended_ > 0)
            update.Write(path_, head_ + rasters_);
        if (QString error; !update.Commit(&error))
            return DataFileIoError(SubtitleFileName(screenIndex_), error);
        return {};
    }

private:
    const ScreenInfo &screen_;
    int screenIndex_;
    SubtitleEntry entry_;
    qsizetype subPageBytes_;
    int capacity_;
    const QByteArray *text_;
    QString path_;
    int count_ = 0;
    int appended_ = 0;
    QByteArray head_;    // header and entry, 17 bytes
    QByteArray rasters_; // rasters and trailer
};

CharFormat FormatOf(const SubtitleDrawing &drawing, int points)
{
    CharFormat format;
    format.face = drawing.face;
    format.sizeHalfPoints = points * 2;
    format.bold = drawing.bold;
    format.italic = drawing.italic;
    format.underline = drawing.underline;
    format.strike = drawing.strike;
    format.autoColor = false;
    format.color = drawing.colour;
    return format;
}

} // namespace

SubtitleMetrics SubtitleMetricsOf(const ScreenInfo &screen)
{
    const bool big = screen.TitleHeight == 32;
    const int width = std::max(0, screen.Width);
    return big ? SubtitleMetrics{24, 32, width / 16} : SubtitleMetrics{12, 16, width / 8};
}

QList<QByteArray> CutSubtitlePieces(QByteArrayView gbk, int pieceBytes, int count)
{
    QList<QByteArray> pieces;
    pieces.reserve(std::max(0, count));
    qsizetype position = 0;
    for (int i = 0; i < count; ++i) {
        const qsizetype end = std::min(gbk.size(), position + std::max(0, pieceBytes));
        // Whole characters only: a lead byte takes its trail byte with it.
        qsizetype cut = position;
        while (cut < end) {
            const qsizetype step = IsGbkLeadByte(static_cast<unsigned char>(gbk[cut])) ? 2 : 1;
            if (cut + step > end)
                break;
            cut += step;
        }
        pieces.append(gbk.sliced(position, cut - position).toByteArray());
        position = cut;
    }
    return pieces;
}

void WidenShortPiece(QImage *image, int points)
{
    if (!image || image->isNull())
        return;
    const int width = image->width();
    const int sourceWidth = points == 24 ? width - 15 : width - 8;
    const int left = width > 256 ? 0 : 2;
    const int targetWidth = width - left;
    if (sourceWidth <= 0 || targetWidth <= 0)
        return;
    if (image->format() != QImage::Format_RGB32 && image->format() != QImage::Format_ARGB32)
        *image = image->convertToFormat(QImage::Format_RGB32);
    std::vector<QRgb> source(static_cast<size_t>(sourceWidth));
    for (int y = 0; y < image->height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image->scanLine(y));
        std::copy(line, line + sourceWidth, source.begin());
        for (int x = 0; x < targetWidth; ++x)
            line[left + x] = source[size_t(qint64(x) * sourceWidth / targetWidth)];
        std::fill(line, line + left, kBlack);
    }
}

QRgb SubtitleColour(const QString &name)
{
    if (name == QStringLiteral("黄"))
        return 0xFFFFFF00;
    if (name == QStringLiteral("绿"))
        return 0xFF00FF00;
    return 0xFFFF0000;
}

QStringList SubtitleFontFaces()
{
    return InstalledFontChoices();
}

namespace {

// Converts under the directory's lock; with `text`, from scratch and together with the text file.
SubtitleConversion Convert(const ScreenTable &table, int screenIndex, QByteArrayView gbk,
                           const SubtitleDrawing &drawing, const SubtitleEntry &current, const QByteArray *text)
{
    SubtitleConversion result;
    const DirectoryLock lock;
    if (!lock.Locked()) {
        static_cast<PageResult &>(result) = DataFileResult(PageStatus::IoError, lock.Error());
        return result;
    }
    const ScreenInfo &screen = table[screenIndex];
    // Every conversion starts the pages with speed and dwell 1.
    SubtitleBuilder builder(table, screenIndex, SubtitleEntry{current.style, current.reserved, 1, 1}, text);
    static_cast<PageResult &>(result) = builder.Open();
    if (!result.Ok())
        return result;
    result.pageCount = builder.Count();
    if (builder.Full()) {
        result.limitReached = true;
        result.limitMessage = SubtitleLimitMessage(screen);
        if (text)
            static_cast<PageResult &>(result) = builder.Write();
        return result;
    }

    const SubtitleMetrics metrics = SubtitleMetricsOf(screen);
    const CharFormat format = FormatOf(drawing, metrics.points);
    const QColor colour = QColor::fromRgb(drawing.colour);
    const int height = screen.TitleHeight;
    QImage image(screen.Width, height, QImage::Format_RGB32);
    image.fill(kBlack);
    const QList<QByteArray> lines = CutSubtitlePieces(gbk, metrics.pieceBytes);
    // Each line is drawn at the top-left corner; a drawn line goes into a page when the next
    // non-empty line no longer fits below it, and the last line's image always does.
    const auto append = [&] {
        builder.Append(image);
        image.fill(kBlack);
    };
    int y = 0;
    for (int i = 0; i < int(lines.size()); ++i) {
        const QByteArray &line = lines[i];
        if (!line.isEmpty() && height - y < metrics.lineHeight) {
            append();
            y = 0;
        }
        if (!line.isEmpty())
            RichLayout::DrawText(&image, 0, 0, FromGbk(line), format, colour);
        if (line.size() == metrics.pieceBytes - 1)
            WidenShortPiece(&image, metrics.points);
        if (i == int(lines.size()) - 1)
            append();
        y += metrics.lineHeight;
        if (builder.Full()) {
            result.limitReached = true;
            result.limitMessage = SubtitleLimitMessage(screen);
            break;
        }
    }
    result.appended = builder.Appended();
    result.pageCount = builder.Count();
    static_cast<PageResult &>(result) = builder.Write();
    return result;
}

} // namespace

SubtitleConversion ConvertSubtitle(const ScreenTable &table, int screenIndex, QByteArrayView gbk,
                                   const SubtitleDrawing &drawing, const SubtitleEntry &current)
{
    return Convert(table, screenIndex, gbk, drawing, current, nullptr);
}

SubtitleConversion ConvertSubtitleText(const ScreenTable &table, int screenIndex, const QString &text,
                                       const SubtitleDrawing &drawing, const SubtitleEntry &current)
{
    SubtitleConversion result;
    if (text.trimmed().isEmpty()) {
        result.emptyText = true;
        PageResult removed = DeleteSubtitleFiles(screenIndex);
        static_cast<PageResult &>(result) = removed.Ok()
                                                ? DataFileResult(PageStatus::Refused,
                                                                 QStringLiteral("编辑框没有信息,不能转换字幕页!"))
                                                : removed;
        return result;
    }
    // A screen without a strip keeps no subtitle files at all.
    if (!HasTitle(table[screenIndex])) {
        static_cast<PageResult &>(result) = DataFileResult(PageStatus::Refused, QString::number(screenIndex + 1)
                                                                                    + QStringLiteral("号屏没有字幕区"));
        return result;
    }
    // Saved as GBK, characters it cannot hold would turn into '?' on the sign.
    if (const QString lost = CharactersGbkCannotHold(text); !lost.isEmpty()) {
        static_cast<PageResult &>(result) =
            DataFileResult(PageStatus::Refused, QStringLiteral("字幕中有不能保存的字符：") + lost);
        return result;
    }
    // The pages are always rebuilt from the whole text, and replace the old ones with the text
    // file as a unit: the screen never has no subtitle, nor pages of another text.
    const QByteArray gbk = ToGbk(text);
    return Convert(table, screenIndex, gbk, drawing, current, &gbk);
}

QStringList SubtitleSourceFilters()
{
    return {QStringLiteral("文本文档(*.txt)"), QStringLiteral("Rich Text Format(*.rtf)")};
}

SubtitleSource SubtitleSourceOf(const QString &path, int filterIndex)
{
    if (path.endsWith(QStringLiteral(".rtf"), Qt::CaseInsensitive))
        return SubtitleSource::RichText;
    if (path.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive))
        return SubtitleSource::Text;
    return filterIndex == int(SubtitleSource::RichText) ? SubtitleSource::RichText : SubtitleSource::Text;
}

std::optional<QString> ReadSubtitleSource(const QString &path, SubtitleSource kind, int wrapWidth)
{
    if (kind == SubtitleSource::RichText) {
        RichLayout layout(wrapWidth);
        if (!layout.LoadFile(path))
            return std::nullopt;
        QByteArray joined;
        for (int i = 0; i < layout.LineCount(); ++i)
            joined += layout.LineText(i);
        return FromGbk(joined);
    }
    QByteArray bytes;
    if (!DocumentFileRefusal(path).isEmpty() || !ReadWholeFile(path, &bytes))
        return std::nullopt;
    // The operator's file, GBK or UTF-8; its lines are joined.
    QString text = DecodeTextFile(bytes);
    text.removeIf([](QChar c) { return c == u'\r' || c == u'\n'; });
    return text;
}

} // namespace pelvoro
