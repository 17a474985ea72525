#include "app/ProfileRecords.h"

#include "app/Units.h"
#include "platform/Guard.h"
#include "platform/RecordIO.h"
#include "platform/SettingsStore.h"

#include <cstring>

namespace {
template <class Record>
Record LoadRecord(const QString& name, Record def) {
    DEF_TRY
    Record r = def;
    if (IntsFromBytes(Profile().GetProfileBinary(kSectionSettings, name), r.field, Record::kCount))
        return r;
    DEF_CATCH
    return def;
}

template <class Record>
void SaveRecord(const QString& name, const Record& r) {
    const QByteArray bytes = IntsToBytes(r.field, Record::kCount);
    Profile().WriteProfileData(kSectionSettings, name, bytes.constData(), int(bytes.size()));
}
} // namespace

FrameOptions DefaultFrameOptions() {
    const LONG grid = unitConvertToTextunit(14.0, UNIT_POINT);
    return FrameOptions{{1, 1, 1, 0, 0, 0, 7, 1, 0, grid, grid, 0, 0, 1, 4, 0, 1, 0, 1, 1, 0, -256,
                         2, 0}};
}

CaptureOptions DefaultCaptureOptions() {
    return CaptureOptions{{1, 1, 1, 1, 1, 1, 1, 0, 1, 0, 0, 1, 0, 0, 12, 1, 0}};
}

LeadCaptureOptions DefaultLeadCaptureOptions() {
    return LeadCaptureOptions{{0, 0, 122, 0, 27, 0, 1, 0}};
}

TEXTSTYLE DefaultTextStyle() {
    TEXTSTYLE s;
    s.nSize = 12;
    s.lf.lfHeight = -10 * s.nSize;
    s.lf.lfWeight = FW_NORMAL;
    s.lf.lfCharSet = ANSI_CHARSET;
    std::strncpy(s.lf.lfFaceName, "Arial", LF_FACESIZE - 1);
    return s;
}

FrameOptions LoadFrameOptions() { return LoadRecord(QStringLiteral("Options"), DefaultFrameOptions()); }
void SaveFrameOptions(const FrameOptions& o) { SaveRecord(QStringLiteral("Options"), o); }

CaptureOptions LoadCaptureOptions() {
    CaptureOptions o = LoadRecord(QStringLiteral("CaptureOptions"), DefaultCaptureOptions());
    o[0] = 1;
    return o;
}
void SaveCaptureOptions(const CaptureOptions& o) { SaveRecord(QStringLiteral("CaptureOptions"), o); }

LeadCaptureOptions LoadLeadCaptureOptions() {
    return LoadRecord(QStringLiteral("LeadCaptureOptions"), DefaultLeadCaptureOptions());
}
void SaveLeadCaptureOptions(const LeadCaptureOptions& o) {
    SaveRecord(QStringLiteral("LeadCaptureOptions"), o);
}

TEXTSTYLE LoadTextStyleBarSettings() {
    TEXTSTYLE s = DefaultTextStyle();
    DEF_TRY
    TextStyleFromBytes(
        Profile().GetProfileBinary(kSectionSettings, QStringLiteral("TEXTSTYLEBARSETTINGS")), s);
    DEF_CATCH
    return s;
}

void SaveTextStyleBarSettings(const TEXTSTYLE& s) {
    const QByteArray bytes = TextStyleToBytes(s);
    Profile().WriteProfileData(kSectionSettings, QStringLiteral("TEXTSTYLEBARSETTINGS"),
                               bytes.constData(), int(bytes.size()));
}

bool FirstLaunchReset() {
    DEF_TRY
    if (Profile().GetProfileInt(QString(), QStringLiteral("FirstLaunch"), -1) != 1)
        return false;
    Profile().DeleteProfileSection(kSectionSettings);
    Profile().WriteProfileInt(QString(), QStringLiteral("FirstLaunch"), 0);
    return true;
    DEF_CATCH
    return false;
}
