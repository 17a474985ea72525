#include "platform/ErrorLog.h"
#include "platform/Guard.h"

#include <QFile>
#include <functional>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

QByteArray ReadLog() {
    QFile f(GetLogPath());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

int g_catchLine = 0;

class CGuarded {
public:
    int Compute(int x) const {
        DEF_TRY
        g_catchLine = __LINE__ + 3;
        if (x > 0) throw std::runtime_error("boom");
        return x;
        DEF_CATCH
        return -1;
    }
    // A fault inside a lambda is reported under the operation that holds it.
    bool InLambda() {
        auto inner = [] {
            DEF_TRY
            throw std::runtime_error("inner");
            DEF_CATCH
            return false;
        };
        return inner();
    }
    bool Store(std::function<void()> work) {
        DEF_TRY
        work();
        return true;
        DEF_CATCH
        return false;
    }
};

// Holders of the signatures the guard reports: templates with several arguments and operators.
template <typename K, typename V> struct CPairList {
    static QString Name() { return QualifiedFunctionName(__PRETTY_FUNCTION__); }
};
struct CMark {
    int v = 0;
    QString lessName;
    bool operator<(const CMark& o) {
        lessName = QualifiedFunctionName(__PRETTY_FUNCTION__);
        return v < o.v;
    }
    QString callName;
    void operator()(int) { callName = QualifiedFunctionName(__PRETTY_FUNCTION__); }
};

TEST(ErrorLogTest, EntryFormat) {
    // 3 April 2006, 09:05:07 UTC: no leading zeros, two spaces between date and time.
    EXPECT_EQ(FormatLogEntry(QStringLiteral("Disk full"), 1144055107),
              QByteArray("3.4.2006  9:5:7\r\nDisk full\r\n\r\n"));
    EXPECT_EQ(FormatLogEntry(QStringLiteral("x"), 1167609599),
              QByteArray("31.12.2006  23:59:59\r\nx\r\n\r\n"));

    DeleteLog();
    WriteLogAt(QStringLiteral("first"), 1144055107);
    WriteLogAt(QStringLiteral("second"), 1144055107);
    EXPECT_EQ(ReadLog(), QByteArray("3.4.2006  9:5:7\r\nfirst\r\n\r\n"
                                    "3.4.2006  9:5:7\r\nsecond\r\n\r\n"));
    DeleteLog();
    EXPECT_FALSE(QFile::exists(GetLogPath()));
}

TEST(ErrorLogTest, GuardWritesOneEntryAndGivesTheNeutralResult) {
    DeleteLog();
    CGuarded g;
    EXPECT_EQ(g.Compute(-5), -5);
    EXPECT_TRUE(ReadLog().isEmpty()) << "nothing is logged without a fault";

    EXPECT_EQ(g.Compute(1), -1);
    const QByteArray log = ReadLog();
    const qsizetype head = log.indexOf("\r\n");
    ASSERT_GT(head, 0);
    const QByteArray expectedBody =
        "Exception (DEF_TRY - DEF_CATCH)\r\nFile " + QByteArray(__FILE__) + "\r\nLine " +
        QByteArray::number(g_catchLine) + "\r\nFunction {anonymous}::CGuarded::Compute\r\n\r\n";
    EXPECT_EQ(log.mid(head + 2), expectedBody);

    // Any kind of exception is caught, one entry each.
    EXPECT_FALSE(g.Store([] { throw 42; }));
    EXPECT_TRUE(g.Store([] {}));
    EXPECT_EQ(ReadLog().count("Exception (DEF_TRY - DEF_CATCH)"), 2);
    EXPECT_TRUE(ReadLog().contains("Function {anonymous}::CGuarded::Store\r\n"));
    EXPECT_FALSE(g.InLambda());
    EXPECT_TRUE(ReadLog().contains("Function {anonymous}::CGuarded::InLambda\r\n"));
}

TEST(ErrorLogTest, QualifiedFunctionNames) {
    struct Case {
        const char* signature;
        const char* name;
    };
    const Case cases[] = {
        {"bool CLumidorApp::InitInstance()", "CLumidorApp::InitInstance"},
        {"void CLumidorDoc::StoringSerialize(CArchive&)", "CLumidorDoc::StoringSerialize"},
        {"CLumidorDoc::CLumidorDoc()", "CLumidorDoc::CLumidorDoc"},
        {"virtual int CTranspText::HitTest(QPoint) const", "CTranspText::HitTest"},
        {"static CSettingsStore& CSettingsStore::Instance()", "CSettingsStore::Instance"},
        {"const QString& CTranspText::GetText() const", "CTranspText::GetText"},
        {"_PAGEINFO* CLumidorDoc::GetPageInfo(int)", "CLumidorDoc::GetPageInfo"},
        {"CMainFrame::OnCreate(CREATESTRUCT*)::<lambda(int)>", "CMainFrame::OnCreate"},
        {"std::map<int, QString> CView::Names()", "CView::Names"},
        {"std::function<void(int)> CView::Maker()", "CView::Maker"},
        {"void CList<T, U>::Add(T) [with T = int; U = int]", "CList<T, U>::Add"},
        {"bool CMark::operator<(const CMark&)", "CMark::operator<"},
        {"bool CMark::operator>(const CMark&)", "CMark::operator>"},
        {"void CMark::operator()(int)", "CMark::operator()"},
        {"CMark::operator bool() const", "CMark::operator bool"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(QualifiedFunctionName(c.signature).toStdString(), c.name);
    EXPECT_EQ(QualifiedFunctionName(nullptr), QString());

    // The signatures as this compiler writes them.
    EXPECT_EQ((CPairList<int, QString>::Name().toStdString()),
              "{anonymous}::CPairList<K, V>::Name");
    CMark a, b;
    (void)(a < b);
    EXPECT_EQ(a.lessName.toStdString(), "{anonymous}::CMark::operator<");
    a(1);
    EXPECT_EQ(a.callName.toStdString(), "{anonymous}::CMark::operator()");
}

} // namespace
