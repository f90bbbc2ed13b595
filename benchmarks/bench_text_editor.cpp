// The rich-text page editor on a 1024-dot-wide screen holding a 5,000-character notice: one typed
// character (the key press, the edit and the scroll rule), and saving and re-opening the document.
#include "silent_prompt.h"

#include "base/app_dir.h"
#include "config/screen_info.h"
#include "pages/rtf_reader.h"
#include "pages/rtf_writer.h"
#include "pages/text_editor_pages.h"
#include "pages/ui/text_editor_window.h"

#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

namespace {

constexpr int kCharacters = 5000;

// Fifty paragraphs of a hundred characters, Chinese with some Latin text and digits.
pelvoro::RichDocument Notice()
{
    const QString sentence = QStringLiteral("各位旅客请注意，由北京开往上海的G101次列车 8:30 开始检票，请到二号检票口。");
    QStringList paragraphs;
    QString text;
    while (text.size() < kCharacters)
        text += sentence;
    text.truncate(kCharacters);
    for (int i = 0; i < kCharacters; i += 100)
        paragraphs.append(text.mid(i, 100));
    return pelvoro::EditorDocument(paragraphs);
}

struct Editor {
    Editor()
    {
        pelvoro::ScreenInfo screen = pelvoro::DefaultScreenInfo();
        screen.Width = 1024;
        screen.Height = 128;
        screen.MainHeight = 128;
        window.SizeForScreen(screen, 0);
        window.SetDocument(Notice());
        window.show();
        exposed = QTest::qWaitForWindowExposed(&window);
        window.RichEdit1()->setFocus();
        window.RichEdit1()->moveCursor(QTextCursor::End);
    }
    SilentPrompt prompt;
    pelvoro::TFrmTablet window{prompt};
    bool exposed = false;
};

void BM_TypeOneCharacter(benchmark::State &state)
{
    Editor editor;
    if (!editor.exposed)
        state.SkipWithError("the editor was not shown");
    QTextEdit *edit = editor.window.RichEdit1();
    bool add = true;
    for (auto _ : state) {
        // Typing and rubbing out by turns keeps the document at its size.
        QTest::keyClick(edit, add ? Qt::Key_A : Qt::Key_Backspace, {}, -1);
        add = !add;
    }
    if (edit->document()->characterCount() < kCharacters)
        state.SkipWithError("the document lost its text");
}
BENCHMARK(BM_TypeOneCharacter)->Unit(benchmark::kMillisecond)->Iterations(200)->Repetitions(5);

void BM_SaveAndReopen(benchmark::State &state)
{
    QTemporaryDir dir;
    pelvoro::SetAppDir(dir.path());
    Editor editor;
    const QString path = dir.filePath(QStringLiteral("notice.rtf"));
    for (auto _ : state) {
        if (!pelvoro::WriteRtfFile(path, editor.window.Document()))
            state.SkipWithError("could not write");
        const auto document = pelvoro::ReadRichTextFile(path);
        if (!document || document->PlainText().size() < kCharacters)
            state.SkipWithError("could not read back");
        else
            editor.window.SetDocument(*document);
    }
}
BENCHMARK(BM_SaveAndReopen)->Unit(benchmark::kMillisecond)->Iterations(20)->Repetitions(5);

} // namespace
