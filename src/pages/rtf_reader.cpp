#include "pages/rtf_reader.h"

#include "base/gbk.h"

#include <QFile>
#include <QHash>
#include <QStringDecoder>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace pelvoro {
namespace {

// Nesting beyond this is read but not honoured: such groups are skipped whole, so that a document of
// a million '{' costs no memory.
constexpr int kMaxGroupDepth = 1024;
constexpr int kMinHalfPoints = 2;
constexpr int kMaxHalfPoints = 3276; // 1638 points, the largest size the control accepts
constexpr int kDefaultHalfPoints = 24;
constexpr int kMaxUnicodeSkip = 255;
constexpr int kMaxSpacingTwips = 1 << 20;
constexpr int kMaxKeywordLength = 32;

// ---------------------------------------------------------------------------------------------
// Tokenizer

enum class TokenType { End, GroupOpen, GroupClose, Word, Symbol, Hex, Text };

struct Token {
    TokenType type = TokenType::End;
    std::string_view word; // Word: the letters; Text: the bytes
    bool hasParam = false;
    int param = 0;
    char symbol = 0; // Symbol: the character after the backslash
    int hex = -1;    // Hex: the byte, or -1 when the escape was cut short
};

bool IsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Bytes that are neither text nor syntax: line ends are formatting of the file, and other control
// characters (NUL among them) carry nothing. A tab is text.
bool IsIgnoredByte(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 && u != '\t';
}

class Tokenizer {
public:
    explicit Tokenizer(QByteArrayView data) : data_(data.data(), size_t(data.size())) {}

    Token Next()
    {
        while (pos_ < data_.size() && IsIgnoredByte(data_[pos_]))
            ++pos_;
        Token token;
        if (pos_ >= data_.size())
            return token;
        const char c = data_[pos_];
        if (c == '{') {
            ++pos_;
            token.type = TokenType::GroupOpen;
            return token;
        }
        if (c == '}') {
            ++pos_;
            token.type = TokenType::GroupClose;
            return token;
        }
        if (c == '\\')
            return Control();
        const size_t start = pos_;
        while (pos_ < data_.size()) {
            const char d = data_[pos_];
            if (d == '{' || d == '}' || d == '\\' || IsIgnoredByte(d))
                break;
            ++pos_;
        }
        token.type = TokenType::Text;
        token.word = data_.substr(start, pos_ - start);
        return token;
    }

    // Raw bytes after "\binN"; never beyond the end.
    void SkipBytes(int count)
    {
        if (count > 0)
            pos_ = std::min(data_.size(), pos_ + size_t(count));
    }

private:
    Token Control()
    {
        Token token;
        ++pos_; // the backslash
        if (pos_ >= data_.size())
            return Next(); // a lone backslash at the very end
        const char c = data_[pos_];
        if (IsLetter(c)) {
            const size_t start = pos_;
            while (pos_ < data_.size() && IsLetter(data_[pos_]))
                ++pos_;
            token.type = TokenType::Word;
            token.word = data_.substr(start, std::min<size_t>(pos_ - start, kMaxKeywordLength));
            const bool negative = pos_ + 1 < data_.size() && data_[pos_] == '-' && IsDigit(data_[pos_ + 1]);
            if (negative)
                ++pos_;
            if (pos_ < data_.size() && IsDigit(data_[pos_])) {
                long long value = 0;
                while (pos_ < data_.size() && IsDigit(data_[pos_])) {
                    if (value < (1LL << 40))
                        value = value * 10 + (data_[pos_] - '0');
                    ++pos_;
                }
                value = std::min<long long>(value, std::numeric_limits<int>::max());
                token.hasParam = true;
                token.param = int(negative ? -value : value);
            }
            if (pos_ < data_.size() && data_[pos_] == ' ')
                ++pos_; // the delimiter belongs to the control word
            return token;
        }
        ++pos_;
        if (c == '\'') {
            token.type = TokenType::Hex;
            const int high = pos_ < data_.size() ? HexValue(data_[pos_]) : -1;
            if (high < 0)
                return token;
            ++pos_;
            const int low = pos_ < data_.size() ? HexValue(data_[pos_]) : -1;
            if (low < 0)
                return token;
            ++pos_;
            token.hex = high * 16 + low;
            return token;
        }
        token.type = TokenType::Symbol;
        token.symbol = (c == '\r' || c == '\n') ? '\n' : c;
        return token;
    }

