#include "app/clock_panel.h"

#include "config/screen_info.h"

#include <QButtonGroup>

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace pelvoro {
namespace {

QComboBox *Combo(QWidget *parent, const char *name, const QStringList &items)
{
    auto *combo = new QComboBox(parent);
    combo->setObjectName(QLatin1String(name));
    combo->addItems(items);
    return combo;
}

// The date parts in two rows (year to weekday, then the time), so that every label stays whole.
constexpr int kPartsPerRow = 4;
constexpr int kFormatCharsShown = 10;

const QStringList kColours = {QStringLiteral("红"), QStringLiteral("绿"), QStringLiteral("黄")};

} // namespace

ClockPanel::ClockPanel(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Panelother"));
    auto *layout = new QHBoxLayout(this);

    clockBox_ = new QGroupBox(this);
    auto *clockLayout = new QVBoxLayout(clockBox_);
    clockControls_ = new QWidget(clockBox_);
    auto *clockForm = new QFormLayout(clockControls_);
    // At the window's smallest width a row too wide for its label puts the field below it.
    clockForm->setRowWrapPolicy(QFormLayout::WrapLongRows);
    clockForm->setContentsMargins(0, 0, 0, 0); // the group box around it has its own
    format_ = Combo(clockControls_, "CombDateTime",
                    {QStringLiteral("2006年07月20日 星期一 00时00分00秒"), QStringLiteral("2006-07-20 Mon 00:00:00")});
    // The whole format shows in the list; the box itself may show less of it in a narrow window.
    format_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    format_->setMinimumContentsLength(kFormatCharsShown);
    clockForm->addRow(QStringLiteral("格式"), format_);
    auto *parts = new QGridLayout;
    const char *partNames[] = {"CheckBoxyear", "CheckBoxmon", "CheckBoxdata", "CheckBoxweek",
                               "CheckBoxhour", "CheckBoxmin", "CheckBoxsec"};
    const QStringList partTexts = {QStringLiteral("年"),   QStringLiteral("月"), QStringLiteral("日"),
                                   QStringLiteral("星期"), QStringLiteral("时"), QStringLiteral("分"),
                                   QStringLiteral("秒")};
    for (int i = 0; i < 7; ++i) {
        auto *box = new QCheckBox(partTexts[i], clockControls_);
        box->setObjectName(QLatin1String(partNames[i]));
        parts->addWidget(box, i / kPartsPerRow, i % kPartsPerRow);
        parts_[size_t(i)] = box;
    }
    clockForm->addRow(parts);
    clockColour_ = Combo(clockControls_, "CombTimerColor", kColours);
    clockForm->addRow(QStringLiteral("颜色"), clockColour_);
    sendClock_ = new QPushButton(QStringLiteral("发送时钟"), clockControls_);
    sendClock_->setObjectName(QStringLiteral("SendClock"));
    clockForm->addRow(sendClock_);
    clockLayout->addWidget(clockControls_);
    auto *alignBox = new QGroupBox(QStringLiteral("对齐方式"), clockBox_);
    alignBox->setObjectName(QStringLiteral("RadioGrouptimer1"));
    auto *alignLayout = new QHBoxLayout(alignBox);
    align_ = new QButtonGroup(alignBox);
    int id = 0;
    for (const QString &text : {QStringLiteral("居左"), QStringLiteral("居中"), QStringLiteral("居右")}) {
        auto *radio = new QRadioButton(text, alignBox);
        align_->addButton(radio, id++);
        alignLayout->addWidget(radio);
    }
    alignment_ = alignBox;
    clockLayout->addWidget(alignBox);
    clockLayout->addStretch(1); // the groups keep together at the top
    layout->addWidget(clockBox_, 1); // the clock group takes the room the temperature group leaves

    temperatureBox_ = new QGroupBox(this);
    auto *temperatureLayout = new QVBoxLayout(temperatureBox_);
    temperatureControls_ = new QWidget(temperatureBox_);
    auto *temperatureForm = new QFormLayout(temperatureControls_);
    temperatureForm->setRowWrapPolicy(QFormLayout::WrapLongRows);
    temperatureForm->setContentsMargins(0, 0, 0, 0);
    scale_ = Combo(temperatureControls_, "CombTemperatureMode", {QStringLiteral("摄氏(℃)"), QStringLiteral("华氏(℉)")});
    temperatureForm->addRow(QStringLiteral("显示格式"), scale_);
    temperatureColour_ = Combo(temperatureControls_, "CombTemperature", kColours);
    temperatureForm->addRow(QStringLiteral("颜色"), temperatureColour_);
    sendTemperature_ = new QPushButton(QStringLiteral("发送温度"), temperatureControls_);
    sendTemperature_->setObjectName(QStringLiteral("SendTemperature"));
    temperatureForm->addRow(sendTemperature_);
    temperatureLayout->addWidget(temperatureControls_);
    temperatureLayout->addStretch(1);
    // Outside both control groups: it stays usable whichever area is selected.
    send_ = new QPushButton(QStringLiteral("发送"), temperatureBox_);
    send_->setObjectName(QStringLiteral("SendAll"));
    temperatureLayout->addWidget(send_);
    layout->addWidget(temperatureBox_);

    auto clockChanged = [this] {
        if (!loading_)
            Q_EMIT ClockChanged();
    };
    auto temperatureChanged = [this] {
        if (!loading_)
            Q_EMIT TemperatureChanged();
    };
    connect(format_, &QComboBox::currentIndexChanged, this, clockChanged);
    connect(clockColour_, &QComboBox::currentIndexChanged, this, clockChanged);
    for (QCheckBox *box : parts_)
        connect(box, &QCheckBox::toggled, this, clockChanged);
    connect(align_, &QButtonGroup::idToggled, this, [clockChanged](int, bool checked) {
        if (checked)
            clockChanged();
    });
    connect(sendClock_, &QPushButton::clicked, this, &ClockPanel::SendClockRequested);
    connect(sendTemperature_, &QPushButton::clicked, this, &ClockPanel::SendTemperatureRequested);
    connect(send_, &QPushButton::clicked, this, &ClockPanel::SendRequested);
    connect(scale_, &QComboBox::currentIndexChanged, this, temperatureChanged);
    connect(temperatureColour_, &QComboBox::currentIndexChanged, this, temperatureChanged);
}

void ClockPanel::Load(const ScreenInfo &screen)
{
    loading_ = true;
    format_->setCurrentIndex(screen.ClockFormat);
    for (size_t i = 0; i < parts_.size(); ++i)
        parts_[i]->setChecked(screen.ClockParts[i]);
    clockColour_->setCurrentIndex(screen.ClockColor);
    align_->setExclusive(false);
    for (QAbstractButton *button : align_->buttons())
        button->setChecked(align_->id(button) == screen.ClockAlign);
    align_->setExclusive(true);
    scale_->setCurrentIndex(screen.TempFormat);
    temperatureColour_->setCurrentIndex(screen.TempColor);
    loading_ = false;
}

namespace {
// A value outside a control's items (from a hand-edited file) shows as no selection; it is kept.
void StoreChoice(int chosen, int &field)
{
    if (chosen >= 0)
        field = chosen;
}
} // namespace

void ClockPanel::StoreClock(ScreenInfo &screen) const
{
    StoreChoice(format_->currentIndex(), screen.ClockFormat);
    for (size_t i = 0; i < parts_.size(); ++i)
        screen.ClockParts[i] = parts_[i]->isChecked();
    StoreChoice(clockColour_->currentIndex(), screen.ClockColor);
    StoreChoice(align_->checkedId(), screen.ClockAlign);
}

void ClockPanel::StoreTemperature(ScreenInfo &screen) const
{
    StoreChoice(scale_->currentIndex(), screen.TempFormat);
    StoreChoice(temperatureColour_->currentIndex(), screen.TempColor);
}

void ClockPanel::SetScreenCaptions(int screenIndex)
{
    const QString number = QString::number(screenIndex + 1);
    clockBox_->setTitle(number + QStringLiteral("号屏时钟设置"));
    temperatureBox_->setTitle(number + QStringLiteral("号屏温度设置"));
}

void ClockPanel::EnableFor(bool temperature)
{
    SetTemperatureControlsEnabled(temperature);
    SetClockControlsEnabled(!temperature);
    alignment_->setEnabled(true);
}

void ClockPanel::SetClockControlsEnabled(bool enabled)
{
    clockControls_->setEnabled(enabled);
}

void ClockPanel::SetTemperatureControlsEnabled(bool enabled)
{
    temperatureControls_->setEnabled(enabled);
}

} // namespace pelvoro
