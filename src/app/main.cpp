#include "app/main_window.h"
#include "app/qt_prompt.h"
#include "base/app_dir.h"
#include "pages/font_substitution.h"
#include "pages/ui/preview_window.h"

#include <QApplication>

#include <cstdio>

using namespace pelvoro;

namespace {

// Qt aborts without a display; say so plainly instead.
bool DisplayAvailable()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith("xcb") && !platform.startsWith("wayland"))
        return true;
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

} // namespace

int main(int argc, char **argv)
{
    if (!DisplayAvailable()) {
        std::fprintf(stderr, "pelvoro: no display available (DISPLAY is not set); "
                             "run it under Xvfb: xvfb-run -a build/bin/pelvoro\n");
        return 1;
    }
    QApplication app(argc, argv);
    QStringList args = app.arguments();
    QString error;
    if (!TakeDirArgument(args, &error)) {
        std::fprintf(stderr, "pelvoro: %s\n", qPrintable(error));
        return 64;
    }
    InstallFontSubstitutions();

    ScreenTable table;
    QtPrompt prompt;
    Tfrmmain window(table, prompt);
    prompt.SetParent(&window);
    // The preview lives for the whole run at the desktop's top-left corner.
    TFrmdisplay preview(table);
    window.SetPreview(&preview);
    preview.move(0, 0);
    window.show();
    preview.show();
    return app.exec();
}
