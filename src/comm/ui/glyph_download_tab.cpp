#include "comm/ui/glyph_download_tab.h"

#include "comm/glyphs.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace pelvoro {

namespace {

const QString kDefaultFont = QStringLiteral("宋体");
constexpr int kDefaultPointSize = 12;

} // namespace

GlyphDownloadTab::GlyphDownloadTab(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    auto *fontBox = new QGroupBox(QStringLiteral("字体选择"), this);
    auto *fontLayout = new QHBoxLayout(fontBox);
    fonts_ = new QComboBox(fontBox);
    sizes_ = new QComboBox(fontBox);
    for (int p : GlyphPointSizes())
        sizes_->addItem(QString::number(p), p);
    sizes_->setCurrentText(QString::number(kDefaultPointSize));
    fontLayout->addWidget(fonts_, 1);
    fontLayout->addWidget(sizes_);
    layout->addWidget(fontBox);

    auto *buttons = new QHBoxLayout;
    download_ = new QPushButton(QStringLiteral("下载字模"), this);
    loadSettings_ = new QPushButton(QStringLiteral("加载设置"), this);
    buttons->addWidget(download_);
    buttons->addWidget(loadSettings_);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    layout->addStretch(1);

    FillFonts();
    connect(download_, &QPushButton::clicked, this,
            [this] { Q_EMIT DownloadRequested(fonts_->currentText(), sizes_->currentData().toInt()); });
}

void GlyphDownloadTab::FillFonts()
{
    const QString chosen = fonts_->count() > 0 ? fonts_->currentText() : kDefaultFont;
    QStringList families;
    for (const QString &family : QFontDatabase::families()) {
        if (!QFontDatabase::isPrivateFamily(family))
            families.append(family);
    }
    // The Windows face names map onto installed faces (pages/font_substitution.h), so the default
    // is offered even where no face carries its name.
    if (!families.contains(kDefaultFont))
        families.prepend(kDefaultFont);
    fonts_->clear();
    fonts_->addItems(families);
    fonts_->setCurrentIndex(int(std::max<qsizetype>(0, families.indexOf(chosen.isEmpty() ? kDefaultFont : chosen))));
}

void GlyphDownloadTab::showEvent(QShowEvent *event)
{
    FillFonts();
    QWidget::showEvent(event);
}

} // namespace pelvoro
