// The page-name suffix of exported page files.

#include "TestSupport.h"

#include "document/LumidorDoc.h"
#include "platform/imaging/BitmapBase.h"
#include "view/PageExport.h"

#include <QImage>

#include <gtest/gtest.h>

TEST(PageExport, FileNamesCarryThePageNameWithUnderscores) {
    CLumidorDoc doc;
    QImage img(8, 8, QImage::Format_RGB32);
    img.fill(Qt::white);
    img.setPixel(0, 0, qRgb(0, 0, 0));
    img.setPixel(7, 7, qRgb(0, 0, 0));
    LBitmapBase bitmap;
    bitmap.SetImage(img, 24);
    ASSERT_TRUE(doc.CreateFromBitmap(bitmap));
    doc.GetPageInfo(0)->m_strPageName = "Photo page 2";
    struct Case {
        const char* path;
        const char* expected;
    };
    const Case cases[] = {
        {"/tmp/out.png", "/tmp/out_Photo_page_2.png"},
        {"/tmp/out.final.tif", "/tmp/out.final_Photo_page_2.tif"},
        {"/tmp/my.folder/out", "/tmp/my.folder/out_Photo_page_2"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PageFileName(doc, 0, QString::fromUtf8(c.path)), QString::fromUtf8(c.expected))
            << c.path;
}
