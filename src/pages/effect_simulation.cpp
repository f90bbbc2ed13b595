#include "pages/effect_simulation.h"

#include <QPainter>

#include <algorithm>
#include <cstring>

namespace pelvoro {
namespace {

// Dots an effect advances per step before the step bonus: the page turn and the moves go slower than
// the covers, openings and closings.
constexpr int kSlowAdvance = 3;
constexpr int kFastAdvance = 6;
// Width (or height) of one blind; the blinds advance one dot per step.
constexpr int kBlindDots = 16;

// Copies the columns [x0, x1) and rows [y0, y1) of `from` onto the same place of `to`; a rectangle
// given right-to-left or bottom-to-top is the same area, never mirrored.
void CopyRect(const QImage &from, QImage &to, int x0, int x1, int y0, int y1)
{
    if (x1 < x0)
        std::swap(x0, x1);
    if (y1 < y0)
        std::swap(y0, y1);
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, std::min(from.width(), to.width()));
    y1 = std::min(y1, std::min(from.height(), to.height()));
    if (x1 <= x0 || y1 <= y0)
        return;
    const int bytes = (x1 - x0) * 4;
    for (int y = y0; y < y1; ++y)
        std::memcpy(to.scanLine(y) + x0 * 4, from.constScanLine(y) + x0 * 4, size_t(bytes));
}

// Copies rows or columns of `from` to another place of `to` (the moves).
void CopyShifted(const QImage &from, QImage &to, QRect source, QPoint target)
{
    QPainter painter(&to);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(target, from, source);
}

} // namespace

EffectTiming EffectTimingFor(int width, int height)
{
    const long long n = static_cast<long long>(width) * height;
    if (n == 9000 || n == 40000 || n == 80000 || n >= 160000)
        return {2, 22};
    if (n < 9000)
        return {40, 0};
    if (n < 40000)
        return {30, 0};
    if (n < 80000)
        return {5, 2};
    return {2, 12};
}

Effect RandomEffect(std::mt19937 &random)
{
    // The draw runs over the enumeration from Random to CrossOut, the fly-ins and CrossIn left out.
    const int r = std::uniform_int_distribution<int>(int(Effect::Random), int(Effect::CrossOut))(random);
    return r == int(Effect::Random) ? Effect::PageTurn : Effect(r);
}

Effect PlayedEffect(Effect stored, Effect randomEffect)
{
    switch (stored) {
    case Effect::Random:
        return randomEffect;
    case Effect::FlyInLeft:
    case Effect::FlyInRight:
        return Effect::PageTurn;
    default:
        return stored;
    }
}

