// What the view puts on the clipboard and takes from it: a selection of two shapes travels as one
// group block of hand-checked bytes and lands again at the paste point with its offsets; a text box
// chosen in select mode goes whole with its words; a damaged block makes nothing; dropped files
// are sorted into pictures, documents and one message naming the rest.

#include "TestSupport.h"
#include "ViewFixture.h"
#include "objects/ObjectBytes.h"

#include "objects/ObjectTypes.h"
#include "objects/TranspRectangle.h"
#include "objects/TranspText.h"
#include "platform/MessageBoxes.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QMimeData>
#include <gtest/gtest.h>

namespace {

struct ClipboardFixture : ::testing::Test {
    const bool strings = EnsureResourceModule();
    std::unique_ptr<CLumidorDoc> doc = DocWithImage(400, 300, kWhite);
    ShownView shown{doc.get()};
    CLumidorView& view = shown.view;
    CObjectList& list = *doc->GetObjectsList(0);
    int mode = MODE_SELECT;

    ClipboardFixture() {
        view.SetProgramModeSource([this] { return mode; });
        QGuiApplication::clipboard()->clear();
    }
    CTranspBaseClass* AddRect(RECT rc) {
        doc->AddObjectToList(std::make_unique<CTranspRectangle>(&view, rc, COLORREF(0), 0, 0));
        return list.back().get();
    }
    static QByteArray RectBlock(RECT rc) {
        return Bytes().BlockHead(48, 1, 1).I32s({int(rc.left), int(rc.top), int(rc.right), int(rc.bottom), 0, 0});
    }
    static QByteArray OnClipboard(const char* mime) {
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        return data ? data->data(QString::fromLatin1(mime)) : QByteArray();
    }
    POINT ClientOfUnits(LONG x, LONG y) const {
        POINT p{x, y};
        view.UnitToPage(p);
        view.PageToClient(p);
        return p;
    }
    static RECT AlignOf(const CTranspBaseClass* o) {
        RECT rc;
        o->GetAlignRect(&rc);
        return rc;
    }
};

} // namespace

TEST_F(ClipboardFixture, ASelectionTravelsAsOneGroupBlockAndLandsWithItsOffsets) {
    const RECT a{1000, 1000, 6000, 6000}, b{10000, 3000, 15000, 8000};
    AddRect(a)->SetSelected(TRUE);
    AddRect(b)->SetSelected(TRUE);
    view.GetClipboard().OnEditCopy();

    // Size 12 + (48 + 8) * 2, kind 15, two members, each followed by its offset from the
    // group's top-left corner.
    const QByteArray expected = Bytes().I32s({124, 15, 2}).Raw(RectBlock(a)).I32s({0, 0})
                                    .Raw(RectBlock(b)).I32s({9000, 2000});
    ASSERT_EQ(OnClipboard(OBJECT_CLIPBOARD_MIME), expected);

    const POINT at = ClientOfUnits(20000, 10000);
    ASSERT_TRUE(view.GetClipboard().PasteObject(expected, at));
    ASSERT_EQ(list.size(), 4u);
    const RECT first = AlignOf(list[2].get()), second = AlignOf(list[3].get());
    EXPECT_NEAR(first.left, 20000, 1042); // a page pixel
    EXPECT_NEAR(first.top, 10000, 1042);
    EXPECT_EQ(second.left - first.left, 9000);
    EXPECT_EQ(second.top - first.top, 2000);
    EXPECT_EQ(second.right - second.left, 5000);
    // The pasted group comes in selected, to be moved on as a whole, and named.
    EXPECT_TRUE(list[2]->m_bSelected && list[3]->m_bSelected);
    EXPECT_FALSE(list[2]->m_bSelected && list[0]->m_bSelected);
    EXPECT_NE(list[2]->GetObjectName(), list[3]->GetObjectName());
}

