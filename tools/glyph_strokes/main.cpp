// glyph-strokes: how many of the most common Chinese characters lose a stroke when a face is drawn
// at LED sizes. For each face and pixel size it prints the share of characters whose LED glyph
// falls into more pieces than the same character four times larger, and with --list which ones.
#include "pages/font_substitution.h"
#include "pages/glyph_pieces.h"

#include <QGuiApplication>
#include <QStringList>
#include <QTextStream>

namespace {

// 500 of the most frequent characters of modern written Chinese, roughly most frequent first.
const QString kCommonCharacters = QStringLiteral(
    "的一是不了在人有我他这个们中来上大为和国地到以说时要就出会可也你对生能而子那得于着下自之年过发后作里用道行所然家种"
    "事成方多经么去法学如都同现当没动面起看定天分还进好小部其些主样理心她本前开但因只从想实"
    "日军者意无力它与长把机十民第公此已工使情明性知全三又关点正业外将两高间由问很最重并物手应战向头文体政美相见被利什二"
    "等产或新己制身果加西斯月话合回特代内信表化老给世位次度门任常先海通教儿原东声提立及比员"
    "解水名真论处走义各入几口认条平系气题活尔更别打女变四神总何电数安少报才结反受目太量再感建务做接必场件计管期市直德资"
    "命山金指克许统区保至队形社便空决治展马科司五基眼书非则听白却界达光放强即像难且权思王象"
    "完设式色路记南品住告类求据程北边死张该交规万取拉格望觉术领共确传师观清今切院让识候带导争运笑飞风步改收根干造言联持"
    "组每济车亲极林服快办议往元英士证近失转夫令准布始怎呢存未远叫台单影具罗字爱击流备兵连调"
    "深商算质团集百需价花党华城石级整府离况亚请技际约示复病息究线似官火断精满支视消越器容照须九增研写称企八功吗包片史委"
    "乎查轻易早曾除农找装广显吧阿李标谈吃图念六引历首医局突专费号尽另周较注语仅考落青随选列");

const QStringList kFaces = {QStringLiteral("宋体"), QStringLiteral("黑体"), QStringLiteral("楷体"),
                            QStringLiteral("仿宋"), QStringLiteral("微软雅黑")};
constexpr int kPixelSizes[] = {12, 14, 16};

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const bool list = app.arguments().contains(QStringLiteral("--list"));
    pelvoro::InstallFontSubstitutions();
    QTextStream out(stdout);
    out << "face\tpx\tbroken\tshare";
    if (list)
        out << "\tcharacters";
    out << "\n";
    for (const QString &face : kFaces) {
        for (const int size : kPixelSizes) {
            QString broken;
            for (const QChar character : kCommonCharacters) {
                if (pelvoro::CheckStrokes(QString(character), face, size).Broken())
                    broken += character;
            }
            out << face << "\t" << size << "\t" << broken.size() << "\t"
                << QString::number(100.0 * double(broken.size()) / double(kCommonCharacters.size()), 'f', 1) << "%";
            if (list)
                out << "\t" << broken;
            out << "\n";
            out.flush();
        }
    }
    return 0;
}
