// Loading and the flows around it: round trips of the committed sample, the version messages,
// merging, and the save flows that must leave the document and the old file as they were.

#include "DocFileTestSupport.h"

#include "app/ProfileRecords.h"
#include "app/Resource.h"
#include "document/DocFileFormat.h"
#include "app/WhatSaveDialog.h"
#include "objects/ObjectFactory.h"
#include "objects/TranspRectangle.h"
#include "objects/TranspText.h"
#include "platform/ResourceModule.h"
#include "platform/SettingsStore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <cstring>
#include <set>

using namespace filetest;

namespace {

class DocFileLoad : public testing::Test {
protected:
    void SetUp() override {
        LoadModule();
        m_dir = TestTempDir();
    }
    QString Path(const QString& name) const { return m_dir + QLatin1Char('/') + name; }
    QStringList Shown() const {
        QStringList texts;
        for (const MessageRequest& m : TestMessages().shown)
            texts << m.text;
        return texts;
    }

    QString m_dir;
};

int CountObjects(const CLumidorDoc& doc) {
    int n = 0;
    for (const auto& page : doc.m_PagesList)
        n += int(page->m_ObjectsList.size());
    return n;
}

// The committed sample holds every kind, three depths, fields and erase lists; load, save, load
// gives the same document, and the saved bytes are the original's apart from the PNG payloads.
TEST_F(DocFileLoad, SampleRoundTripKeepsDocumentAndBytes) {
    const QString sample = SamplePath(QStringLiteral("sample.brf"));
    CLumidorDoc first;
    ASSERT_TRUE(OpenDoc(first, sample));
    EXPECT_FALSE(first.IsModified());
    ASSERT_EQ(first.GetPageCount(), 3);
    EXPECT_EQ(first.m_PagesList[0]->m_Bitmap.GetBitsPerPixel(), 1);
    EXPECT_EQ(first.m_PagesList[1]->m_Bitmap.GetBitsPerPixel(), 8);
    EXPECT_EQ(first.m_PagesList[2]->m_Bitmap.GetBitsPerPixel(), 24);
    EXPECT_EQ(first.GetPageResolution(2), (POINT{200, 200}));
    EXPECT_EQ(first.m_PagesList[0]->m_EraseList.GetCount(), 3);
    EXPECT_EQ(first.m_PagesList[2]->m_EraseList.GetCount(), 1);
    EXPECT_EQ(first.GetFieldObjectsList(0)->size(), 1u);
    EXPECT_EQ(first.m_ptOrigin, (POINT{1500, -2500}));
    EXPECT_EQ(first.m_nOriginFlag, 1);
    std::set<LONG> kinds;
    for (const auto& page : first.m_PagesList)
        for (const auto& o : page->m_ObjectsList)
            kinds.insert(GetStoredKind(o.get()));
    EXPECT_EQ(kinds, (std::set<LONG>{1, 2, 3, 4, 5, 6, 9, 10, 16, 17, 18}));

    ASSERT_TRUE(first.OnSaveDocument(Path(QStringLiteral("again.brf"))));
    CLumidorDoc second;
    ASSERT_TRUE(OpenDoc(second, Path(QStringLiteral("again.brf"))));
    ExpectSameDocuments(first, second);

    FileParts original, saved;
    ASSERT_TRUE(SplitImagePayloads(ReadFileBytes(sample), original));
    ASSERT_TRUE(SplitImagePayloads(ReadFileBytes(Path(QStringLiteral("again.brf"))), saved));
    EXPECT_EQ(saved.rest, original.rest);
    EXPECT_EQ(saved.png.size(), 3u);
}

// Each role of the family loads the same content; only a draft marks the document a draft.
TEST_F(DocFileLoad, RolesOfTheFamily) {
    const QByteArray bytes = ReadFileBytes(SamplePath(QStringLiteral("sample.brf")));
    CLumidorDoc reference;
    ASSERT_TRUE(OpenDoc(reference, SamplePath(QStringLiteral("sample.brf"))));
    for (const char* name : {"copy.tkd", "copy.brd", "copy.tkx"}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(WriteFileBytes(Path(QLatin1String(name)), bytes));
        CLumidorDoc doc;
        ASSERT_TRUE(ReadDocumentFile(doc, Path(QLatin1String(name))));
        EXPECT_EQ(bool(doc.m_bDraft), QLatin1String(name) == QLatin1String("copy.brd"));
        reference.m_bDraft = doc.m_bDraft;
        ExpectSameDocuments(reference, doc);
    }
    // The open-dialog extension is written but never read by the loader.
    ASSERT_TRUE(WriteFileBytes(Path(QStringLiteral("copy.xyz")), bytes));
    CLumidorDoc doc;
    EXPECT_FALSE(ReadDocumentFile(doc, Path(QStringLiteral("copy.xyz"))));
}

TEST_F(DocFileLoad, VersionsAndTagAreJudgedWithTheirMessages) {
    struct Case {
        QByteArray file;
        QString message;
    } cases[] = {
        {DocHeader(10, 1).I32(0), LoadResString(IDS_DOC_NEWER_VERSION).arg(10)},
        {DocHeader(7, 1).I32(0), LoadResString(IDS_DOC_OLD_VERSION)},
        {DocHeader(1, 1).I32(0), LoadResString(IDS_DOC_OLD_VERSION)},
        {Bytes().Raw("LMX").Zeros(45).I32(0), LoadResString(IDS_DOC_WRONG_FORMAT)},
        {Bytes().Raw("LM"), LoadResString(IDS_DOC_WRONG_FORMAT)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        TestMessages().shown.clear();
        ASSERT_TRUE(WriteFileBytes(Path(QStringLiteral("v.brf")), c.file));
        CLumidorDoc doc;
        EXPECT_FALSE(OpenDoc(doc, Path(QStringLiteral("v.brf"))));
        EXPECT_EQ(Shown(), QStringList{c.message});
        EXPECT_EQ(doc.GetPageCount(), 1);
    }
    // Versions 3 to 6 read the record stream; a file of version 3 without records is a document.
    ASSERT_TRUE(WriteFileBytes(Path(QStringLiteral("v3.brf")), DocHeader(3, 2).I32(0)));
    CLumidorDoc doc;
    EXPECT_TRUE(OpenDoc(doc, Path(QStringLiteral("v3.brf"))));
    EXPECT_EQ(doc.GetPageCount(), 2);
}

// A one-page file merges onto the current page; a file of as many pages keeps its pages; any
// other page count is refused with the message, and nothing is merged.
TEST_F(DocFileLoad, MergeRules) {
    const auto makeFile = [&](const QString& name, int pages) {
        CLumidorDoc src;
        while (src.GetPageCount() < pages) {
            src.m_PagesList.push_back(std::make_unique<_PAGEINFO>());
            src.m_nPageCount = LONG(src.m_PagesList.size());
        }
        for (int p = 0; p < pages; ++p)
            src.AddObjectToList(
                std::make_unique<CTranspRectangle>(nullptr, RECT{0, 0, 10 + p, 10}, 0, 0, p));
        ASSERT_TRUE(src.OnSaveDocument(Path(name)));
    };
    makeFile(QStringLiteral("one.tkx"), 1);
    makeFile(QStringLiteral("two.tkx"), 2);
    makeFile(QStringLiteral("three.tkx"), 3);

    CLumidorDoc doc;
    for (int i = 0; i < 2; ++i)
        doc.m_PagesList.push_back(std::make_unique<_PAGEINFO>());
    doc.m_nPageCount = 3;
    doctest::TestView view;
    view.page = 2;
    doc.AddView(&view);

    EXPECT_TRUE(doc.MergeToDoc(Path(QStringLiteral("one.tkx"))));
    EXPECT_EQ(doc.GetObjectsList(2)->size(), 1u);
    EXPECT_EQ(doc.GetObjectsList(2)->front()->m_nPage, 2);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_FALSE(doc.m_bMerging);

    doc.SetModifiedFlag(FALSE);
    EXPECT_FALSE(doc.MergeToDoc(Path(QStringLiteral("two.tkx"))));
    EXPECT_EQ(Shown(), QStringList{LoadResString(IDS_DOC_PAGE_MISMATCH)});
    EXPECT_EQ(CountObjects(doc), 1);
    EXPECT_FALSE(doc.IsModified());

    EXPECT_TRUE(doc.MergeToDoc(Path(QStringLiteral("three.tkx"))));
    for (int p = 0; p < 3; ++p)
        EXPECT_EQ(doc.GetObjectsList(p)->size(), p == 2 ? 2u : 1u) << p;
    EXPECT_EQ(doc.GetPageCount(), 3);
    doc.RemoveView(&view);
}

// A file larger than a document's images may take in memory is read from the disk as it goes;
// it gives the same document as one read at once.
TEST_F(DocFileLoad, LargeFilesAreReadAsTheyGo) {
    const QString path = Path(QStringLiteral("objects.brf"));
    {
        CLumidorDoc doc;
        BuildSampleDocument(doc);
        // Its picture holds a bitmap, which the low limit below would refuse.
        CObjectList& page2 = *doc.GetObjectsList(2);
        std::erase_if(page2, [](const auto& o) { return GetStoredKind(o.get()) == KIND_IMAGE; });
        doc.m_bSaveWithoutImage = TRUE;
        ASSERT_TRUE(doc.OnSaveDocument(path));
    }
    CLumidorDoc inMemory;
    ASSERT_TRUE(OpenDoc(inMemory, path));
    const std::int64_t limit = GetMaxBitmapBytes();
    SetMaxBitmapBytes(16); // a document may then take 256 bytes: less than the file
    CLumidorDoc fromDisk;
    const bool bRead = OpenDoc(fromDisk, path);
    SetMaxBitmapBytes(limit);
    ASSERT_TRUE(bRead);
    ExpectSameDocuments(inMemory, fromDisk);
    EXPECT_EQ(CountObjects(fromDisk), 12);
}

// A device that only reads forward, as a pipe does.
class CForwardReader : public QIODevice {
public:
    explicit CForwardReader(QByteArray bytes) : m_bytes(std::move(bytes)) { open(ReadOnly); }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override {
        return m_bytes.size() - m_nRead + QIODevice::bytesAvailable();
    }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        const qint64 n = std::min(maxSize, m_bytes.size() - m_nRead);
        std::memcpy(data, m_bytes.constData() + m_nRead, std::size_t(n));
        m_nRead += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray m_bytes;
    qint64 m_nRead = 0;
};

// A device that cannot go back loads every version as a file does: page images are decoded from
// bytes of their own, which outlive the record they came in, and the archived text boxes never
// need the header again.
TEST_F(DocFileLoad, ForwardOnlyDeviceLoadsTheSameDocument) {
    for (const char* name : {"sample.brf", "sample-v2.brf", "sample-v5.brf"}) {
        SCOPED_TRACE(name);
        const QString sample = SamplePath(QString::fromLatin1(name));
        CLumidorDoc fromFile;
        ASSERT_TRUE(OpenDoc(fromFile, sample));
        CForwardReader reader(ReadFileBytes(sample));
        SetArchiveFileName(&reader, sample);
        CLumidorDoc forward;
        CArchive ar(&reader, CArchive::load);
        ASSERT_NO_THROW(forward.Serialize(ar));
        ExpectSameDocuments(fromFile, forward);
    }
}

// An object that fails half way through its record.
class CFailingRectangle : public CTranspRectangle {
public:
    CFailingRectangle() : CTranspRectangle(nullptr, RECT{0, 0, 5, 5}, 0, 0, 0) {}
    void Serialize(CArchive& ar) override {
        ar << std::int32_t(123);
        AfxThrowArchiveException(CArchiveException::genericException, QStringLiteral("disk full"));
    }
};

TEST_F(DocFileLoad, FailedSaveKeepsTheOldFileAndTheDocumentsState) {
    const QString target = Path(QStringLiteral("keep.brf"));
    CLumidorDoc doc;
    LBitmapBase image = PatternBitmap(30, 20, 24, 100);
    doc.m_PagesList[0]->m_Bitmap.TakePixels(image);
    ASSERT_TRUE(doc.OnSaveDocument(target));
    const QByteArray before = ReadFileBytes(target);

    doc.m_PagesList[0]->m_bImageModified = TRUE;
    doc.AddObjectToList(std::make_unique<CFailingRectangle>());
    doc.SetModifiedFlag(TRUE);
    EXPECT_FALSE(doc.OnSaveDocument(target));
    EXPECT_EQ(ReadFileBytes(target), before);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_TRUE(doc.m_PagesList[0]->m_bImageModified);
    EXPECT_EQ(QDir(m_dir).entryList(QDir::Files), QStringList{QStringLiteral("keep.brf")});
    ASSERT_EQ(TestMessages().shown.size(), 1u);
    EXPECT_TRUE(TestMessages().shown[0].text.contains(QStringLiteral("disk full")));
}

// Save as Template asks what to save, writes the template, and leaves the document as it was:
// modified, with its path, its images still saved by its own later saves.
TEST_F(DocFileLoad, SaveAsTemplateLeavesTheDocumentAsItWas) {
    CLumidorDoc doc;
    LBitmapBase image = PatternBitmap(30, 20, 1, 100);
    doc.m_PagesList[0]->m_Bitmap.TakePixels(image);
    ASSERT_TRUE(doc.DoSave(Path(QStringLiteral("form.brf")), TRUE));
    const QString path = doc.GetPathName();
    doc.SetModifiedFlag(TRUE);

    TestDialogs().handlers[QStringLiteral("CWhatSaveDialog")] = [](CModalDialog& d) {
        static_cast<CWhatSaveDialog&>(d).m_nWhat = CWhatSaveDialog::WithoutImage;
        return IDOK;
    };
    TestDialogs().fileAnswers.push_back(Path(QStringLiteral("blank")));
    EXPECT_TRUE(doc.SaveAsTemplate());
    ASSERT_EQ(TestDialogs().fileRequests.size(), 1u);
    EXPECT_EQ(TestDialogs().fileRequests[0].defaultExt, QStringLiteral("tkd"));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.GetPathName(), path);
    EXPECT_FALSE(doc.m_bSaveWithoutImage);
    const std::vector<StreamRecord> records = ListRecords(ReadFileBytes(Path(QStringLiteral("blank.tkd"))));
    ASSERT_EQ(records.size(), 1u); // the default extension was added; no image record

    // Cancelled at the first question: nothing is written.
    TestDialogs().handlers[QStringLiteral("CWhatSaveDialog")] = [](CModalDialog&) { return IDCANCEL; };
    EXPECT_FALSE(doc.SaveAsTemplate());
    EXPECT_EQ(TestDialogs().fileRequests.size(), 1u);
}

TEST_F(DocFileLoad, SaveAsDraftAndSaveAs) {
    CLumidorDoc doc;
    TestDialogs().fileAnswers.push_back(Path(QStringLiteral("work.brd")));
    doc.OnFileSaveAsDraft();
    EXPECT_TRUE(doc.m_bDraft);
    EXPECT_TRUE(doc.GetPathName().isEmpty()); // a draft never becomes the document's path
    EXPECT_TRUE(QFile::exists(Path(QStringLiteral("work.brd"))));

    TestDialogs().fileAnswers.push_back(Path(QStringLiteral("final.brf")));
    doc.SetModifiedFlag(TRUE);
    doc.OnFileSave(); // no path yet: Save As
    EXPECT_FALSE(doc.m_bDraft);
    EXPECT_EQ(doc.GetPathName(), QFileInfo(Path(QStringLiteral("final.brf"))).absoluteFilePath());
    EXPECT_EQ(doc.m_strDocName, QStringLiteral("final"));
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(DocFileLoad, ClosingSavesUnderADatedNameOrAsks) {
    Profile().WriteProfileString(kSectionSettings, QStringLiteral("DocumentsPath"), m_dir);
    const QString name = AutoSaveFileName(m_dir, QStringLiteral("Form"),
                                          QDateTime(QDate(2024, 3, 5), QTime(15, 7)));
    EXPECT_TRUE(QRegularExpression(
                    QStringLiteral("^%1/2024-03-05 at (03-07 \\S+|15-07) Form\\.brf$")
                        .arg(QRegularExpression::escape(m_dir)))
                    .match(name)
                    .hasMatch())
        << name.toStdString();

    CLumidorDoc doc;
    doc.RenameDocument(QStringLiteral("Letter"));
    doc.SetModifiedFlag(TRUE);
    EXPECT_TRUE(doc.SaveModified());
    const QStringList saved = QDir(m_dir).entryList({QStringLiteral("* at * Letter.brf")});
    EXPECT_EQ(saved.size(), 1);
    EXPECT_FALSE(doc.IsModified());

    // Asking: cancel keeps it open, no closes without saving, yes saves through the dialog.
    FrameOptions options = LoadFrameOptions();
    options[OPT_ASK_BEFORE_CLOSE] = 1;
    SaveFrameOptions(options);
    doc.SetModifiedFlag(TRUE);
    TestMessages().answers = {IDCANCEL, IDNO, IDYES};
    EXPECT_FALSE(doc.SaveModified());
    EXPECT_TRUE(doc.SaveModified());
    TestDialogs().fileAnswers.push_back(std::nullopt);
    EXPECT_FALSE(doc.SaveModified()); // yes, then the dialog cancelled: the document stays
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(TestMessages().shown[0].text, LoadResString(IDS_DOC_SAVE_CHANGES).arg(QStringLiteral("Letter")));
}

} // namespace
