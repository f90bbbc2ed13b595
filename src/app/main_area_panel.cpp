#include "app/main_area_panel.h"

#include "pages/data_files.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace pelvoro {
namespace {

QToolButton *ListButton(QWidget *parent, const char *name, const QString &text, const QString &hint)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setText(text);
    button->setToolTip(hint);
    return button;
}

} // namespace

MainAreaPanel::MainAreaPanel(ScreenTable &table, Prompt &prompt, QWidget *parent)
    : QWidget(parent), table_(table), prompt_(prompt)
{
    setObjectName(QStringLiteral("Panelmain"));
    auto *layout = new QHBoxLayout(this);

    listBox_ = new QGroupBox(this);
    auto *listLayout = new QVBoxLayout(listBox_);
    pageList_ = new QTreeWidget(listBox_);
    pageList_->setObjectName(QStringLiteral("TreeViewfile"));
    pageList_->setHeaderHidden(true);
    pageList_->setRootIsDecorated(false);
    listLayout->addWidget(pageList_);
    auto *buttons = new QHBoxLayout;
    add_ = ListButton(listBox_, "SButtonfileadd", QStringLiteral("+"), QStringLiteral("添加数据页"));
    remove_ = ListButton(listBox_, "SButtondec", QStringLiteral("-"), QStringLiteral("删除数据页"));
    up_ = ListButton(listBox_, "SButtonfileup", QStringLiteral("↑"), QStringLiteral("数据页上移"));
    down_ = ListButton(listBox_, "SButtonfiledown", QStringLiteral("↓"), QStringLiteral("数据页下移"));
    up_->setEnabled(false);
    down_->setEnabled(false);
    for (QToolButton *button : {add_, remove_, up_, down_})
        buttons->addWidget(button);
    buttons->addStretch(1);
    listLayout->addLayout(buttons);
    layout->addWidget(listBox_, 1);

    tabs_ = new QTabWidget(this);
    auto *effects = new QWidget(tabs_);
    auto *form = new QFormLayout(effects);
    effect_ = new QComboBox(effects);
    effect_->setObjectName(QStringLiteral("Comb_InMode"));
    speed_ = new QSpinBox(effects);
    speed_->setObjectName(QStringLiteral("SpEdt_RunSpeed"));
    speed_->setRange(0, 30);
    dwell_ = new QSpinBox(effects);
    dwell_->setObjectName(QStringLiteral("SpEdt_ShowTime"));
    dwell_->setRange(0, 255);
    following_ = new QCheckBox(QStringLiteral("设置以下页相同"), effects);
    following_->setObjectName(QStringLiteral("CheckBox1"));
    send_ = new QPushButton(QStringLiteral("发送主区"), effects);
    send_->setObjectName(QStringLiteral("Button1"));
    form->addRow(QStringLiteral("显示方式"), effect_);
    form->addRow(QStringLiteral("运行速度"), speed_);
    form->addRow(QStringLiteral("停留时间"), dwell_);
    form->addRow(following_);
    form->addRow(send_);
    tabs_->addTab(effects, QStringLiteral("显示特效"));
    tabs_->addTab(new QWidget(tabs_), QStringLiteral("定时播放"));
    layout->addWidget(tabs_, 1);
}

void MainAreaPanel::SetScreenCaption(int screenIndex)
{
    listBox_->setTitle(QString::number(screenIndex + 1) + QStringLiteral("号屏主区文件列表"));
}

void MainAreaPanel::RefreshPageList(int screenIndex)
{
    pageList_->clear();
    const int count = StoredPageCount(screenIndex);
    for (int k = 1; k <= count; ++k)
        new QTreeWidgetItem(pageList_, {QStringLiteral("数据页") + QString::number(k)});
}

int MainAreaPanel::PageCount() const
{
    return pageList_->topLevelItemCount();
}

void MainAreaPanel::ClearEnteredFlags()
{
    speedEntered_ = false;
    dwellEntered_ = false;
}

} // namespace pelvoro
