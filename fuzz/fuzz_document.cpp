// libFuzzer target: the document loader (the record stream, page images, erase lists, object
// records, version-2 text boxes), opening from memory and from a device that cannot go back, and
// merging, then a save of whatever was read.
#include "FuzzCommon.h"

#include "document/DocFile.h"
#include "document/LumidorDoc.h"
#include "platform/Archive.h"
#include "platform/MessageBoxes.h"

#include <QBuffer>
#include <algorithm>
#include <cstring>
#include <memory>

namespace {
// Messages of refused inputs are the expected outcome; they are counted, not shown.
class CSilentSink : public IMessageSink {
public:
    int Show(const MessageRequest& request) override { return request.defaultAnswer; }
};

// A folder that does not exist, so that no name in a file can reach an image beside it.
const QString kName = QStringLiteral("/nonexistent-brellin-fuzz/fuzz.brf");

// The bytes as a pipe gives them: the loader then copies each record out as it goes.
class CForwardReader : public QIODevice {
public:
    explicit CForwardReader(const QByteArray& bytes) : m_bytes(bytes) { open(ReadOnly); }
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
    const QByteArray& m_bytes;
    qint64 m_nRead = 0;
};

void Load(CLumidorDoc& doc, QIODevice& device) {
    SetArchiveFileName(&device, kName);
    CArchive ar(&device, CArchive::load);
    try {
        doc.Serialize(ar);
    } catch (const CArchiveException&) {
    }
}

void Load(CLumidorDoc& doc, QByteArray bytes) {
    QBuffer buf(&bytes);
    buf.open(QIODevice::ReadOnly);
    Load(doc, buf);
}

void Save(CLumidorDoc& doc) {
    QByteArray out;
    QBuffer buf(&out);
    buf.open(QIODevice::WriteOnly);
    SetArchiveFileName(&buf, kName);
    CArchive ar(&buf, CArchive::store);
    try {
        doc.Serialize(ar);
    } catch (const CArchiveException&) {
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzSetup();
    static const bool sinkSet = [] {
        SetMessageSink(std::make_shared<CSilentSink>());
        return true;
    }();
    (void)sinkSet;
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    {
        CLumidorDoc doc;
        Load(doc, bytes);
        Save(doc);
    }
    {
        CLumidorDoc doc;
        CForwardReader reader(bytes);
        Load(doc, reader);
    }
    {
        CLumidorDoc doc;
        doc.m_PagesList.push_back(std::make_unique<_PAGEINFO>());
        doc.m_nPageCount = 2;
        doc.m_bMerging = TRUE;
        Load(doc, bytes);
    }
    return 0;
}
