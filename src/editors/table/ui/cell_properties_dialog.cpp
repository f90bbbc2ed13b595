#include "editors/table/ui/cell_properties_dialog.h"

#include "editors/table/ui/table_colour_box.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace pelvoro {

namespace {

// The page the dialog was last closed on; the next one opens there.
int lastPage = 0;

const char *const kTypeNames[] = {"常规", "数值", "日期", "时间"};
const TDataStyle kTypeStyles[] = {dsText, dsNumber, dsDate, dsTime};

struct TypeSamples {
    QStringList samples;
    const char *description;
};

TypeSamples SamplesOf(int type)
{
    switch (type) {
    case 1:
        return {{QStringLiteral("123"), QStringLiteral("12345.6789"), QStringLiteral("-98765.4321"),
                 QStringLiteral("0.0005")},
                "数值类型的单元格用于一般数字的显示和输入。"};
    case 2:
        return {{QStringLiteral("1999-01-01")}, "日期类型的单元格允许按日期格式显示和输入内容。"};
    case 3:
        return {{QStringLiteral("8:30"), QStringLiteral("00:00:01"), QStringLiteral("12:00:00"),
                 QStringLiteral("23:59:59")},
                "时间类型的单元格允许按时间格式显示和输入内容。"};
    default:
        return {{QStringLiteral("中文字符"), QStringLiteral("12345678"), QStringLiteral("ABCDEFG HIJKLMN"),
                 QStringLiteral(",.<>!@#$%^&*()")},
                "常规类型的单元格可以输入任意字符,而不作特殊的处理。"};
    }
}

// The list entry of a data style; formulas and unknown styles are text.
int TypeRowOf(TDataStyle style)
{
    switch (style) {
    case dsNumber:
        return 1;
    case dsDate:
        return 2;
    case dsTime:
        return 3;
    default:
        return 0;
    }
}

// "常规", "倾斜", "加粗", "加粗倾斜".
int StyleRowOf(TFontStyles style)
{
    return ((style & kFontBold) ? 2 : 0) + ((style & kFontItalic) ? 1 : 0);
}

TFontStyles StyleOfRow(int row)
{
    return TFontStyles(((row & 2) ? kFontBold : 0) | ((row & 1) ? kFontItalic : 0));
}

// The number boxes take digits, "-", "#", "$" and Backspace; keys that type nothing pass.
class NumberKeyFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const auto *key = static_cast<QKeyEvent *>(event);
            if (key->key() != Qt::Key_Backspace) {
                for (const QChar ch : key->text()) {
                    if (ch.isPrint() && !ch.isDigit() && ch != u'-' && ch != u'#' && ch != u'$')
                        return true;
                }
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

// A number box whose typed value above `limit` becomes the limit.
QLineEdit *NumberBox(QWidget *parent, const QString &name, int limit, QObject *filter)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->installEventFilter(filter);
    QObject::connect(edit, &QLineEdit::textEdited, edit, [edit, limit](const QString &text) {
        bool ok = false;
        if (text.toInt(&ok) > limit && ok)
            edit->setText(QString::number(limit));
    });
    return edit;
}

QCheckBox *CheckBox(QWidget *parent, const QString &text, const QString &name)
{
    auto *box = new QCheckBox(text, parent);
    box->setObjectName(name);
    return box;
}

// A grey box for an undecided value; the operator may click it back to grey.
void ShowFlag(QCheckBox *box, std::optional<bool> value)
{
    box->setTristate(!value.has_value());
    box->setCheckState(!value ? Qt::PartiallyChecked : *value ? Qt::Checked : Qt::Unchecked);
}

std::optional<bool> FlagOf(const QCheckBox *box)
{
    if (box->checkState() == Qt::PartiallyChecked)
        return std::nullopt;
    return box->checkState() == Qt::Checked;
}

void ShowNumber(QLineEdit *edit, std::optional<int> value)
{
    edit->setText(value ? QString::number(*value) : QString());
}

std::optional<int> NumberOf(const QLineEdit *edit)
{
    bool ok = false;
    const int value = edit->text().trimmed().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

QFrame *ColourPanel(QWidget *parent, const QString &name)
{
    auto *panel = new QFrame(parent);
    panel->setObjectName(name);
    panel->setFrameShape(QFrame::Box);
    panel->setFixedSize(40, 20);
    panel->setAutoFillBackground(true);
    return panel;
}

void SelectRow(QListWidget *list, int row)
{
    list->clearSelection();
    list->setCurrentRow(row, row < 0 ? QItemSelectionModel::Clear : QItemSelectionModel::ClearAndSelect);
}

} // namespace

TFormCellProp::TFormCellProp(TCustomEasyGrid &grid, const GridRect &selection, QWidget *parent)
    : QDialog(parent), grid_(grid), selection_(selection)
{
    setWindowTitle(QStringLiteral("单元格格式"));
    chooseColour_ = [this](TColor current) -> std::optional<TColor> {
        const QColor chosen = QColorDialog::getColor(TableColourSwatch(current), this);
        if (!chosen.isValid())
            return std::nullopt;
        return TColor(chosen.red() | (chosen.green() << 8) | (chosen.blue() << 16));
    };

    pages_ = new QTabWidget(this);
    pages_->setObjectName(QStringLiteral("Pages"));
    pages_->addTab(MakeTypePage(), QStringLiteral("类 型"));
    pages_->addTab(MakeAlignPage(), QStringLiteral("对 齐"));
    pages_->addTab(MakeFontPage(), QStringLiteral("字 体"));
    pages_->addTab(MakeOtherPage(), QStringLiteral("其 他"));

    auto *buttons = new QDialogButtonBox(this);
    auto *ok = buttons->addButton(QStringLiteral("确定(&Y)"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("BtnOk"));
    ok->setDefault(true);
    auto *cancel = buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("BtnCancel"));
    connect(ok, &QPushButton::clicked, this, &TFormCellProp::Confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(pages_);
    layout->addWidget(buttons);

    Show(CollectCellFormat(grid_, selection_));
    pages_->setCurrentIndex(lastPage);
}

TFormCellProp::~TFormCellProp() = default;

QWidget *TFormCellProp::MakeTypePage()
{
    auto *page = new QWidget(this);
    auto *filter = new NumberKeyFilter(page);
    typeList_ = new QListWidget(page);
    typeList_->setObjectName(QStringLiteral("TypeList"));
    for (const char *name : kTypeNames)
        typeList_->addItem(QString::fromUtf8(name));
    sampleList_ = new QListWidget(page);
    sampleList_->setObjectName(QStringLiteral("SampleList"));
    description_ = new QLabel(page);
    description_->setObjectName(QStringLiteral("Description"));
    description_->setWordWrap(true);

    numberFields_ = new QWidget(page);
    numberFields_->setObjectName(QStringLiteral("NumberFields"));
    maxLength_ = NumberBox(numberFields_, QStringLiteral("MaxLength"), 255, filter);
    intLength_ = NumberBox(numberFields_, QStringLiteral("IntLength"), 255, filter);
    decLength_ = NumberBox(numberFields_, QStringLiteral("DecLength"), 255, filter);
    allowNegative_ = CheckBox(numberFields_, QStringLiteral("是否允许输入负数"), QStringLiteral("AllowNegative"));
    thousandSep_ = CheckBox(numberFields_, QStringLiteral("使用千分分隔符"), QStringLiteral("ThousandSep"));
    trailingZero_ = CheckBox(numberFields_, QStringLiteral("在小数部分末尾补零"), QStringLiteral("TrailingZero"));
    zeroNull_ = CheckBox(numberFields_, QStringLiteral("数值为零时不显示内容"), QStringLiteral("ZeroNull"));
    auto *numbers = new QFormLayout(numberFields_);
    numbers->setContentsMargins(0, 0, 0, 0);
    numbers->addRow(QStringLiteral("最大长度(包含小数点在内):"), maxLength_);
    numbers->addRow(QStringLiteral("整数部分长度:"), intLength_);
    numbers->addRow(QStringLiteral("小数部分长度:"), decLength_);
    numbers->addRow(allowNegative_);
    numbers->addRow(thousandSep_);
    numbers->addRow(trailingZero_);
    numbers->addRow(zeroNull_);

    auto *samples = new QGroupBox(QStringLiteral("示例"), page);
    auto *sampleLayout = new QVBoxLayout(samples);
    sampleLayout->addWidget(sampleList_);
    sampleLayout->addWidget(description_);

    auto *left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("单元格类型"), page));
    left->addWidget(typeList_);
    auto *right = new QVBoxLayout;
    right->addWidget(samples);
    right->addWidget(numberFields_);
    right->addStretch();
    auto *layout = new QHBoxLayout(page);
    layout->addLayout(left);
    layout->addLayout(right, 1);
    connect(typeList_, &QListWidget::currentRowChanged, this, &TFormCellProp::ShowType);
    return page;
}

