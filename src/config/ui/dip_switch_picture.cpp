#include "config/ui/dip_switch_picture.h"

#include <QPainter>

namespace pelvoro {
namespace {

constexpr int kMargin = 6;
constexpr int kGutter = 26; // left of the switches: "ON" beside the upper half, "OFF" beside the lower
constexpr int kSwitchPitch = 22;
constexpr int kTextHeight = 14;
constexpr int kSlotWidth = 14;
constexpr int kSlotHeight = 36;
constexpr int kLeverHeight = 16;
const QColor kBodyColour(200, 40, 40);

QRect SlotRect(int i)
{
    return QRect(kMargin + kGutter + i * kSwitchPitch + (kSwitchPitch - kSlotWidth) / 2, kMargin, kSlotWidth,
                 kSlotHeight);
}

QRect LeverRect(int i, bool on)
{
    const QRect slot = SlotRect(i);
    const int top = on ? slot.top() + 2 : slot.bottom() - 1 - kLeverHeight;
    return QRect(slot.left() + 2, top, slot.width() - 4, kLeverHeight);
}

} // namespace

QPoint DipLeverCentre(int i, bool on)
{
    return LeverRect(i, on).center();
}

QImage DrawDipSwitches(const DipSwitches &on)
{
    const int width = 2 * kMargin + kGutter + kDipSwitchCount * kSwitchPitch;
    const int height = 2 * kMargin + kSlotHeight + kTextHeight;
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(kBodyColour);
    QPainter painter(&image);
    QFont font = painter.font();
    font.setPixelSize(10);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(kMargin, kMargin, kGutter, kSlotHeight / 2), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("ON"));
    painter.drawText(QRect(kMargin, kMargin + kSlotHeight / 2, kGutter, kSlotHeight / 2),
                     Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("OFF"));
    for (int i = 0; i < kDipSwitchCount; ++i) {
        painter.fillRect(SlotRect(i), QColor::fromRgb(kDipSlotColour));
        painter.fillRect(LeverRect(i, on[size_t(i)]), QColor::fromRgb(kDipLeverColour));
        const QRect label(kMargin + kGutter + i * kSwitchPitch, kMargin + kSlotHeight, kSwitchPitch, kTextHeight);
        painter.drawText(label, Qt::AlignCenter, DipSwitchName(i));
    }
    return image;
}

} // namespace pelvoro
