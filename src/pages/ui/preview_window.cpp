#include "pages/ui/preview_window.h"

#include "config/area_layout.h"
#include "pages/area_stacking.h"
#include "pages/clock_text.h"
#include "pages/decorations.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

namespace pelvoro {

// The main-area image: shows the page at 1:1 and forwards the mouse to the edit model.
class PageCanvas : public QWidget {
public:
    PageCanvas(TFrmdisplay *owner, QWidget *parent) : QWidget(parent), owner_(owner)
    {
        setObjectName(QStringLiteral("Img_Screen"));
        setCursor(Qt::CrossCursor);
        setMouseTracking(true);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::black);
        painter.drawImage(0, 0, owner_->edit_.Page());
        // The focus rectangle one pixel outside the band, while it is drawn or floats unmoved.
        const PageEdit &edit = owner_->edit_;
        if (edit.Floating() && !edit.Moving()) {
            QPen pen(Qt::white, 1, Qt::DotLine);
            painter.setPen(pen);
            painter.drawRect(edit.Band().adjusted(-1, -1, 0, 0));
        }
    }
    void mousePressEvent(QMouseEvent *event) override
    {
        Q_EMIT owner_->PointerStatus(owner_->edit_.Press(event->position().toPoint()));
        owner_->UpdateEditWidgets();
    }
    void mouseMoveEvent(QMouseEvent *event) override
    {
        Q_EMIT owner_->PointerStatus(owner_->edit_.Move(event->position().toPoint()));
        update();
    }
    void mouseReleaseEvent(QMouseEvent *) override
    {
        owner_->edit_.Release();
        owner_->UpdateEditWidgets();
    }

private:
    TFrmdisplay *owner_;
};

// The floating cut-out, dragged with the left button inside the main area.
class SelectionWidget : public QWidget {
public:
    SelectionWidget(TFrmdisplay *owner, QWidget *parent) : QWidget(parent), owner_(owner)
    {
        setObjectName(QStringLiteral("Img_Select"));
        setCursor(Qt::OpenHandCursor);
        hide();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.drawImage(0, 0, owner_->edit_.Selection());
    }
    // In main-area coordinates.
    QPoint AreaPoint(QMouseEvent *event) const
    {
        return mapTo(parentWidget(), event->position().toPoint()) - QPoint(0, owner_->mainTop_);
    }
    void mousePressEvent(QMouseEvent *event) override
    {
        if (event->button() != Qt::LeftButton)
            return;
        owner_->edit_.PressSelection(AreaPoint(event));
        owner_->UpdateEditWidgets();
    }
    void mouseMoveEvent(QMouseEvent *event) override
    {
        Q_EMIT owner_->PointerStatus(owner_->edit_.MoveSelection(AreaPoint(event)));
        owner_->UpdateEditWidgets();
    }
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        if (event->button() != Qt::LeftButton)
            return;
        owner_->edit_.ReleaseSelection();
        owner_->UpdateEditWidgets();
    }

private:
    TFrmdisplay *owner_;
};

namespace {

QLabel *SampleLabel(QWidget *parent, const char *name)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setAutoFillBackground(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, Qt::black);
    label->setPalette(palette);
    QFont font = label->font();
    font.setPixelSize(14);
    label->setFont(font);
    label->setFixedHeight(16);
    label->hide();
    return label;
}

void SetTextColour(QLabel *label, const QColor &colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

} // namespace

TFrmdisplay::TFrmdisplay(const ScreenTable &table, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), table_(table)
{
    setObjectName(QStringLiteral("TFrmdisplay"));
    setWindowTitle(QStringLiteral("显示预览"));
    panel_ = new QWidget(this);
    panel_->setObjectName(QStringLiteral("Panel1"));
    panel_->setAutoFillBackground(true);
    QPalette palette = panel_->palette();
    palette.setColor(QPalette::Window, Qt::black);
    panel_->setPalette(palette);
    canvas_ = new PageCanvas(this, panel_);
    title_ = new QLabel(panel_);
    title_->setObjectName(QStringLiteral("Img_Title"));
    clock_ = SampleLabel(panel_, "edittimer");
    temperature_ = SampleLabel(panel_, "edittemp");
    selection_ = new SelectionWidget(this, panel_);
}

QWidget *TFrmdisplay::ImgScreen() const
{
    return canvas_;
}

QWidget *TFrmdisplay::ImgSelect() const
{
    return selection_;
}

