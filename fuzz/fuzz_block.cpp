// libFuzzer target: the reader of object data blocks, as they come from the clipboard, a drag
// from another program or the shelf (every kind, groups in groups included). What it makes must
// give its own block back, and that block must make the object again.
#include "FuzzCommon.h"

#include "objects/ObjectFactory.h"
#include "objects/ObjectTypes.h"
#include "objects/TestObjectHost.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzSetup();
    g_dUnitScale = 0.00001;
    static CGeometryObjectHost host;
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::vector<std::unique_ptr<CTranspBaseClass>> objects =
        CreateObjectsFromBlock(bytes, POINT{1000, 2000}, &host, 0);
    for (const auto& object : objects) {
        RECT rc;
        object->GetBoundsRect(&rc);
        const QByteArray again = object->GetObData();
        if (again.isEmpty()) __builtin_trap();
        if (CreateObjectsFromBlock(again, POINT{0, 0}, &host, 0).size() != 1) __builtin_trap();
    }
    return 0;
}
