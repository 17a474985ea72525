#include "view/ViewGeometry.h"

#include "platform/Guard.h"

double CViewGeometry::GetFontScaleFactor() const {
    DEF_TRY
    if (m_ptScreenRes.y <= 0)
        return 0.0;
    const double b = double(m_ptPageRes.y) / double(m_ptScreenRes.y);
    return m_dScale > 0 ? m_dScale * b : b / std::fabs(m_dScale);
    DEF_CATCH
    return 0.0;
}
