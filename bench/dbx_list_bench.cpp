// Listing a 100,000-message folder file, against the floor of the same
// positioned reads with no decoding (recorded from one listing and replayed).
// Prints records per second for both and the ratio listing / floor.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "BenchSupport.h"
#include "DbxWriter.h"
#include "store/DbxMessageFolder.h"

using namespace pellumo;

namespace {

const size_t kMessages = 100000;


struct Fixture {
    std::string path;
    std::vector<std::pair<uint64_t, size_t>> reads;
    size_t records = 0;

    Fixture() {
        std::vector<mkstore::Message> messages(kMessages);
        for (size_t i = 0; i < kMessages; ++i) {
            auto& m = messages[i];
            m.flags = i % 3 ? 0x80 : 0;
            m.priority = i % 7 ? 3 : 1;
            m.subject = "Re: weekly status report number " + std::to_string(i);
            m.senderName = "Sender " + std::to_string(i % 97);
            m.senderAddress = "sender" + std::to_string(i % 97) + "@example.com";
            m.messageId = "<" + std::to_string(i) + "@example.com>";
            m.sentTime = m.receivedTime = 0x01D0000000000000ull + i * 10000000ull;
            m.text = "Subject: x\r\n\r\nbody\r\n";
        }
        const auto bytes = mkstore::WriteMessageFile(messages);
        path = "bench-dbx-list.dbx";
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        TFileStream file(path);
        bench::RecordingStream recording(file, reads);
        TDbxMessageFolder dbx;
        dbx.Open(recording);
        reads.clear();  // the open checks are not part of a listing
        for (dbx.First(); !dbx.Eof(); dbx.Next()) ++records;
    }
    ~Fixture() { std::remove(path.c_str()); }
};

Fixture& Data() {
    static Fixture fixture;
    return fixture;
}

void BM_ListMessages(benchmark::State& state) {
    Fixture& f = Data();
    TDbxMessageFolder dbx;
    dbx.Open(std::unique_ptr<TStream>(new TFileStream(f.path)));
    size_t n = 0;
    for (auto _ : state) {
        for (dbx.First(); !dbx.Eof(); dbx.Next()) {
            benchmark::DoNotOptimize(dbx.Current()->Subject.size());
            ++n;
        }
    }
    if (n != f.records * state.iterations()) state.SkipWithError("record count changed");
    state.counters["records/s"] = benchmark::Counter(double(n), benchmark::Counter::kIsRate);
}

void BM_FloorSameReads(benchmark::State& state) {
    Fixture& f = Data();
    TFileStream file(f.path);
    std::vector<uint8_t> buffer;
    for (auto _ : state) {
        for (const auto& r : f.reads) {
            if (buffer.size() < r.second) buffer.resize(r.second);
            benchmark::DoNotOptimize(file.ReadAt(r.first, buffer.data(), r.second));
        }
    }
    state.counters["records/s"] =
        benchmark::Counter(double(f.records * state.iterations()), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_ListMessages)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FloorSameReads)->Unit(benchmark::kMillisecond);


}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    bench::TimeReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto list = reporter.seconds.find("BM_ListMessages");
    const auto floor = reporter.seconds.find("BM_FloorSameReads");
    if (list != reporter.seconds.end() && floor != reporter.seconds.end())
        std::printf("listing / floor time ratio: %.2f (%zu records, %zu positioned reads)\n",
                    list->second / floor->second, Data().records, Data().reads.size());
    benchmark::Shutdown();
    return 0;
}
