#pragma once

#include "pages/page_store.h"
#include "pages/subtitle_store.h"

#include <QImage>
#include <QWidget>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace pelvoro {

class Prompt;
struct ScreenTable;

// The subtitle panel: the strip's text and its conversion into pages, the pages' move style, speed
// and dwell, and the list of the pages.
//
// The panel works on the screen whose subtitle it lists (RefreshSubtitleList). "转换字幕" and
// "添加字幕页" rebuild the subtitle file from the text, "删除全部字幕页" removes it with the text;
// every change of the attribute controls is written into the file at once. After each change of
// the file SubtitleChanged is emitted so that the preview can show page 1 again.
class TitlePanel : public QWidget {
    Q_OBJECT
public:
    TitlePanel(ScreenTable &table, Prompt &prompt, QWidget *parent = nullptr);
    ~TitlePanel() override;

    // Lists the pages of a screen's subtitle file ("字幕页" + k) and puts its saved text into the
    // edit; the attribute controls show the file's entry. Called whenever another screen becomes
    // current and after its areas changed.
    void RefreshSubtitleList(int screenIndex);
    int ListedScreen() const { return screen_; }

    // Captions by strip height: 16 rows is the small subtitle, otherwise the big one.
    void SetScreenCaptions(int screenIndex, int titleHeight);
    void SetCapacity(int maxTitlePages);
    int PageCount() const;
    // Blocks the add and convert buttons once the list is full.
    void SetAddingEnabled(bool enabled);

    // "转换字幕", "添加字幕页" (asks for the file), "删除全部字幕页", "发送字幕", and the selection of
    // page k of the list, as the buttons and a click run them.
    void Convert();
    void AddFromFile();
    void DeleteAll();
    void Send();
    void SelectPage(int page);

    // The attributes as last read from the file or written by the controls.
    const SubtitleEntry &CurrentEntry() const { return entry_; }

    QGroupBox *EditBox() const { return editBox_; }
    QGroupBox *ListBox() const { return listBox_; }
    QLabel *CapacityLabel() const { return capacity_; }
    QLineEdit *TextEdit() const { return text_; }
    QPushButton *ConvertButton() const { return convert_; }
    QToolButton *AddButton() const { return add_; }
    QToolButton *DeleteAllButton() const { return deleteAll_; }
    QPushButton *SendButton() const { return send_; }
    QTreeWidget *PageList() const { return pages_; }
    QComboBox *FontList() const { return font_; }
    QComboBox *ColourList() const { return colour_; }
    QComboBox *StyleList() const { return style_; }
    QSpinBox *SpeedEdit() const { return speed_; }
    QSpinBox *DwellEdit() const { return dwell_; }

    // At most this many bytes (GBK) can be typed into the text edit; a file may add more.
    static constexpr int kMaxTypedBytes = 512;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

Q_SIGNALS:
    // The subtitle file of the screen changed (pages converted or deleted, attributes written).
    void SubtitleChanged(int screenIndex);
    // A page of the list was selected: `image` is the strip (W x TitleHeight) of that page.
    void SubtitlePageShown(int screenIndex, int page, const QImage &image);
    // "发送字幕" with pages in the list: the main window sends the subtitle file.
    void SendRequested();

private:
    void Build();
    bool Attached() const { return screen_ >= 0; }
    void ShowEntry(const SubtitleEntry &entry);
    void ShowStyleControls(int style);
    void OnStyleChanged(int index);
    void OnSpeedChanged(int value);
    void OnDwellChanged(int value);
    void WriteEntry();
    // Shows the operator what went wrong; returns true when `result` is Ok.
    bool Report(const PageResult &result);

    ScreenTable &table_;
    Prompt &prompt_;
    QGroupBox *editBox_;
    QGroupBox *listBox_;
    QLabel *capacity_;
    QLineEdit *text_;
    QComboBox *font_;
    QComboBox *colour_;
    QComboBox *style_;
    QLabel *speedLabel_;
    QSpinBox *speed_;
    QLabel *dwellLabel_;
    QSpinBox *dwell_;
    QPushButton *convert_;
    QToolButton *add_;
    QToolButton *deleteAll_;
    QPushButton *send_;
    QTreeWidget *pages_;

    int screen_ = -1;
    SubtitleEntry entry_;
    bool loading_ = false;        // controls are being set from the file: their changes are not edits
    bool pressOnCurrent_ = false; // a press on the node that already is the current one
};

} // namespace pelvoro
