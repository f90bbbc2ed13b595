#include "app/main_window.h"

namespace pelvoro {

void Tfrmmain::OpenTableEditor()
{
    NotAvailableYet(QStringLiteral("表格"));
}

} // namespace pelvoro
