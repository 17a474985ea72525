#include "platform/DialogService.h"

#include <gtest/gtest.h>

namespace {

TEST(DialogServiceTest, ConvertFileFilter) {
    struct Case {
        const char* filter;
        const char* converted;
    };
    const Case cases[] = {
        {"Text|*.txt|All|*.*||", "Text (*.txt);;All (*.*)"},
        {"Pictures|*.png;*.jpg||", "Pictures (*.png *.jpg)"},
        // Descriptions that already show their patterns are not given them twice.
        {"PDF files (*.pdf)|*.pdf|All files (*.*)|*.*||", "PDF files (*.pdf);;All files (*.*)"},
        {"Image files (*.bmp;*.png)|*.bmp;*.png|", "Image files (*.bmp *.png)"},
        // A parenthesis that is not the pattern list stays part of the description.
        {"Bitmap (mono)|*.bmp||", "Bitmap (mono) (*.bmp)"},
        {"Brellin documents (*.brf)|*.brf|Brellin templates (*.brt)|*.brt|",
         "Brellin documents (*.brf);;Brellin templates (*.brt)"},
        {"Text|*.txt", "Text (*.txt)"},
        {"", ""},
        {"||", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ConvertFileFilter(QString::fromUtf8(c.filter)).toStdString(), c.converted)
            << c.filter;
}

} // namespace
