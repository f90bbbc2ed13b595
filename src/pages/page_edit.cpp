#include "pages/page_edit.h"

#include <QPainter>

#include <algorithm>

namespace pelvoro {
namespace {

QString Position(QPoint at, QChar separator)
{
    return QString::number(at.x()) + separator + QString::number(at.y());
}

} // namespace

void PageEdit::Reset(QImage page)
{
    page_ = std::move(page);
    selection_ = QImage();
    band_ = QRect();
    buttonDown_ = floating_ = moving_ = modified_ = false;
}

QPoint PageEdit::Clamp(QPoint at) const
{
    return {std::clamp(at.x(), 0, page_.width()), std::clamp(at.y(), 0, page_.height())};
}

QString PageEdit::Press(QPoint at)
{
    if (floating_)
        DropSelection(true);
    anchor_ = Clamp(at);
    band_ = QRect(anchor_, QSize(0, 0));
    buttonDown_ = true;
    return Position(anchor_, QLatin1Char(','));
}

QString PageEdit::Move(QPoint at)
{
    const QPoint p = Clamp(at);
    if (!buttonDown_ || p.x() <= anchor_.x() || p.y() <= anchor_.y())
        return Position(p, QLatin1Char(','));
    band_ = QRect(anchor_, QSize(p.x() - anchor_.x(), p.y() - anchor_.y()));
    floating_ = true;
    modified_ = true;
    return Position(p, QChar(0x00D7));
}

void PageEdit::Release()
{
    buttonDown_ = false;
    if (!floating_ || !selection_.isNull() || band_.isEmpty())
        return;
    // Cut the block out: it floats above a black hole until it is pasted.
    selection_ = page_.copy(band_);
    QPainter painter(&page_);
    painter.fillRect(band_, Qt::black);
}

void PageEdit::PressSelection(QPoint at)
{
    if (selection_.isNull())
        return;
    moving_ = true;
    grab_ = at - band_.topLeft();
}

QString PageEdit::MoveSelection(QPoint at)
{
    if (moving_) {
        const int maxLeft = std::max(0, page_.width() - band_.width());
        const int maxTop = std::max(0, page_.height() - band_.height());
        const QPoint place = at - grab_;
        band_.moveTopLeft({std::clamp(place.x(), 0, maxLeft), std::clamp(place.y(), 0, maxTop)});
    }
    return Position(band_.topLeft(), QLatin1Char(','));
}

void PageEdit::ReleaseSelection()
{
    moving_ = false;
}

void PageEdit::DropSelection(bool paste)
{
    if (!floating_)
        return;
    if (paste && !selection_.isNull()) {
        QPainter painter(&page_);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(band_.topLeft(), selection_);
    }
    selection_ = QImage();
    floating_ = false;
    moving_ = false;
    band_ = QRect();
}

} // namespace pelvoro
