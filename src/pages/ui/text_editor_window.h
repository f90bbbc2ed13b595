#pragma once

#include "config/screen_info.h"
#include "pages/rich_document.h"
#include "pages/ui/text_editor_rules.h"

#include <QHash>
#include <QMainWindow>
#include <QTextEdit>

#include <functional>

class QAction;
class QComboBox;
class QLineEdit;
class QMenu;
class QScrollArea;
class QToolButton;

namespace pelvoro {

class Prompt;
class TabletFindDialog;
class WordConverter;

// RichEdit1: pasted text comes in as plain text in the typing format, and the window hears of every
// key press before the text does and of every arrow key after it.
class TabletTextEdit : public QTextEdit {
    Q_OBJECT
public:
    using QTextEdit::QTextEdit;

Q_SIGNALS:
    void KeyPressing(bool typesText);
    void ArrowMoved();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool canInsertFromMimeData(const QMimeData *source) const override;
    void insertFromMimeData(const QMimeData *source) override;
};

// The rich-text page editor "文字编辑": a black text box as wide as the screen's main area wraps,
// with font, size, colour and line-spacing lists, formatting, file and search commands. Closing it
// while the main area is the selected tree node hands the text to the page conversion.
class TFrmTablet : public QMainWindow {
    Q_OBJECT
public:
    explicit TFrmTablet(Prompt &prompt, QWidget *parent = nullptr);
    ~TFrmTablet() override;

    // Sizes the text box, the scroll box and the window for a screen and keeps its colours (done by
    // the main window before showing).
    void SizeForScreen(const ScreenInfo &screen, int screenIndex);
    // The main window's selected programme-tree node text, asked when closing.
    void SetSelectedNode(std::function<QString()> selectedNode) { selectedNode_ = std::move(selectedNode); }
    // Closing onto the main area: the document to convert into pages.
    void SetConvert(std::function<void(const RichDocument &)> convert) { convert_ = std::move(convert); }

    const TabletSizing &Sizing() const { return sizing_; }
    RichDocument Document() const;
    void SetDocument(const RichDocument &document);
    QString FileName() const { return fileName_; }
    // "Tavrel" + screen number + "-1.rtf".
    QString SuggestedSaveName() const;
    bool IsModified() const;

    // File commands.
    void NewFile();
    void OpenFromMenu();    // "打开[&O]": RTF, Word documents; bitmaps are ignored
    void OpenFromToolbar(); // tool bar "打开": RTF, text, Word documents; all red on a single-colour screen
    bool Save();            // false when nothing was written
    bool SaveAs();
    // Loads a file into the text box: RTF or GBK text at once, or a Word document through the
    // converter, which runs while the window stays live; `loaded` follows once the text is in. False
    // when the file could not be read.
    bool LoadPath(const QString &path, bool word, const std::function<void()> &loaded = {});
    // A Word document is being converted.
    bool Converting() const;

    // The list and spin-button commands, as the operator's choices.
    void ChooseFont(int index);
    void ChooseSize(const QString &text);
    void ChooseColour(int index);
    void SpinUp();
    void SpinDown();
    double LineSpacing() const;

    // Search.
    void Find();
    void FindNext();
    void Replace();
    void FindFirst();
    TabletFindDialog *FindDialog() const { return findDialog_; }

    TabletTextEdit *RichEdit1() const { return edit_; }
    QScrollArea *ScrollBox1() const { return scrollBox_; }
    QComboBox *FontList() const { return fontList_; }     // ComboBox1
    QComboBox *SizeList() const { return sizeList_; }     // ComboBox2
    QComboBox *ColourList() const { return colourList_; } // ComboBox3
    QLineEdit *LineSpaceBox() const { return lineSpace_; } // Edt_LineSpace
    QToolButton *SpinUpButton() const { return spinUp_; }
    QToolButton *SpinDownButton() const { return spinDown_; }
    // Tool bar buttons by caption ("粗体"), menu items by menu and caption ("文件/新建[&N]"), context
    // menu items as "右键/剪切".
    QAction *Command(const QString &name) const { return commands_.value(name); }
    QMenu *ContextMenu() const { return contextMenu_; }
    int RememberedCharset() const { return rememberedCharset_; }

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void BuildControls();
    void BuildCommands();
    void StartUp();
    void UpdateCaption();
    void FollowSelection();
    void UpdatePaste();
    void ApplyLineSpacing(double lines);
    void ToggleStyle(const QString &name);
    void Align(Qt::Alignment alignment);
    void KeepCaretVisible(CaretMove move);
    void ShowNotFound();
    void FocusText();
    bool WriteTo(const QString &path);
    bool LoadText(const QString &rtf, bool converted);
    void ConvertWord(const QString &path, const std::function<void()> &loaded);
    void AfterToolbarOpen();
    void SetCommandsEnabled(bool enabled);

    Prompt &prompt_;
    std::function<QString()> selectedNode_;
    std::function<void(const RichDocument &)> convert_;
    int screenIndex_ = 0;
    int colorMode_ = 0;
    TabletSizing sizing_;
    QString fileName_;
    int rememberedCharset_ = kGb2312Charset;
    double lineSpacing_ = 0.75;

    TabletTextEdit *edit_ = nullptr;
    QScrollArea *scrollBox_ = nullptr;
    QWidget *toolArea_ = nullptr; // the tool bars, in rows
    QWidget *scrollContent_ = nullptr;
    QComboBox *fontList_ = nullptr;
    QComboBox *sizeList_ = nullptr;
    QComboBox *colourList_ = nullptr;
    QLineEdit *lineSpace_ = nullptr;
    QToolButton *spinUp_ = nullptr;
    QToolButton *spinDown_ = nullptr;
    QMenu *contextMenu_ = nullptr;
    TabletFindDialog *findDialog_ = nullptr;
    QHash<QString, QAction *> commands_;
    WordConverter *converter_ = nullptr;
    std::function<void()> afterConversion_;
};

} // namespace pelvoro
