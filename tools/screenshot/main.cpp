// pelvoro-screenshot: the station on an application's directory, offscreen, as it starts, with the
// first screen's main area selected; writes the main window and the preview as PNG pictures, and
// an enlarged copy of a simulator snapshot. scripts/screenshots.sh runs it on the demo directory,
// so that the README's pictures can be made again after the windows change.
#include "app/main_window.h"
#include "app/qt_prompt.h"
#include "base/app_dir.h"
#include "pages/font_substitution.h"
#include "pages/ui/preview_window.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QTreeWidget>

#include <cstdio>

using namespace pelvoro;

namespace {

// Lets timers and layouts run for `ms` (the title animation, the first paint).
void Settle(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

bool Save(QWidget &widget, const QString &path)
{
    const bool ok = widget.grab().save(path, "PNG");
    std::printf("%s %s\n", ok ? "wrote" : "cannot write", qPrintable(path));
    return ok;
}

// One LED a 6 x 6 square, so that the simulator's one-pixel-per-LED picture can be read.
bool Enlarge(const QString &from, const QString &to)
{
    const QImage image(from);
    if (image.isNull()) {
        std::fprintf(stderr, "pelvoro-screenshot: cannot read %s\n", qPrintable(from));
        return false;
    }
    const bool ok = image.scaled(image.size() * 6, Qt::IgnoreAspectRatio, Qt::FastTransformation).save(to, "PNG");
    std::printf("%s %s\n", ok ? "wrote" : "cannot write", qPrintable(to));
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList args = app.arguments();
    QString error;
    if (!TakeDirArgument(args, &error) || args.size() < 2 || args.size() > 3) {
        std::fprintf(stderr, "%s\nusage: pelvoro-screenshot --dir DIR OUTDIR [SIMULATOR_SCREEN.png]\n",
                     qPrintable(error));
        return 64;
    }
    const QDir out(args[1]);
    InstallFontSubstitutions();

    ScreenTable table;
    QtPrompt prompt;
    Tfrmmain window(table, prompt);
    prompt.SetParent(&window);
    TFrmdisplay preview(table);
    window.SetPreview(&preview);
    preview.move(0, 0);
    window.show();
    preview.show();
    Settle(300);
    // The first screen's main area, as the operator clicks it to add pages.
    if (auto *tree = window.findChild<QTreeWidget *>(QStringLiteral("Treemain"))) {
        const QList<QTreeWidgetItem *> found = tree->findItems(QStringLiteral("主区"), Qt::MatchRecursive);
        if (!found.isEmpty()) {
            tree->setCurrentItem(found.first());
            window.TreemainClick(found.first());
        }
    }
    Settle(1200);
    bool ok = Save(window, out.filePath(QStringLiteral("main-window.png")));
    ok = Save(preview, out.filePath(QStringLiteral("preview.png"))) && ok;
    if (args.size() == 3)
        ok = Enlarge(args[2], out.filePath(QStringLiteral("simulator-snapshot.png"))) && ok;
    return ok ? 0 : 1;
}
