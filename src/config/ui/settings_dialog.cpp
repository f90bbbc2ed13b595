#include "config/ui/settings_dialog.h"

#include "base/gbk.h"
#include "base/prompt.h"
#include "comm/com_ports.h"
#include "config/config_store.h"
#include "config/screen_fields.h"
#include "config/ui/dip_switch_picture.h"
#include "pages/screen_settings_save.h"
#include "pages/settings_reset.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace pelvoro {
namespace {

// The widest address the field must show whole, and room for the field's frame and margins.
constexpr char kWidestIpAddress[] = "255.255.255.255";
constexpr int kIpFieldPaddingPx = 16;

QComboBox *ListBox(QWidget *parent, const QStringList &items)
{
    auto *box = new QComboBox(parent);
    box->addItems(items);
    return box;
}

// Width and height move only by their arrows.
QSpinBox *SizeSpin(QWidget *parent)
{
    auto *spin = new QSpinBox(parent);
    spin->setSingleStep(kSizeStep);
    spin->setKeyboardTracking(false);
    spin->findChild<QLineEdit *>()->setReadOnly(true);
    return spin;
}

QString ScreenLine(int index)
{
    return QString::number(index + 1) + QStringLiteral("号显示屏");
}

} // namespace

TFrmset::TFrmset(ScreenTable &table, ConfigStore &store, Prompt &prompt, ScreenSettingsHooks hooks, QWidget *parent)
    : QDialog(parent), table_(table), store_(store), prompt_(prompt), hooks_(std::move(hooks))
{
    setObjectName(QStringLiteral("TFrmset"));
    setWindowTitle(QStringLiteral("设置"));
    BuildControls();
    ConnectControls();
    Open();
}

