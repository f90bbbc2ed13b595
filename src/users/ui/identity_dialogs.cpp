#include "users/ui/identity_dialogs.h"

#include "base/app_dir.h"
#include "base/prompt.h"
#include "config/config_store.h"
#include "config/identity.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace pelvoro {
namespace {

// The box's picture: a small dot-matrix face drawn by the station.
QPixmap DotFace()
{
    QPixmap pixmap(64, 32);
    pixmap.fill(Qt::black);
    QPainter painter(&pixmap);
    painter.setPen(Qt::NoPen);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 16; ++x) {
            painter.setBrush((x + y) % 3 == 0 ? QColor(230, 0, 0) : QColor(60, 0, 0));
            painter.drawEllipse(x * 4, y * 4, 3, 3);
        }
    }
    return pixmap;
}

} // namespace

Tfrmabout::Tfrmabout(ConfigStore &store, Prompt &prompt, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Tfrmabout"));
    setWindowTitle(QStringLiteral("关于软件"));
    auto *layout = new QVBoxLayout(this);
    auto *picture = new QLabel(this);
    picture->setPixmap(DotFace());
    layout->addWidget(picture);
    auto *name = new QLabel(kSoftwareDisplayName, this);
    QFont big = name->font();
    big.setPointSize(24);
    big.setBold(true);
    name->setFont(big);
    name->setStyleSheet(QStringLiteral("color: red"));
    layout->addWidget(name);
    layout->addWidget(new QLabel(QStringLiteral("本软件使用权属于："), this));
    // The about text breaks its lines with single carriage returns, which a label does not show.
    text_ = new QLabel(ReadIdentity(store).aboutText.replace(QLatin1Char('\r'), QLatin1Char('\n')), this);
    text_->setFrameShape(QFrame::Box);
    layout->addWidget(text_);
    // Installed copies keep their files in the user's data folder: say which folder this run uses.
    appDir_ = new QLabel(DescribeAppDir(true), this);
    appDir_->setWordWrap(true);
    appDir_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(appDir_);
    ok_ = new QPushButton(QStringLiteral("确定"), this);
    ok_->setDefault(true);
    layout->addWidget(ok_);
    connect(ok_, &QPushButton::clicked, this, [this, &store, &prompt] {
        if (!WriteBackIdentity(store))
            prompt.Message(store.SaveFailureMessage(), QStringLiteral("提示"), PromptIcon::Error);
        accept();
    });
}

TFrmadministrator::TFrmadministrator(ConfigStore &store, Prompt &prompt, QWidget *parent)
    : QDialog(parent), store_(store), prompt_(prompt)
{
    setObjectName(QStringLiteral("TFrmadministrator"));
    setWindowTitle(QStringLiteral("Administrator"));
    const IdentityFields fields = ReadIdentityFields(store);
    auto *form = new QFormLayout(this);
    name_ = new QLineEdit(fields.name, this);
    version_ = new QLineEdit(fields.version, this);
    date_ = new QLineEdit(fields.date, this);
    form->addRow(QStringLiteral("公司名称"), name_);
    form->addRow(QStringLiteral("软件版本"), version_);
    form->addRow(QStringLiteral("软件日期"), date_);
    ok_ = new QPushButton(QStringLiteral("确定"), this);
    form->addRow(ok_);
    connect(ok_, &QPushButton::clicked, this, &TFrmadministrator::Confirm);
}

void TFrmadministrator::Confirm()
{
    // A text the file cannot hold is refused before the question; the editor keeps it for correction.
    const IdentityFields fields{name_->text(), version_->text(), date_->text()};
    if (const QString refusal = IdentityRefusal(fields); !refusal.isEmpty()) {
        prompt_.Message(refusal, QStringLiteral("提示"), PromptIcon::Warning);
        return;
    }
    const PromptButton answer =
        prompt_.Ask(QStringLiteral("是否保存对信息的修改？"), QStringLiteral("保存信息"),
                    int(PromptButton::Yes) | int(PromptButton::No) | int(PromptButton::Cancel), PromptIcon::Question);
    if (answer == PromptButton::Cancel)
        return;
    if (answer == PromptButton::Yes) {
        prompt_.Message(QStringLiteral("以上改变在下一次打开才生效!"));
        if (!WriteIdentityFields(store_, fields))
            prompt_.Message(store_.SaveFailureMessage(), QStringLiteral("提示"), PromptIcon::Error);
    }
    accept();
}

} // namespace pelvoro
