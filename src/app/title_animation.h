#pragma once

#include <QString>

namespace pelvoro {

// The slogan that the screen panel spells out on the half-second timer: phase 0 does nothing (only
// on the first tick), phases 1-4 fill the first label, 5-8 the second, 9 empties both and 10 starts
// over, so one cycle takes ten ticks.
class TitleAnimation {
public:
    static inline const QString kSlogan = QStringLiteral("点亮街头传递精彩");

    // Performs the current phase's step, then advances the phase.
    void Tick();

    int Phase() const { return phase_; }
    const QString &First() const { return first_; }
    const QString &Second() const { return second_; }

private:
    int phase_ = 0;
    QString first_;
    QString second_;
};

} // namespace pelvoro
