// The committed sample files and the two sample templates: how they are made, and that what is
// committed is what the program reads.
//
// The generator is a disabled test; it writes the files into the source tree:
//   document_tests --gtest_also_run_disabled_tests --gtest_filter='DocFileSamples.DISABLED_*'
// It builds every document with the real objects and saves it through the document's own save;
// the version-2 and version-5 files, which no program writes any more, are built byte by byte.

#include "DocFileTestSupport.h"

#include "app/ProfileRecords.h"
#include "objects/TranspCheckMark.h"
#include "objects/TranspLine.h"
#include "objects/TranspRectangle.h"
#include "objects/TranspText.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace filetest;

namespace {

QString TemplatesDir() {
    return QFileInfo(TestDataDir() + QStringLiteral("/../../resources/Templates")).absoluteFilePath();
}

TEXTSTYLE Font(int size, bool bold = false, COLORREF color = 0) {
    TEXTSTYLE s = DefaultTextStyle();
    s.nSize = size;
    s.lf.lfHeight = -10 * size;
    s.lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    s.crText = color;
    return s;
}

class CFormBuilder {
public:
    // One page with a white 1-bit image of w x h inches at 100 dpi, no frame; labels and entries
    // of fields in the styles given.
    CFormBuilder(CLumidorDoc& doc, double wInches, double hInches, const TEXTSTYLE& label,
                 const TEXTSTYLE& entry)
        : m_doc(doc), m_label(label), m_entry(entry) {
        LBitmapBase white;
        white.Create(int(wInches * 100), int(hInches * 100), 1, {qRgb(0, 0, 0), qRgb(255, 255, 255)});
        white.Fill(0xFFFFFF);
        white.SetXResolution(100);
        white.SetYResolution(100);
        _PAGEINFO& page = *doc.m_PagesList[0];
        page.m_Bitmap.TakePixels(white);
        page.m_ptImagePos = POINT{};
        page.m_nCanvasWidth = page.m_Bitmap.GetWidth();
        page.m_nCanvasHeight = page.m_Bitmap.GetHeight();
        doc.m_bFrame = FALSE;
    }
    // Positions in hundredths of an inch (page pixels), as the form is drawn on paper.
    void Text(int x, int y, const char* text, const TEXTSTYLE& style) {
        Add(std::make_unique<CTranspText>(nullptr, x * 1000, y * 1000, &style, text, 0, TRUE));
    }
    // A form field with the rule it is written on.
    void Field(int x, int y, int right, const TEXTSTYLE& style) {
        auto field = std::make_unique<CTranspText>(nullptr, x * 1000, y * 1000, &style, nullptr, 0, TRUE);
        field->m_bFormField = TRUE;
        Add(std::move(field));
        Rule(x - 4, y + 4, right);
    }
    // A label and the field beside it, from fieldX to right.
    void Field(int x, int y, const char* label, int fieldX, int right) {
        Text(x, y, label, m_label);
        Field(fieldX, y, right, m_entry);
    }
    void Rule(int x, int y, int right) {
        Add(std::make_unique<CTranspLine>(nullptr, x * 1000, y * 1000, right * 1000, y * 1000, 0, 700, 0));
    }
    void Box(int l, int t, int r, int b, int width) {
        Add(std::make_unique<CTranspRectangle>(nullptr, RECT{l * 1000, t * 1000, r * 1000, b * 1000},
                                               0, width, 0));
    }
    // A printed box with an unticked check mark in it, and its label.
    void Tick(int x, int y, const char* label) {
        Box(x, y, x + 14, y + 14, 700);
        auto mark = std::make_unique<CTranspCheckMark>(
            nullptr, RECT{x * 1000, y * 1000, (x + 14) * 1000, (y + 14) * 1000}, 0, 2000, 0);
        mark->m_bChecked = FALSE;
        Add(std::move(mark));
        Text(x + 22, y + 13, label, m_label);
    }

private:
    void Add(std::unique_ptr<CTranspBaseClass> p) {
        p->SetObjectName(m_doc.GetUniqueObjectName(p.get(), TRUE).constData());
        m_doc.AddObjectToList(std::move(p));
    }
    CLumidorDoc& m_doc;
    const TEXTSTYLE m_label;
    const TEXTSTYLE m_entry;
};

// A telephone message slip: who called, when, how to reach them, what they want.
void BuildVoiceTemplate(CLumidorDoc& doc) {
    const TEXTSTYLE title = Font(18, true);
    CFormBuilder f(doc, 6.0, 5.0, Font(10), Font(11, false, 0x800000));
    f.Box(10, 10, 590, 490, 2000);
    f.Text(30, 52, "Phone Message", title);
    f.Rule(30, 62, 570);
    f.Field(30, 95, "For:", 100, 570);
    f.Field(30, 130, "Date:", 100, 290);
    f.Field(320, 130, "Time:", 380, 570);
    f.Field(30, 165, "From:", 100, 570);
    f.Field(30, 200, "Of:", 100, 570);
    f.Field(30, 235, "Phone:", 100, 570);
    f.Tick(30, 262, "Telephoned");
    f.Tick(220, 262, "Please call");
    f.Tick(410, 262, "Urgent");
    f.Tick(30, 292, "Came to see you");
    f.Tick(220, 292, "Will call again");
    f.Tick(410, 292, "Returned your call");
    f.Field(30, 345, "Message:", 110, 570);
    f.Rule(30, 382, 570);
    f.Rule(30, 414, 570);
    f.Field(30, 465, "Taken by:", 110, 570);
}

// A sheet that keeps a photograph with its caption and particulars.
void BuildPhotoTemplate(CLumidorDoc& doc) {
    const TEXTSTYLE title = Font(20, true);
    const TEXTSTYLE hint = Font(11, false, 0x808080);
    CFormBuilder f(doc, 8.27, 11.69, Font(11), Font(12, false, 0x800000));
    f.Text(60, 90, "Photo Caption Sheet", title);
    f.Field(560, 90, "No.", 600, 767);
    f.Box(60, 130, 767, 700, 2500);
    f.Text(250, 420, "Place the photograph in this frame", hint);
    f.Field(60, 760, "Title:", 230, 767);
    f.Field(60, 800, "Date taken:", 230, 420);
    f.Field(450, 800, "Place:", 520, 767);
    f.Field(60, 840, "Photographer:", 230, 767);
    f.Field(60, 880, "People, subjects:", 230, 767);
    f.Field(60, 930, "Caption:", 230, 767);
    f.Rule(60, 970, 767);
    f.Rule(60, 1010, 767);
    f.Rule(60, 1050, 767);
    f.Tick(60, 1090, "Print rights cleared");
    f.Tick(400, 1090, "Original returned");
}

// The sample templates, with the number of form fields each has.
struct SampleTemplate {
    const char* name;
    void (*build)(CLumidorDoc&);
    std::size_t fields;
};
const SampleTemplate kTemplates[] = {{"Voice.brf", BuildVoiceTemplate, 8},
                                     {"Photo.brf", BuildPhotoTemplate, 7}};

QString TemplatePath(const QString& dir, const SampleTemplate& t) {
    return dir + QLatin1Char('/') + QLatin1String(t.name);
}

} // namespace