QWidget *TFormCellProp::MakeAlignPage()
{
    auto *page = new QWidget(this);
    horzAlign_ = new QComboBox(page);
    horzAlign_->setObjectName(QStringLiteral("HorzAlign"));
    horzAlign_->addItems({QStringLiteral("文本居左"), QStringLiteral("文本居中"), QStringLiteral("文本居右")});
    vertAlign_ = new QComboBox(page);
    vertAlign_->setObjectName(QStringLiteral("VertAlign"));
    vertAlign_->addItems({QStringLiteral("文本居上"), QStringLiteral("文本居中"), QStringLiteral("文本居下")});
    // An alignment is written as a pair: choosing one side fills in the other when it is undecided.
    connect(horzAlign_, &QComboBox::activated, this, [this] {
        if (vertAlign_->currentIndex() < 0)
            vertAlign_->setCurrentIndex(0);
    });
    connect(vertAlign_, &QComboBox::activated, this, [this] {
        if (horzAlign_->currentIndex() < 0)
            horzAlign_->setCurrentIndex(0);
    });
    autoWordBreak_ = CheckBox(page, QStringLiteral("自动换行"), QStringLiteral("AutoWordBreak"));
    merge_ = CheckBox(page, QStringLiteral("合并单元格"), QStringLiteral("MergeCells"));

    auto *alignment = new QFormLayout;
    alignment->addRow(QStringLiteral("水平对齐"), horzAlign_);
    alignment->addRow(QStringLiteral("垂直对齐"), vertAlign_);
    auto *layout = new QVBoxLayout(page);
    layout->addLayout(alignment);
    layout->addWidget(autoWordBreak_);
    layout->addWidget(merge_);
    layout->addStretch();
    return page;
}

