#include "acquire/SaneScanner.h"

#include "acquire/SaneFrameReader.h"
#include "acquire/ScanResource.h"
#include "platform/Guard.h"
#include "platform/ResourceModule.h"
#include "platform/imaging/BitmapBase.h"

#include <sane/sane.h>
#include <sane/saneopts.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#include <pthread.h>
#include <vector>

namespace {

std::mutex g_saneMutex;
int g_saneUsers = 0;

QString Why(SANE_Status status) { return QString::fromLocal8Bit(sane_strstatus(status)); }

// The C library loads its unwinder the first time a thread ends through pthread_exit or a
// cancel, and holds the loader's lock meanwhile. Backends end their reader threads so, and cancel
// them at the end of each frame: a reader cancelled while it loads the unwinder leaves that lock
// taken, and the next thread the backend starts waits for it for ever. A thread of our own ends
// that way first, so that the unwinder is there before any backend runs.
void* EndThroughPthreadExit(void*) { pthread_exit(nullptr); }

void LoadUnwinderOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        pthread_t thread;
        if (pthread_create(&thread, nullptr, EndThroughPthreadExit, nullptr) == 0)
            pthread_join(thread, nullptr);
    });
}

// SANE is started by its first user and left by its last.
bool AcquireSane(QString& error) {
    LoadUnwinderOnce();
    std::lock_guard lock(g_saneMutex);
    if (g_saneUsers == 0) {
        SANE_Int version = 0;
        const SANE_Status status = sane_init(&version, nullptr);
        if (status != SANE_STATUS_GOOD) {
            error = LoadResString(IDS_SANE_NOT_AVAILABLE).arg(Why(status));
            return false;
        }
    }
    ++g_saneUsers;
    return true;
}

void ReleaseSane() {
    std::lock_guard lock(g_saneMutex);
    if (g_saneUsers > 0 && --g_saneUsers == 0) sane_exit();
}

// What SANE lists, copied out before the list goes.
bool ReadDeviceList(QList<ScanDevice>& devices, QString& error) {
    const SANE_Device** list = nullptr;
    const SANE_Status status = sane_get_devices(&list, SANE_FALSE);
    if (status != SANE_STATUS_GOOD) {
        error = LoadResString(IDS_SANE_NOT_AVAILABLE).arg(Why(status));
        return false;
    }
    for (int i = 0; list && list[i]; ++i) {
        const auto text = [](const char* s) { return s ? QString::fromLocal8Bit(s) : QString(); };
        devices.append(ScanDevice{text(list[i]->name), text(list[i]->vendor), text(list[i]->model),
                                  text(list[i]->type)});
    }
    return true;
}

using Words = std::vector<const char*>;

bool ContainsAny(const QString& text, const Words& words) {
    return std::any_of(words.begin(), words.end(), [&](const char* w) {
        return text.contains(QLatin1String(w), Qt::CaseInsensitive);
    });
}

// The device's own name of one of the program's modes: an exact well-known name first, then one
// that says the same in other words; never a colour variant of black and white.
QString ModeValue(const QStringList& values, ScanMode mode) {
    Words exact, like, unlike;
    switch (mode) {
    case ScanMode::Color:
        exact = {SANE_VALUE_SCAN_MODE_COLOR};
        like = {"color", "colour"};
        unlike = {"lineart", "halftone", "binary"};
        break;
    case ScanMode::Gray:
        exact = {SANE_VALUE_SCAN_MODE_GRAY, "Grey", "Grayscale", "Greyscale"};
        like = {"gray", "grey"};
        unlike = {};
        break;
    case ScanMode::Lineart:
        exact = {SANE_VALUE_SCAN_MODE_LINEART, "Binary", "Black & White", "Black and White"};
        like = {"lineart", "line art", "binary", "black", "halftone"};
        unlike = {"color", "colour"};
        break;
    }
    for (const char* e : exact)
        for (const QString& v : values)
            if (v.compare(QLatin1String(e), Qt::CaseInsensitive) == 0) return v;
    for (const char* l : like)
        for (const QString& v : values)
            if (v.contains(QLatin1String(l), Qt::CaseInsensitive) && !ContainsAny(v, unlike))
                return v;
    return {};
}

