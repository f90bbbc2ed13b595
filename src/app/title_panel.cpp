#include "app/title_panel.h"

#include "base/gbk.h"
#include "base/prompt.h"
#include "config/screen_info.h"
#include "pages/subtitle_conversion.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QValidator>

namespace pelvoro {
namespace {

constexpr int kFontCharsShown = 5;
constexpr int kPanelMargin = 4;

// Refuses typing that would make the text longer than a number of GBK bytes. Text set from a file
// may be longer; it can still be shortened, only not lengthened by typing.
class GbkLengthValidator : public QValidator {
public:
    GbkLengthValidator(QLineEdit *edit, int maxBytes) : QValidator(edit), maxBytes_(maxBytes)
    {
        connect(edit, &QLineEdit::textChanged, this, [this](const QString &text) { accepted_ = GbkLength(text); });
    }

    State validate(QString &input, int &) const override
    {
        const int length = GbkLength(input);
        return length <= maxBytes_ || length <= accepted_ ? Acceptable : Invalid;
    }

private:
    int maxBytes_;
    int accepted_ = 0; // bytes of the text the edit holds
};

QString SubtitleNode(int page)
{
    return QStringLiteral("字幕页") + QString::number(page);
}

} // namespace

TitlePanel::TitlePanel(ScreenTable &table, Prompt &prompt, QWidget *parent)
    : QWidget(parent), table_(table), prompt_(prompt)
{
    Build();
}

TitlePanel::~TitlePanel() = default;

void TitlePanel::Build()
{
    setObjectName(QStringLiteral("Title"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(kPanelMargin, kPanelMargin, kPanelMargin, kPanelMargin); // room for both groups

    editBox_ = new QGroupBox(this);
    auto *form = new QFormLayout(editBox_);
    text_ = new QLineEdit(editBox_);
    text_->setObjectName(QStringLiteral("EdtTitle"));
    text_->setValidator(new GbkLengthValidator(text_, kMaxTypedBytes));
    form->addRow(text_);
    font_ = new QComboBox(editBox_);
    font_->setObjectName(QStringLiteral("CombFont"));
    font_->addItems(SubtitleFontFaces());
    // Long family names show whole in the list; the box keeps to the panel's width.
    font_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    font_->setMinimumContentsLength(kFontCharsShown);
    if (const int song = font_->findText(QStringLiteral("宋体")); song >= 0)
        font_->setCurrentIndex(song);
    form->addRow(QStringLiteral("字体"), font_);
    colour_ = new QComboBox(editBox_);
    colour_->setObjectName(QStringLiteral("CombTitleColor"));
    colour_->addItems({QStringLiteral("红"), QStringLiteral("黄"), QStringLiteral("绿")});
    form->addRow(QStringLiteral("颜色"), colour_);
    style_ = new QComboBox(editBox_);
    style_->setObjectName(QStringLiteral("CombTitlemoveStyle"));
    style_->addItems({QStringLiteral("向左连移"), QStringLiteral("静止打出")});
    form->addRow(QStringLiteral("显示方式"), style_);
    speedLabel_ = new QLabel(QStringLiteral("运行速度"), editBox_);
    speed_ = new QSpinBox(editBox_);
    speed_->setObjectName(QStringLiteral("SpinEdtTitlemovespeed"));
    speed_->setRange(0, kMaxSubtitleSpeed);
    speed_->setValue(5);
    form->addRow(speedLabel_, speed_);
    dwellLabel_ = new QLabel(QStringLiteral("停留时间"), editBox_);
    dwell_ = new QSpinBox(editBox_);
    dwell_->setObjectName(QStringLiteral("SpinEdtTitleShowTime"));
    dwell_->setRange(0, kMaxSubtitleDwell);
    dwell_->setValue(0);
    form->addRow(dwellLabel_, dwell_);
    convert_ = new QPushButton(QStringLiteral("转换字幕"), editBox_);
    convert_->setObjectName(QStringLiteral("Button3"));
    form->addRow(convert_);
    capacity_ = new QLabel(editBox_);
    capacity_->setObjectName(QStringLiteral("TitleCapacity"));
    form->addRow(capacity_);
    layout->addWidget(editBox_, 2);

    listBox_ = new QGroupBox(this);
    auto *listLayout = new QVBoxLayout(listBox_);
    pages_ = new QTreeWidget(listBox_);
    pages_->setObjectName(QStringLiteral("TitleTreeView"));
    pages_->setHeaderLabel(QStringLiteral("字幕列表"));
    pages_->setRootIsDecorated(false);
    listLayout->addWidget(pages_);
    auto *buttons = new QHBoxLayout;
    add_ = new QToolButton(listBox_);
    add_->setObjectName(QStringLiteral("SpeedButtonadd1"));
    add_->setText(QStringLiteral("+"));
    add_->setToolTip(QStringLiteral("添加字幕页"));
    deleteAll_ = new QToolButton(listBox_);
    deleteAll_->setObjectName(QStringLiteral("SpeedButtondec1"));
    deleteAll_->setText(QStringLiteral("-"));
    deleteAll_->setToolTip(QStringLiteral("删除全部字幕页"));
    send_ = new QPushButton(QStringLiteral("发送字幕"), listBox_);
    send_->setObjectName(QStringLiteral("Button2"));
    buttons->addWidget(add_);
    buttons->addWidget(deleteAll_);
    buttons->addStretch(1);
    buttons->addWidget(send_);
    listLayout->addLayout(buttons);
    layout->addWidget(listBox_, 1);

    ShowStyleControls(kScrollLeft);
    entry_ = SubtitleEntry{kScrollLeft, 0, speed_->value(), dwell_->value()};

    connect(convert_, &QPushButton::clicked, this, &TitlePanel::Convert);
    connect(add_, &QToolButton::clicked, this, &TitlePanel::AddFromFile);
    connect(deleteAll_, &QToolButton::clicked, this, &TitlePanel::DeleteAll);
    connect(send_, &QPushButton::clicked, this, &TitlePanel::Send);
    pages_->viewport()->installEventFilter(this);
    connect(pages_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *current) {
        if (current)
            SelectPage(pages_->indexOfTopLevelItem(current) + 1);
    });
    connect(pages_, &QTreeWidget::itemPressed, this, [this](QTreeWidgetItem *item) {
        const bool again = pressOnCurrent_;
        pressOnCurrent_ = false;
        if (again && item)
            SelectPage(pages_->indexOfTopLevelItem(item) + 1);
    });
    connect(style_, &QComboBox::currentIndexChanged, this, &TitlePanel::OnStyleChanged);
    connect(speed_, &QSpinBox::valueChanged, this, &TitlePanel::OnSpeedChanged);
    connect(dwell_, &QSpinBox::valueChanged, this, &TitlePanel::OnDwellChanged);
}

bool TitlePanel::eventFilter(QObject *watched, QEvent *event)
{
    // A press on another node changes the current node (and is handled there); a press on the
    // current node changes nothing but still shows its page again.
    if (watched == pages_->viewport() && event->type() == QEvent::MouseButtonPress) {
        const auto *press = static_cast<QMouseEvent *>(event);
        QTreeWidgetItem *item = pages_->itemAt(press->position().toPoint());
        pressOnCurrent_ = item && item == pages_->currentItem();
    }
    return QWidget::eventFilter(watched, event);
}

void TitlePanel::SetScreenCaptions(int screenIndex, int titleHeight)
{
    const QString number = QString::number(screenIndex + 1);
    const QString size = titleHeight == 16 ? QStringLiteral("小字幕") : QStringLiteral("大字幕");
    editBox_->setTitle(number + QStringLiteral("号屏") + size + QStringLiteral("编辑"));
    listBox_->setTitle(number + QStringLiteral("号屏") + size + QStringLiteral("列表"));
}

void TitlePanel::SetCapacity(int maxTitlePages)
{
    capacity_->setText(QStringLiteral("最大存储页数：") + QString::number(maxTitlePages) + QStringLiteral("页"));
}

int TitlePanel::PageCount() const
{
    return pages_->topLevelItemCount();
}

void TitlePanel::SetAddingEnabled(bool enabled)
{
    add_->setEnabled(enabled);
    convert_->setEnabled(enabled);
}

void TitlePanel::RefreshSubtitleList(int screenIndex)
{
    screen_ = screenIndex;
    {
        const QSignalBlocker blocker(pages_);
        pages_->clear();
        const int count = StoredSubtitlePageCount(screenIndex);
        for (int k = 1; k <= count; ++k)
            new QTreeWidgetItem(pages_, {SubtitleNode(k)});
    }
    text_->setText(ReadSubtitleText(screenIndex).value_or(QString()));
    // The attributes are those of this screen's file; a screen without one starts from the controls.
    const SubtitleState state = ReadSubtitleState(table_, screenIndex);
    if (state.Ok())
        ShowEntry(state.entry);
    else
        entry_ = SubtitleEntry{style_->currentIndex(), 0, speed_->value(), dwell_->value()};
}

void TitlePanel::ShowEntry(const SubtitleEntry &entry)
{
    entry_ = entry;
    loading_ = true;
    style_->setCurrentIndex(entry.style == kScrollLeft ? 0 : 1);
    // Only the control of the style shows its value; the other one is hidden and shows 0.
    speed_->setValue(entry.style == kScrollLeft ? entry.speed : 0);
    dwell_->setValue(entry.style == kScrollLeft ? 0 : entry.dwell);
    ShowStyleControls(entry.style);
    loading_ = false;
}

void TitlePanel::ShowStyleControls(int style)
{
    const bool scroll = style == kScrollLeft;
    speedLabel_->setVisible(scroll);
    speed_->setVisible(scroll);
    dwellLabel_->setVisible(!scroll);
    dwell_->setVisible(!scroll);
}

void TitlePanel::SelectPage(int page)
{
    if (!Attached() || page < 1 || page > PageCount())
        return;
    {
        const QSignalBlocker blocker(pages_);
        pages_->setCurrentItem(pages_->topLevelItem(page - 1));
    }
    const SubtitleRead read = ReadSubtitlePage(table_, screen_, page);
    if (!Report(read))
        return;
    ShowEntry(read.entry);
    Q_EMIT SubtitlePageShown(screen_, page, read.image);
}

void TitlePanel::OnStyleChanged(int index)
{
    ShowStyleControls(index);
    if (loading_ || index < 0)
        return;
    entry_ = EditedSubtitleEntry(entry_, SubtitleEdit::Style, index);
    WriteEntry();
}

void TitlePanel::OnSpeedChanged(int value)
{
    if (loading_)
        return;
    entry_ = EditedSubtitleEntry(entry_, SubtitleEdit::Speed, value);
    WriteEntry();
}

void TitlePanel::OnDwellChanged(int value)
{
    if (loading_)
        return;
    entry_ = EditedSubtitleEntry(entry_, SubtitleEdit::Dwell, value);
    WriteEntry();
}

void TitlePanel::WriteEntry()
{
    if (!Attached())
        return;
    const PageResult result = WriteSubtitleEntry(table_, screen_, entry_);
    if (Report(result))
        Q_EMIT SubtitleChanged(screen_);
}

void TitlePanel::Convert()
{
    if (!Attached())
        return;
    SubtitleDrawing drawing;
    drawing.face = font_->currentText();
    const QFont font = text_->font();
    drawing.bold = font.bold();
    drawing.italic = font.italic();
    drawing.underline = font.underline();
    drawing.strike = font.strikeOut();
    drawing.colour = SubtitleColour(colour_->currentText());
    const SubtitleConversion result = ConvertSubtitleText(table_, screen_, text_->text(), drawing, entry_);
    if (result.emptyText) {
        pages_->clear();
        Q_EMIT SubtitleChanged(screen_);
        Report(result);
        return;
    }
    if (result.limitReached) {
        prompt_.Message(result.limitMessage, QStringLiteral("提示"), PromptIcon::Information);
        SetAddingEnabled(false);
    }
    Report(result);
    RefreshSubtitleList(screen_);
    Q_EMIT SubtitleChanged(screen_);
}

void TitlePanel::AddFromFile()
{
    if (!Attached())
        return;
    FileDialogRequest request;
    request.filters = SubtitleSourceFilters();
    const QString path = prompt_.OpenFile(request);
    if (path.isEmpty())
        return;
    const SubtitleSource kind = SubtitleSourceOf(path, request.filterIndex);
    // Rich text is laid out as the hidden layout control does while a subtitle is selected.
    const std::optional<QString> added = ReadSubtitleSource(path, kind, table_[screen_].Width + 128);
    if (added)
        text_->setText(text_->text() + *added);
    else
        prompt_.Message(QStringLiteral("找不到相应文件"), QStringLiteral("提示"), PromptIcon::Warning);
    if (text_->text().trimmed().isEmpty()) {
        prompt_.Message(QStringLiteral("该文件内容为空！"), QStringLiteral("提示"), PromptIcon::Warning);
        return;
    }
    if (QWidget *top = window())
        top->repaint();
    Convert();
}

void TitlePanel::DeleteAll()
{
    if (!Attached())
        return;
    Report(DeleteSubtitleFiles(screen_));
    text_->clear();
    RefreshSubtitleList(screen_);
    Q_EMIT SubtitleChanged(screen_);
    SetAddingEnabled(true);
}

void TitlePanel::Send()
{
    if (PageCount() == 0) {
        prompt_.Message(QStringLiteral("没有添加字幕页,请添加字幕页!"), QStringLiteral("提示"),
                        PromptIcon::Information);
        return;
    }
    Q_EMIT SendRequested();
}

bool TitlePanel::Report(const PageResult &result)
{
    if (result.IsError()) {
        prompt_.Message(result.message, QStringLiteral("提示"),
                        result.status == PageStatus::Refused ? PromptIcon::Information : PromptIcon::Error);
    }
    return result.Ok();
}

} // namespace pelvoro
