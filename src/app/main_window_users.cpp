#include "app/main_window.h"

namespace pelvoro {

void Tfrmmain::LoginUser()
{
    NotAvailableYet(QStringLiteral("用户登录"));
}

void Tfrmmain::ManageUsers()
{
    NotAvailableYet(QStringLiteral("用户管理"));
}

void Tfrmmain::ShowAbout()
{
    NotAvailableYet(QStringLiteral("关于..."));
}

} // namespace pelvoro