UINT ModeNameId(ScanMode mode) {
    switch (mode) {
    case ScanMode::Color: return IDS_SANE_MODE_COLOR;
    case ScanMode::Gray: return IDS_SANE_MODE_GRAY;
    case ScanMode::Lineart: return IDS_SANE_MODE_LINEART;
    }
    return IDS_SANE_MODE_COLOR;
}

} // namespace

QString ScanDevice::Label() const {
    const QString maker = QStringList{vendor, model}.join(QLatin1Char(' ')).trimmed();
    return maker.isEmpty() ? name : QStringLiteral("%1 (%2)").arg(maker, name);
}

struct CSaneScanner::Impl {
    SANE_Handle handle = nullptr;
    bool saneHeld = false;
    QString name;
    ScanOffer offer;
    QString error;
    bool feeder = false;
    std::atomic<bool> cancelled{false};
    // The indices of the well-known options, -1 where the device has none; found again whenever
    // the backend says its options changed.
    int source = -1, mode = -1, resolution = -1, depth = -1;
    int area[4] = {-1, -1, -1, -1}; // tl-x, tl-y, br-x, br-y

    ~Impl() { Close(); }

    void Close() {
        if (handle) sane_close(handle);
        handle = nullptr;
        if (saneHeld) ReleaseSane();
        saneHeld = false;
    }

    const SANE_Option_Descriptor* Desc(int option) const {
        return option > 0 && handle ? sane_get_option_descriptor(handle, option) : nullptr;
    }
    bool Active(int option) const {
        const SANE_Option_Descriptor* d = Desc(option);
        return d && SANE_OPTION_IS_ACTIVE(d->cap);
    }
    bool Settable(int option) const {
        const SANE_Option_Descriptor* d = Desc(option);
        return d && SANE_OPTION_IS_ACTIVE(d->cap) && SANE_OPTION_IS_SETTABLE(d->cap);
    }

    void FindOptions() {
        source = mode = resolution = depth = -1;
        std::fill(std::begin(area), std::end(area), -1);
        SANE_Int count = 0;
        if (sane_control_option(handle, 0, SANE_ACTION_GET_VALUE, &count, nullptr) != SANE_STATUS_GOOD)
            return;
        static const char* const kAreaNames[4] = {SANE_NAME_SCAN_TL_X, SANE_NAME_SCAN_TL_Y,
                                                  SANE_NAME_SCAN_BR_X, SANE_NAME_SCAN_BR_Y};
        for (int i = 1; i < count; ++i) {
            const SANE_Option_Descriptor* d = sane_get_option_descriptor(handle, i);
            if (!d || !d->name) continue;
            const QLatin1String n(d->name);
            if (n == QLatin1String(SANE_NAME_SCAN_SOURCE) && d->type == SANE_TYPE_STRING) source = i;
            else if (n == QLatin1String(SANE_NAME_SCAN_MODE) && d->type == SANE_TYPE_STRING) mode = i;
            else if (n == QLatin1String(SANE_NAME_SCAN_RESOLUTION) && IsNumber(d)) resolution = i;
            else if (n == QLatin1String(SANE_NAME_BIT_DEPTH) && IsNumber(d)) depth = i;
            for (int k = 0; k < 4; ++k)
                if (n == QLatin1String(kAreaNames[k]) && IsNumber(d)) area[k] = i;
        }
    }
    static bool IsNumber(const SANE_Option_Descriptor* d) {
        return (d->type == SANE_TYPE_INT || d->type == SANE_TYPE_FIXED) &&
               d->size >= SANE_Int(sizeof(SANE_Word));
    }
    static double FromWord(const SANE_Option_Descriptor* d, SANE_Word w) {
        return d->type == SANE_TYPE_FIXED ? SANE_UNFIX(w) : double(w);
    }

