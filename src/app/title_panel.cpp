#include "app/title_panel.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace pelvoro {

TitlePanel::TitlePanel(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Title"));
    auto *layout = new QHBoxLayout(this);

    editBox_ = new QGroupBox(this);
    auto *form = new QFormLayout(editBox_);
    text_ = new QLineEdit(editBox_);
    text_->setObjectName(QStringLiteral("EdtTitle"));
    form->addRow(text_);
    auto *font = new QComboBox(editBox_);
    font->setObjectName(QStringLiteral("CombFont"));
    form->addRow(QStringLiteral("字体"), font);
    auto *colour = new QComboBox(editBox_);
    colour->setObjectName(QStringLiteral("CombTitleColor"));
    colour->addItems({QStringLiteral("红"), QStringLiteral("黄"), QStringLiteral("绿")});
    form->addRow(QStringLiteral("颜色"), colour);
    auto *style = new QComboBox(editBox_);
    style->setObjectName(QStringLiteral("CombTitlemoveStyle"));
    style->addItems({QStringLiteral("向左连移"), QStringLiteral("静止打出")});
    form->addRow(QStringLiteral("显示方式"), style);
    auto *speed = new QSpinBox(editBox_);
    speed->setObjectName(QStringLiteral("SpinEdtTitlemovespeed"));
    speed->setRange(0, 50);
    speed->setValue(5);
    form->addRow(QStringLiteral("运行速度"), speed);
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
    auto *send = new QPushButton(QStringLiteral("发送字幕"), listBox_);
    send->setObjectName(QStringLiteral("Button2"));
    buttons->addWidget(add_);
    buttons->addWidget(deleteAll_);
    buttons->addStretch(1);
    buttons->addWidget(send);
    listLayout->addLayout(buttons);
    layout->addWidget(listBox_, 1);
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

} // namespace pelvoro
