#pragma once
// The commands that apply what the image tools picked to the page image: crop to the crop
// rectangle, straighten by the two reference points, white and black point from the colour
// rectangle; one step of page undo; trimming the image to the canvas and putting it back at the
// canvas origin. Their handlers and enabling rules go into the view's command map.

#include "platform/WinTypes.h"

class CCommandMap;
class CLumidorView;

class CViewImageCommands {
public:
    explicit CViewImageCommands(CLumidorView& view) : m_view(view) {}
    void Register(CCommandMap& map);

    // The straightening angle (radians) of two reference points (page pixels): minus the arc
    // tangent of their slope, the point further left taken first; 0 for points on one vertical.
    static double StraightenAngle(POINT a, POINT b);
    // The rotation that makes a line at angle t horizontal when it is nearly horizontal, and
    // vertical when it is nearly vertical.
    static double StraightenRotation(double t);

    bool CanTransform() const;
    void OnToolbarDoImageTransformation();
    bool DoImageCrop();
    bool DoImageStraighten();
    bool DoImageColCorrection(bool black);
    void OnImageUndo();
    bool CanTrim() const;
    void OnImageTrim();
    bool CanResetBasePoint() const;
    void OnImageResetBasePoint();

private:
    // Shows the page again after its image changed.
    void Refresh();

    CLumidorView& m_view;
};