    std::string_view data_;
    size_t pos_ = 0;
};

// ---------------------------------------------------------------------------------------------
// Keywords

enum class Kw {
    Unknown,
    // destinations
    FontTable,
    ColorTable,
    SkipDestination,
    // document
    Ansi,
    Mac,
    Pc,
    Pca,
    AnsiCpg,
    DefaultFont,
    // characters
    Plain,
    Bold,
    Italic,
    Underline,
    UnderlineNone,
    Strike,
    FontSize,
    Font,
    Color,
    LowAnsi,
    HighAnsi,
    DoubleByte,
    RightToLeft,
    LeftToRight,
    AssocFont,
    AssocFontSize,
    AssocBold,
    AssocItalic,
    Unicode,
    UnicodeSkip,
    // paragraphs
    ParagraphDefaults,
    Par,
    Line,
    Tab,
    Cell,
    Row,
    Page,
    AlignLeft,
    AlignCenter,
    AlignRight,
    AlignJustify,
    SpaceBetweenLines,
    SpacingMultiple,
    // font table
    FontCharset,
    FontCodePage,
    // colour table
    Red,
    Green,
    Blue,
    // special characters
    EmDash,
    EnDash,
    LeftQuote,
    RightQuote,
    LeftDoubleQuote,
    RightDoubleQuote,
    Bullet,
    Space,
};

Kw Keyword(std::string_view word)
{
    static const std::unordered_map<std::string_view, Kw> table = [] {
        std::unordered_map<std::string_view, Kw> t = {
            {"fonttbl", Kw::FontTable},
            {"colortbl", Kw::ColorTable},
            {"ansi", Kw::Ansi},
            {"mac", Kw::Mac},
            {"pc", Kw::Pc},
            {"pca", Kw::Pca},
            {"ansicpg", Kw::AnsiCpg},
            {"deff", Kw::DefaultFont},
            {"plain", Kw::Plain},
            {"b", Kw::Bold},
            {"i", Kw::Italic},
            {"ulnone", Kw::UnderlineNone},
            {"strike", Kw::Strike},
            {"striked", Kw::Strike},
            {"fs", Kw::FontSize},
            {"f", Kw::Font},
            {"cf", Kw::Color},
            {"loch", Kw::LowAnsi},
            {"hich", Kw::HighAnsi},
            {"dbch", Kw::DoubleByte},
            {"rtlch", Kw::RightToLeft},
            {"ltrch", Kw::LeftToRight},
            {"af", Kw::AssocFont},
            {"afs", Kw::AssocFontSize},
            {"ab", Kw::AssocBold},
            {"ai", Kw::AssocItalic},
            {"u", Kw::Unicode},
            {"uc", Kw::UnicodeSkip},
            {"pard", Kw::ParagraphDefaults},
            {"par", Kw::Par},
            {"line", Kw::Line},
            {"tab", Kw::Tab},
            {"cell", Kw::Cell},
            {"nestcell", Kw::Cell},
            {"row", Kw::Row},
            {"page", Kw::Page},
            {"sect", Kw::Page},
            {"ql", Kw::AlignLeft},
            {"qc", Kw::AlignCenter},
            {"qr", Kw::AlignRight},
            {"qj", Kw::AlignJustify},
            {"qd", Kw::AlignJustify},
            {"sl", Kw::SpaceBetweenLines},
            {"slmult", Kw::SpacingMultiple},
            {"fcharset", Kw::FontCharset},
            {"cpg", Kw::FontCodePage},
            {"red", Kw::Red},
            {"green", Kw::Green},
            {"blue", Kw::Blue},
            {"emdash", Kw::EmDash},
            {"endash", Kw::EnDash},
            {"lquote", Kw::LeftQuote},
            {"rquote", Kw::RightQuote},
            {"ldblquote", Kw::LeftDoubleQuote},
            {"rdblquote", Kw::RightDoubleQuote},
            {"bullet", Kw::Bullet},
            {"emspace", Kw::Space},
            {"enspace", Kw::Space},
            {"qmspace", Kw::Space},
        };
        // Every underline style counts as underlined.
        for (std::string_view word :
             {"ul", "uld", "uldb", "ulw", "uldash", "uldashd", "uldashdd", "ulhwave", "ulldash", "ulth", "ulthd",
              "ulthdash", "ulthdashd", "ulthdashdd", "ulthldash", "ululdbwave", "ulwave"})
            t.emplace(word, Kw::Underline);
        // Destinations whose content is not text of the document.
        for (std::string_view word : {"stylesheet",
                                      "info",
                                      "pict",
                                      "object",
                                      "objdata",
                                      "header",
                                      "headerl",
                                      "headerr",
                                      "headerf",
                                      "footer",
                                      "footerl",
                                      "footerr",
                                      "footerf",
                                      "footnote",
                                      "listtable",
                                      "listoverridetable",
                                      "generator",
                                      "rsidtbl",
                                      "themedata",
                                      "colorschememapping",
                                      "latentstyles",
                                      "datastore",
                                      "xmlnstbl",
                                      "pgdsctbl",
                                      "fldinst",
                                      "pn",
                                      "shp",
                                      "shpinst",
                                      "shprslt",
                                      "nonshppict",
                                      "annotation",
                                      "atnid",
                                      "atnauthor",
                                      "xe",
                                      "tc",
                                      "revtbl",
                                      "userprops",
                                      "docvar",
                                      "ftnsep",
                                      "ftnsepc",
                                      "aftnsep",
                                      "aftnsepc",
                                      "ftncn",
                                      "aftncn",
                                      "template",
                                      "comment",
                                      "background",
                                      "bkmkstart",
                                      "bkmkend",
                                      "filetbl",
                                      "fchars",
                                      "lchars",
                                      "do",
                                      "listpicture",
                                      "mmathPr",
                                      "passwordhash",
                                      "wgrffmtfilter",
                                      "protusertbl",
                                      "stylerestrictions",
                                      "falt",
                                      "panose",
                                      "fname",
                                      "keywords",
                                      "title",
                                      "subject",
                                      "author",
                                      "operator",
                                      "company",
                                      "doccomm"})
            t.emplace(word, Kw::SkipDestination);
        return t;
    }();
    const auto found = table.find(word);
    return found == table.end() ? Kw::Unknown : found->second;
}

// ---------------------------------------------------------------------------------------------
// Code pages

int CodePageOfCharset(int charset, int ansiCodePage)
{
    switch (charset) {
    case 0:
    case 2:
        return 1252;
    case 77:
        return 10000;
    case 128:
        return 932;
    case 129:
        return 949;
    case 134:
        return 936;
    case 136:
        return 950;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 163:
        return 1258;
    case 177:
        return 1255;
    case 178:
        return 1256;
    case 186:
        return 1257;
    case 204:
        return 1251;
    case 222:
        return 874;
    case 238:
        return 1250;
    case 255:
        return 437;
    default:
        return ansiCodePage; // DEFAULT_CHARSET, none given, or one we do not know
    }
}

QByteArray CodecName(int codePage)
{
    switch (codePage) {
    case 932:
        return "windows-31j";
    case 936:
        return "GBK";
    case 949:
        return "windows-949";
    case 950:
        return "Big5";
    case 10000:
        return "macintosh";
    case 437:
    case 850:
    case 852:
    case 866:
        return "IBM" + QByteArray::number(codePage);
    default:
        return "windows-" + QByteArray::number(codePage);
    }
}

class Decoders {
public:
    // Bytes of a code page as text; an unknown code page falls back to `fallback`, then Latin-1.
    QString Decode(const QByteArray &bytes, int codePage, int fallback)
    {
        if (codePage == 936)
            return FromGbk(bytes);
        QStringDecoder *decoder = Find(codePage);
        if (!decoder && fallback != codePage) {
            if (fallback == 936)
                return FromGbk(bytes);
            decoder = Find(fallback);
        }
        if (!decoder)
            return QString::fromLatin1(bytes);
        return decoder->decode(bytes);
    }

private:
    QStringDecoder *Find(int codePage)
    {
        auto found = decoders_.find(codePage);
        if (found == decoders_.end()) {
            auto decoder = std::make_unique<QStringDecoder>(CodecName(codePage).constData(),
                                                            QStringConverter::Flag::Stateless);
            if (!decoder->isValid())
                decoder.reset();
            found = decoders_.emplace(codePage, std::move(decoder)).first;
        }
        return found->second.get();
    }

