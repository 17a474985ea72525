#include "document/PageImageCodec.h"

#include "platform/imaging/ImageFile.h"

#include <algorithm>

int PageWorkerCount(int count) {
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    return int(std::min<unsigned>(cores, unsigned(std::max(count, 0))));
}

// ---- Encoding ----------------------------------------------------------------------------------

CPageEncoder::CPageEncoder(std::vector<const LBitmapBase*> bitmaps)
    : m_bitmaps(std::move(bitmaps)), m_slots(m_bitmaps.size()) {
    const int workers = PageWorkerCount(int(m_bitmaps.size()));
    try {
        for (int w = 0; w < workers; ++w)
            m_threads.emplace_back([this] { Work(); });
    } catch (...) {
        // No (more) threads to be had: Take and Stream code what no worker took.
    }
}

CPageEncoder::~CPageEncoder() {
    m_cancel = true;
    for (std::thread& t : m_threads)
        t.join();
}

int CPageEncoder::Encode(int index) {
    Slot& slot = m_slots[std::size_t(index)];
    const LBitmapBase* bitmap = m_bitmaps[std::size_t(index)];
    QByteArray png;
    qsizetype nHanded = 0;
    // What the encoder has produced so far goes to the slot each time it reports progress (about
    // 32 times a page), once there is enough of it to be worth a write.
    const auto hand = [&](bool bLast) {
        if (png.size() == nHanded || (!bLast && png.size() - nHanded < 64 * 1024))
            return;
        QByteArray piece = png.mid(nHanded);
        nHanded = png.size();
        const std::lock_guard<std::mutex> lock(m_lock);
        slot.pieces.push_back(std::move(piece));
        m_ready.notify_all();
    };
    int rc = SUCCESS;
    try {
        if (bitmap && bitmap->IsAllocated()) {
            // Quality 0 is the imaging layer's fast compression level; depth 0 keeps the page's.
            rc = brellin::imaging::EncodeImage(*bitmap, FILE_PNG, 0, 0, png, [&](int) {
                // Called from inside the PNG library: nothing may be thrown through it.
                try {
                    hand(false);
                } catch (...) {
                    return int(ERROR_NO_MEMORY);
                }
                return m_cancel ? int(ERROR_USER_ABORT) : int(SUCCESS);
            });
        }
        if (rc == SUCCESS)
            hand(true);
    } catch (...) {
        rc = ERROR_NO_MEMORY;
    }
    const std::lock_guard<std::mutex> lock(m_lock);
    slot.rc = rc;
    slot.done = true;
    m_ready.notify_all();
    return rc;
}

void CPageEncoder::Work() {
    const int n = int(m_bitmaps.size());
    for (int i = m_next++; i < n && !m_cancel; i = m_next++)
        Encode(i);
}

int CPageEncoder::Stream(int index, const std::function<void(const QByteArray&)>& sink) {
    if (index < 0 || index >= int(m_slots.size()))
        return ERROR_INV_PARAMETER;
    // Without workers the pages are coded here, in order.
    if (m_threads.empty() && !m_slots[std::size_t(index)].done)
        Encode(index);
    Slot& slot = m_slots[std::size_t(index)];
    for (;;) {
        QByteArray piece;
        {
            std::unique_lock<std::mutex> lock(m_lock);
            m_ready.wait(lock, [&] { return slot.done || !slot.pieces.empty(); });
            if (slot.pieces.empty())
                return slot.rc;
            piece = std::move(slot.pieces.front());
            slot.pieces.pop_front();
        }
        // The sink may take its time (a write): the worker goes on meanwhile.
        sink(piece);
    }
}

int CPageEncoder::Take(int index, QByteArray& png) {
    png.clear();
    return Stream(index, [&](const QByteArray& piece) { png += piece; });
}

// ---- Decoding ----------------------------------------------------------------------------------

CPageDecoder::CPageDecoder(int count)
    : m_data(std::size_t(std::max(count, 0))), m_bitmaps(m_data.size()),
      m_codes(m_data.size(), SUCCESS) {
    const int workers = PageWorkerCount(count);
    try {
        for (int w = 0; w < workers; ++w)
            m_threads.emplace_back([this] { Work(); });
    } catch (...) {
        // Finish decodes what no worker took.
    }
}

CPageDecoder::~CPageDecoder() {
    {
        const std::lock_guard<std::mutex> lock(m_lock);
        m_bCancel = true;
    }
    m_work.notify_all();
    for (std::thread& t : m_threads)
        t.join();
}

void CPageDecoder::Decode(int index) {
    QByteArray bytes = std::move(m_data[std::size_t(index)]);
    m_data[std::size_t(index)] = QByteArray();
    int rc = SUCCESS;
    try {
        if (!bytes.isEmpty())
            rc = brellin::imaging::DecodeImage(reinterpret_cast<const uchar*>(bytes.constData()),
                                               std::size_t(bytes.size()), 1,
                                               m_bitmaps[std::size_t(index)], {});
    } catch (...) {
        rc = ERROR_NO_MEMORY;
    }
    m_codes[std::size_t(index)] = rc;
}

void CPageDecoder::Work() {
    for (;;) {
        int index = -1;
        {
            std::unique_lock<std::mutex> lock(m_lock);
            m_work.wait(lock, [&] { return m_bCancel || m_bClosed || !m_pending.empty(); });
            if (m_bCancel || m_pending.empty())
                return;
            index = m_pending.front();
            m_pending.pop_front();
        }
        // Each page's bytes, bitmap and code belong to the one worker that took the page.
        Decode(index);
        const std::lock_guard<std::mutex> lock(m_lock);
        ++m_nDone;
        m_done.notify_all();
    }
}

void CPageDecoder::Add(int index, QByteArray bytes) {
    if (index < 0 || index >= int(m_data.size()))
        return;
    if (m_threads.empty()) {
        m_data[std::size_t(index)] = std::move(bytes);
        Decode(index);
        return;
    }
    {
        const std::lock_guard<std::mutex> lock(m_lock);
        m_data[std::size_t(index)] = std::move(bytes);
        m_pending.push_back(index);
        ++m_nQueued;
    }
    m_work.notify_one();
}

int CPageDecoder::Finish(std::vector<LBitmapBase>& bitmaps, int* pFailed) {
    {
        std::unique_lock<std::mutex> lock(m_lock);
        m_bClosed = true;
        m_work.notify_all();
        m_done.wait(lock, [&] { return m_nDone == m_nQueued; });
    }
    bitmaps = std::move(m_bitmaps);
    m_bitmaps.clear();
    for (std::size_t i = 0; i < m_codes.size(); ++i)
        if (m_codes[i] != SUCCESS) {
            if (pFailed)
                *pFailed = int(i);
            return m_codes[i];
        }
    return SUCCESS;
}

// ---- All pages at once --------------------------------------------------------------------------

int EncodePageImages(const std::vector<const LBitmapBase*>& bitmaps, std::vector<QByteArray>& out) {
    CPageEncoder encoder(bitmaps);
    out.assign(bitmaps.size(), QByteArray());
    int first = SUCCESS;
    for (int i = 0; i < int(bitmaps.size()); ++i) {
        const int rc = encoder.Take(i, out[std::size_t(i)]);
        if (first == SUCCESS && rc != SUCCESS)
            first = rc;
    }
    return first;
}