    QString GetString(int option) const {
        const SANE_Option_Descriptor* d = Desc(option);
        if (!d || !SANE_OPTION_IS_ACTIVE(d->cap) || d->size <= 0) return {};
        std::vector<char> value(std::size_t(d->size) + 1, '\0');
        if (sane_control_option(handle, option, SANE_ACTION_GET_VALUE, value.data(), nullptr) !=
            SANE_STATUS_GOOD)
            return {};
        return QString::fromLocal8Bit(value.data());
    }
    bool GetNumber(int option, double& number) const {
        const SANE_Option_Descriptor* d = Desc(option);
        if (!d || !SANE_OPTION_IS_ACTIVE(d->cap) || !IsNumber(d)) return false;
        std::vector<SANE_Word> value(std::size_t(d->size) / sizeof(SANE_Word));
        if (sane_control_option(handle, option, SANE_ACTION_GET_VALUE, value.data(), nullptr) !=
            SANE_STATUS_GOOD)
            return false;
        number = FromWord(d, value[0]);
        return true;
    }
    QStringList StringList(int option) const {
        QStringList list;
        const SANE_Option_Descriptor* d = Desc(option);
        if (d && SANE_OPTION_IS_ACTIVE(d->cap) && d->constraint_type == SANE_CONSTRAINT_STRING_LIST)
            for (const SANE_String_Const* s = d->constraint.string_list; s && *s; ++s)
                list << QString::fromLocal8Bit(*s);
        return list;
    }
    // The values a number option takes: a list, or a range (min, max); false when it is free.
    bool Allowed(int option, QList<double>& list, double& min, double& max) const {
        list.clear();
        const SANE_Option_Descriptor* d = Desc(option);
        if (!d || !SANE_OPTION_IS_ACTIVE(d->cap)) return false;
        if (d->constraint_type == SANE_CONSTRAINT_WORD_LIST && d->constraint.word_list) {
            const SANE_Word* w = d->constraint.word_list;
            for (int i = 1; i <= w[0]; ++i) list << FromWord(d, w[i]);
            return !list.isEmpty();
        }
        if (d->constraint_type == SANE_CONSTRAINT_RANGE && d->constraint.range) {
            min = FromWord(d, d->constraint.range->min);
            max = FromWord(d, d->constraint.range->max);
            return true;
        }
        return false;
    }
    bool Allows(int option, double value) const {
        QList<double> list;
        double min = 0, max = 0;
        if (!Allowed(option, list, min, max)) return Settable(option);
        return list.isEmpty() ? value >= min && value <= max : list.contains(value);
    }

    // Sets an option; a backend that says its options changed has them found again.
    int Set(int option, void* value) {
        const SANE_Option_Descriptor* d = Desc(option);
        SANE_Int info = 0;
        const SANE_Status status =
            sane_control_option(handle, option, SANE_ACTION_SET_VALUE, value, &info);
        if (info & SANE_INFO_RELOAD_OPTIONS) FindOptions();
        if (status == SANE_STATUS_GOOD) return SUCCESS;
        const QString title = d && d->title && *d->title ? QString::fromLocal8Bit(d->title)
                                                         : QString::fromLocal8Bit(d ? d->name : "");
        error = LoadResString(IDS_SANE_REFUSED).arg(name, title, Why(status));
        return ERROR_INV_PARAMETER;
    }
    int SetString(int option, const QString& text) {
        const SANE_Option_Descriptor* d = Desc(option);
        std::vector<char> value(std::size_t(std::max<SANE_Int>(d ? d->size : 0, 1)), '\0');
        const QByteArray bytes = text.toLocal8Bit();
        std::memcpy(value.data(), bytes.constData(), std::min(value.size() - 1, std::size_t(bytes.size())));
        return Set(option, value.data());
    }
    int SetNumber(int option, double number) {
        const SANE_Option_Descriptor* d = Desc(option);
        if (!d || !IsNumber(d)) return ERROR_INV_PARAMETER;
        const SANE_Word w =
            d->type == SANE_TYPE_FIXED ? SANE_FIX(number) : SANE_Word(std::lround(number));
        // An option of several values (one a colour, say) takes the same one in each.
        std::vector<SANE_Word> value(std::size_t(d->size) / sizeof(SANE_Word), w);
        return Set(option, value.data());
    }

    int CurrentResolution() const {
        double dpi = 0;
        return GetNumber(resolution, dpi) ? int(std::lround(dpi)) : 0;
    }
    // Millimetres per unit of an area option at the current resolution; 0 for other units.
    double MmPerUnit(int option) const {
        const SANE_Option_Descriptor* d = Desc(option);
        if (!d) return 0;
        if (d->unit == SANE_UNIT_MM) return 1;
        const int dpi = CurrentResolution();
        return d->unit == SANE_UNIT_PIXEL && dpi > 0 ? 25.4 / dpi : 0;
    }

