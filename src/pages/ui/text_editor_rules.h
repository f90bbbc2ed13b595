#pragma once

#include <QSize>

// The rich-text page editor's geometry, without widgets: how the window is sized for a screen and
// how its scroll box follows the caret.
namespace pelvoro {

struct TabletSizing {
    QSize textBox;      // RichEdit1, at (textBoxX, 0) in the scroll box
    QSize scrollClient; // ScrollBox1's client area
    QSize window;
    bool centred = false; // the window is centred on the desktop
    int textBoxX = 0;
};

// W = screen width, H = screen height, M = main-area height, in dots. The text box is W + 25 wide
// (text wraps at W, as the conversion wraps it) and M + 3 high (H + 7 below 17 dots of
// main area, 71 whenever M or H is below 64); the scroll box shows at most 792 pixels of it; the window
// is 196 pixels higher than the text box and w + 20 wide for a text box w of 339..791 pixels, 452
// for a narrower one (both centred) and 804 for a wider one.
TabletSizing SizeTablet(int screenWidth, int screenHeight, int mainHeight);

// The scroll box's horizontal position that keeps the caret (at x in the text box) visible in a view
// of `viewWidth` pixels now at `left`: a caret right of the view becomes its last visible column; a
// caret left of it scrolls to the start after a text change, to the caret after an arrow key.
enum class CaretMove { TextChange, ArrowKey };
int HorizontalScrollFor(int caretX, int left, int viewWidth, CaretMove move);
// The vertical position that shows the caret's line ending at `lineBottom`: unchanged unless the
// line ends below the view.
int VerticalScrollFor(int lineBottom, int top, int viewHeight);

// The line-spacing spin button: up adds 0.05, down takes 0.05 only while above 0.75.
double LineSpacingUp(double value);
double LineSpacingDown(double value);

} // namespace pelvoro