QWidget *TFormCellProp::MakeFontPage()
{
    auto *page = new QWidget(this);
    auto *filter = new NumberKeyFilter(page);
    fontNames_ = new QListWidget(page);
    fontNames_->setObjectName(QStringLiteral("FontNameList"));
    fontNames_->addItems(QFontDatabase::families());
    fontStyles_ = new QListWidget(page);
    fontStyles_->setObjectName(QStringLiteral("FontStyleList"));
    fontStyles_->addItems({QStringLiteral("常规"), QStringLiteral("倾斜"), QStringLiteral("加粗"), QStringLiteral("加粗倾斜")});
    fontSize_ = NumberBox(page, QStringLiteral("FontSize"), 409, filter);
    fontSizes_ = new QListWidget(page);
    fontSizes_->setObjectName(QStringLiteral("FontSizeList"));
    for (int size : {6, 8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72})
        fontSizes_->addItem(QString::number(size));
    underline_ = CheckBox(page, QStringLiteral("下划线(&U)"), QStringLiteral("Underline"));
    fontColourPanel_ = ColourPanel(page, QStringLiteral("FontColourPanel"));
    auto *fontColourButton = new QPushButton(QStringLiteral("…"), page);
    fontColourButton->setObjectName(QStringLiteral("FontColourButton"));
    preview_ = new QLabel(QStringLiteral("中文字体 English"), page);
    preview_->setObjectName(QStringLiteral("FontPreview"));
    preview_->setAlignment(Qt::AlignCenter);
    preview_->setFrameShape(QFrame::Box);
    preview_->setMinimumHeight(50);

    connect(fontSizes_, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) {
        fontSize_->setText(item->text());
        UpdatePreview();
    });
    connect(fontSize_, &QLineEdit::textChanged, this, [this](const QString &text) {
        const auto found = fontSizes_->findItems(text.trimmed(), Qt::MatchExactly);
        SelectRow(fontSizes_, found.isEmpty() ? -1 : fontSizes_->row(found.first()));
        UpdatePreview();
    });
    connect(fontNames_, &QListWidget::currentRowChanged, this, &TFormCellProp::UpdatePreview);
    connect(fontStyles_, &QListWidget::currentRowChanged, this, &TFormCellProp::UpdatePreview);
    connect(underline_, &QCheckBox::stateChanged, this, &TFormCellProp::UpdatePreview);
    connect(fontColourButton, &QPushButton::clicked, this, [this] { PickColour(fontColourPanel_, fontColour_); });

    auto *grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("字体(&F)"), page), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("字形(&O)"), page), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("字号(&S)"), page), 0, 2);
    grid->addWidget(fontNames_, 1, 0, 2, 1);
    grid->addWidget(fontStyles_, 1, 1, 2, 1);
    grid->addWidget(fontSize_, 1, 2);
    grid->addWidget(fontSizes_, 2, 2);
    auto *colour = new QHBoxLayout;
    colour->addWidget(underline_);
    colour->addSpacing(20);
    colour->addWidget(new QLabel(QStringLiteral("字体颜色(&C)"), page));
    colour->addWidget(fontColourPanel_);
    colour->addWidget(fontColourButton);
    colour->addStretch();
    auto *layout = new QVBoxLayout(page);
    layout->addLayout(grid);
    layout->addLayout(colour);
    layout->addWidget(preview_);
    return page;
}