    void ReadOffer() {
        offer = ScanOffer();
        offer.sources = StringList(source);
        for (const QString& s : offer.sources)
            if (ContainsAny(s, {"adf", "feeder", "automatic document"})) {
                offer.feederSource = s;
                break;
            }
        const QStringList modes = StringList(mode);
        if (mode > 0) {
            const bool gray = !ModeValue(modes, ScanMode::Gray).isEmpty();
            if (!ModeValue(modes, ScanMode::Color).isEmpty()) offer.modes << ScanMode::Color;
            if (gray) offer.modes << ScanMode::Gray;
            if (!ModeValue(modes, ScanMode::Lineart).isEmpty() || (gray && Allows(depth, 1)))
                offer.modes << ScanMode::Lineart;
        } else {
            // A device without modes scans the one way its parameters tell.
            SANE_Parameters p{};
            if (sane_get_parameters(handle, &p) == SANE_STATUS_GOOD)
                offer.modes << (p.format != SANE_FRAME_GRAY ? ScanMode::Color
                                : p.depth == 1              ? ScanMode::Lineart
                                                            : ScanMode::Gray);
        }
        QList<double> list;
        double min = 0, max = 0;
        if (Allowed(resolution, list, min, max)) {
            for (double r : list) offer.resolutions << int(std::lround(r));
            if (list.isEmpty()) {
                offer.minResolution = int(std::ceil(min));
                offer.maxResolution = int(std::floor(max));
            }
        }
        offer.resolution = CurrentResolution();
        double size[2] = {0, 0};
        for (int k = 0; k < 2; ++k) {
            double tlMin = 0, tlMax = 0, brMin = 0, brMax = 0;
            if (Allowed(area[k], list, tlMin, tlMax) && list.isEmpty() &&
                Allowed(area[k + 2], list, brMin, brMax) && list.isEmpty())
                size[k] = std::max(0.0, brMax - tlMin) * MmPerUnit(area[k + 2]);
        }
        if (size[0] > 0 && size[1] > 0) offer.bedMm = QSizeF(size[0], size[1]);
    }

    int ApplySource(const QString& wanted) {
        QString value;
        if (wanted.compare(QLatin1String("adf"), Qt::CaseInsensitive) == 0) {
            if (offer.feederSource.isEmpty()) {
                error = LoadResString(IDS_SANE_NO_FEEDER).arg(name);
                return ERROR_INV_PARAMETER;
            }
            value = offer.feederSource;
        } else if (wanted.compare(QLatin1String("flatbed"), Qt::CaseInsensitive) == 0) {
            // A device without sources has nothing but its bed.
            if (offer.sources.isEmpty()) return SUCCESS;
            value = offer.sources.first();
            for (const QString& s : offer.sources)
                if (s.contains(QLatin1String("flatbed"), Qt::CaseInsensitive)) {
                    value = s;
                    break;
                }
        } else {
            for (const QString& s : offer.sources)
                if (s.compare(wanted, Qt::CaseInsensitive) == 0) value = s;
            if (value.isEmpty()) {
                error = LoadResString(IDS_SANE_NO_SOURCE)
                            .arg(name, wanted, offer.sources.join(QStringLiteral(", ")));
                return ERROR_INV_PARAMETER;
            }
        }
        return GetString(source) == value ? int(SUCCESS) : SetString(source, value);
    }