void TFrmset::BuildControls()
{
    auto *layout = new QHBoxLayout(this);

    auto *left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("显示屏列表"), this));
    ui_.screens = new QListWidget(this);
    ui_.screens->setFixedWidth(120);
    left->addWidget(ui_.screens, 1);
    auto *listButtons = new QHBoxLayout;
    ui_.add = new QToolButton(this);
    ui_.add->setText(QStringLiteral("+"));
    ui_.add->setToolTip(QStringLiteral("添加显示屏"));
    ui_.remove = new QToolButton(this);
    ui_.remove->setText(QStringLiteral("-"));
    ui_.remove->setToolTip(QStringLiteral("删除显示屏"));
    listButtons->addWidget(ui_.add);
    listButtons->addWidget(ui_.remove);
    listButtons->addStretch(1);
    left->addLayout(listButtons);
    layout->addLayout(left);

    auto *right = new QVBoxLayout;
    ui_.hardware = new QGroupBox(this);
    auto *hardware = new QHBoxLayout(ui_.hardware);
    auto *linkForm = new QFormLayout;
    ui_.commMode = ListBox(ui_.hardware, {QStringLiteral("RS232"), QStringLiteral("RS485"), QStringLiteral("网络传输")});
    linkForm->addRow(QStringLiteral("通讯方式"), ui_.commMode);
    ui_.baudLabel = new QLabel(QStringLiteral("波特率"), ui_.hardware);
    ui_.baud = new QComboBox(ui_.hardware);
    linkForm->addRow(ui_.baudLabel, ui_.baud);
    ui_.portLabel = new QLabel(QStringLiteral("通讯串口"), ui_.hardware);
    ui_.port = new QComboBox(ui_.hardware);
    ui_.port->setEditable(true);
    ui_.port->setInsertPolicy(QComboBox::NoInsert);
    linkForm->addRow(ui_.portLabel, ui_.port);
    ui_.network = new QGroupBox(QStringLiteral("网络设置"), ui_.hardware);
    auto *networkForm = new QFormLayout(ui_.network);
    ui_.ipPort = new QSpinBox(ui_.network);
    // Every port the file can hold shows as stored.
    const ScreenField *portField = FindScalarField(QStringLiteral("IpPort"));
    ui_.ipPort->setRange(portField->minValue, portField->maxValue);
    ui_.ipPort->setKeyboardTracking(false);
    networkForm->addRow(QStringLiteral("发送端口"), ui_.ipPort);
    ui_.ipAddress = new QLineEdit(QStringLiteral("192.168.0.7"), ui_.network);
    ui_.ipAddress->setMaxLength(15);
    ui_.ipAddress->setMinimumWidth(ui_.ipAddress->fontMetrics().horizontalAdvance(QLatin1String(kWidestIpAddress))
                                   + kIpFieldPaddingPx);
    networkForm->addRow(QStringLiteral("IP地址"), ui_.ipAddress);
    linkForm->addRow(ui_.network);
    hardware->addLayout(linkForm, 1);
    ui_.dipPicture = new QLabel(ui_.hardware);
    ui_.dipPicture->setObjectName(QStringLiteral("DipSwitches"));
    hardware->addWidget(ui_.dipPicture, 0, Qt::AlignTop);
    right->addWidget(ui_.hardware);

    ui_.tabs = new QTabWidget(this);
    auto *softwarePage = new QWidget(ui_.tabs);
    auto *softwarePageLayout = new QVBoxLayout(softwarePage);
    ui_.software = new QGroupBox(softwarePage);
    auto *software = new QFormLayout(ui_.software);
    ui_.width = SizeSpin(ui_.software);
    software->addRow(QStringLiteral("横向点数"), ui_.width);
    ui_.height = SizeSpin(ui_.software);
    software->addRow(QStringLiteral("纵向点数"), ui_.height);
    ui_.colour = ListBox(ui_.software, {QStringLiteral("单色"), QStringLiteral("双基色")});
    software->addRow(QStringLiteral("单/ 双色"), ui_.colour);
    ui_.lineOrder =
        ListBox(ui_.software, {QStringLiteral("正常"), QStringLiteral("下移一行"), QStringLiteral("上移一行")});
    software->addRow(QStringLiteral("行序设置"), ui_.lineOrder);
    ui_.name = new QLineEdit(ui_.software);
    software->addRow(QStringLiteral("名称设置"), ui_.name);
    ui_.card = ListBox(ui_.software, {QStringLiteral("正常"), QStringLiteral("ZP-KQ")});
    software->addRow(QStringLiteral("控制卡设置"), ui_.card);
    ui_.pixelLimit = new QLabel(ui_.software);
    ui_.currentPixels = new QLabel(ui_.software);
    ui_.maxPages = new QLabel(ui_.software);
    software->addRow(ui_.pixelLimit);
    software->addRow(ui_.currentPixels);
    software->addRow(ui_.maxPages);
    softwarePageLayout->addWidget(ui_.software);
    ui_.tabs->addTab(softwarePage, QStringLiteral("参数设定"));

    auto *hardwarePage = new QWidget(ui_.tabs);
    auto *hardwareForm = new QFormLayout(hardwarePage);
    ui_.oePolarity = ListBox(hardwarePage, {QStringLiteral("低有效"), QStringLiteral("高有效")});
    hardwareForm->addRow(QStringLiteral("OE极性"), ui_.oePolarity);
    ui_.dataPolarity = ListBox(hardwarePage, {QStringLiteral("正极性"), QStringLiteral("负极性"),
                                              QStringLiteral("红负绿正"), QStringLiteral("绿负红正")});
    hardwareForm->addRow(QStringLiteral("数据极性"), ui_.dataPolarity);
    ui_.mirror = ListBox(hardwarePage, {QStringLiteral("正常"), QStringLiteral("镜像")});
    hardwareForm->addRow(QStringLiteral("数据镜像"), ui_.mirror);
    ui_.tabs->addTab(hardwarePage, QStringLiteral("硬件设定"));
    right->addWidget(ui_.tabs, 1);

    auto *buttons = new QHBoxLayout;
    ui_.result = new QLabel(this);
    buttons->addWidget(ui_.result, 1);
    ui_.connectIp = new QPushButton(QStringLiteral("连接IP"), this);
    ui_.load = new QPushButton(QStringLiteral("加载"), this);
    ui_.back = new QPushButton(QStringLiteral("返回"), this);
    ui_.back->setAutoDefault(false);
    ui_.load->setAutoDefault(false);
    ui_.connectIp->setAutoDefault(false);
    buttons->addWidget(ui_.connectIp);
    buttons->addWidget(ui_.load);
    buttons->addWidget(ui_.back);
    right->addLayout(buttons);
    layout->addLayout(right, 1);
}

