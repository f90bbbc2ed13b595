#include "pages/ui/text_editor_rules.h"

#include "pages/text_editor_pages.h"

#include <algorithm>
#include <cmath>

namespace pelvoro {

TabletSizing SizeTablet(int screenWidth, int screenHeight, int mainHeight)
{
    TabletSizing sizing;
    const int w = screenWidth + 25;
    int h = mainHeight >= 17 ? mainHeight + 3 : screenHeight + 7;
    if (mainHeight < 64 || screenHeight < 64)
        h = 71;
    sizing.textBox = QSize(w, h);
    sizing.scrollClient = QSize(w > 791 ? 792 : w, h);
    if (w < 339) {
        sizing.window = QSize(452, h + 196);
        sizing.centred = true;
    } else if (w <= 791) {
        sizing.window = QSize(w + 20, h + 196);
        sizing.centred = true;
    } else {
        sizing.window = QSize(804, h + 196);
    }
    sizing.textBoxX = std::max(0, (sizing.scrollClient.width() - w) / 2);
    return sizing;
}

int HorizontalScrollFor(int caretX, int left, int viewWidth, CaretMove move)
{
    if (caretX >= left + viewWidth)
        return caretX - viewWidth + 1;
    if (caretX < left)
        return move == CaretMove::TextChange ? 0 : caretX;
    return left;
}

int VerticalScrollFor(int lineBottom, int top, int viewHeight)
{
    return lineBottom > top + viewHeight ? lineBottom - viewHeight : top;
}

namespace {
double Hundredths(double value)
{
    return std::round(value * 100) / 100;
}
} // namespace

double LineSpacingUp(double value)
{
    return Hundredths(value + kEditorLineSpacingStep);
}

double LineSpacingDown(double value)
{
    // Compared in hundredths, so that 0.75 reached by steps counts as 0.75.
    return Hundredths(value) > kEditorMinLineSpacing ? Hundredths(value - kEditorLineSpacingStep) : value;
}

} // namespace pelvoro
