#pragma once

#include <QWidget>

class QComboBox;
class QPushButton;

namespace pelvoro {

// "下载字模": the font and size the controller's clock glyphs are drawn in. "下载字模" asks for the
// download (DownloadRequested); "加载设置" does nothing. The font list is filled every time the tab
// is shown.
class GlyphDownloadTab : public QWidget {
    Q_OBJECT
public:
    explicit GlyphDownloadTab(QWidget *parent = nullptr);

    QComboBox *FontList() const { return fonts_; }
    QComboBox *SizeList() const { return sizes_; }
    QPushButton *DownloadButton() const { return download_; }
    QPushButton *LoadSettingsButton() const { return loadSettings_; }

    // Lists the installed fonts again, keeping the chosen one ("宋体" the first time).
    void FillFonts();

Q_SIGNALS:
    void DownloadRequested(const QString &family, int pointSize);

protected:
    void showEvent(QShowEvent *event) override;

private:
    QComboBox *fonts_;
    QComboBox *sizes_;
    QPushButton *download_;
    QPushButton *loadSettings_;
};

} // namespace pelvoro