void TFrmset::ConnectControls()
{
    connect(ui_.add, &QToolButton::clicked, this, &TFrmset::AddScreen);
    connect(ui_.remove, &QToolButton::clicked, this, &TFrmset::RemoveScreen);
    connect(ui_.screens, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && !filling_)
            OnScreenSelected(row);
    });
    // Lists answer the operator's choice only; the dialog's own filling of them changes nothing.
    connect(ui_.commMode, &QComboBox::activated, this, &TFrmset::OnCommModeChosen);
    connect(ui_.baud, &QComboBox::activated, this, &TFrmset::OnBaudChosen);
    connect(ui_.card, &QComboBox::activated, this, &TFrmset::OnCardChosen);
    connect(ui_.colour, &QComboBox::activated, this, [this](int index) {
        table_[Selected()].ColorMode = index;
        MarkChanged();
        RefreshLabels();
    });
    connect(ui_.lineOrder, &QComboBox::activated, this, [this](int index) { table_[Selected()].LineOrder = index; });
    connect(ui_.oePolarity, &QComboBox::activated, this, [this](int index) { table_[Selected()].OePolarity = index; });
    connect(ui_.dataPolarity, &QComboBox::activated, this,
            [this](int index) { table_[Selected()].DataPolarity = index; });
    connect(ui_.mirror, &QComboBox::activated, this, [this](int index) { table_[Selected()].DataMirror = index; });
    connect(ui_.name, &QLineEdit::textEdited, this, [this](const QString &text) {
        // The name is saved in GBK: what it cannot hold is refused by name, never saved as '?'.
        if (const QString lost = CharactersGbkCannotHold(text); !lost.isEmpty()) {
            const QSignalBlocker blocker(ui_.name);
            ui_.name->setText(table_[Selected()].ScreenName);
            prompt_.Message(QStringLiteral("显示屏名称中有不能保存的字符：") + lost, QStringLiteral("提示"),
                            PromptIcon::Warning);
            return;
        }
        table_[Selected()].ScreenName = text;
    });
    // A port is taken when picked from the list or when its typed text is finished, not on every key.
    connect(ui_.port, &QComboBox::textActivated, this, &TFrmset::OnPortText);
    connect(ui_.port->lineEdit(), &QLineEdit::editingFinished, this, &TFrmset::OnPortText);
    connect(ui_.width, &QSpinBox::valueChanged, this, &TFrmset::OnWidthChanged);
    connect(ui_.height, &QSpinBox::valueChanged, this, &TFrmset::OnHeightChanged);
    connect(ui_.ipPort, &QSpinBox::valueChanged, this, [this](int value) {
        if (filling_)
            return;
        table_[Selected()].IpPort = value;
        MarkChanged();
    });
    connect(ui_.ipAddress, &QLineEdit::textEdited, this, [this](const QString &text) {
        // Only a whole address is stored; while the operator types, the record keeps the last one.
        if (!ParseFieldText(*FindScalarField(QStringLiteral("IpAddress")), text, nullptr))
            return;
        table_[Selected()].IpAddress = text;
        MarkChanged();
    });
    connect(ui_.connectIp, &QPushButton::clicked, this, [this] {
        if (hooks_.connectIp)
            hooks_.connectIp(Selected());
    });
    connect(ui_.load, &QPushButton::clicked, this, [this] {
        if (hooks_.loadParams)
            hooks_.loadParams(Selected());
    });
    connect(ui_.back, &QPushButton::clicked, this, &QDialog::accept);
}

int TFrmset::Selected() const
{
    return std::clamp(ui_.screens->currentRow(), 0, table_.LastIndex);
}

void TFrmset::ShowResult(const QString &text, const QColor &colour)
{
    ui_.result->setText(text);
    QPalette palette = ui_.result->palette();
    palette.setColor(QPalette::WindowText, colour);
    ui_.result->setPalette(palette);
}

void TFrmset::Open()
{
    ReloadScreens(table_.LastIndex);
    ui_.port->addItems(SerialPortNames());
    ui_.port->setCurrentIndex(-1);
    ui_.screens->clear();
    filling_ = true;
    for (int i = 0; i <= table_.LastIndex; ++i)
        ui_.screens->addItem(ScreenLine(i));
    ui_.screens->setCurrentRow(0);
    filling_ = false;
    ui_.remove->setEnabled(table_.LastIndex > 0);
    ui_.add->setEnabled(table_.LastIndex < kMaxScreens - 1);
    filling_ = true;
    ApplyCardControls(table_[0].CardType);
    filling_ = false;
    Fill(0);
    for (int i = 0; i <= table_.LastIndex; ++i)
        table_[i].SettingsChanged = false;
    opened_.assign(table_.screens.begin(), table_.screens.begin() + table_.LastIndex + 1);
}

void TFrmset::ReloadScreens(int n)
{
    // The file holds nothing of the wiring chosen for this run; the reload must not lose it.
    std::vector<ScreenInfo> kept(table_.screens.begin(), table_.screens.begin() + ClampLastIndex(n) + 1);
    store_.LoadScreens(table_, n);
    for (size_t i = 0; i < kept.size(); ++i) {
        table_.screens[i].DataMirror = kept[i].DataMirror;
        table_.screens[i].DataPolarity = kept[i].DataPolarity;
        table_.screens[i].OePolarity = kept[i].OePolarity;
    }
}

