#pragma once

#include "editors/table/grid_model.h"
#include "editors/table/table_engine.h"

#include <QDialog>
#include <QSize>

class QLineEdit;

// "表格属性": the table's rows and columns, the page margins and the line colour. The editor keeps
// one and shows it again and again; the margins keep what was last entered.
namespace pelvoro {

class TableColourBox;

// What the dialog needs from the editor window that owns the grid.
class TablePageHost {
public:
    virtual ~TablePageHost() = default;
    virtual TEasyGrid &Grid() = 0;
    virtual PageArea GetPageArea() const = 0;
    virtual void SetPageArea(int width, int height, const PageMargins &margins, int colourModel) = 0;
    // The current screen's width and its main area's height: the page the table is laid out on.
    virtual QSize ScreenMainArea() const = 0;
    // Gives every client column an equal share of the page and repaints the grid.
    virtual void FitColumns() = 0;
};

class TFrmPara : public QDialog {
    Q_OBJECT
public:
    explicit TFrmPara(TablePageHost &host, QWidget *parent = nullptr);

    // Rows, columns and the colour list from the grid and the page as they are now; the margins
    // keep what was last entered. The editor calls it before each showing.
    void Reload();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void Apply();

    TablePageHost &host_;
    QLineEdit *rows_ = nullptr;
    QLineEdit *cols_ = nullptr;
    QLineEdit *top_ = nullptr;
    QLineEdit *bottom_ = nullptr;
    QLineEdit *left_ = nullptr;
    QLineEdit *right_ = nullptr;
    TableColourBox *lineColour_ = nullptr;
};

} // namespace pelvoro