TEST_F(ClipboardFixture, ATextBoxChosenInSelectModeGoesWholeWithItsWords) {
    auto text = std::make_unique<CTranspText>(&view, 0);
    text->SetText("Hello", FALSE);
    doc->AddObjectToList(std::move(text));
    CTranspBaseClass* box = list.back().get();
    box->SetSelected(TRUE);
    view.GetClipboard().OnEditCopy();
    EXPECT_EQ(OnClipboard(OBJECT_CLIPBOARD_MIME), box->GetObData());
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("Hello"));

    // While typing, only the selected words go, as text.
    mode = MODE_TEXT;
    QGuiApplication::clipboard()->clear();
    view.SetActiveObject(box);
    view.GetClipboard().OnEditCopy();
    EXPECT_TRUE(OnClipboard(OBJECT_CLIPBOARD_MIME).isEmpty());
}

TEST_F(ClipboardFixture, ADamagedBlockMakesNothingAndLeavesTheDocumentAlone) {
    QByteArray lying = RectBlock(RECT{0, 0, 10, 10});
    lying[0] = char(0x7f); // a size far beyond the block
    QByteArray deep = Bytes().I32s({12 + 8 + 12, 15, 1}).I32s({12, 15, 0}).I32s({0, 0});
    for (int i = 0; i < 200; ++i) // groups in groups, far deeper than anyone builds
        deep = Bytes().I32s({int(12 + deep.size() + 8), 15, 1}).Raw(deep).I32s({0, 0});
    const QByteArray unknown = Bytes().BlockHead(48, 999, 1).I32s({0, 0, 10, 10, 0, 0});
    for (const QByteArray& bad : {lying, deep, unknown, QByteArray(3, '\0')}) {
        EXPECT_FALSE(view.GetClipboard().PasteObject(bad, POINT{20, 20}));
        EXPECT_TRUE(list.empty());
        EXPECT_FALSE(doc->IsModified());
    }
}

TEST_F(ClipboardFixture, DroppedFilesBecomePicturesDocumentsAndOneMessageForTheRest) {
    const QString dir = TestTempDir();
    QStringList paths;
    for (int i = 0; i < 30; ++i) paths << QStringLiteral("%1/note%2.xyz").arg(dir).arg(i);
    QImage(8, 6, QImage::Format_RGB32).save(dir + "/tiny.png");
    paths << dir + "/tiny.png" << dir + "/form.brf";
    QStringList opened;
    view.GetClipboard().SetOpenFilesSink([&](const QStringList& p) { opened = p; });
    TestMessages().shown.clear();

    view.GetClipboard().DropFiles(paths, POINT{10, 10});
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(opened, QStringList{dir + "/form.brf"});
    ASSERT_EQ(TestMessages().shown.size(), 1u);
    const QString& text = TestMessages().shown[0].text;
    EXPECT_TRUE(text.contains(QLatin1String("note0.xyz")) && text.contains(QLatin1String("note19.xyz")));
    EXPECT_FALSE(text.contains(QLatin1String("note20.xyz")));
    EXPECT_TRUE(text.contains(QStringLiteral("…")));
}

TEST_F(ClipboardFixture, DroppedTextMakesOneBoxAndTooMuchOfItNone) {
    mode = MODE_TEXT;
    const auto drop = [&](int lines) {
        QMimeData data;
        QString text;
        for (int i = 0; i < lines; ++i) text += QStringLiteral("line %1 of a long page of text\n").arg(i);
        data.setText(text);
        return view.GetClipboard().Drop(&data, DROPEFFECT_COPY, POINT{30, 30});
    };
    // Megabytes are refused whole, and no empty box is left on the page.
    EXPECT_FALSE(drop(60000));
    EXPECT_TRUE(list.empty());
    EXPECT_FALSE(doc->IsModified());
    EXPECT_TRUE(drop(3000));
    ASSERT_EQ(list.size(), 1u);
    EXPECT_TRUE(static_cast<CTranspText*>(list[0].get())->GetText().startsWith("line 0 of a long page of text\r\nline 1"));
}
