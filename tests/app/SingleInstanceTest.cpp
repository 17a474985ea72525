#include "app/CommandLine.h"
#include "app/SingleInstance.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <gtest/gtest.h>

TEST(SingleInstance, SecondCopyFindsTheFirstAndRaisesItsWindow) {
    CSingleInstance first(QStringLiteral("BrellinTest"));
    ASSERT_EQ(first.Acquire(), CSingleInstance::Result::First);
    QWidget window;
    window.showMinimized();
    ASSERT_TRUE(first.Listen(&window));

    CSingleInstance second(QStringLiteral("BrellinTest"));
    EXPECT_EQ(second.Acquire(), CSingleInstance::Result::Other);
    // The first copy answers from its event loop; pump it while the second one asks.
    bool answered = false;
    QElapsedTimer t;
    t.start();
    QMetaObject::invokeMethod(
        &first, [&] { answered = second.ActivateFirst(1000); }, Qt::QueuedConnection);
    while (t.elapsed() < 3000 && (!answered || window.isMinimized()))
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_TRUE(answered);
    EXPECT_FALSE(window.isMinimized());
}

TEST(SingleInstance, NoFirstCopyListeningMeansNoAnswer) {
    CSingleInstance lonely(QStringLiteral("BrellinLonely"));
    EXPECT_FALSE(lonely.ActivateFirst(300));
}

TEST(CommandLine, FileBatchOrNothing) {
    EXPECT_EQ(CCommandLineInfo::Parse({}).m_nShellCommand, CCommandLineInfo::FileNew);
    const CCommandLineInfo open = CCommandLineInfo::Parse({"form.brf"});
    EXPECT_EQ(open.m_nShellCommand, CCommandLineInfo::FileOpen);
    EXPECT_EQ(open.m_strFileName, QStringLiteral("form.brf"));
    const CCommandLineInfo batch = CCommandLineInfo::Parse({"--export", "out.png", "in.brf"});
    EXPECT_EQ(batch.m_nShellCommand, CCommandLineInfo::Batch);
    EXPECT_EQ(batch.m_strBatchCommand, QStringLiteral("export"));
    EXPECT_EQ(batch.m_batchArgs, (QStringList{"out.png", "in.brf"}));
}
