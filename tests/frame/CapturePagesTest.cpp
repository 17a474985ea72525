// The capture pages of Tools > Options, through the sheet as the frame runs it: what each page
// writes back on OK, and that the pages leave each other's fields alone.

#include "FrameFixture.h"
#include "TestSupport.h"

#include "acquire/CaptureCommands.h"
#include "acquire/CaptureKeys.h"
#include "acquire/CaptureKinds.h"
#include "acquire/UserScrCapture.h"
#include "app/CommandIds.h"
#include "frame/CommandManager.h"
#include "frame/OptionsPropPageCapture.h"
#include "frame/OptionsPropPageCaptureAdditional.h"
#include "frame/OptionsPropPageCaptureMultiple.h"

#include <gtest/gtest.h>

namespace {
class CapturePages : public FrameFixture {
protected:
    // Runs Tools > Options; `edit` changes the pages' members, the sheet ends with OK.
    void RunSheet(const std::function<void(COptionsDialog&)>& edit) {
        TestDialogs().handlers[QStringLiteral("COptionsDialog")] = [edit](CModalDialog& dlg) {
            edit(static_cast<COptionsDialog&>(dlg));
            return IDOK;
        };
        frame.GetCommands()->Execute(ID_OPTIONS);
    }
    CCaptureCommands& capture() { return *frame.GetCaptureCommands(); }
};
} // namespace

TEST_F(CapturePages, TheSheetsPagesInTheirOrder) {
    RunSheet([](COptionsDialog& sheet) {
        ASSERT_EQ(sheet.GetPageCount(), 4);
        EXPECT_NE(dynamic_cast<COptionsPropPageCapture*>(sheet.GetPage(0)), nullptr);
        EXPECT_NE(dynamic_cast<COptionsPropPageCaptureAdditional*>(sheet.GetPage(1)), nullptr);
        EXPECT_NE(dynamic_cast<COptionsPropPageGeneral*>(sheet.GetPage(2)), nullptr);
        EXPECT_NE(dynamic_cast<COptionsPropPageCaptureMultiple*>(sheet.GetPage(3)), nullptr);
    });
}

TEST_F(CapturePages, HotKeysFolderAndFormatAreWrittenBack) {
    RunSheet([](COptionsDialog& sheet) {
        auto* page = dynamic_cast<COptionsPropPageCapture*>(sheet.GetPage(0));
        ASSERT_NE(page, nullptr);
        page->m_lead[LEADCAP_HOTKEY] = 0x7B; // F12
        page->m_lead[LEADCAP_MODIFIERS] = HK_MOD_SHIFT;
        page->m_lead[LEADCAP_CANCEL_KEY] = 0x51;
        page->m_strImagesPath = QStringLiteral("/tmp/brellin-shots");
        page->m_nImageFormat = 3;
    });
    EXPECT_EQ(capture().GetLeadOptions()[LEADCAP_HOTKEY], 0x7B);
    EXPECT_EQ(LoadLeadCaptureOptions()[LEADCAP_MODIFIERS], LONG(HK_MOD_SHIFT));
    EXPECT_EQ(LoadLeadCaptureOptions()[LEADCAP_CANCEL_KEY], 0x51);
    EXPECT_EQ(frame.GetImagesPath(), QStringLiteral("/tmp/brellin-shots"));
    // The general page, applied after it, keeps the format the capture page chose.
    EXPECT_EQ(frame.GetOptions()[OPT_IMAGES_FORMAT], 3);
    EXPECT_EQ(LoadFrameOptions()[OPT_IMAGES_FORMAT], 3);
}

TEST_F(CapturePages, EachFlagsPageWritesOnlyItsOwnFields) {
    RunSheet([](COptionsDialog& sheet) {
        auto* additional = dynamic_cast<COptionsPropPageCaptureAdditional*>(sheet.GetPage(1));
        auto* multiple = dynamic_cast<COptionsPropPageCaptureMultiple*>(sheet.GetPage(3));
        ASSERT_TRUE(additional && multiple);
        additional->m_options[CAPOPT_IMMEDIATE] = 0;
        additional->m_options[CAPOPT_SHOW_AFTER] = 0;
        // Not a field of the additional page: it must not come through.
        additional->m_options[CAPOPT_MULTI_WALLPAPER] = 1;
        multiple->m_options[CAPOPT_MULTI_WINDOW_UNDER_CURSOR] = 0;
        multiple->m_options[CAPOPT_MULTI_WALLPAPER] = 0;
    });
    const CaptureOptions o = capture().GetOptions();
    EXPECT_EQ(o[CAPOPT_IMMEDIATE], 0);
    EXPECT_EQ(o[CAPOPT_SHOW_AFTER], 0);
    EXPECT_EQ(o[CAPOPT_MULTI_WINDOW_UNDER_CURSOR], 0);
    EXPECT_EQ(o[CAPOPT_MULTI_WALLPAPER], 0);
    EXPECT_EQ(o[CAPOPT_TO_DOCUMENT], 1);
    EXPECT_FALSE(capture().Capture().IsImmediate()) << "the capture object follows option 0";
    EXPECT_EQ(LoadCaptureOptions()[CAPOPT_SHOW_AFTER], 0);
}

TEST_F(CapturePages, TheBarAndTheScreenshotWaysAreCommandsOfTheFrame) {
    ASSERT_NE(frame.GetBar(QStringLiteral("CaptureBar")), nullptr);
    for (UINT id : {UINT(ID_SCREENSHOT_TO_DOCUMENT), UINT(ID_SCREENSHOT_TO_FILE), UINT(ID_SCREENSHOT_TO_CLIPBOARD)})
        EXPECT_NE(frame.GetCommands()->Action(id), nullptr) << id;
    frame.GetCommands()->Execute(ID_SCREENSHOT_TO_FILE);
    frame.GetCommands()->UpdateAll();
    EXPECT_EQ(frame.GetCommands()->State(ID_SCREENSHOT_TO_FILE).m_nCheck, 1);
    // Closing keeps the capture records.
    frame.close();
    EXPECT_EQ(LoadCaptureOptions()[CAPOPT_TO_FILE], 1);
}
