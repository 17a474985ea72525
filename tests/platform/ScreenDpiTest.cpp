#include "platform/ScreenDpi.h"

#include <QByteArray>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

TEST(ScreenDpiTest, ParseDpiOverride) {
    struct Good {
        const char* text;
        QPoint dpi;
    };
    const Good good[] = {
        {"120", QPoint(120, 120)},
        {"96,72", QPoint(96, 72)},
        {" 144 , 200 ", QPoint(144, 200)},
        {"10000", QPoint(10000, 10000)},
    };
    for (const Good& g : good) {
        QPoint dpi;
        EXPECT_TRUE(ParseDpiOverride(g.text, dpi)) << g.text;
        EXPECT_EQ(dpi, g.dpi) << g.text;
    }

    for (const char* bad : {"", " ", "0", "-96", "abc", "96x", "1.5", "96,", ",96", "96,0",
                            "96,72,48", "10001", "99999999999"}) {
        QPoint dpi(7, 8);
        EXPECT_FALSE(ParseDpiOverride(bad, dpi)) << bad;
        EXPECT_EQ(dpi, QPoint(7, 8)) << bad;
    }
}

TEST(ScreenDpiTest, EnvironmentOverridesTheScreen) {
    const QByteArray saved = qgetenv("BRELLIN_SCREEN_DPI");
    qputenv("BRELLIN_SCREEN_DPI", "150,75");
    EXPECT_EQ(GetScreenDpi(), QPoint(150, 75));
    // A value that is not one falls back to the screen, never to a zero resolution.
    qputenv("BRELLIN_SCREEN_DPI", "fast");
    const QPoint fallback = GetScreenDpi();
    EXPECT_GT(fallback.x(), 0);
    EXPECT_GT(fallback.y(), 0);
    qputenv("BRELLIN_SCREEN_DPI", saved);
}

} // namespace
