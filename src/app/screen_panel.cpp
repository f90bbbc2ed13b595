#include "app/screen_panel.h"

#include "config/identity.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace pelvoro {
namespace {

// The software name in large type with a green shadow four dots to the left.
class NameBanner : public QWidget {
public:
    explicit NameBanner(QWidget *parent) : QWidget(parent) { setMinimumHeight(72); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        QFont font = this->font();
        font.setPointSize(36);
        font.setBold(true);
        painter.setFont(font);
        const QRect area = rect().adjusted(24, 0, 0, 0);
        painter.setPen(Qt::black);
        painter.drawText(area, Qt::AlignVCenter | Qt::AlignLeft, kSoftwareDisplayName);
        painter.setPen(QColor(0, 160, 0));
        painter.drawText(area.translated(-4, 0), Qt::AlignVCenter | Qt::AlignLeft, kSoftwareDisplayName);
    }
};

// A small LED matrix as the panel's picture.
class LedPicture : public QWidget {
public:
    explicit LedPicture(QWidget *parent) : QWidget(parent) { setFixedSize(96, 48); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::black);
        painter.setRenderHint(QPainter::Antialiasing);
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 16; ++x) {
                const bool lit = (x + y) % 3 != 0;
                painter.setBrush(lit ? ((x / 4 + y / 4) % 2 ? QColor(255, 40, 40) : QColor(255, 200, 0))
                                     : QColor(60, 0, 0));
                painter.setPen(Qt::NoPen);
                painter.drawEllipse(QRectF(x * 6 + 1, y * 6 + 1, 4, 4));
            }
        }
    }
};

QLabel *SloganLabel(QWidget *parent, const QColor &colour)
{
    auto *label = new QLabel(parent);
    QFont font = label->font();
    font.setPointSize(28);
    font.setBold(true);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    label->setMinimumHeight(48);
    return label;
}

} // namespace

ScreenPanel::ScreenPanel(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Panelface"));
    auto *layout = new QVBoxLayout(this);
    auto *top = new QHBoxLayout;
    top->addWidget(new LedPicture(this));
    top->addWidget(new NameBanner(this), 1);
    layout->addLayout(top);
    sloganFirst_ = SloganLabel(this, QColor(0, 160, 0));
    sloganSecond_ = SloganLabel(this, QColor(220, 0, 0));
    sloganFirst_->setObjectName(QStringLiteral("SloganFirst"));
    sloganSecond_->setObjectName(QStringLiteral("SloganSecond"));
    layout->addWidget(sloganFirst_);
    sloganSecond_->setIndent(160);
    layout->addWidget(sloganSecond_);
    layout->addStretch(1);
    auto *buttons = new QHBoxLayout;
    sendAll_ = new QPushButton(QStringLiteral("全部发送"), this);
    syncClock_ = new QPushButton(QStringLiteral("校准时钟"), this);
    buttons->addStretch(1);
    buttons->addWidget(sendAll_);
    buttons->addWidget(syncClock_);
    layout->addLayout(buttons);
    // Not in the layout: the main window lays it over whichever panel is in use.
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("ProgressBar"));
    progress_->hide();
}

} // namespace pelvoro
