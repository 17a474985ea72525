// Crash recovery: a copy written from a snapshot reads back as the document it was taken of, and
// what a dead program left is offered back, a damaged copy as lost, never a crash.

#include "DocFileTestSupport.h"

#include "app/LumidorApp.h"
#include "app/Resource.h"
#include "document/DocFile.h"
#include "document/DocManager.h"
#include "document/Recovery.h"
#include "platform/ResourceModule.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace filetest;

namespace {

// A program that is certainly not running: the recovery files name it as their writer.
constexpr int kDeadPid = 2147483000;

void LeaveCopy(const QString& name, const QByteArray& document, const QString& title) {
    const QString dir = CRecoveryManager::GetRecoveryDir();
    ASSERT_TRUE(QDir().mkpath(dir));
    ASSERT_TRUE(WriteFileBytes(dir + QLatin1Char('/') + name + QStringLiteral(".brf"), document));
    ASSERT_TRUE(WriteFileBytes(dir + QLatin1Char('/') + name + QStringLiteral(".info"),
                               QStringLiteral("{\"title\":\"%1\",\"path\":\"\",\"pid\":%2}")
                                   .arg(title)
                                   .arg(kDeadPid)
                                   .toUtf8()));
}

TEST(Recovery, SnapshotWritesTheDocumentAsItIs) {
    LoadModule();
    CLumidorDoc doc;
    ASSERT_TRUE(OpenDoc(doc, SamplePath(QStringLiteral("sample.brf"))));
    const auto snapshot = TakeDocFileSnapshot(doc);
    // The document changes after the snapshot: the copy keeps the state it was taken in.
    doc.RotatePage(0, 90);
    const QString copy = TestTempDir() + QStringLiteral("/copy.brf");
    QString error;
    ASSERT_TRUE(WriteDocFileSnapshot(*snapshot, copy, &error)) << error.toStdString();
    CLumidorDoc original, back;
    ASSERT_TRUE(OpenDoc(original, SamplePath(QStringLiteral("sample.brf"))));
    ASSERT_TRUE(OpenDoc(back, copy));
    ExpectSameDocuments(original, back);
}

TEST(Recovery, CopiesOfADeadProgramAreOfferedAndDamagedOnesReportedLost) {
    LoadModule();
    int argc = 1;
    char arg0[8] = "brellin";
    char* argv[2] = {arg0, nullptr};
    CLumidorApp app(argc, argv);
    CDocManager manager;
    app.SetDocumentManager(&manager);
    LeaveCopy(QStringLiteral("%1-1").arg(kDeadPid), ReadFileBytes(SamplePath(QStringLiteral("sample.brf"))),
              QStringLiteral("Contract"));
    LeaveCopy(QStringLiteral("%1-2").arg(kDeadPid), QByteArray("LMD garbage that is no document"),
              QStringLiteral("Broken"));
    LeaveCopy(QStringLiteral("%1-3").arg(kDeadPid), ReadFileBytes(SamplePath(QStringLiteral("sample.brf"))),
              QStringLiteral("Declined"));
    TestMessages().answers = {IDYES, IDYES, IDOK, IDNO};
    {
        CRecoveryManager recovery(&manager, 60000);
        EXPECT_EQ(recovery.OfferRecovery(), 1);
    }
    ASSERT_EQ(manager.GetDocumentCount(), 1);
    QList<CLumidorDoc*> docs;
    manager.GetDocumentsList(docs);
    EXPECT_EQ(docs[0]->GetTitle(), QStringLiteral("Contract"));
    EXPECT_TRUE(docs[0]->IsModified());
    bool lost = false;
    for (const MessageRequest& m : TestMessages().shown)
        lost |= m.text == LoadResString(IDS_RECOVER_LOST).arg(QStringLiteral("Broken"));
    EXPECT_TRUE(lost);
    EXPECT_TRUE(QDir(CRecoveryManager::GetRecoveryDir()).entryList(QDir::Files).isEmpty())
        << "every copy offered is gone, restored or not";
}

} // namespace
