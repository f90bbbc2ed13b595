#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;

namespace pelvoro {

// The screen panel, shown when a screen is selected: the software name, the two slogan labels of
// the title animation, "全部发送", "校准时钟" and the send operations' progress bar.
class ScreenPanel : public QWidget {
    Q_OBJECT
public:
    explicit ScreenPanel(QWidget *parent = nullptr);

    QLabel *SloganFirst() const { return sloganFirst_; }
    QLabel *SloganSecond() const { return sloganSecond_; }
    QPushButton *SendAllButton() const { return sendAll_; }
    QPushButton *SyncClockButton() const { return syncClock_; }
    QProgressBar *ProgressBar() const { return progress_; }

private:
    QLabel *sloganFirst_;
    QLabel *sloganSecond_;
    QPushButton *sendAll_;
    QPushButton *syncClock_;
    QProgressBar *progress_;
};

} // namespace pelvoro