    std::map<int, std::unique_ptr<QStringDecoder>> decoders_;
};

// ---------------------------------------------------------------------------------------------
// East Asian characters take the fonts a document gives for double-byte text ("\dbch\af").

bool IsEastAsian(char32_t c)
{
    return (c >= 0x1100 && c <= 0x11FF) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xA960 && c <= 0xA97F)
           || (c >= 0xAC00 && c <= 0xD7FF) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F)
           || (c >= 0xFF00 && c <= 0xFFEF) || (c >= 0x20000 && c <= 0x3FFFF);
}

// ---------------------------------------------------------------------------------------------
// Reader

enum class Destination { Text, FontTable, ColorTable, Skip };

struct State {
    Destination destination = Destination::Text;
    int font = -1; // -1: the document's default font
    int halfPoints = kDefaultHalfPoints;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    int color = 0;
    // Formats of East Asian text when the document gives them apart; -1: as the other text.
    int eastAsianFont = -1;
    int eastAsianHalfPoints = -1;
    int eastAsianBold = -1;
    int eastAsianItalic = -1;
    bool doubleByte = false;
    bool rightToLeft = false;
    int unicodeSkip = 1;
    Alignment alignment = Alignment::Left;
    int spacing = 0;
    bool spacingMultiple = false;

    void ResetCharacter()
    {
        font = -1;
        halfPoints = kDefaultHalfPoints;
        bold = italic = underline = strike = false;
        color = 0;
        eastAsianFont = eastAsianHalfPoints = eastAsianBold = eastAsianItalic = -1;
        doubleByte = rightToLeft = false;
    }
    void ResetParagraph()
    {
        alignment = Alignment::Left;
        spacing = 0;
        spacingMultiple = false;
    }
};

