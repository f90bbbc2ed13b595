#pragma once

#include "config/screen_info.h"
#include "pages/page_edit.h"

#include <QWidget>

#include <functional>

class QLabel;

namespace pelvoro {

class PageCanvas;
class SelectionWidget;

// "显示预览": the current screen at one window pixel per LED dot, with its areas stacked, the
// selected page in the main area, the subtitle's first page and the clock and temperature samples.
// It also lets the operator cut, move and decorate the shown page. Created once at start-up and
// never closed by the operator.
class TFrmdisplay : public QWidget {
    Q_OBJECT
public:
    // Decodes page 1 of a screen's main area or subtitle; a null image leaves the area black.
    using PageSource = std::function<QImage(int screenIndex)>;

    explicit TFrmdisplay(const ScreenTable &table, QWidget *parent = nullptr);

    void SetMainPageSource(PageSource source) { mainSource_ = std::move(source); }
    void SetTitlePageSource(PageSource source) { titleSource_ = std::move(source); }

    void RedrawPreview(int screenIndex);
    // Shows a decoded page in the main area at 1:1 (a page selected in the page list).
    void ShowPage(const QImage &page);
    void DropSelection(bool paste);
    // The clock sample's text (run live by the main window's half-second timer).
    void SetClockText(const QString &text, int width);

    enum class Decoration { Hollow, Outline, Shadow };
    void Decorate(Decoration decoration);

    // The effect preview plays straight into the shown main-area image; call RefreshMainArea()
    // after changing it.
    QImage &MainAreaImage() { return edit_.MutablePage(); }
    void RefreshMainArea();

    // The shown main-area page and its edit state.
    const PageEdit &Edit() const { return edit_; }
    // After a save was declined or failed: forget the edit.
    void ClearModified() { edit_.ClearModified(); }
    int ShownScreen() const { return screen_; }

    QWidget *Panel1() const { return panel_; }
    QWidget *ImgScreen() const;
    QLabel *ImgTitle() const { return title_; }
    QLabel *EditTimer() const { return clock_; }
    QLabel *EditTemp() const { return temperature_; }
    QWidget *ImgSelect() const;

    // The operator left the window with an unsaved edit; also used by tests.
    void FocusLeft();

Q_SIGNALS:
    // The shown page was edited and should be written into the page file (after asking).
    void SaveRequested(int screenIndex, const QImage &page);
    // Pointer coordinates for the main window's status panel.
    void PointerStatus(const QString &text);

protected:
    void changeEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    friend class PageCanvas;
    friend class SelectionWidget;
    void UpdateEditWidgets();
    void PlaceClockLabels();

    const ScreenTable &table_;
    PageSource mainSource_;
    PageSource titleSource_;
    int screen_ = 0;
    int mainTop_ = 0;
    QWidget *panel_;
    PageCanvas *canvas_;
    SelectionWidget *selection_;
    QLabel *title_;
    QLabel *clock_;
    QLabel *temperature_;
    PageEdit edit_;
    int clockWidth_ = 0;
    QPoint dragOffset_;
    bool dragging_ = false;
};

} // namespace pelvoro