void TFrmdisplay::RedrawPreview(int screenIndex)
{
    screen_ = screenIndex;
    const ScreenInfo &s = table_[screenIndex];
    const int w = std::max(0, s.Width);
    const int h = std::max(0, s.Height);
    setFixedSize(w + 13, h + 25);
    panel_->setGeometry(6, 20, w, h);
    const AreaPlacement placement = AreaStacking(s);

    // The area images are new on every redraw: a floating selection and unsaved edits go.
    QImage page(w, std::max(0, s.MainHeight), QImage::Format_RGB32);
    page.fill(Qt::black);
    if (placement.hasMain && mainSource_) {
        const QImage first = mainSource_(screenIndex);
        if (!first.isNull()) {
            QPainter painter(&page);
            painter.drawImage(0, 0, first);
        }
    }
    edit_.Reset(page);
    mainTop_ = placement.mainTop;
    canvas_->setGeometry(0, placement.mainTop, page.width(), page.height());
    canvas_->setVisible(placement.hasMain);

    QImage strip(w, std::max(0, s.TitleHeight), QImage::Format_RGB32);
    strip.fill(Qt::black);
    if (placement.hasTitle && titleSource_) {
        const QImage first = titleSource_(screenIndex);
        if (!first.isNull()) {
            QPainter painter(&strip);
            painter.drawImage(0, 0, first);
        }
    }
    title_->setPixmap(QPixmap::fromImage(strip));
    title_->setGeometry(0, placement.titleTop, strip.width(), strip.height());
    title_->setVisible(placement.hasTitle);

    clock_->setVisible(HasClock(s));
    temperature_->setVisible(HasTemperature(s));
    clock_->move(clock_->x(), placement.clockTop);
    temperature_->move(temperature_->x(), placement.clockTop);
    PlaceClockLabels();
    UpdateEditWidgets();
}

void TFrmdisplay::SetClockText(const QString &text, int width)
{
    clock_->setText(text);
    clockWidth_ = width;
    PlaceClockLabels();
}

void TFrmdisplay::PlaceClockLabels()
{
    const ScreenInfo &s = table_[screen_];
    SetTextColour(clock_, SampleColour(s.ClockColor));
    clock_->setFixedWidth(std::max(clockWidth_, 1));
    const ClockPlacement place = PlaceClockAndTemperature(s, clockWidth_);
    clock_->move(place.clockLeft, clock_->y());
    if (HasTemperature(s)) {
        temperature_->setText(TemperatureSample(s));
        temperature_->setFixedWidth(kTemperatureWidth);
        SetTextColour(temperature_, SampleColour(s.TempColor));
        temperature_->move(place.temperatureLeft, temperature_->y());
    }
    clock_->raise();
    temperature_->raise();
}

void TFrmdisplay::ShowPage(const QImage &page)
{
    QImage shown(edit_.Page().size(), QImage::Format_RGB32);
    shown.fill(Qt::black);
    QPainter painter(&shown);
    painter.drawImage(0, 0, page);
    painter.end();
    edit_.Reset(shown);
    UpdateEditWidgets();
}

void TFrmdisplay::RefreshMainArea()
{
    canvas_->update();
}

void TFrmdisplay::DropSelection(bool paste)
{
    edit_.DropSelection(paste);
    UpdateEditWidgets();
}

void TFrmdisplay::UpdateEditWidgets()
{
    if (edit_.HasSelectionImage()) {
        selection_->setGeometry(edit_.Band().translated(0, mainTop_));
        selection_->show();
        selection_->raise();
    } else {
        selection_->hide();
    }
    canvas_->update();
    selection_->update();
}

void TFrmdisplay::Decorate(Decoration decoration)
{
    DropSelection(true);
    switch (decoration) {
    case Decoration::Hollow:
        edit_.SetPage(DecorateHollow(edit_.Page()));
        break;
    case Decoration::Outline:
        edit_.SetPage(DecorateOutline(edit_.Page()));
        break;
    case Decoration::Shadow:
        edit_.SetPage(DecorateShadow(edit_.Page()));
        break;
    }
    UpdateEditWidgets();
    Q_EMIT SaveRequested(screen_, edit_.Page());
}

void TFrmdisplay::FocusLeft()
{
    if (!edit_.Modified())
        return;
    DropSelection(true);
    edit_.ClearModified();
    Q_EMIT SaveRequested(screen_, edit_.Page());
}

void TFrmdisplay::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ActivationChange && !isActiveWindow())
        FocusLeft();
    QWidget::changeEvent(event);
}

// The borderless window draws its caption in the strip above the screen face.
void TFrmdisplay::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    painter.setPen(palette().windowText().color());
    painter.drawText(QRect(6, 0, width() - 12, 20), Qt::AlignVCenter | Qt::AlignLeft, windowTitle());
}

// The borderless window is dragged by its own background.
void TFrmdisplay::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    dragging_ = true;
    dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void TFrmdisplay::mouseMoveEvent(QMouseEvent *event)
{
    if (dragging_)
        move(event->globalPosition().toPoint() - dragOffset_);
}

void TFrmdisplay::mouseReleaseEvent(QMouseEvent *)
{
    dragging_ = false;
}

} // namespace pelvoro