struct FontEntry {
    QString name;
    FontFamily family = FontFamily::Nil;
    int charset = -1; // -1: none given
    int codePage = 0; // 0: from the charset
};

struct ColorEntry {
    bool automatic = true;
    QRgb rgb = 0xFF000000;
};

int ClampHalfPoints(const Token &token)
{
    if (!token.hasParam || token.param <= 0)
        return kDefaultHalfPoints;
    return std::clamp(token.param, kMinHalfPoints, kMaxHalfPoints);
}

bool OnOff(const Token &token)
{
    return !token.hasParam || token.param != 0;
}

ParagraphFormat ParagraphFormatOf(const State &state)
{
    ParagraphFormat format;
    format.alignment = state.alignment;
    const int sl = state.spacing;
    if (sl == 0)
        return format;
    if (sl < 0) {
        format.spacingRule = LineSpacingRule::Exactly;
        format.spacingValue = -sl;
    } else if (!state.spacingMultiple) {
        format.spacingRule = LineSpacingRule::AtLeast;
        format.spacingValue = sl;
    } else if (sl == 240) {
        format.spacingRule = LineSpacingRule::Single;
    } else if (sl == 360) {
        format.spacingRule = LineSpacingRule::OneAndHalf;
    } else if (sl == 480) {
        format.spacingRule = LineSpacingRule::Double;
    } else {
        // A line is 240 twips here; the rule counts twentieths of a line.
        format.spacingRule = LineSpacingRule::Multiple;
        format.spacingValue = std::max(1, int(std::lround(sl / 12.0)));
    }
    return format;
}

class RtfReader {
public:
    explicit RtfReader(QByteArrayView bytes) : tokenizer_(bytes) {}

    RichDocument Read()
    {
        while (!done_) {
            const Token token = tokenizer_.Next();
            if (token.type == TokenType::End)
                break;
            Handle(token);
        }
        if (!done_)
            Finish();
        return std::move(document_);
    }

private:
    void Handle(const Token &token)
    {
        if (token.type == TokenType::GroupOpen) {
            OpenGroup();
            return;
        }
        if (token.type == TokenType::GroupClose) {
            CloseGroup();
            return;
        }
        if (token.type == TokenType::Word && token.word == "bin") {
            // Binary data is skipped in every destination, also while skipping Unicode fallbacks.
            tokenizer_.SkipBytes(token.hasParam ? token.param : 0);
            if (fallbackToSkip_ > 0)
                --fallbackToSkip_;
            return;
        }
        if (overflow_ > 0 || state_.destination == Destination::Skip)
            return;
        const bool firstInGroup = firstInGroup_;
        firstInGroup_ = false;
        if (token.type == TokenType::Text) {
            std::string_view text = token.word;
            if (fallbackToSkip_ > 0) {
                const size_t skipped = std::min<size_t>(size_t(fallbackToSkip_), text.size());
                fallbackToSkip_ -= int(skipped);
                text.remove_prefix(skipped);
            }
            if (!text.empty())
                Bytes(text);
            return;
        }
        if (fallbackToSkip_ > 0) {
            // A fallback character may be an escaped byte, a control symbol or a control word.
            --fallbackToSkip_;
            return;
        }
        switch (token.type) {
        case TokenType::Hex:
            if (token.hex >= 0) {
                const char byte = char(token.hex);
                Bytes(std::string_view(&byte, 1));
            }
            return;
        case TokenType::Symbol:
            Symbol(token.symbol, firstInGroup);
            return;
        case TokenType::Word:
            Word(token);
            return;
        default:
            return;
        }
    }

