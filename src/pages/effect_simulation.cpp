#include "pages/effect_simulation.h"

#include <QPainter>

#include <algorithm>
#include <cstring>

namespace pelvoro {
namespace {

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

int RandomEffect(std::mt19937 &random)
{
    const int r = std::uniform_int_distribution<int>(0, 38)(random);
    return r == 0 ? 1 : r;
}

int PlayedEffect(int storedIndex, int randomEffect)
{
    if (storedIndex == 0)
        return randomEffect;
    if (storedIndex == 40 || storedIndex == 41)
        return 1;
    return storedIndex;
}

bool EffectStepper::Step(int e, QImage &page, QImage &shown)
{
    // Both images are 32-bit so that rows can be copied as they are.
    Q_ASSERT(page.depth() == 32 && shown.depth() == 32);
    const int w = shown.width();
    const int h = shown.height();
    const int cx = w / 2;
    const int cy = h / 2;
    const int g = bonus_;
    auto copy = [&](int x0, int x1, int y0, int y1) { CopyRect(page, shown, x0, x1, y0, y1); };
    bool done = false;
    switch (e) {
    case 1:
        p_ += 3 + g;
        if (page.size() == shown.size() && page.format() == shown.format())
            shown.swap(page);
        else
            copy(0, w, 0, h);
        done = p_ >= cx && p_ >= cy;
        break;
    case 2:
        p_ += 6 + g;
        copy(w - p_, w, 0, h);
        done = p_ >= w;
        break;
    case 3:
        p_ += 6 + g;
        copy(0, p_, 0, h);
        done = p_ >= w;
        break;
    case 4:
        p_ += 6 + g;
        copy(0, w, h - p_, h);
        done = p_ >= h;
        break;
    case 5:
        p_ += 6 + g;
        copy(0, w, 0, p_);
        done = p_ >= h;
        break;
    case 6: case 10: case 14:
        p_ += 6 + g;
        copy(0, p_, 0, p_);
        done = p_ >= w && p_ >= h;
        break;
    case 7: case 11: case 15:
        p_ += 6 + g;
        copy(w - p_, w, 0, p_);
        done = p_ >= w && p_ >= h;
        break;
    case 8: case 12: case 16:
        p_ += 6 + g;
        copy(0, p_, h - p_, h);
        done = p_ >= w && p_ >= h;
        break;
    case 9: case 13: case 17:
        p_ += 6 + g;
        copy(w - p_, w, h - p_, h);
        done = p_ >= w && p_ >= h;
        break;
    case 18:
        p_ += 1;
        for (int j = 0; j < w / 16; ++j)
            copy(16 * j, 16 * j + p_, 0, h);
        done = p_ >= 16;
        break;
    case 19:
        p_ += 1;
        for (int j = 0; j < w / 16; ++j)
            copy(16 * (j + 1) - p_, 16 * (j + 1), 0, h);
        done = p_ >= 16;
        break;
    case 20:
        p_ += 1;
        for (int j = 0; j < h / 16; ++j)
            copy(0, w, 16 * j, 16 * j + p_);
        done = p_ >= 16;
        break;
    case 21:
        p_ += 1;
        for (int j = 0; j < h / 16; ++j)
            copy(0, w, 16 * (j + 1) - p_, 16 * (j + 1));
        done = p_ >= 16;
        break;
    case 22:
        p_ += 6 + g;
        copy(cx - p_, cx, 0, h);
        copy(cx, cx + p_, 0, h);
        done = p_ >= cx;
        break;
    case 23:
        p_ += 6 + g;
        copy(0, w, cy - p_, cy);
        copy(0, w, cy, cy + p_);
        done = p_ >= cy;
        break;
    case 24:
        p_ += 6 + g;
        copy(w - p_, w, 0, h);
        copy(0, p_, 0, h);
        done = p_ >= cx;
        break;
    case 25:
        p_ += 6 + g;
        copy(0, w, h - p_, h);
        copy(0, w, 0, p_);
        done = p_ >= cy;
        break;
    case 26: case 30: {
        p_ += 3 + g;
        shown.fill(Qt::black);
        const int rows = std::min(p_, h);
        CopyShifted(page, shown, QRect(0, 0, w, rows), QPoint(0, h - rows));
        done = p_ + 3 + g >= h;
        break;
    }
    case 27: case 31: {
        p_ += 3 + g;
        shown.fill(Qt::black);
        const int rows = std::min(p_, h);
        CopyShifted(page, shown, QRect(0, h - rows, w, rows), QPoint(0, 0));
        done = p_ + 3 + g >= h;
        break;
    }
    case 28: case 32: {
        p_ += 3 + g;
        shown.fill(Qt::black);
        const int columns = std::min(p_, w);
        CopyShifted(page, shown, QRect(0, 0, columns, h), QPoint(w - columns, 0));
        done = p_ >= w;
        break;
    }
    case 29: case 33: {
        p_ += 3 + g;
        shown.fill(Qt::black);
        const int columns = std::min(p_, w);
        CopyShifted(page, shown, QRect(w - columns, 0, columns, h), QPoint(0, 0));
        done = p_ >= w;
        break;
    }
    case 34: case 36:
        p_ += 6 + g;
        copy(cx - p_, cx + p_, cy - p_, cy + p_);
        done = p_ >= cx && p_ >= cy;
        break;
    case 35: case 37:
        p_ += 6 + g;
        copy(0, w, 0, p_);
        copy(0, w, h - p_, h);
        copy(0, p_, 0, h);
        copy(w - p_, w, 0, h);
        done = p_ >= cx && p_ >= cy;
        break;
    case 38:
        // A cross growing from the centre: the picture the effect's name promises.
        p_ += 6 + g;
        copy(cx - p_, cx + p_, 0, h);
        copy(0, w, cy - p_, cy + p_);
        done = p_ >= cx && p_ >= cy;
        break;
    case 39:
        p_ += 6 + g;
        copy(0, p_, 0, p_);
        copy(w - p_, w, 0, p_);
        copy(0, p_, h - p_, h);
        copy(w - p_, w, h - p_, h);
        done = p_ >= cx && p_ >= cy;
        break;
    default:
        done = true;
        break;
    }
    if (done)
        p_ = 0;
    return done;
}

} // namespace pelvoro
