#include "app/main_window.h"

namespace pelvoro {

void Tfrmmain::SaveProject()
{
    NotAvailableYet(QStringLiteral("保存"));
}

void Tfrmmain::OpenProject()
{
    NotAvailableYet(QStringLiteral("打开"));
}

} // namespace pelvoro