    void OpenGroup()
    {
        Flush();
        fallbackToSkip_ = 0;
        if (overflow_ > 0 || int(stack_.size()) >= kMaxGroupDepth) {
            ++overflow_;
            return;
        }
        stack_.push_back(state_);
        firstInGroup_ = true;
    }

    void CloseGroup()
    {
        Flush();
        fallbackToSkip_ = 0;
        firstInGroup_ = false;
        if (overflow_ > 0) {
            --overflow_;
            return;
        }
        if (stack_.empty())
            return; // a stray '}' before any group
        if (state_.destination == Destination::FontTable)
            EndFontEntry();
        if (stack_.size() == 1) {
            // The document's own group ends the document; whatever follows it is not read.
            Finish();
            done_ = true;
            return;
        }
        state_ = stack_.back();
        stack_.pop_back();
    }

    void Symbol(char symbol, bool firstInGroup)
    {
        switch (symbol) {
        case '\\':
        case '{':
        case '}':
            Bytes(std::string_view(&symbol, 1));
            return;
        case '*':
            // An optional destination: we know of none worth reading.
            if (firstInGroup && !stack_.empty())
                state_.destination = Destination::Skip;
            return;
        case '~':
            Char(u' ');
            return;
        case '_':
            Char(u'-');
            return;
        case '\n':
            if (state_.destination == Destination::Text)
                EndParagraph();
            return;
        default:
            return; // \- optional hyphen, \| \: and the like
        }
    }

    void Word(const Token &token)
    {
        const Kw kw = Keyword(token.word);
        switch (kw) {
        case Kw::FontTable:
            if (!stack_.empty()) {
                Flush();
                state_.destination = Destination::FontTable;
            }
            return;
        case Kw::ColorTable:
            if (!stack_.empty()) {
                Flush();
                state_.destination = Destination::ColorTable;
                color_ = ColorEntry{};
            }
            return;
        case Kw::SkipDestination:
            if (!stack_.empty()) {
                Flush();
                state_.destination = Destination::Skip;
            }
            return;
        case Kw::Ansi:
            ansiCodePage_ = 1252;
            return;
        case Kw::Mac:
            ansiCodePage_ = 10000;
            return;
        case Kw::Pc:
            ansiCodePage_ = 437;
            return;
        case Kw::Pca:
            ansiCodePage_ = 850;
            return;
        case Kw::AnsiCpg:
            if (token.hasParam && token.param > 0)
                ansiCodePage_ = token.param;
            return;
        case Kw::DefaultFont:
            defaultFont_ = token.hasParam ? token.param : 0;
            return;
        case Kw::Unicode:
            if (token.hasParam)
                Unicode(token.param);
            return;
        case Kw::UnicodeSkip:
            state_.unicodeSkip = std::clamp(token.hasParam ? token.param : 1, 0, kMaxUnicodeSkip);
            return;
        default:
            break;
        }
        switch (state_.destination) {
        case Destination::FontTable:
            FontTableWord(kw, token);
            return;
        case Destination::ColorTable:
            ColorTableWord(kw, token);
            return;
        case Destination::Text:
            TextWord(kw, token);
            return;
        case Destination::Skip:
            return;
        }
    }

