#pragma once
// The page images of a document file in and out of their stored form, a PNG file each at the
// image's own colour depth, carrying its resolution. Pages are encoded and decoded on worker
// threads, one page per worker at a time, while the calling thread goes on with the file: a save
// writes page after page as each is ready, a load reads the next page while earlier ones decode.
// The bytes are the same as when the pages are coded one after the other.

#include "platform/imaging/BitmapBase.h"

#include <QByteArray>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// The PNG file of every bitmap, in page order (an absent or unallocated bitmap gives an empty
// array). Workers start at once; Take hands a page back whole, Stream piece by piece while it is
// still being encoded, so that writing it overlaps its encoding.
class CPageEncoder {
public:
    explicit CPageEncoder(std::vector<const LBitmapBase*> bitmaps);
    ~CPageEncoder();
    CPageEncoder(const CPageEncoder&) = delete;
    CPageEncoder& operator=(const CPageEncoder&) = delete;

    // Waits for page `index` and moves its PNG out; the imaging layer's result code.
    int Take(int index, QByteArray& png);
    // Hands the PNG of page `index` to `sink` in pieces, in order, as the encoder produces them;
    // the result code once the page is done (the pieces handed over before a failure are part
    // of nothing).
    int Stream(int index, const std::function<void(const QByteArray&)>& sink);

private:
    struct Slot {
        std::deque<QByteArray> pieces;
        int rc = 0;
        bool done = false;
    };
    int Encode(int index);
    void Work();

    std::vector<const LBitmapBase*> m_bitmaps;
    std::vector<Slot> m_slots;
    std::atomic<int> m_next{0};
    std::atomic<bool> m_cancel{false};
    std::mutex m_lock;
    std::condition_variable m_ready;
    std::vector<std::thread> m_threads;
};

// Decodes PNG files (any format the imaging layer detects) into bitmaps at their own depth, up to
// `count` pages; Add queues page after page, Finish waits for all of them.
class CPageDecoder {
public:
    explicit CPageDecoder(int count);
    ~CPageDecoder();
    CPageDecoder(const CPageDecoder&) = delete;
    CPageDecoder& operator=(const CPageDecoder&) = delete;

    // Queues the bytes of page `index`; an empty array leaves that page's bitmap unallocated.
    void Add(int index, QByteArray bytes);
    // Waits for every page queued; SUCCESS or the result code of the first page (in page order)
    // that failed, whose index goes to *pFailed.
    int Finish(std::vector<LBitmapBase>& bitmaps, int* pFailed = nullptr);

private:
    void Work();
    void Decode(int index);

    std::vector<QByteArray> m_data;
    std::vector<LBitmapBase> m_bitmaps;
    std::vector<int> m_codes;
    std::deque<int> m_pending;
    int m_nQueued = 0;
    int m_nDone = 0;
    bool m_bClosed = false;
    bool m_bCancel = false;
    std::mutex m_lock;
    std::condition_variable m_work;
    std::condition_variable m_done;
    std::vector<std::thread> m_threads;
};

// All pages at once: the PNG files of the bitmaps. SUCCESS or the result code of the first page
// that failed.
int EncodePageImages(const std::vector<const LBitmapBase*>& bitmaps, std::vector<QByteArray>& out);

// How many workers code `count` pages: the cores there are, at most one per page.
int PageWorkerCount(int count);
