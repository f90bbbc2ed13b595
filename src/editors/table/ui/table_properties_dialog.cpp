#include "editors/table/ui/table_properties_dialog.h"

#include "editors/table/ui/table_colour_box.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace pelvoro {

namespace {

// Refuses every typed character but digits; Backspace and the keys that type nothing pass.
class DigitKeyFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const auto *key = static_cast<QKeyEvent *>(event);
            if (key->key() != Qt::Key_Backspace) {
                for (const QChar ch : key->text()) {
                    if (ch.isPrint() && !ch.isDigit())
                        return true;
                }
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

// The line colour of an entry of the list: anything but black, green and yellow draws red.
TColor LineColourOfEntry(int entry)
{
    return entry == 0 || entry == 2 || entry == 3 ? TableColourOfEntry(entry) : kColorRed;
}

} // namespace

TFrmPara::TFrmPara(TablePageHost &host, QWidget *parent) : QDialog(parent), host_(host)
{
    setWindowTitle(QStringLiteral("表格属性"));
    auto *digitsOnly = new DigitKeyFilter(this);
    auto *fields = new QGridLayout;
    int row = 0;
    // A field of digits with its spin button: up adds 1, down takes 1 away while above 0.
    const auto addField = [&](const QString &label, const QString &name) {
        auto *edit = new QLineEdit(QStringLiteral("1"), this);
        edit->setObjectName(name);
        edit->installEventFilter(digitsOnly);
        auto *up = new QToolButton(this);
        up->setObjectName(name + QStringLiteral("Up"));
        up->setArrowType(Qt::UpArrow);
        up->setFixedSize(16, 11);
        auto *down = new QToolButton(this);
        down->setObjectName(name + QStringLiteral("Down"));
        down->setArrowType(Qt::DownArrow);
        down->setFixedSize(16, 11);
        connect(up, &QToolButton::clicked, edit, [edit] { edit->setText(QString::number(edit->text().toInt() + 1)); });
        connect(down, &QToolButton::clicked, edit, [edit] {
            const int value = edit->text().toInt();
            if (value > 0)
                edit->setText(QString::number(value - 1));
        });
        auto *spin = new QVBoxLayout;
        spin->setSpacing(0);
        spin->addWidget(up);
        spin->addWidget(down);
        auto *caption = new QLabel(label, this);
        caption->setBuddy(edit);
        fields->addWidget(caption, row, 0);
        fields->addWidget(edit, row, 1);
        fields->addLayout(spin, row, 2);
        ++row;
        return edit;
    };
    rows_ = addField(QStringLiteral("行数："), QStringLiteral("Rows"));
    cols_ = addField(QStringLiteral("列数："), QStringLiteral("Cols"));
    top_ = addField(QStringLiteral("上边距："), QStringLiteral("TopMargin"));
    bottom_ = addField(QStringLiteral("下边距："), QStringLiteral("BottomMargin"));
    left_ = addField(QStringLiteral("左边距："), QStringLiteral("LeftMargin"));
    right_ = addField(QStringLiteral("右边距："), QStringLiteral("RightMargin"));
    lineColour_ = new TableColourBox(this);
    lineColour_->setObjectName(QStringLiteral("LineColour"));
    lineColour_->SetColourModel(host_.GetPageArea().colourModel, kColorRed);
    fields->addWidget(new QLabel(QStringLiteral("线色："), this), row, 0);
    fields->addWidget(lineColour_, row, 1, 1, 2);

    auto *buttons = new QDialogButtonBox(this);
    auto *ok = buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("BtnOk"));
    ok->setDefault(true);
    auto *cancel = buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("BtnCancel"));
    connect(ok, &QPushButton::clicked, this, &TFrmPara::Apply);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(buttons);
    Reload();
}

void TFrmPara::Reload()
{
    const TEasyGrid &grid = host_.Grid();
    rows_->setText(QString::number(grid.RowCount() - 1));
    cols_->setText(QString::number(grid.ColCount() - 1));
    const int model = host_.GetPageArea().colourModel;
    if (model != lineColour_->ColourModel()) {
        const TColor chosen = lineColour_->Colour();
        const bool offered = TableColourEntryOf(chosen) < TableColourEntryCount(model);
        lineColour_->SetColourModel(model, offered ? chosen : kColorRed);
    }
}

void TFrmPara::showEvent(QShowEvent *event)
{
    Reload();
    QDialog::showEvent(event);
}

void TFrmPara::Apply()
{
    const PageMargins margins{left_->text().toInt(), top_->text().toInt(), right_->text().toInt(),
                              bottom_->text().toInt()};
    const QSize area = host_.ScreenMainArea();
    // The page is laid out again on the screen's whole main area with the new margins. The colour
    // model stays the editor's: a four-colour screen must not lose green and yellow here.
    host_.SetPageArea(area.width(), area.height(), margins, host_.GetPageArea().colourModel);
    TEasyGrid &grid = host_.Grid();
    grid.SetCellLineWidth(1);
    const int rows = rows_->text().toInt() + 1;
    if (rows != grid.RowCount())
        grid.SetRowCount(rows);
    const int cols = cols_->text().toInt() + 1;
    if (cols != grid.ColCount())
        grid.SetColCount(cols);
    grid.SetClientLineColor(LineColourOfEntry(lineColour_->currentIndex()));
    host_.FitColumns();
    accept();
}

} // namespace pelvoro
