// The capture code that runs without an X server: the key mappings of the hot-key record, the
// kind names, the batch command's area, the interface-file dialogs built off the screen, what a
// captured picture becomes, and the commands where no X server is there (the tests run on Qt's
// offscreen platform).

#include "TestSupport.h"

#include "acquire/CaptureBatch.h"
#include "acquire/CaptureCommands.h"
#include "acquire/CaptureHost.h"
#include "acquire/CaptureKeys.h"
#include "acquire/CaptureKinds.h"
#include "acquire/UiDialogCapture.h"
#include "acquire/UserScrCapture.h"
#include "app/CommandIds.h"
#include "platform/ResourceModule.h"
#include "platform/imaging/MyBitmap.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QWidget>
#include <gtest/gtest.h>

#include <X11/X.h>
#include <X11/keysym.h>

namespace {

class CFakeHost : public ICaptureHost {
public:
    bool IsMainWindowVisible() const override { return visible; }
    void HideMainWindow() override { visible = false; ++hidden; }
    void ShowMainWindow() override { visible = true; ++shown; }
    QString GetNextDocName() override { return QString::number(++counter); }
    CLumidorDoc* GetActiveDocument() override { return nullptr; }
    CLumidorView* GetActiveView() override { return nullptr; }
    void SetCaptureCaptions(const QString&, const QString&) override {}
    QString GetImagesPath() const override { return images; }
    void SetImagesPath(const QString& path) override { images = path; }
    int GetImageFormat() const override { return format; }
    void SetImageFormat(int f) override { format = f; }
    void AddCursorToCollection(const LBitmapBase&) override { ++cursors; }
    void HideProgress() override {}
    void ShowStatusMessage(const QString& text) override { status = text; }
    void OpenHelpTopic(const QString& topic) override { help << topic; }
    void CaptureStateChanged() override { ++changes; }

    bool visible = true;
    int hidden = 0, shown = 0, counter = 0, cursors = 0, changes = 0, format = 4;
    QString images, status;
    QStringList help;
};

LMyBitmap Screen(int w, int h) {
    LMyBitmap b;
    QImage img(w, h, QImage::Format_RGB888);
    img.fill(QColor(10, 200, 30));
    b.SetImage(img, 24);
    return b;
}

QString WriteFile(const QString& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir + QLatin1Char('/') + name;
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

const QByteArray kDialogUi = R"(<?xml version="1.0" encoding="UTF-8"?>
<ui version="4.0">
 <class>FindDialog</class>
 <widget class="QDialog" name="FindDialog">
  <property name="geometry"><rect><x>0</x><y>0</y><width>320</width><height>140</height></rect></property>
  <property name="windowTitle"><string>Find Text</string></property>
  <layout class="QVBoxLayout" name="layout">
   <item><widget class="QLineEdit" name="text"/></item>
   <item><widget class="QPushButton" name="find"><property name="text"><string>Find</string></property></widget></item>
  </layout>
 </widget>
</ui>
)";

// The messages are the resource module's texts.
class CaptureWithTexts : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(LoadResourceModule(qEnvironmentVariable("BRELLIN_DATA_DIR") + QStringLiteral("/Brellin.eng")));
    }
};
class UiDialogCapture : public CaptureWithTexts {};
class UserScrCapture : public CaptureWithTexts {};
class CaptureCommands : public CaptureWithTexts {};

} // namespace

TEST(CaptureKeys, VirtualKeysMapToKeySymsAndBack) {
    using namespace capturekeys;
    EXPECT_EQ(VirtualKeyToKeySym(0x7A), static_cast<unsigned long>(XK_F11));
    EXPECT_EQ(VirtualKeyToKeySym(0x1B), static_cast<unsigned long>(XK_Escape));
    EXPECT_EQ(VirtualKeyToKeySym('A'), static_cast<unsigned long>(XK_a));
    EXPECT_EQ(VirtualKeyToKeySym(0), 0ul);
    EXPECT_EQ(VirtualKeyToKeySym(0xFF), 0ul);
    for (UINT vk : {UINT('0'), UINT('9'), UINT('A'), UINT('Z'), 0x70u, 0x87u, 0x2Cu, 0x60u, 0x69u, 0x24u})
        EXPECT_EQ(KeySymToVirtualKey(VirtualKeyToKeySym(vk)), vk) << vk;
    // An upper-case letter's keysym is the same key.
    EXPECT_EQ(KeySymToVirtualKey(XK_Q), UINT('Q'));
}

