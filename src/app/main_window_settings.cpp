#include "app/main_window.h"

namespace pelvoro {

void Tfrmmain::OpenScreenSettings()
{
    NotAvailableYet(QStringLiteral("设置屏参"));
}

} // namespace pelvoro
