#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>

namespace pelvoro {

// Cut, move and paste on the shown main-area page: the operator drags a rubber band on the page,
// the block is cut out and floats, can be dragged inside the main area, and is pasted back on the
// next press. Positions are in main-area coordinates; the preview window forwards its mouse events
// here and draws what this reports.
class PageEdit {
public:
    // Starts over on a new page image (the area images are recreated on every redraw).
    void Reset(QImage page);

    // Mouse on the page image. Each returns the text for the status panel.
    QString Press(QPoint at);
    QString Move(QPoint at);
    void Release();

    // Mouse on the floating selection (left button only), in main-area coordinates.
    void PressSelection(QPoint at);
    QString MoveSelection(QPoint at);
    void ReleaseSelection();

    // Ends a floating selection, pasting it where it is when `paste` is true.
    void DropSelection(bool paste);

    const QImage &Page() const { return page_; }
    void SetPage(QImage page) { page_ = std::move(page); }
    QImage &MutablePage() { return page_; }
    // The rubber band (while drawn) or the floating selection's place.
    QRect Band() const { return band_; }
    bool ButtonDown() const { return buttonDown_; }
    bool Floating() const { return floating_; }
    bool Moving() const { return moving_; }
    bool HasSelectionImage() const { return !selection_.isNull(); }
    const QImage &Selection() const { return selection_; }
    bool Modified() const { return modified_; }
    void ClearModified() { modified_ = false; }

private:
    QPoint Clamp(QPoint at) const;

    QImage page_;
    QImage selection_;
    QPoint anchor_;
    QRect band_;
    QPoint grab_;
    bool buttonDown_ = false;
    bool floating_ = false;
    bool moving_ = false;
    bool modified_ = false;
};

} // namespace pelvoro
