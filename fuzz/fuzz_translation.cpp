// libFuzzer target: the translation file reader (its line rules, sections, numbers, escapes and
// both encodings), then every lookup a loaded translation answers.
#include "FuzzCommon.h"

#include "app/LocalResources.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzSetup();
    CLocalResources translation(1);
    translation.LoadText(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    QString text;
    char16_t buffer[8];
    for (UINT id : {0u, 1u, 31u, 109u, 413u, 57600u, 0xFFFFFFFFu}) {
        translation.GetString(id, text);
        translation.GetString(id, buffer, 8);
    }
    // Every record's first text and count must lie inside the tables it indexes.
    for (const MenuInfo& m : translation.GetMenus())
        if (m.nFirstText < 0 || m.nFirstText + m.nTextCount > translation.GetMenuTexts().size())
            __builtin_trap();
    return 0;
}
