#include "editors/table/ui/table_properties_dialog.h"

#include "editors/table/ui/table_colour_box.h"

#include <QLineEdit>

namespace pelvoro {

TFrmPara::TFrmPara(TablePageHost &host, QWidget *parent) : QDialog(parent), host_(host)
{
    setWindowTitle(QStringLiteral("表格属性"));
}

void TFrmPara::Reload() {}

void TFrmPara::Apply() {}

} // namespace pelvoro
