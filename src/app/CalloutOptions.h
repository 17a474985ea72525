#pragma once
// What the drawing bar's panel of shapes with an annotation sets and the callout code reads: the
// near-callout option and the orientation selector's cell. Both live under "Settings", so every
// layer reads them without reaching the frame.

#include <QString>

inline const QString kCalloutNearEntry = QStringLiteral("CalloutNear");
inline const QString kCalloutOrientationEntry = QStringLiteral("CalloutOrientation");

// The orientation selector's cells: the callout goes up, left, right or down of its shape; the
// centre takes the side with the most room. Brackets open the same way.
enum CalloutOrientation : int {
    ORIENT_UP = 0,
    ORIENT_LEFT = 1,
    ORIENT_CENTRE = 2,
    ORIENT_RIGHT = 3,
    ORIENT_DOWN = 4,
};

// On: a new shape's callout starts right above it, whatever the orientation. Off when unset.
bool GetCalloutNear();
void SetCalloutNear(bool on);
// 0 to 4; ORIENT_CENTRE when unset or out of range.
int GetCalloutOrientation();
void SetCalloutOrientation(int orientation);