    void TextWord(Kw kw, const Token &token)
    {
        switch (kw) {
        case Kw::Par:
        case Kw::Line:
        case Kw::Row:
            EndParagraph();
            return;
        case Kw::Page:
            // A page or section break ends a paragraph that is not already ended.
            Flush();
            if (!paragraph_.IsEmpty())
                EndParagraph();
            return;
        case Kw::Tab:
        case Kw::Cell:
            Char(u'\t');
            return;
        case Kw::EmDash:
            Char(u'\u2014');
            return;
        case Kw::EnDash:
            Char(u'\u2013');
            return;
        case Kw::LeftQuote:
            Char(u'\u2018');
            return;
        case Kw::RightQuote:
            Char(u'\u2019');
            return;
        case Kw::LeftDoubleQuote:
            Char(u'\u201C');
            return;
        case Kw::RightDoubleQuote:
            Char(u'\u201D');
            return;
        case Kw::Bullet:
            Char(u'\u2022');
            return;
        case Kw::Space:
            Char(u' ');
            return;
        default:
            break;
        }
        Flush();
        State &s = state_;
        switch (kw) {
        case Kw::Plain:
            s.ResetCharacter();
            return;
        case Kw::Bold:
            s.bold = OnOff(token);
            return;
        case Kw::Italic:
            s.italic = OnOff(token);
            return;
        case Kw::Underline:
            s.underline = OnOff(token);
            return;
        case Kw::UnderlineNone:
            s.underline = false;
            return;
        case Kw::Strike:
            s.strike = OnOff(token);
            return;
        case Kw::FontSize:
            s.halfPoints = ClampHalfPoints(token);
            return;
        case Kw::Font:
            s.font = token.hasParam ? token.param : 0;
            return;
        case Kw::Color:
            s.color = token.hasParam ? std::max(0, token.param) : 0;
            return;
        case Kw::LowAnsi:
        case Kw::HighAnsi:
            s.doubleByte = false;
            return;
        case Kw::DoubleByte:
            s.doubleByte = true;
            return;
        case Kw::RightToLeft:
            s.rightToLeft = true;
            return;
        case Kw::LeftToRight:
            s.rightToLeft = false;
            return;
        // Associated formats count for East Asian text when given for double-byte characters;
        // given for right-to-left or high-ANSI text they concern scripts we do not lay out apart.
        case Kw::AssocFont:
            if (s.doubleByte && !s.rightToLeft)
                s.eastAsianFont = token.hasParam ? token.param : 0;
            return;
        case Kw::AssocFontSize:
            if (s.doubleByte && !s.rightToLeft)
                s.eastAsianHalfPoints = ClampHalfPoints(token);
            return;
        case Kw::AssocBold:
            if (s.doubleByte && !s.rightToLeft)
                s.eastAsianBold = OnOff(token) ? 1 : 0;
            return;
        case Kw::AssocItalic:
            if (s.doubleByte && !s.rightToLeft)
                s.eastAsianItalic = OnOff(token) ? 1 : 0;
            return;
        case Kw::ParagraphDefaults:
            s.ResetParagraph();
            return;
        case Kw::AlignLeft:
            s.alignment = Alignment::Left;
            return;
        case Kw::AlignCenter:
            s.alignment = Alignment::Center;
            return;
        case Kw::AlignRight:
            s.alignment = Alignment::Right;
            return;
        case Kw::AlignJustify:
            s.alignment = Alignment::Justify;
            return;
        case Kw::SpaceBetweenLines:
            s.spacing = token.hasParam ? std::clamp(token.param, -kMaxSpacingTwips, kMaxSpacingTwips) : 0;
            return;
        case Kw::SpacingMultiple:
            s.spacingMultiple = OnOff(token);
            return;
        default:
            return; // control words that change nothing we lay out
        }
    }

    void FontTableWord(Kw kw, const Token &token)
    {
        switch (kw) {
        case Kw::Font:
            EndFontEntry();
            fontEntryOpen_ = true;
            fontNumber_ = token.hasParam ? token.param : 0;
            fontEntry_ = FontEntry{};
            return;
        case Kw::FontCharset:
            fontEntry_.charset = token.hasParam ? token.param : 0;
            return;
        case Kw::FontCodePage:
            fontEntry_.codePage = token.hasParam ? std::max(0, token.param) : 0;
            return;
        default:
            break;
        }
        static const std::unordered_map<std::string_view, FontFamily> families = {
            {"fnil", FontFamily::Nil},       {"froman", FontFamily::Roman}, {"fswiss", FontFamily::Swiss},
            {"fmodern", FontFamily::Modern}, {"fscript", FontFamily::Other}, {"fdecor", FontFamily::Other},
            {"ftech", FontFamily::Other},    {"fbidi", FontFamily::Other},
        };
        if (const auto family = families.find(token.word); family != families.end())
            fontEntry_.family = family->second;
    }

    void ColorTableWord(Kw kw, const Token &token)
    {
        const int value = token.hasParam ? std::clamp(token.param, 0, 255) : 0;
        QRgb &rgb = color_.rgb;
        switch (kw) {
        case Kw::Red:
            rgb = qRgb(value, qGreen(rgb), qBlue(rgb));
            break;
        case Kw::Green:
            rgb = qRgb(qRed(rgb), value, qBlue(rgb));
            break;
        case Kw::Blue:
            rgb = qRgb(qRed(rgb), qGreen(rgb), value);
            break;
        default:
            return;
        }
        color_.automatic = false;
    }