bool EffectStepper::Step(Effect e, QImage &page, QImage &shown)
{
    // Rows are copied as they are, four bytes a dot: an image of another depth (a page decoded as
    // 8-bit or 24-bit) is made 32-bit first rather than read past its rows.
    if (page.depth() != 32)
        page.convertTo(QImage::Format_RGB32);
    if (shown.depth() != 32)
        shown.convertTo(QImage::Format_RGB32);
    const int w = shown.width();
    const int h = shown.height();
    const int cx = w / 2;
    const int cy = h / 2;
    const int g = bonus_;
    auto copy = [&](int x0, int x1, int y0, int y1) { CopyRect(page, shown, x0, x1, y0, y1); };
    bool done = false;
    switch (e) {
    case Effect::PageTurn:
        p_ += kSlowAdvance + g;
        if (page.size() == shown.size() && page.format() == shown.format())
            shown.swap(page);
        else
            copy(0, w, 0, h);
        done = p_ >= cx && p_ >= cy;
        break;
    case Effect::CoverLeft:
        p_ += kFastAdvance + g;
        copy(w - p_, w, 0, h);
        done = p_ >= w;
        break;
    case Effect::CoverRight:
        p_ += kFastAdvance + g;
        copy(0, p_, 0, h);
        done = p_ >= w;
        break;
    case Effect::CoverUp:
        p_ += kFastAdvance + g;
        copy(0, w, h - p_, h);
        done = p_ >= h;
        break;
    case Effect::CoverDown:
        p_ += kFastAdvance + g;
        copy(0, w, 0, p_);
        done = p_ >= h;
        break;
    case Effect::CoverTopLeftSlant:
    case Effect::CoverTopLeftStraight:
    case Effect::CoverTopLeftEdge:
        p_ += kFastAdvance + g;
        copy(0, p_, 0, p_);
        done = p_ >= w && p_ >= h;
        break;
    case Effect::CoverTopRightSlant:
    case Effect::CoverTopRightStraight:
    case Effect::CoverTopRightEdge:
        p_ += kFastAdvance + g;
        copy(w - p_, w, 0, p_);
        done = p_ >= w && p_ >= h;
        break;
    case Effect::CoverBottomLeftSlant:
    case Effect::CoverBottomLeftStraight:
    case Effect::CoverBottomLeftEdge:
        p_ += kFastAdvance + g;
        copy(0, p_, h - p_, h);
        done = p_ >= w && p_ >= h;
        break;
    case Effect::CoverBottomRightSlant:
    case Effect::CoverBottomRightStraight:
    case Effect::CoverBottomRightEdge:
        p_ += kFastAdvance + g;
        copy(w - p_, w, h - p_, h);
        done = p_ >= w && p_ >= h;
        break;
    case Effect::BlindsLeftRight:
        p_ += 1;
        for (int j = 0; j < w / kBlindDots; ++j)
            copy(kBlindDots * j, kBlindDots * j + p_, 0, h);
        done = p_ >= kBlindDots;
        break;
    case Effect::BlindsRightLeft:
        p_ += 1;
        for (int j = 0; j < w / kBlindDots; ++j)
            copy(kBlindDots * (j + 1) - p_, kBlindDots * (j + 1), 0, h);
        done = p_ >= kBlindDots;
        break;
    case Effect::BlindsTopBottom:
        p_ += 1;
        for (int j = 0; j < h / kBlindDots; ++j)
            copy(0, w, kBlindDots * j, kBlindDots * j + p_);
        done = p_ >= kBlindDots;
        break;
    case Effect::BlindsBottomTop:
        p_ += 1;
        for (int j = 0; j < h / kBlindDots; ++j)
            copy(0, w, kBlindDots * (j + 1) - p_, kBlindDots * (j + 1));
        done = p_ >= kBlindDots;
        break;
    case Effect::OpenLeftRight:
        p_ += kFastAdvance + g;
        copy(cx - p_, cx, 0, h);
        copy(cx, cx + p_, 0, h);
        done = p_ >= cx;
        break;
    case Effect::OpenTopBottom:
        p_ += kFastAdvance + g;
        copy(0, w, cy - p_, cy);
        copy(0, w, cy, cy + p_);
        done = p_ >= cy;
        break;
    case Effect::CloseLeftRight:
        p_ += kFastAdvance + g;
        copy(w - p_, w, 0, h);
        copy(0, p_, 0, h);
        done = p_ >= cx;
        break;
    case Effect::CloseTopBottom:
        p_ += kFastAdvance + g;
        copy(0, w, h - p_, h);
        copy(0, w, 0, p_);
        done = p_ >= cy;
        break;
    case Effect::MoveUp:
    case Effect::ScrollUp: {
        p_ += kSlowAdvance + g;
        shown.fill(Qt::black);
        const int rows = std::min(p_, h);
        CopyShifted(page, shown, QRect(0, 0, w, rows), QPoint(0, h - rows));
        done = p_ + kSlowAdvance + g >= h;
        break;
    }
    case Effect::MoveDown:
    case Effect::ScrollDown: {
        p_ += kSlowAdvance + g;
        shown.fill(Qt::black);
        const int rows = std::min(p_, h);
        CopyShifted(page, shown, QRect(0, h - rows, w, rows), QPoint(0, 0));
        done = p_ + kSlowAdvance + g >= h;
        break;
    }
    case Effect::MoveLeft:
    case Effect::ScrollLeft: {
        p_ += kSlowAdvance + g;
        shown.fill(Qt::black);
        const int columns = std::min(p_, w);
        CopyShifted(page, shown, QRect(0, 0, columns, h), QPoint(w - columns, 0));
        done = p_ >= w;
        break;
    }
    case Effect::MoveRight:
    case Effect::ScrollRight: {
        p_ += kSlowAdvance + g;
        shown.fill(Qt::black);
        const int columns = std::min(p_, w);
        CopyShifted(page, shown, QRect(w - columns, 0, columns, h), QPoint(0, 0));
        done = p_ >= w;
        break;
    }
    case Effect::RectangleOut:
    case Effect::DiamondOut:
        p_ += kFastAdvance + g;
        copy(cx - p_, cx + p_, cy - p_, cy + p_);
        done = p_ >= cx && p_ >= cy;
        break;
    case Effect::RectangleIn:
    case Effect::DiamondIn:
        p_ += kFastAdvance + g;
        copy(0, w, 0, p_);
        copy(0, w, h - p_, h);
        copy(0, p_, 0, h);
        copy(w - p_, w, 0, h);
        done = p_ >= cx && p_ >= cy;
        break;
    case Effect::CrossOut:
        // A cross growing from the centre: the picture the effect's name promises.
        p_ += kFastAdvance + g;
        copy(cx - p_, cx + p_, 0, h);
        copy(0, w, cy - p_, cy + p_);
        done = p_ >= cx && p_ >= cy;
        break;
    case Effect::CrossIn:
        p_ += kFastAdvance + g;
        copy(0, p_, 0, p_);
        copy(w - p_, w, 0, p_);
        copy(0, p_, h - p_, h);
        copy(w - p_, w, h - p_, h);
        done = p_ >= cx && p_ >= cy;
        break;
    case Effect::Random:
    case Effect::FlyInLeft:
    case Effect::FlyInRight:
    default:
        done = true;
        break;
    }
    if (done)
        p_ = 0;
    return done;
}

} // namespace pelvoro
