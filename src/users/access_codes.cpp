#include "users/access_codes.h"

namespace pelvoro {

AccessOutcome CheckAccessCode(const QString &typed, AccessPurpose purpose)
{
    // Each code unlocks only what its menu command asked for, except the identity and change-log ones.
    if (typed == kSettingsCode && purpose == AccessPurpose::Setting)
        return AccessOutcome::Settings;
    if (typed == kIdentityCode || typed == kIdentityWord)
        return AccessOutcome::Identity;
    if (typed == kChangeLogWord)
        return AccessOutcome::ChangeLog;
    if (typed == kOutdoorCode && purpose == AccessPurpose::Config)
        return AccessOutcome::Outdoor;
    return AccessOutcome::Wrong;
}

} // namespace pelvoro
