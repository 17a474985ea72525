// Replays a fuzz target's entry function without libFuzzer, so that the ordinary test build runs
// every decoder over hostile bytes: each seed file whole, cut at many lengths, and with bytes and
// 32-bit words overwritten at positions chosen by a fixed pseudo-random sequence (the same every
// run, so a failure repeats).
//
//   fuzz_replay_png SEED_DIR_OR_FILE...

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdint>
#include <cstdio>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

struct Lcg {
    std::uint64_t state;
    std::uint32_t Next() {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return std::uint32_t(state >> 33);
    }
};

int g_runs = 0;

void Run(const QByteArray& bytes) {
    // A copy of its own, so that a read past the end is a read past an allocation.
    std::vector<std::uint8_t> copy(bytes.begin(), bytes.end());
    LLVMFuzzerTestOneInput(copy.empty() ? nullptr : copy.data(), copy.size());
    ++g_runs;
}

void Replay(const QByteArray& seed, std::uint64_t salt) {
    Run(seed);
    const qsizetype n = seed.size();
    for (qsizetype cut : {qsizetype(0), qsizetype(1), qsizetype(2), qsizetype(4), qsizetype(8),
                          qsizetype(12), qsizetype(16), qsizetype(24), qsizetype(32), qsizetype(48),
                          qsizetype(64), qsizetype(96), qsizetype(128), qsizetype(200), n / 4, n / 2,
                          n * 3 / 4, n - 8, n - 2, n - 1})
        if (cut >= 0 && cut < n)
            Run(seed.left(cut));
    Lcg rng{salt ^ 0x9E3779B97F4A7C15ULL};
    static const std::uint32_t words[] = {0, 1, 0x7FFFFFFF, 0xFFFFFFFF, 0x80000000, 100000, 65535,
                                          0x10000};
    for (int i = 0; i < 160 && n > 0; ++i) {
        QByteArray v = seed;
        const int edits = 1 + int(rng.Next() % 4);
        for (int e = 0; e < edits; ++e) {
            // Headers hold the sizes and counts: half of the edits land in the first 256 bytes.
            const qsizetype span = (rng.Next() & 1) ? std::min<qsizetype>(n, 256) : n;
            const qsizetype pos = qsizetype(rng.Next() % std::uint32_t(span));
            if (rng.Next() % 3 == 0 && pos + 4 <= n) {
                const std::uint32_t w = words[rng.Next() % (sizeof words / sizeof words[0])];
                for (int k = 0; k < 4; ++k)
                    v[pos + k] = char((w >> (8 * k)) & 0xFF);
            } else {
                v[pos] = char(rng.Next() & 0xFF);
            }
        }
        Run(v);
    }
}

} // namespace

int main(int argc, char** argv) {
    std::vector<QString> files;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (QFileInfo(arg).isDir()) {
            const QDir dir(arg);
            for (const QString& name : dir.entryList(QDir::Files, QDir::Name))
                files.push_back(dir.filePath(name));
        } else {
            files.push_back(arg);
        }
    }
    if (files.empty()) {
        std::fprintf(stderr, "no seed files\n");
        return 1;
    }
    std::uint64_t salt = 1;
    for (const QString& path : files) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
            return 1;
        }
        Replay(f.readAll(), salt++);
    }
    std::printf("%d inputs from %zu seeds replayed\n", g_runs, files.size());
    return 0;
}
