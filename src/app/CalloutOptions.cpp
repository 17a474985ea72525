#include "app/CalloutOptions.h"

#include "app/ProfileRecords.h"
#include "platform/Guard.h"
#include "platform/SettingsStore.h"

bool GetCalloutNear() {
    DEF_TRY
    return Profile().GetProfileInt(kSectionSettings, kCalloutNearEntry, 0) != 0;
    DEF_CATCH
    return false;
}

void SetCalloutNear(bool on) {
    DEF_TRY
    Profile().WriteProfileInt(kSectionSettings, kCalloutNearEntry, on ? 1 : 0);
    DEF_CATCH
}

int GetCalloutOrientation() {
    DEF_TRY
    const int value =
        Profile().GetProfileInt(kSectionSettings, kCalloutOrientationEntry, ORIENT_CENTRE);
    return value >= ORIENT_UP && value <= ORIENT_DOWN ? value : ORIENT_CENTRE;
    DEF_CATCH
    return ORIENT_CENTRE;
}

void SetCalloutOrientation(int orientation) {
    DEF_TRY
    if (orientation < ORIENT_UP || orientation > ORIENT_DOWN) return;
    Profile().WriteProfileInt(kSectionSettings, kCalloutOrientationEntry, orientation);
    DEF_CATCH
}
