#include "app/main_window.h"

namespace pelvoro {

void Tfrmmain::SendSchedule()
{
    NotAvailableYet(QStringLiteral("发送定时"));
}

void Tfrmmain::CancelSchedule()
{
    NotAvailableYet(QStringLiteral("取消定时"));
}

} // namespace pelvoro