TEST(CaptureKeys, ModifierBitsMapToMasksAndQtAndBack) {
    using namespace capturekeys;
    EXPECT_EQ(ModifiersToXMask(HK_MOD_ALT | HK_MOD_CONTROL), unsigned(Mod1Mask | ControlMask));
    for (UINT m = 0; m < 16; ++m) {
        EXPECT_EQ(XMaskToModifiers(ModifiersToXMask(m)), m);
        EXPECT_EQ(QtModifiersToModifiers(ModifiersToQt(m)), m);
    }
    // The lock keys are no modifiers of the hot key.
    EXPECT_EQ(XMaskToModifiers(LockMask | Mod2Mask | ShiftMask), UINT(HK_MOD_SHIFT));
}

TEST(CaptureKeys, KeySequencesOfTheOptionsPage) {
    using namespace capturekeys;
    const QKeySequence f11 = ToKeySequence(0x7A, 0);
    EXPECT_EQ(f11, QKeySequence(Qt::Key_F11));
    EXPECT_EQ(ToKeySequence(UINT('P'), HK_MOD_CONTROL | HK_MOD_SHIFT),
              QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
    UINT vk = 1, mods = 1;
    ASSERT_TRUE(FromKeySequence(QKeySequence(Qt::ALT | Qt::Key_F5), vk, mods));
    EXPECT_EQ(vk, 0x74u);
    EXPECT_EQ(mods, UINT(HK_MOD_ALT));
    // An empty sequence or a key without a code leaves the values alone.
    EXPECT_FALSE(FromKeySequence(QKeySequence(), vk, mods));
    EXPECT_FALSE(FromKeySequence(QKeySequence(Qt::Key_Launch0), vk, mods));
    EXPECT_EQ(vk, 0x74u);
    EXPECT_TRUE(ToKeySequence(0, 0).isEmpty());
}

TEST(CaptureKinds, NamesOfTheTable) {
    EXPECT_EQ(CaptureKindName(1), QStringLiteral("FullScreen"));
    EXPECT_EQ(CaptureKindName(3), QStringLiteral("ActiveWindow"));
    EXPECT_EQ(CaptureKindName(9), QStringLiteral("DesktopWallPaper"));
    EXPECT_EQ(CaptureKindName(11), QStringLiteral("FromTabbedView"));
    for (int k : {-1, 0, 12, 13, 1000}) EXPECT_TRUE(CaptureKindName(k).isEmpty()) << k;
}

TEST(CaptureBatch, AreaArguments) {
    QRect r;
    ASSERT_TRUE(ParseCaptureArea(QStringLiteral("area:10,-20,300,40"), r));
    EXPECT_EQ(r, QRect(10, -20, 300, 40));
    ASSERT_TRUE(ParseCaptureArea(QStringLiteral("area:0,0,0,0"), r));
    EXPECT_TRUE(r.isEmpty());
    for (const char* bad : {"area:1,2,3", "area:1,2,-3,4", "area:a,b,c,d", "area:1,2,3,4,5", "full",
                            "area:1,2,99999999999,4"})
        EXPECT_FALSE(ParseCaptureArea(QString::fromLatin1(bad), r)) << bad;
}

TEST_F(UiDialogCapture, BuildsTheDialogOffTheScreen) {
    const QString dir = TestTempDir();
    const QString path = WriteFile(dir, QStringLiteral("find.ui"), kDialogUi);
    const int before = int(QApplication::topLevelWidgets().size());
    QImage image;
    QString error;
    ASSERT_EQ(CUiDialogCapture::CaptureFile(path, image, error), SUCCESS) << error.toStdString();
    EXPECT_GT(image.width(), 50);
    EXPECT_GT(image.height(), 20);
    EXPECT_EQ(CUiDialogCapture::FormCaption(path), QStringLiteral("Find Text"));
    EXPECT_EQ(int(QApplication::topLevelWidgets().size()), before) << "the built form stayed";
}

TEST_F(UiDialogCapture, RefusesDamagedAndHugeFiles) {
    const QString dir = TestTempDir();
    const int before = int(QApplication::topLevelWidgets().size());
    QByteArray huge = "<ui version=\"4.0\"><widget class=\"QDialog\" name=\"d\">";
    huge += QByteArray(int(CUiDialogCapture::kMaxFileBytes), ' ');
    huge += "</widget></ui>";
    const QString files[] = {
        WriteFile(dir, QStringLiteral("cut.ui"), kDialogUi.left(kDialogUi.size() / 2)),
        WriteFile(dir, QStringLiteral("noform.ui"), "<ui version=\"4.0\"><class>X</class></ui>"),
        WriteFile(dir, QStringLiteral("html.ui"), "<html><widget class=\"QDialog\"/></html>"),
        WriteFile(dir, QStringLiteral("binary.ui"), QByteArray("\x00\xff\x10garbage", 10)),
        WriteFile(dir, QStringLiteral("huge.ui"), huge),
        dir + QStringLiteral("/missing.ui"),
    };
    for (const QString& f : files) {
        QImage image;
        QString error;
        EXPECT_NE(CUiDialogCapture::CaptureFile(f, image, error), SUCCESS) << f.toStdString();
        EXPECT_TRUE(image.isNull());
        EXPECT_FALSE(error.isEmpty()) << f.toStdString();
        EXPECT_TRUE(CUiDialogCapture::FormCaption(f).isEmpty());
    }
    EXPECT_EQ(int(QApplication::topLevelWidgets().size()), before);
}

TEST_F(UiDialogCapture, TheChosenFileFirstThenItsFolder) {
    const QString dir = TestTempDir();
    WriteFile(dir, QStringLiteral("b.ui"), kDialogUi);
    WriteFile(dir, QStringLiteral("a.ui"), kDialogUi);
    WriteFile(dir, QStringLiteral("c.txt"), "x");
    const QStringList chosen = CUiDialogCapture::FilesOf(dir + QStringLiteral("/b.ui"));
    ASSERT_EQ(chosen.size(), 2);
    EXPECT_TRUE(chosen[0].endsWith(QStringLiteral("/b.ui")));
    EXPECT_TRUE(chosen[1].endsWith(QStringLiteral("/a.ui")));
    const QStringList folder = CUiDialogCapture::FilesOf(dir);
    ASSERT_EQ(folder.size(), 2);
    EXPECT_TRUE(folder[0].endsWith(QStringLiteral("/a.ui")));
}

TEST_F(UserScrCapture, AllWaysOffOnlyBeeps) {
    CFakeHost host;
    host.images = TestTempDir();
    CaptureOptions options = DefaultCaptureOptions();
    LeadCaptureOptions lead = DefaultLeadCaptureOptions();
    options[CAPOPT_TO_DOCUMENT] = options[CAPOPT_TO_FILE] = options[CAPOPT_TO_CLIPBOARD] = 0;
    LUserScrCapture capture(host, options, lead);
    LMyBitmap b = Screen(40, 30);
    EXPECT_EQ(capture.ScreenCaptureCallBack(b), SUCCESS);
    EXPECT_EQ(host.counter, 1) << "the name is taken as for any capture";
    EXPECT_TRUE(QDir(host.images).entryList(QDir::Files).isEmpty());
    EXPECT_EQ(host.cursors, 0);
}

TEST_F(UserScrCapture, FilesInTheImagesFolderNeverReplaceEarlierOnes) {
    CFakeHost host;
    host.images = TestTempDir() + QStringLiteral("/shots");
    CaptureOptions options = DefaultCaptureOptions();
    LeadCaptureOptions lead = DefaultLeadCaptureOptions();
    options[CAPOPT_TO_DOCUMENT] = 0;
    options[CAPOPT_TO_FILE] = 1;
    LUserScrCapture capture(host, options, lead);
    LMyBitmap b = Screen(40, 30);
    ASSERT_EQ(capture.ScreenCaptureCallBack(b), SUCCESS);
    host.counter = 0; // a new session counts from 1 again
    ASSERT_EQ(capture.ScreenCaptureCallBack(b), SUCCESS);
    host.format = 1;
    ASSERT_EQ(capture.ScreenCaptureCallBack(b), SUCCESS);
    // A metafile is no format for a screen picture: it is written as a bitmap file.
    host.format = 5;
    ASSERT_EQ(capture.ScreenCaptureCallBack(b), SUCCESS);
    const QStringList files = QDir(host.images).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(files, (QStringList{QStringLiteral("1 (2).png"), QStringLiteral("1.png"),
                                  QStringLiteral("2.bmp"), QStringLiteral("3.bmp")}));
    LMyBitmap back;
    ASSERT_EQ(back.Load(host.images + QStringLiteral("/1 (2).png")), SUCCESS);
    EXPECT_EQ(back.GetWidth(), 40);
    EXPECT_EQ(back.GetPixelColor(5, 5), RGB(10, 200, 30));
    EXPECT_TRUE(TestMessages().shown.empty());
}

TEST_F(UserScrCapture, AnUnallocatedPictureDoesNothing) {
    CFakeHost host;
    CaptureOptions options = DefaultCaptureOptions();
    LeadCaptureOptions lead = DefaultLeadCaptureOptions();
    LUserScrCapture capture(host, options, lead);
    LMyBitmap empty;
    EXPECT_NE(capture.ScreenCaptureCallBack(empty), SUCCESS);
    EXPECT_EQ(host.counter, 0);
}

TEST_F(UserScrCapture, WithoutAnXServerTheCaptureSaysSoAndStaysIdle) {
    CFakeHost host;
    CaptureOptions options = DefaultCaptureOptions();
    LeadCaptureOptions lead = DefaultLeadCaptureOptions();
    LUserScrCapture capture(host, options, lead);
    EXPECT_EQ(capture.CaptureKind(CAPTURE_FULL_SCREEN), ERROR_UNSUPPORTED);
    EXPECT_EQ(capture.GetKind(), 0);
    EXPECT_FALSE(LScreenCapture::IsCaptureActive());
    ASSERT_EQ(TestMessages().shown.size(), 1u);
    EXPECT_TRUE(TestMessages().shown[0].text.contains(QStringLiteral("X11")));
    // The window went away for the capture and came back.
    EXPECT_TRUE(host.visible);
}

TEST_F(CaptureCommands, WithoutAnXServerTheCapturesAreDisabledAndTheTogglesWork) {
    CFakeHost host;
    CCaptureCommands commands(host);
    CCommandMap map;
    commands.RegisterCommands(map);
    for (UINT id : {UINT(ID_CAPTURE_SCREEN), UINT(ID_CAPTURE_MULTIPLE), UINT(ID_CAPTURE_START),
                    UINT(ID_CAPTURE_STOP)}) {
        CCmdUI ui(id);
        ASSERT_TRUE(map.Update(ui));
        EXPECT_FALSE(ui.m_bEnabled) << id;
    }
    commands.RegisterHotKey();
    EXPECT_TRUE(host.status.contains(QStringLiteral("X11")));
    // The screenshot ways are independent toggles of options 11 to 13.
    map.Execute(ID_SCREENSHOT_TO_CLIPBOARD);
    map.Execute(ID_SCREENSHOT_TO_DOCUMENT);
    EXPECT_EQ(commands.GetOptions()[CAPOPT_TO_DOCUMENT], 0);
    EXPECT_EQ(commands.GetOptions()[CAPOPT_TO_CLIPBOARD], 1);
    EXPECT_EQ(LoadCaptureOptions()[CAPOPT_TO_CLIPBOARD], 1) << "kept in the settings";
    CCmdUI way(ID_SCREENSHOT_TO_CLIPBOARD);
    map.Update(way);
    EXPECT_EQ(way.m_nCheck, 1);
    // Immediate capture and option 0 go together.
    map.Execute(ID_CAPTURE_IMMEDIATE);
    EXPECT_FALSE(commands.Capture().IsImmediate());
    EXPECT_EQ(commands.GetOptions()[CAPOPT_IMMEDIATE], 0);
    // A kind outside the start command's list does nothing.
    CaptureOptions o = commands.GetOptions();
    o[CAPOPT_BAR_KIND] = 10;
    commands.SetOptions(o);
    TestMessages().shown.clear();
    commands.OnStartCapture();
    EXPECT_TRUE(TestMessages().shown.empty());
}

TEST_F(CaptureCommands, TheHotKeyRecordIsStored) {
    CFakeHost host;
    CCaptureCommands commands(host);
    LeadCaptureOptions lead = commands.GetLeadOptions();
    lead[LEADCAP_HOTKEY] = 0x7B;
    lead[LEADCAP_MODIFIERS] = HK_MOD_CONTROL;
    commands.SetLeadOptions(lead);
    const LeadCaptureOptions stored = LoadLeadCaptureOptions();
    EXPECT_EQ(stored[LEADCAP_HOTKEY], 0x7B);
    EXPECT_EQ(stored[LEADCAP_MODIFIERS], LONG(HK_MOD_CONTROL));
    EXPECT_EQ(stored[LEADCAP_CANCEL_KEY], 27);
}