void TFrmset::Save(int n)
{
    if (!store_.SaveScreens(table_, n))
        prompt_.Message(store_.SaveFailureMessage(), QStringLiteral("提示"), PromptIcon::Error);
}

bool TFrmset::ApplyCardControls(const QString &cardType)
{
    const auto known = LimitsOfCard(cardType);
    if (!known)
        prompt_.Message(QStringLiteral("INI文件损坏"), QStringLiteral("提示"), PromptIcon::Information);
    const CardLimits limits = known.value_or(DamagedCardLimits());
    const bool wasFilling = filling_;
    filling_ = true;
    ui_.baud->clear();
    ui_.baud->addItems(BaudRateNames(limits));
    if (known)
        ui_.card->setCurrentIndex(cardType == kCardNormal ? 0 : 1);
    ui_.pixelLimit->setText(PixelLimitLabel(limits));
    ui_.mirror->setEnabled(limits.mirrorSelectable);
    filling_ = wasFilling;
    // Narrower limits pull the shown size in; the width and height handlers store what they show.
    ui_.width->setRange(limits.minWidth, limits.maxWidth);
    ui_.height->setRange(limits.minHeight, limits.maxHeight);
    return known.has_value();
}

void TFrmset::OnScreenSelected(int i)
{
    if (hooks_.screenSelected)
        hooks_.screenSelected(i);
    filling_ = true;
    ApplyCardControls(table_[i].CardType);
    filling_ = false;
    Fill(i);
    if (table_[i].CommMode == kCommModeNetwork) {
        if (hooks_.networkScreenSelected)
            hooks_.networkScreenSelected(i);
    } else if (hooks_.serialScreenSelected) {
        hooks_.serialScreenSelected();
    }
}

void TFrmset::Fill(int i)
{
    const ScreenInfo &s = table_[i];
    filling_ = true;
    ui_.hardware->setTitle(QString::number(i + 1) + QStringLiteral("号屏硬件设置"));
    ui_.software->setTitle(QString::number(i + 1) + QStringLiteral("号屏软件设置"));
    ui_.commMode->setCurrentIndex(s.CommMode);
    ui_.name->setText(s.ScreenName);
    ui_.baud->setCurrentIndex(s.BaudIndex < ui_.baud->count() ? s.BaudIndex : -1);
    ui_.mirror->setCurrentIndex(s.DataFlow);
    portText_ = QStringLiteral("COM") + QString::number(s.ComPort);
    ui_.port->setEditText(portText_);
    ui_.width->setValue(s.Width);
    ui_.colour->setCurrentIndex(s.ColorMode);
    ui_.height->setValue(s.Height);
    ui_.lineOrder->setCurrentIndex(s.LineOrder);
    ShowNetworkControls(s.CommMode == kCommModeNetwork);
    if (s.CommMode == kCommModeNetwork)
        FillNetworkControls(i);
    filling_ = false;
    DrawDipSwitches(i);
    RefreshLabels();
}

void TFrmset::ShowNetworkControls(bool network)
{
    ui_.network->setVisible(network);
    ui_.connectIp->setVisible(network);
    for (QWidget *serial : {static_cast<QWidget *>(ui_.baudLabel), static_cast<QWidget *>(ui_.baud),
                            static_cast<QWidget *>(ui_.portLabel), static_cast<QWidget *>(ui_.port)})
        serial->setVisible(!network);
}

void TFrmset::FillNetworkControls(int i)
{
    const bool wasFilling = filling_;
    filling_ = true;
    ui_.ipPort->setValue(table_[i].IpPort);
    ui_.ipAddress->setText(table_[i].IpAddress);
    filling_ = wasFilling;
}

void TFrmset::DrawDipSwitches(int i)
{
    ui_.dipPicture->setPixmap(QPixmap::fromImage(pelvoro::DrawDipSwitches(DipSwitchesOf(i, table_[i].BaudIndex))));
}

void TFrmset::RefreshLabels()
{
    const ScreenInfo &s = table_[Selected()];
    ui_.maxPages->setText(MaxPagesLabel(s));
    ui_.currentPixels->setText(CurrentPixelsLabel(s));
}

void TFrmset::MarkChanged()
{
    table_[Selected()].SettingsChanged = true;
}