QWidget *TFormCellProp::MakeOtherPage()
{
    auto *page = new QWidget(this);
    auto *filter = new NumberKeyFilter(page);
    drawLeft_ = CheckBox(page, QStringLiteral("左边边框"), QStringLiteral("DrawLeft"));
    drawRight_ = CheckBox(page, QStringLiteral("右边边框"), QStringLiteral("DrawRight"));
    drawTop_ = CheckBox(page, QStringLiteral("顶部边框"), QStringLiteral("DrawTop"));
    drawBottom_ = CheckBox(page, QStringLiteral("底部边框"), QStringLiteral("DrawBottom"));
    lineWidth_ = NumberBox(page, QStringLiteral("LineWidth"), 5, filter);
    penStyle_ = new QComboBox(page);
    penStyle_->setObjectName(QStringLiteral("PenStyle"));
    // Pen styles 0 … 6 in this order.
    penStyle_->addItems({QStringLiteral("实线"), QStringLiteral("长虚线"), QStringLiteral("短虚线"),
                         QStringLiteral("长短相间虚线"), QStringLiteral("两短一长相间虚线"), QStringLiteral("空白线"),
                         QStringLiteral("框架线")});
    backColourPanel_ = ColourPanel(page, QStringLiteral("BackColourPanel"));
    auto *backColourButton = new QPushButton(QStringLiteral("…"), page);
    backColourButton->setObjectName(QStringLiteral("BackColourButton"));
    connect(backColourButton, &QPushButton::clicked, this, [this] { PickColour(backColourPanel_, backColour_); });
    readOnly_ = CheckBox(page, QStringLiteral("设置单元格为只读"), QStringLiteral("ReadOnly"));

    auto *borders = new QGridLayout;
    borders->addWidget(drawLeft_, 0, 0);
    borders->addWidget(drawRight_, 0, 1);
    borders->addWidget(drawTop_, 1, 0);
    borders->addWidget(drawBottom_, 1, 1);
    auto *lines = new QFormLayout;
    lines->addRow(QStringLiteral("边框线宽"), lineWidth_);
    lines->addRow(QStringLiteral("边框线型"), penStyle_);
    auto *back = new QHBoxLayout;
    back->addWidget(backColourPanel_);
    back->addWidget(backColourButton);
    back->addStretch();
    lines->addRow(QStringLiteral("背景颜色"), back);
    auto *layout = new QVBoxLayout(page);
    layout->addLayout(borders);
    layout->addLayout(lines);
    layout->addWidget(readOnly_);
    layout->addStretch();
    return page;
}

void TFormCellProp::Show(const CellFormat &format)
{
    SelectRow(typeList_, format.dataStyle ? TypeRowOf(*format.dataStyle) : -1);
    ShowType(typeList_->currentRow());
    ShowNumber(maxLength_, format.maxLength);
    ShowNumber(intLength_, format.intLength);
    ShowNumber(decLength_, format.decLength);
    ShowFlag(allowNegative_, format.allowNegative);
    ShowFlag(thousandSep_, format.thousandSep);
    ShowFlag(trailingZero_, format.trailingZero);
    ShowFlag(zeroNull_, format.zeroNull);

    horzAlign_->setCurrentIndex(format.horzAlign ? int(*format.horzAlign) : -1);
    vertAlign_->setCurrentIndex(format.vertAlign ? int(*format.vertAlign) : -1);
    ShowFlag(autoWordBreak_, format.autoWordBreak);
    ShowFlag(merge_, format.merged);

    int nameRow = -1;
    if (format.fontName) {
        const auto found = fontNames_->findItems(*format.fontName, Qt::MatchFixedString);
        if (found.isEmpty()) {
            // A face this station lacks stays choosable, so that the cells keep their name.
            fontNames_->insertItem(0, *format.fontName);
            nameRow = 0;
        } else {
            nameRow = fontNames_->row(found.first());
        }
    }
    SelectRow(fontNames_, nameRow);
    SelectRow(fontStyles_, format.fontStyle ? StyleRowOf(*format.fontStyle) : -1);
    ShowNumber(fontSize_, format.fontSize);
    ShowFlag(underline_, format.underline);
    ShowColour(fontColourPanel_, fontColour_, format.fontColor);

    ShowFlag(drawLeft_, format.drawLeft);
    ShowFlag(drawRight_, format.drawRight);
    ShowFlag(drawTop_, format.drawTop);
    ShowFlag(drawBottom_, format.drawBottom);
    ShowNumber(lineWidth_, format.lineWidth);
    // A stored pen style that names none draws solid.
    penStyle_->setCurrentIndex(!format.penStyle ? -1 : *format.penStyle <= psInsideFrame ? int(*format.penStyle) : 0);
    ShowColour(backColourPanel_, backColour_, format.color);
    ShowFlag(readOnly_, format.readOnly);
    UpdatePreview();
}

