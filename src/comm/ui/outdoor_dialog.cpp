#include "comm/ui/outdoor_dialog.h"

#include "base/app_dir.h"
#include "comm/outdoor_config.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace pelvoro {

namespace {

constexpr int kPictureWidth = 400;
constexpr int kPictureHeight = 300;

QLabel *RedNote(const QString &text, QWidget *parent)
{
    auto *note = new QLabel(text, parent);
    note->setStyleSheet(QStringLiteral("color: red"));
    return note;
}

} // namespace

Tfrmconfig::Tfrmconfig(std::function<void(int, int)> configure, QWidget *parent)
    : QDialog(parent), send_(std::move(configure))
{
    setObjectName(QStringLiteral("Tfrmconfig"));
    setWindowTitle(QStringLiteral("配置户外参数"));
    setModal(true);
    auto *layout = new QHBoxLayout(this);

    picture_ = new QLabel(this);
    picture_->setObjectName(QStringLiteral("Image1"));
    picture_->setFixedSize(kPictureWidth, kPictureHeight);
    picture_->setAlignment(Qt::AlignCenter);
    // The built-in picture until a choice's own is found: a plain board outline.
    QPixmap board(kPictureWidth, kPictureHeight);
    board.fill(Qt::black);
    picture_->setPixmap(board);
    layout->addWidget(picture_);

    auto *side = new QVBoxLayout;
    auto *scanBox = new QGroupBox(QStringLiteral("扫描方式"), this);
    auto *scanLayout = new QHBoxLayout(scanBox);
    scanModes_ = new QButtonGroup(this);
    const QStringList modes = OutdoorScanModes();
    for (int s = 0; s < modes.size(); ++s) {
        auto *radio = new QRadioButton(modes[s], scanBox);
        scanModes_->addButton(radio, s);
        scanLayout->addWidget(radio);
    }
    scanModes_->button(0)->setChecked(true);
    side->addWidget(scanBox);

    auto *routeBox = new QGroupBox(QStringLiteral("数据流向"), this);
    auto *routeLayout = new QVBoxLayout(routeBox);
    for (int s = 0; s < kOutdoorScanModeCount; ++s) {
        auto *list = new QComboBox(routeBox);
        list->addItems(OutdoorRoutes(s));
        list->setCurrentIndex(list->count() > 0 ? 0 : -1);
        list->setVisible(s == 0);
        routeLayout->addWidget(list);
        routes_[size_t(s)] = list;
        connect(list, &QComboBox::activated, this, [this] { Refresh(); });
    }
    side->addWidget(routeBox);
    side->addWidget(RedNote(QStringLiteral("注意： 数据流向都是从灯板背面来看的"), this));
    side->addWidget(RedNote(QStringLiteral("数据走向请参考选择方式完成对应的图片"), this));
    side->addStretch(1);

    auto *buttons = new QHBoxLayout;
    configure_ = new QPushButton(QStringLiteral("配置参数"), this);
    exit_ = new QPushButton(QStringLiteral("退出"), this);
    buttons->addWidget(configure_);
    buttons->addWidget(exit_);
    side->addLayout(buttons);
    layout->addLayout(side);

    connect(scanModes_, &QButtonGroup::idClicked, this, [this](int s) {
        for (int k = 0; k < kOutdoorScanModeCount; ++k)
            routes_[size_t(k)]->setVisible(k == s);
        Refresh();
    });
    connect(configure_, &QPushButton::clicked, this, [this] {
        if (send_)
            send_(ScanMode(), Route());
    });
    connect(exit_, &QPushButton::clicked, this, &QDialog::reject);
    Refresh();
}

int Tfrmconfig::ScanMode() const
{
    return std::max(0, scanModes_->checkedId());
}

int Tfrmconfig::Route() const
{
    return routes_[size_t(ScanMode())]->currentIndex();
}

void Tfrmconfig::ChooseScanMode(int scanMode)
{
    if (QAbstractButton *radio = scanModes_->button(scanMode))
        radio->click();
}

void Tfrmconfig::ChooseRoute(int route)
{
    QComboBox *list = routes_[size_t(ScanMode())];
    list->setCurrentIndex(route);
    Q_EMIT list->activated(route);
}

void Tfrmconfig::Refresh()
{
    const OutdoorChoiceView view = ViewOutdoorChoice(ScanMode(), Route());
    if (!view.picture.isEmpty()) {
        QPixmap pixmap(view.picturePath);
        // A picture that does not decode keeps the one shown.
        if (!pixmap.isNull()) {
            picture_->setPixmap(pixmap.scaled(picture_->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
            pictureFile_ = view.picture;
        }
    }
    configure_->setEnabled(view.canConfigure);
}

} // namespace pelvoro