void TFrmset::AddScreen()
{
    Save(table_.LastIndex);
    ui_.remove->setEnabled(true);
    if (table_.LastIndex < kMaxScreens - 1) {
        ++table_.LastIndex;
        // A screen that was removed in this run must not come back with its old run-only values.
        table_[table_.LastIndex] = ScreenInfo();
        filling_ = true;
        ui_.screens->addItem(ScreenLine(table_.LastIndex));
        filling_ = false;
    }
    if (table_.LastIndex == kMaxScreens - 1)
        ui_.add->setEnabled(false);
    ReloadScreens(table_.LastIndex);
    ui_.screens->setCurrentRow(table_.LastIndex);
}

void TFrmset::RemoveScreen()
{
    // Always the last screen, whichever is selected: the others keep their numbers and files.
    if (!store_.EraseScreenSection(ScreenSectionName(table_.LastIndex)))
        prompt_.Message(store_.SaveFailureMessage(), QStringLiteral("提示"), PromptIcon::Error);
    ui_.add->setEnabled(true);
    if (table_.LastIndex > 0) {
        --table_.LastIndex;
        filling_ = true;
        delete ui_.screens->takeItem(ui_.screens->count() - 1);
        filling_ = false;
    }
    if (table_.LastIndex == 0)
        ui_.remove->setEnabled(false);
    if (ui_.screens->currentRow() == table_.LastIndex)
        OnScreenSelected(table_.LastIndex);
    else
        ui_.screens->setCurrentRow(table_.LastIndex);
}

void TFrmset::OnCommModeChosen(int index)
{
    const int i = Selected();
    table_[i].CommMode = index;
    const bool network = index == kCommModeNetwork;
    ShowNetworkControls(network);
    if (network)
        FillNetworkControls(i);
}

void TFrmset::OnBaudChosen(int index)
{
    const int i = Selected();
    table_[i].BaudIndex = index;
    DrawDipSwitches(i);
    Save(i);
}

void TFrmset::OnPortText()
{
    const QString text = ui_.port->currentText();
    if (text == portText_)
        return;
    QString error;
    const auto port = ParseComPortText(text, &error);
    if (!port) {
        // The port stays as it was, and so does what the field shows.
        ui_.port->setEditText(portText_);
        prompt_.Message(error, QStringLiteral("提示"), PromptIcon::Error);
        return;
    }
    table_[Selected()].ComPort = *port;
    portText_ = text;
}

void TFrmset::OnWidthChanged(int value)
{
    if (filling_)
        return;
    ScreenInfo &s = table_[Selected()];
    s.Width = value;
    int width = value;
    int height = s.Height;
    MarkChanged();
    // Bringing the height down runs its own handler, which stores it.
    if (ApplyJointLimit(width, height, SizeChange::Width))
        ui_.height->setValue(height);
    RefreshLabels();
}

void TFrmset::OnHeightChanged(int value)
{
    if (filling_)
        return;
    ScreenInfo &s = table_[Selected()];
    s.Height = value;
    int width = s.Width;
    int height = value;
    MarkChanged();
    if (ApplyJointLimit(width, height, SizeChange::Height))
        ui_.width->setValue(width);
    RefreshLabels();
}

void TFrmset::OnCardChosen(int index)
{
    const int i = Selected();
    table_[i].CardType = index == 0 ? kCardNormal : kCardZpKq;
    ApplyCardControls(table_[i].CardType);
    Save(i);
    // The reload applies the load rules: a "ZP-KQ/TQ" card has no 115200 baud.
    ReloadScreens(i);
    filling_ = true;
    ui_.baud->setCurrentIndex(table_[i].BaudIndex < ui_.baud->count() ? table_[i].BaudIndex : -1);
    filling_ = false;
    DrawDipSwitches(i);
    MarkChanged();
    RefreshLabels();
}

void TFrmset::done(int result)
{
    if (!closed_) {
        const std::vector<int> toReset = ScreensToReset(table_, opened_);
        // Stored pages are the operator's work: they go only when the operator says so. Otherwise the
        // dialog stays open, where the size, colour or controller can be put back.
        if (const QString question = ResetDeletesPagesQuestion(toReset);
            !question.isEmpty()
            && prompt_.Ask(question, QStringLiteral("提示"), int(PromptButton::Yes) | int(PromptButton::No))
                   != PromptButton::Yes)
            return;
        // The count, the cleared screens and their files are saved as one unit, or the dialog stays open.
        if (const ScreenSettingsSaved saved = SaveScreenSettings(table_, store_, toReset); !saved.Ok()) {
            prompt_.Message(saved.error, QStringLiteral("提示"), PromptIcon::Error);
            return;
        }
        closed_ = true;
        if (hooks_.closed)
            hooks_.closed(toReset);
    }
    QDialog::done(result);
}

} // namespace pelvoro
