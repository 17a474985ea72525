// Test main: gives the process its own temporary home, settings, data and temporary folders before
// Qt starts, so no test reads or writes the user's files; installs a recording message sink and a
// scripted dialog service before every test, and clears the settings store.

#include "TestSupport.h"

#include "platform/DataPaths.h"
#include "platform/SettingsStore.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <clocale>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>

namespace {
std::shared_ptr<CRecordingMessageSink> g_messages;
std::shared_ptr<CScriptedDialogService> g_dialogs;
QTemporaryDir* g_root = nullptr;
int g_tempCount = 0;

class ResetListener : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override {
        g_messages = std::make_shared<CRecordingMessageSink>();
        g_dialogs = std::make_shared<CScriptedDialogService>();
        SetMessageSink(g_messages);
        SetDialogService(g_dialogs);
        CSettingsStore::Instance().SetRegistryKey(QStringLiteral("Quillmere"));
        // Reopen the store on an empty file: nothing of one test reaches the next.
        CSettingsStore::Instance().SetProfileName(QStringLiteral("Brellin Test"));
        QFile::remove(CSettingsStore::Instance().GetFileName());
        CSettingsStore::Instance().SetProfileName(QStringLiteral("Brellin Test"));
    }
};
} // namespace

CRecordingMessageSink& TestMessages() { return *g_messages; }
CScriptedDialogService& TestDialogs() { return *g_dialogs; }

QString TestDataDir() {
    const char* d = std::getenv("BRELLIN_TEST_DATA");
    return d ? QString::fromLocal8Bit(d) : QString();
}

QString TestTempDir() {
    const QString dir = g_root->path() + QStringLiteral("/case%1").arg(++g_tempCount);
    QDir().mkpath(dir);
    return dir;
}

int main(int argc, char** argv) {
    QTemporaryDir root(QDir::tempPath() + QStringLiteral("/brellin-test-XXXXXX"));
    g_root = &root;
    const QByteArray base = root.path().toLocal8Bit();
    for (const char* sub : {"home", "config", "data", "cache", "tmp", "runtime"})
        QDir().mkpath(QString::fromLocal8Bit(base + "/" + sub));
    QFile::setPermissions(QString::fromLocal8Bit(base + "/runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    setenv("HOME", base + "/home", 1);
    setenv("XDG_CONFIG_HOME", base + "/config", 1);
    setenv("XDG_DATA_HOME", base + "/data", 1);
    setenv("XDG_CACHE_HOME", base + "/cache", 1);
    setenv("TMPDIR", base + "/tmp", 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("BRELLIN_DATA_DIR", BRELLIN_TEST_RUNTIME_DIR, 0);
    setenv("BRELLIN_TEST_DATA", BRELLIN_TEST_DATA_DIR, 0);
    setenv("BRELLIN_SCREEN_DPI", "96", 0);
    setenv("XDG_RUNTIME_DIR", base + "/runtime", 1);

    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C"); // as the program itself does after Qt starts
    InitProgramIdentity();
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new ResetListener);
    const int rc = RUN_ALL_TESTS();
    g_root = nullptr;
    return rc;
}
