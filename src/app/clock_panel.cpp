#include "app/clock_panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
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
    clockForm->addRow(QStringLiteral("格式"),
                      Combo(clockControls_, "CombDateTime",
                            {QStringLiteral("2006年07月20日 星期一 00时00分00秒"),
                             QStringLiteral("2006-07-20 Mon 00:00:00")}));
    auto *parts = new QHBoxLayout;
    const char *partNames[] = {"CheckBoxyear", "CheckBoxmon", "CheckBoxdata", "CheckBoxweek",
                               "CheckBoxhour", "CheckBoxmin", "CheckBoxsec"};
    const QStringList partTexts = {QStringLiteral("年"), QStringLiteral("月"), QStringLiteral("日"),
                                   QStringLiteral("星期"), QStringLiteral("时"), QStringLiteral("分"),
                                   QStringLiteral("秒")};
    for (int i = 0; i < 7; ++i) {
        auto *box = new QCheckBox(partTexts[i], clockControls_);
        box->setObjectName(QLatin1String(partNames[i]));
        parts->addWidget(box);
    }
    clockForm->addRow(parts);
    clockForm->addRow(QStringLiteral("颜色"), Combo(clockControls_, "CombTimerColor", kColours));
    auto *sendClock = new QPushButton(QStringLiteral("发送时钟"), clockControls_);
    sendClock->setObjectName(QStringLiteral("SendClock"));
    clockForm->addRow(sendClock);
    clockLayout->addWidget(clockControls_);
    auto *alignBox = new QGroupBox(QStringLiteral("对齐方式"), clockBox_);
    alignBox->setObjectName(QStringLiteral("RadioGrouptimer1"));
    auto *alignLayout = new QHBoxLayout(alignBox);
    for (const QString &text : {QStringLiteral("居左"), QStringLiteral("居中"), QStringLiteral("居右")})
        alignLayout->addWidget(new QRadioButton(text, alignBox));
    alignment_ = alignBox;
    clockLayout->addWidget(alignBox);
    layout->addWidget(clockBox_, 2);

    temperatureBox_ = new QGroupBox(this);
    auto *temperatureLayout = new QVBoxLayout(temperatureBox_);
    temperatureControls_ = new QWidget(temperatureBox_);
    auto *temperatureForm = new QFormLayout(temperatureControls_);
    temperatureForm->addRow(QStringLiteral("显示格式"),
                            Combo(temperatureControls_, "CombTemperatureMode",
                                  {QStringLiteral("摄氏(℃)"), QStringLiteral("华氏(℉)")}));
    temperatureForm->addRow(QStringLiteral("颜色"), Combo(temperatureControls_, "CombTemperature", kColours));
    auto *sendTemperature = new QPushButton(QStringLiteral("发送温度"), temperatureControls_);
    sendTemperature->setObjectName(QStringLiteral("SendTemperature"));
    temperatureForm->addRow(sendTemperature);
    temperatureLayout->addWidget(temperatureControls_);
    temperatureLayout->addStretch(1);
    layout->addWidget(temperatureBox_, 1);
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