    int ApplyMode(ScanMode wanted) {
        const QString refused = LoadResString(IDS_SANE_NO_MODE).arg(name, LoadResString(ModeNameId(wanted)));
        if (mode <= 0) {
            if (offer.modes.contains(wanted)) return SUCCESS;
            error = refused;
            return ERROR_INV_PARAMETER;
        }
        const QStringList modes = StringList(mode);
        QString value = ModeValue(modes, wanted);
        // Without a black and white mode, black and white is grey at one bit.
        const bool oneBitGrey = value.isEmpty() && wanted == ScanMode::Lineart &&
                                !ModeValue(modes, ScanMode::Gray).isEmpty() && Allows(depth, 1);
        if (oneBitGrey) value = ModeValue(modes, ScanMode::Gray);
        if (value.isEmpty()) {
            error = refused;
            return ERROR_INV_PARAMETER;
        }
        int rc = GetString(mode) == value ? int(SUCCESS) : SetString(mode, value);
        if (rc != SUCCESS) return rc;
        // Grey and colour at 8 bits where the device lets the depth be chosen: more is cut to 8
        // bits anyway, and one bit would be black and white.
        const double depthWanted = oneBitGrey ? 1 : 8;
        double current = 0;
        if (wanted != ScanMode::Lineart || oneBitGrey)
            if (Settable(depth) && Allows(depth, depthWanted) && GetNumber(depth, current) &&
                current != depthWanted)
                rc = SetNumber(depth, depthWanted);
        return rc;
    }

    int ApplyResolution(int dpi) {
        QList<double> list;
        double min = 0, max = 0;
        const bool constrained = Allowed(resolution, list, min, max);
        double value = dpi;
        QString takes;
        if (!Settable(resolution)) {
            if (CurrentResolution() == dpi) return SUCCESS;
            takes = QString::number(CurrentResolution());
        } else if (constrained && !list.isEmpty()) {
            // The listed resolution nearest to the one asked for, within the list's span.
            std::sort(list.begin(), list.end());
            if (dpi >= list.first() && dpi <= list.last()) {
                value = *std::min_element(list.begin(), list.end(), [dpi](double a, double b) {
                    return std::abs(a - dpi) < std::abs(b - dpi);
                });
                return SetNumber(resolution, value);
            }
            QStringList all;
            for (double r : list) all << QString::number(r);
            takes = all.join(QStringLiteral(", "));
        } else if (!constrained || (dpi >= min && dpi <= max)) {
            return SetNumber(resolution, value);
        } else {
            takes = LoadResString(IDS_SANE_RESOLUTION_RANGE).arg(min).arg(max);
        }
        error = LoadResString(IDS_SANE_BAD_RESOLUTION).arg(name).arg(dpi).arg(takes);
        return ERROR_INV_PARAMETER;
    }

    int ApplyArea(const QRectF& mm) {
        // The option values of the area: the whole bed, or the part asked for within it.
        double target[4] = {0, 0, 0, 0}, min[4] = {0, 0, 0, 0}, max[4] = {0, 0, 0, 0};
        for (int k = 0; k < 4; ++k) {
            QList<double> list;
            if (!Settable(area[k]) || !Allowed(area[k], list, min[k], max[k]) || !list.isEmpty() ||
                MmPerUnit(area[k]) <= 0)
                return SUCCESS; // no area to set: the device scans what it scans
        }
        const double edges[4] = {mm.left(), mm.top(), mm.right(), mm.bottom()};
        for (int k = 0; k < 4; ++k)
            target[k] = mm.isEmpty() ? (k < 2 ? min[k] : max[k])
                                     : std::clamp(edges[k] / MmPerUnit(area[k]), min[k], max[k]);
        // The far corner goes out first, so that the near one never passes it on the way.
        const int order[6] = {2, 3, 0, 1, 2, 3};
        for (int i = 0; i < 6; ++i) {
            const int k = order[i];
            const int rc = SetNumber(area[k], i < 2 ? max[k] : target[k]);
            if (rc != SUCCESS) return rc;
        }
        return SUCCESS;
    }
};

CSaneScanner::CSaneScanner() : d(std::make_unique<Impl>()) {}
CSaneScanner::~CSaneScanner() = default;

bool CSaneScanner::ListDevices(QList<ScanDevice>& devices, QString& error) {
    DEF_TRY
    devices.clear();
    if (!AcquireSane(error)) return false;
    const bool ok = ReadDeviceList(devices, error);
    ReleaseSane();
    return ok;
    DEF_CATCH
    return false;
}

