#include "app/main_window.h"

namespace pelvoro {

void Tfrmmain::OpenTextEditor()
{
    NotAvailableYet(QStringLiteral("文本"));
}

} // namespace pelvoro
