#include "app/title_animation.h"

namespace pelvoro {

void TitleAnimation::Tick()
{
    if (phase_ >= 1 && phase_ <= 4) {
        first_ = kSlogan.left(phase_);
    } else if (phase_ >= 5 && phase_ <= 8) {
        second_ = kSlogan.mid(4, phase_ - 4);
    } else if (phase_ == 9) {
        first_.clear();
        second_.clear();
    } else if (phase_ == 10) {
        phase_ = 0;
    }
    ++phase_;
}

} // namespace pelvoro