int CSaneScanner::Open(const QString& name) {
    DEF_TRY
    d->Close();
    d->error.clear();
    d->offer = ScanOffer();
    d->name = name;
    if (!AcquireSane(d->error)) return ERROR_FILE_OPEN;
    d->saneHeld = true;
    if (d->name.isEmpty()) {
        QList<ScanDevice> devices;
        if (!ReadDeviceList(devices, d->error)) return ERROR_FILE_OPEN;
        if (devices.isEmpty()) {
            d->error = LoadResString(IDS_SANE_NO_DEVICES);
            return ERROR_FILE_OPEN;
        }
        d->name = devices.first().name;
    }
    SANE_Handle handle = nullptr;
    const SANE_Status status = sane_open(d->name.toLocal8Bit().constData(), &handle);
    if (status != SANE_STATUS_GOOD) {
        // SANE answers a name that no backend knows as an invalid argument.
        d->error = status == SANE_STATUS_INVAL
                       ? LoadResString(IDS_SANE_DEVICE_MISSING).arg(d->name)
                       : LoadResString(IDS_SANE_OPEN_FAILED).arg(d->name, Why(status));
        return ERROR_FILE_OPEN;
    }
    d->handle = handle;
    d->FindOptions();
    d->ReadOffer();
    d->feeder = !d->offer.feederSource.isEmpty() && d->GetString(d->source) == d->offer.feederSource;
    return SUCCESS;
    DEF_CATCH
    return ERROR_INTERNAL;
}

bool CSaneScanner::IsOpen() const { return d->handle != nullptr; }
QString CSaneScanner::DeviceName() const { return d->name; }
const ScanOffer& CSaneScanner::Offer() const { return d->offer; }
bool CSaneScanner::IsFeeder() const { return d->feeder; }
QString CSaneScanner::ErrorText() const { return d->error; }

int CSaneScanner::Apply(const ScanSettings& settings) {
    DEF_TRY
    d->error.clear();
    if (!IsOpen()) {
        d->error = LoadResString(IDS_SANE_NOT_OPEN);
        return ERROR_INV_PARAMETER;
    }
    int rc = settings.source.isEmpty() ? int(SUCCESS) : d->ApplySource(settings.source);
    if (rc == SUCCESS) rc = d->ApplyMode(settings.mode);
    if (rc == SUCCESS && settings.resolution > 0) rc = d->ApplyResolution(settings.resolution);
    if (rc == SUCCESS) rc = d->ApplyArea(settings.areaMm);
    d->feeder = !d->offer.feederSource.isEmpty() && d->GetString(d->source) == d->offer.feederSource;
    return rc;
    DEF_CATCH
    return ERROR_INTERNAL;
}

int CSaneScanner::ScanPage(LBitmapBase& page, const std::function<bool(int percent)>& progress) {
    DEF_TRY
    d->error.clear();
    if (!IsOpen()) {
        d->error = LoadResString(IDS_SANE_NOT_OPEN);
        return ERROR_INV_PARAMETER;
    }
    d->cancelled = false;
    SANE_Handle handle = d->handle;
    CSaneFrameReader reader(
        [this, handle](SANE_Parameters& p) {
            if (d->cancelled) return SANE_STATUS_CANCELLED;
            SANE_Status status = sane_start(handle);
            if (status == SANE_STATUS_GOOD) status = sane_get_parameters(handle, &p);
            return status;
        },
        [handle](SANE_Byte* data, SANE_Int max, SANE_Int* length) {
            return sane_read(handle, data, max, length);
        });
    const int dpi = d->CurrentResolution();
    const int rc = reader.ReadPage(page, dpi, dpi, [this, &progress](int percent) {
        return !d->cancelled && (!progress || progress(percent));
    });
    if (rc == SUCCESS) return SUCCESS; // a feeder goes on to its next page; Finish ends it
    // Whatever went wrong, the device is left idle.
    sane_cancel(handle);
    if (rc == ERROR_USER_ABORT || d->cancelled) {
        page.Free();
        return ERROR_USER_ABORT;
    }
    d->error = reader.ErrorText();
    return rc;
    DEF_CATCH
    page.Free();
    return ERROR_INTERNAL;
}

void CSaneScanner::Cancel() {
    d->cancelled = true;
    if (SANE_Handle handle = d->handle) sane_cancel(handle);
}

void CSaneScanner::Finish() {
    if (d->handle) sane_cancel(d->handle);
}