    // Text bytes of the current destination.
    void Bytes(std::string_view bytes)
    {
        switch (state_.destination) {
        case Destination::Text: {
            const int codePage = CurrentCodePage();
            if (!pending_.isEmpty() && codePage != pendingCodePage_)
                Flush();
            pendingCodePage_ = codePage;
            pending_.append(bytes.data(), qsizetype(bytes.size()));
            return;
        }
        case Destination::FontTable:
            for (char c : bytes) {
                if (c == ';') {
                    EndFontEntry();
                } else if (fontEntryOpen_) {
                    fontNameBytes_.append(c);
                }
            }
            return;
        case Destination::ColorTable:
            for (char c : bytes) {
                if (c == ';') {
                    colors_.push_back(color_);
                    color_ = ColorEntry{};
                }
            }
            return;
        case Destination::Skip:
            return;
        }
    }

    void Char(char16_t c)
    {
        if (state_.destination != Destination::Text)
            return;
        Flush();
        Append(QString(QChar(c)));
    }

    void Unicode(int value)
    {
        long long code = value;
        if (code < 0)
            code += 65536;
        fallbackToSkip_ = state_.unicodeSkip;
        QString text;
        if (code < 0 || code > 0x10FFFF)
            text = QString(QChar::ReplacementCharacter);
        else if (code < 0x20 && code != '\t')
            return; // control characters carry nothing here
        else if (code > 0xFFFF) {
            const char32_t ucs4 = char32_t(code);
            text = QString::fromUcs4(&ucs4, 1);
        } else
            text = QString(QChar(char16_t(code))); // surrogate halves join the next \u in the run
        if (state_.destination == Destination::FontTable) {
            if (fontEntryOpen_) {
                FlushFontName();
                fontName_ += text;
            }
            return;
        }
        if (state_.destination != Destination::Text)
            return;
        Flush();
        Append(text);
    }

    // --- fonts and formats

    const FontEntry *FindFont(int number) const
    {
        auto found = fonts_.constFind(number < 0 ? defaultFont_ : number);
        if (found == fonts_.constEnd() && number >= 0)
            found = fonts_.constFind(defaultFont_);
        return found == fonts_.constEnd() ? nullptr : &found.value();
    }

    int CodePageOf(const FontEntry *font) const
    {
        if (font && font->codePage > 0)
            return font->codePage;
        return CodePageOfCharset(font ? font->charset : -1, ansiCodePage_);
    }

    int CurrentCodePage() const
    {
        const State &s = state_;
        const bool eastAsian = s.doubleByte && s.eastAsianFont >= 0;
        return CodePageOf(FindFont(eastAsian ? s.eastAsianFont : s.font));
    }

    CharFormat FormatFor(bool eastAsian) const
    {
        const State &s = state_;
        CharFormat format;
        const FontEntry *font = FindFont(eastAsian && s.eastAsianFont >= 0 ? s.eastAsianFont : s.font);
        if (font) {
            format.face = font->name;
            format.charset = font->charset >= 0 ? font->charset : kDefaultCharset;
            format.family = font->family;
        }
        format.sizeHalfPoints = eastAsian && s.eastAsianHalfPoints > 0 ? s.eastAsianHalfPoints : s.halfPoints;
        format.bold = eastAsian && s.eastAsianBold >= 0 ? s.eastAsianBold == 1 : s.bold;
        format.italic = eastAsian && s.eastAsianItalic >= 0 ? s.eastAsianItalic == 1 : s.italic;
        format.underline = s.underline;
        format.strike = s.strike;
        if (s.color >= 0 && size_t(s.color) < colors_.size() && !colors_[size_t(s.color)].automatic) {
            format.autoColor = false;
            format.color = colors_[size_t(s.color)].rgb;
        }
        return format;
    }

    void EndFontEntry()
    {
        if (!fontEntryOpen_)
            return;
        FlushFontName();
        // A face name holds no control characters (a tab or a stray byte would name no font, and
        // could not be written back).
        fontName_.removeIf([](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; });
        fontEntry_.name = fontName_.trimmed();
        fonts_.insert(fontNumber_, fontEntry_);
        fontEntryOpen_ = false;
        fontName_.clear();
    }

    void FlushFontName()
    {
        if (fontNameBytes_.isEmpty())
            return;
        fontName_ += decoders_.Decode(fontNameBytes_, CodePageOf(&fontEntry_), ansiCodePage_);
        fontNameBytes_.clear();
    }

    // --- text

    void Flush()
    {
        if (pending_.isEmpty())
            return;
        const QString text = decoders_.Decode(pending_, pendingCodePage_, ansiCodePage_);
        pending_.clear();
        Append(text);
    }

