// "表格": a new table editor for the current screen's main area.
#include "app/main_window.h"

#include "editors/table/table_editor_rules.h"
#include "editors/table/ui/table_editor_window.h"

namespace pelvoro {

TFrm_CellEdit *Tfrmmain::OpenTableEditor()
{
    const int screen = table_.CurrentScreen;
    const ScreenInfo &info = table_[screen];
    auto *editor = new TFrm_CellEdit(prompt_, info, screen, this);
    editor->setAttribute(Qt::WA_DeleteOnClose);
    editor->setWindowModality(Qt::ApplicationModal);
    editor->SetPageArea(info.Width, TableEditorPageHeight(info.Height, info.MainHeight), PageMargins{},
                        info.ColorMode + 1);
    editor->show();
    return editor;
}

} // namespace pelvoro