void TFormCellProp::ShowType(int row)
{
    sampleList_->clear();
    description_->clear();
    numberFields_->setVisible(row == 1);
    if (row < 0)
        return;
    const TypeSamples samples = SamplesOf(row);
    sampleList_->addItems(samples.samples);
    description_->setText(QString::fromUtf8(samples.description));
}

void TFormCellProp::ShowColour(QFrame *panel, std::optional<TColor> &slot, std::optional<TColor> colour)
{
    slot = colour;
    panel->setVisible(colour.has_value());
    if (colour) {
        QPalette palette = panel->palette();
        palette.setColor(QPalette::Window, TableColourSwatch(*colour));
        panel->setPalette(palette);
    }
}

void TFormCellProp::PickColour(QFrame *panel, std::optional<TColor> &slot)
{
    if (const std::optional<TColor> chosen = chooseColour_(slot.value_or(kColorBlack)))
        ShowColour(panel, slot, chosen);
    UpdatePreview();
}

void TFormCellProp::UpdatePreview()
{
    QFont font = preview_->font();
    if (const QListWidgetItem *name = fontNames_->currentItem(); name && fontNames_->currentRow() >= 0)
        font.setFamily(name->text());
    const TFontStyles style = StyleOfRow(std::max(fontStyles_->currentRow(), 0));
    font.setBold((style & kFontBold) != 0);
    font.setItalic((style & kFontItalic) != 0);
    font.setUnderline(underline_->checkState() == Qt::Checked);
    if (const std::optional<int> size = NumberOf(fontSize_); size && *size > 0)
        font.setPointSize(std::min(*size, 72));
    preview_->setFont(font);
    QPalette palette = preview_->palette();
    palette.setColor(QPalette::WindowText, TableColourSwatch(fontColour_.value_or(kColorBlack)));
    preview_->setPalette(palette);
}

CellFormat TFormCellProp::ChosenFormat() const
{
    CellFormat format;
    if (const int row = typeList_->currentRow(); row >= 0 && typeList_->currentItem()->isSelected())
        format.dataStyle = kTypeStyles[row];
    format.maxLength = NumberOf(maxLength_);
    format.intLength = NumberOf(intLength_);
    format.decLength = NumberOf(decLength_);
    format.allowNegative = FlagOf(allowNegative_);
    format.thousandSep = FlagOf(thousandSep_);
    format.trailingZero = FlagOf(trailingZero_);
    format.zeroNull = FlagOf(zeroNull_);

    if (horzAlign_->currentIndex() >= 0)
        format.horzAlign = HorzAlign(horzAlign_->currentIndex());
    if (vertAlign_->currentIndex() >= 0)
        format.vertAlign = VertAlign(vertAlign_->currentIndex());
    format.autoWordBreak = FlagOf(autoWordBreak_);
    format.merged = FlagOf(merge_);

    if (const QListWidgetItem *name = fontNames_->currentItem(); name && name->isSelected())
        format.fontName = name->text();
    if (const QListWidgetItem *style = fontStyles_->currentItem(); style && style->isSelected())
        format.fontStyle = StyleOfRow(fontStyles_->currentRow());
    format.underline = FlagOf(underline_);
    format.fontSize = NumberOf(fontSize_);
    format.fontColor = fontColour_;

    format.drawLeft = FlagOf(drawLeft_);
    format.drawRight = FlagOf(drawRight_);
    format.drawTop = FlagOf(drawTop_);
    format.drawBottom = FlagOf(drawBottom_);
    format.lineWidth = NumberOf(lineWidth_);
    if (penStyle_->currentIndex() >= 0)
        format.penStyle = TPenStyle(penStyle_->currentIndex());
    format.color = backColour_;
    format.readOnly = FlagOf(readOnly_);
    return format;
}

void TFormCellProp::Confirm()
{
    if (!grid_.ConfirmSetCellProp(selection_)) {
        reject();
        return;
    }
    ApplyCellFormat(grid_, selection_, ChosenFormat());
    accept();
    grid_.FinishSetCellProp(selection_);
}

void TFormCellProp::done(int result)
{
    lastPage = pages_->currentIndex();
    QDialog::done(result);
}

} // namespace pelvoro
