#include "app/main_window.h"
#include "app/qt_prompt.h"
#include "app/startup_checks.h"
#include "app/window_placement.h"
#include "base/app_dir.h"
#include "pages/font_substitution.h"
#include "pages/ui/preview_window.h"

#include <QApplication>

#include <cstdio>
#include <cstring>

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
    // Answered without a display: the man page is made from them at build time.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("pelvoro %s\n", PELVORO_VERSION_TEXT);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::printf("Usage: pelvoro [--dir DIR]\n\n"
                        "The LED screen station.\n\n"
                        "  --dir DIR   the application's directory (default: the executable's when writable,\n"
                        "              else the user's data folder)\n"
                        "  --version   print the version and exit\n"
                        "  --help      print this help and exit\n");
            return 0;
        }
    }
    if (!DisplayAvailable()) {
        std::fprintf(stderr, "pelvoro: no display available (DISPLAY is not set); "
                             "run it under Xvfb: xvfb-run -a build/bin/pelvoro\n");
        return 1;
    }
    QApplication app(argc, argv);
    QStringList args = app.arguments();
    QString error;
    InstallFontSubstitutions();
    InstallQtTranslation();
    UseStationLocale();
    QtPrompt prompt;
    if (!TakeDirArgument(args, &error)) {
        std::fprintf(stderr, "pelvoro: %s\n", qPrintable(error));
        // Started from a desktop launcher nobody reads stderr.
        prompt.Message(QStringLiteral("应用目录无法使用，程序不能启动：\n%1").arg(error), QStringLiteral("提示"),
                       PromptIcon::Error);
        return 64;
    }

    EnterAppDir();
    // Held until the station ends, after the windows are gone.
    std::unique_ptr<QLockFile> stationLock;
    if (!HoldStationDirectory(prompt, stationLock))
        return 1;
    if (!ConfigReadableForStart(prompt))
        return 1;
    ScreenTable table;
    Tfrmmain window(table, prompt);
    prompt.SetParent(&window);
    // The preview lives for the whole run at the desktop's top-left corner, the main window beside it.
    TFrmdisplay preview(table);
    window.SetPreview(&preview);
    preview.show();
    window.show();
    StartupPlacer placer(preview, window);
    return app.exec();
}
