// libFuzzer target: the document loader (the record stream, page images, erase lists, object
// records, version-2 text boxes), both opening and merging, then a save of whatever was read.
#include "FuzzCommon.h"

#include "document/DocFile.h"
#include "document/LumidorDoc.h"
#include "platform/Archive.h"
#include "platform/MessageBoxes.h"

#include <QBuffer>
#include <memory>

namespace {
// Messages of refused inputs are the expected outcome; they are counted, not shown.
class CSilentSink : public IMessageSink {
public:
    int Show(const MessageRequest& request) override { return request.defaultAnswer; }
};

// A folder that does not exist, so that no name in a file can reach an image beside it.
const QString kName = QStringLiteral("/nonexistent-brellin-fuzz/fuzz.brf");

void Load(CLumidorDoc& doc, QByteArray bytes) {
    QBuffer buf(&bytes);
    buf.open(QIODevice::ReadOnly);
    SetArchiveFileName(&buf, kName);
    CArchive ar(&buf, CArchive::load);
    try {
        doc.Serialize(ar);
    } catch (const CArchiveException&) {
    }
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
        doc.m_PagesList.push_back(std::make_unique<_PAGEINFO>());
        doc.m_nPageCount = 2;
        doc.m_bMerging = TRUE;
        Load(doc, bytes);
    }
    return 0;
}
