#include "comm/ui/send_selection_dialog.h"

#include "base/prompt.h"
#include "config/config_store.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace pelvoro {

SendSelectionDialog::SendSelectionDialog(ScreenTable &table, ConfigStore &store, Prompt &prompt,
                                         std::function<void()> send, QWidget *parent)
    : QDialog(parent), table_(table), store_(store), prompt_(prompt)
{
    setWindowTitle(QStringLiteral("选择发送列表"));
    auto *layout = new QHBoxLayout(this);
    auto *left = new QGroupBox(QStringLiteral("显示屏列表"), this);
    auto *leftLayout = new QVBoxLayout(left);
    screens_ = new QListWidget(left);
    leftLayout->addWidget(screens_);
    layout->addWidget(left);

    auto *buttons = new QVBoxLayout;
    add_ = new QPushButton(QStringLiteral("添加"), this);
    remove_ = new QPushButton(QStringLiteral("删除"), this);
    send_ = new QPushButton(QStringLiteral("发送"), this);
    buttons->addStretch(1);
    buttons->addWidget(add_);
    buttons->addWidget(remove_);
    buttons->addWidget(send_);
    buttons->addStretch(1);
    layout->addLayout(buttons);

    auto *right = new QGroupBox(QStringLiteral("发送列表"), this);
    auto *rightLayout = new QVBoxLayout(right);
    selected_ = new QListWidget(right);
    selected_->setSelectionMode(QAbstractItemView::NoSelection);
    rightLayout->addWidget(selected_);
    layout->addWidget(right);

    for (int k = 1; k <= table_.LastIndex + 1; ++k)
        screens_->addItem(QString::number(k) + QStringLiteral("号显示屏"));
    screens_->setCurrentRow(0);
    RebuildSendList();

    connect(add_, &QPushButton::clicked, this, [this] { SetSelected(true); });
    connect(remove_, &QPushButton::clicked, this, [this] { SetSelected(false); });
    connect(send_, &QPushButton::clicked, this, [send = std::move(send)] { send(); });
}

void SendSelectionDialog::SetSelected(bool selected)
{
    const int row = screens_->currentRow();
    if (row < 0 || row > table_.LastIndex || table_[row].SendSelected == selected)
        return;
    table_[row].SendSelected = selected;
    if (!store_.SaveScreens(table_, table_.LastIndex))
        prompt_.Message(store_.SaveFailureMessage(), QStringLiteral("提示"), PromptIcon::Error);
    RebuildSendList();
}

void SendSelectionDialog::RebuildSendList()
{
    selected_->clear();
    for (int i = 0; i <= table_.LastIndex; ++i) {
        if (table_[i].SendSelected)
            selected_->addItem(QString::number(i + 1) + QStringLiteral("号显示屏发送"));
    }
}

} // namespace pelvoro