TEST(DocFileSamples, DISABLED_Generate) {
    LoadModule();
    const QString dir = SampleDir();
    QDir().mkpath(dir + QStringLiteral("/fuzz-seeds"));
    {
        CLumidorDoc doc;
        BuildSampleDocument(doc);
        ASSERT_TRUE(doc.OnSaveDocument(SamplePath(QStringLiteral("sample.brf"))));
    }
    ASSERT_TRUE(PatternBitmap(150, 100, 1, 100).Save(SamplePath(QStringLiteral("sample-v2.png")),
                                                      FILE_PNG, 0, 0) == SUCCESS);
    ASSERT_TRUE(WriteFileBytes(SamplePath(QStringLiteral("sample-v2.brf")),
                               BuildVersion2File("sample-v2.png")));
    ASSERT_TRUE(PatternBitmap(200, 150, 8, 150).Save(SamplePath(QStringLiteral("sample-v5.png")),
                                                      FILE_PNG, 0, 0) == SUCCESS);
    ASSERT_TRUE(WriteFileBytes(SamplePath(QStringLiteral("sample-v5.brf")),
                               BuildVersion5File("C:\\Forms\\sample-v5.png")));
    for (const char* name : {"sample.brf", "sample-v2.brf", "sample-v5.brf"})
        QFile::copy(SamplePath(QString::fromLatin1(name)),
                    dir + QStringLiteral("/fuzz-seeds/") + QString::fromLatin1(name));

    QDir().mkpath(TemplatesDir());
    for (const SampleTemplate& t : kTemplates) {
        CLumidorDoc doc;
        t.build(doc);
        ASSERT_TRUE(doc.OnSaveDocument(TemplatePath(TemplatesDir(), t)));
    }
}

// The committed templates are what the generator makes now, and they open as forms.
TEST(DocFileSamples, TemplatesOpenAsFormsWithTheirFields) {
    LoadModule();
    for (const SampleTemplate& c : kTemplates) {
        SCOPED_TRACE(c.name);
        CLumidorDoc committed;
        ASSERT_TRUE(OpenDoc(committed, TemplatePath(TemplatesDir(), c)));
        EXPECT_EQ(committed.GetFieldObjectsList(0)->size(), c.fields);
        EXPECT_TRUE(committed.IsImageAvailable(0));
        EXPECT_EQ(committed.m_PagesList[0]->m_Bitmap.GetBitsPerPixel(), 1);

        CLumidorDoc built;
        c.build(built);
        const QString again = TemplatePath(TestTempDir(), c);
        ASSERT_TRUE(built.OnSaveDocument(again));
        CLumidorDoc reloaded;
        ASSERT_TRUE(OpenDoc(reloaded, again));
        ExpectSameDocuments(committed, reloaded);
    }
}
