#include "app/main_window.h"

namespace pelvoro {

void Tfrmmain::PowerOn()
{
    NotAvailableYet(QStringLiteral("开屏"));
}

void Tfrmmain::PowerOff()
{
    NotAvailableYet(QStringLiteral("关屏"));
}

void Tfrmmain::LoadFpga()
{
    NotAvailableYet(QStringLiteral("加载FPGA"));
}

void Tfrmmain::OpenOutdoorConfig()
{
    NotAvailableYet(QStringLiteral("户外配置"));
}

void Tfrmmain::SendTestPattern(const QString &caption)
{
    NotAvailableYet(caption);
}

} // namespace pelvoro
