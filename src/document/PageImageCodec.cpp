#include "document/PageImageCodec.h"

#include "platform/imaging/ImageFile.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <thread>

void RunOnAllCores(int count, const std::function<void(int)>& job) {
    if (count <= 0)
        return;
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const int workers = int(std::min<unsigned>(cores, unsigned(count)));
    std::atomic<int> next{0};
    const auto work = [&] {
        for (int i = next++; i < count; i = next++)
            job(i);
    };
    std::vector<std::thread> threads;
    threads.reserve(std::size_t(workers - 1));
    try {
        for (int w = 1; w < workers; ++w)
            threads.emplace_back(work);
    } catch (...) {
        // No more threads to be had: the ones started and this one share the pages.
    }
    work();
    for (std::thread& t : threads)
        t.join();
}

namespace {
// The first failure by page order, so that the result does not depend on the workers' timing.
int FirstFailure(const std::vector<int>& codes) {
    for (int rc : codes)
        if (rc != SUCCESS)
            return rc;
    return SUCCESS;
}
} // namespace

int EncodePageImages(const std::vector<const LBitmapBase*>& bitmaps, std::vector<QByteArray>& out) {
    const int n = int(bitmaps.size());
    out.assign(std::size_t(n), QByteArray());
    std::vector<int> codes(std::size_t(n), SUCCESS);
    RunOnAllCores(n, [&](int i) {
        try {
            const LBitmapBase* bitmap = bitmaps[std::size_t(i)];
            if (!bitmap || !bitmap->IsAllocated())
                return;
            // Quality 0 is the imaging layer's fast compression level; depth 0 keeps the page's.
            codes[std::size_t(i)] = brellin::imaging::EncodeImage(*bitmap, FILE_PNG, 0, 0,
                                                                  out[std::size_t(i)], {});
        } catch (...) {
            codes[std::size_t(i)] = ERROR_NO_MEMORY;
        }
    });
    return FirstFailure(codes);
}

int DecodePageImages(const std::vector<QByteArray>& data, std::vector<LBitmapBase>& out) {
    const int n = int(data.size());
    out.resize(std::size_t(n));
    std::vector<int> codes(std::size_t(n), SUCCESS);
    RunOnAllCores(n, [&](int i) {
        try {
            const QByteArray& bytes = data[std::size_t(i)];
            if (bytes.isEmpty())
                return;
            codes[std::size_t(i)] = brellin::imaging::DecodeImage(
                reinterpret_cast<const uchar*>(bytes.constData()), std::size_t(bytes.size()), 1,
                out[std::size_t(i)], {});
        } catch (...) {
            codes[std::size_t(i)] = ERROR_NO_MEMORY;
        }
    });
    return FirstFailure(codes);
}