    // Appends text in the current format, East Asian characters in their own format.
    void Append(const QString &text)
    {
        QString clean;
        clean.reserve(text.size());
        for (QChar c : text) {
            if (c.unicode() >= 0x20 || c == u'\t')
                clean += c;
        }
        if (clean.isEmpty())
            return;
        std::optional<CharFormat> formats[2];
        const auto format = [&](bool eastAsian) -> const CharFormat & {
            auto &slot = formats[eastAsian ? 1 : 0];
            if (!slot)
                slot = FormatFor(eastAsian);
            return *slot;
        };
        qsizetype start = 0;
        bool startClass = false;
        for (qsizetype i = 0; i < clean.size();) {
            const QChar c = clean[i];
            bool eastAsian;
            qsizetype width = 1;
            if (c.isHighSurrogate() && i + 1 < clean.size() && clean[i + 1].isLowSurrogate()) {
                eastAsian = IsEastAsian(QChar::surrogateToUcs4(c, clean[i + 1]));
                width = 2;
            } else if (c.isHighSurrogate()) {
                eastAsian = c.unicode() >= 0xD840 && c.unicode() <= 0xD8BF; // planes 2 and 3
            } else if (c.isLowSurrogate()) {
                eastAsian = lastEastAsian_; // the second half of a pair given as two \u
            } else {
                eastAsian = IsEastAsian(c.unicode());
            }
            if (i == 0) {
                startClass = eastAsian;
            } else if (eastAsian != startClass) {
                paragraph_.Append(clean.mid(start, i - start), format(startClass));
                start = i;
                startClass = eastAsian;
            }
            lastEastAsian_ = eastAsian;
            i += width;
        }
        paragraph_.Append(clean.mid(start), format(startClass));
    }

    void EndParagraph()
    {
        Flush();
        paragraph_.format = ParagraphFormatOf(state_);
        paragraph_.markFormat = FormatFor(false);
        document_.paragraphs.append(std::move(paragraph_));
        paragraph_ = Paragraph{};
    }

    void Finish()
    {
        Flush();
        if (!paragraph_.IsEmpty())
            EndParagraph();
    }

    Tokenizer tokenizer_;
    Decoders decoders_;
    RichDocument document_;
    Paragraph paragraph_;
    State state_;
    std::vector<State> stack_;
    int overflow_ = 0;
    bool firstInGroup_ = false;
    bool done_ = false;
    int fallbackToSkip_ = 0;
    bool lastEastAsian_ = false;

    int ansiCodePage_ = 1252;
    int defaultFont_ = 0;
    QHash<int, FontEntry> fonts_;
    bool fontEntryOpen_ = false;
    int fontNumber_ = 0;
    FontEntry fontEntry_;
    QByteArray fontNameBytes_;
    QString fontName_;
    std::vector<ColorEntry> colors_;
    ColorEntry color_;

    QByteArray pending_;
    int pendingCodePage_ = 1252;
};

// The document group, when the bytes are RTF: "{\rtf" after white space.
std::optional<QByteArrayView> DocumentGroup(QByteArrayView bytes)
{
    qsizetype i = 0;
    while (i < bytes.size() && (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' || bytes[i] == '\n'))
        ++i;
    const QByteArrayView rest = bytes.sliced(i);
    if (!rest.startsWith("{\\rtf"))
        return std::nullopt;
    return rest;
}

} // namespace

RichDocument ReadRtf(QByteArrayView bytes)
{
    return RtfReader(bytes).Read();
}

RichDocument ReadPlainText(QByteArrayView bytes)
{
    CharFormat format;
    format.face = QStringLiteral("宋体");
    format.charset = kGb2312Charset;
    RichDocument document;
    const QString all = DecodeTextFile(bytes.toByteArray());
    qsizetype start = 0;
    const qsizetype size = all.size();
    while (start < size) {
        qsizetype end = start;
        while (end < size && all[end] != u'\r' && all[end] != u'\n')
            ++end;
        Paragraph paragraph;
        paragraph.markFormat = format;
        QString text = all.sliced(start, end - start);
        text.removeIf([](QChar c) { return c.unicode() < 0x20 && c != u'\t'; });
        paragraph.Append(text, format);
        document.paragraphs.append(std::move(paragraph));
        if (end < size && all[end] == u'\r' && end + 1 < size && all[end + 1] == u'\n')
            ++end;
        start = end + 1;
    }
    return document;
}

RichDocument ReadRichText(QByteArrayView bytes)
{
    const std::optional<QByteArrayView> rtf = DocumentGroup(bytes);
    return rtf ? ReadRtf(*rtf) : ReadPlainText(bytes);
}

std::optional<RichDocument> ReadRichTextFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return ReadRichText(bytes);
}

} // namespace pelvoro
