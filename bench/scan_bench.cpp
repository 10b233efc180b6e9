// The new-mail scan: the baseline scan of a store of 20 folders x 5,000
// messages, and the rescan after one message is added to a 50,000-message
// folder, each against the floor of the same positioned reads replayed
// without decoding (recorded from one run of the same work).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "BenchSupport.h"
#include "DbxWriter.h"
#include "app/MailScan.h"
#include "store/DbxMessageFolder.h"

using namespace pellumo;
namespace fs = std::filesystem;

namespace {

using bench::Reads;
using bench::RecordingStream;


std::vector<mkstore::Message> Messages(size_t count, uint32_t firstId) {
    std::vector<mkstore::Message> messages(count);
    for (size_t i = 0; i < count; ++i) {
        auto& m = messages[i];
        m.id = firstId + static_cast<uint32_t>(i);
        m.flags = i % 4 ? 0x80 : 0;
        m.subject = "Status report " + std::to_string(i);
        m.senderName = "Sender " + std::to_string(i % 50);
        m.text = "From: Sender <s@example.com>\r\nSubject: Status report\r\nMIME-Version: 1.0\r\n"
                 "Content-Type: text/plain; charset=iso-8859-1\r\n\r\nAll is well.\r\n";
    }
    return messages;
}

void WriteFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

// The reads a listing of File makes, plus the block reads of the messages at Bodies.
void RecordReads(const std::string& file, const std::vector<uint32_t>& bodies, std::vector<std::pair<std::string, Reads>>& out) {
    TFileStream stream(file);
    out.emplace_back(file, Reads());
    RecordingStream recording(stream, out.back().second);
    TDbxMessageFolder dbx;
    dbx.Open(recording);
    for (dbx.First(); !dbx.Eof(); dbx.Next()) benchmark::DoNotOptimize(dbx.Current()->Id.size());
    TMemoryStream text;
    for (uint32_t body : bodies) dbx.ReadMessage(body, text);
}

void Replay(const std::vector<std::pair<std::string, Reads>>& files) {
    static std::vector<uint8_t> buffer;
    for (const auto& f : files) {
        TFileStream stream(f.first);
        for (const auto& r : f.second) {
            if (buffer.size() < r.second) buffer.resize(r.second);
            benchmark::DoNotOptimize(stream.ReadAt(r.first, buffer.data(), r.second));
        }
    }
}

struct Store {
    fs::path dir = fs::temp_directory_path() / ("pellumo-scan-bench-" + std::to_string(getpid()));
    std::vector<std::unique_ptr<TDbxFolderRecord>> records;
    TFolderList baseline;  // 20 folders of 5,000 messages
    TFolderList folders;   // the same 20, and one of 50,000
    std::vector<std::pair<std::string, Reads>> baselineReads, rescanReads;
    std::string big;
    std::vector<uint8_t> bigBefore, bigAfter;
    bool built = false;

    // Without Build, only a holder of folder records.
    explicit Store(bool build = true) {
        if (build) Build();
    }
    void Build() {
        built = true;
        fs::create_directories(dir);
        for (int i = 0; i < 20; ++i) {
            const std::string path = Add("Folder" + std::to_string(i), Messages(5000, 1 + i * 5000), folders);
            Watch(path, baseline);
        }
        big = Add("Big", Messages(50000, 200000), folders);
        bigBefore = mkstore::WriteMessageFile(Messages(50000, 200000));
        bigAfter = mkstore::AddMessages(bigBefore, Messages(1, 900000));
        for (const auto& entry : baseline) RecordReads(entry.Info->Record->FileName, {}, baselineReads);
        // The rescan lists the changed folder and reads the one new message.
        WriteFile(big, bigAfter);
        uint32_t newBody = 0;
        {
            TDbxMessageFolder dbx;
            dbx.Open(std::unique_ptr<TStream>(new TFileStream(big)));
            for (dbx.First(); !dbx.Eof(); dbx.Next()) newBody = dbx.Current()->BodyPos;
        }
        RecordReads(big, {newBody}, rescanReads);
    }
    ~Store() {
        if (built) fs::remove_all(dir);
    }

    std::string Add(const std::string& name, const std::vector<mkstore::Message>& messages, TFolderList& list) {
        const fs::path path = dir / (name + ".dbx");
        WriteFile(path, mkstore::WriteMessageFile(messages));
        Watch(path.string(), list);
        return path.string();
    }
    void Watch(const std::string& path, TFolderList& list) {
        std::unique_ptr<TDbxFolderRecord> record(new TDbxFolderRecord);
        record->Name = fs::path(path).stem().string();
        record->FileName = path;
        record->Kind = 1;
        TFolderListEntry entry;
        entry.FolderId = record->Name;  // each folder its own, as the records give them
        entry.Info.reset(new TFolderInfo);
        entry.Info->Record = record.get();
        records.push_back(std::move(record));
        list.push_back(std::move(entry));
    }
    static void ResetAges(TFolderList& list) {
        for (auto& entry : list) entry.Info->LastAge = TFileStamp();
    }
};

Store& TheStore() {
    static Store store;
    return store;
}

void BM_BaselineScan(benchmark::State& state) {
    Store& s = TheStore();
    for (auto _ : state) {
        Store::ResetAges(s.baseline);
        TMailScan scan(s.baseline);
        scan.ScanFolders(true);
        benchmark::DoNotOptimize(scan.SeenIds.Count());
    }
}

void BM_BaselineFloor(benchmark::State& state) {
    Store& s = TheStore();
    for (auto _ : state) Replay(s.baselineReads);
}

void BM_RescanOneNewMessage(benchmark::State& state) {
    Store& s = TheStore();
    for (auto _ : state) {
        state.PauseTiming();
        Store::ResetAges(s.folders);
        WriteFile(s.big, s.bigBefore);
        TMailScan scan(s.folders);
        scan.ScanFolders(true);
        WriteFile(s.big, s.bigAfter);
        // Only the big folder's age moves; the others keep theirs.
        for (auto& entry : s.folders)
            if (entry.Info->Record->FileName == s.big) entry.Info->LastAge = TFileStamp();
        state.ResumeTiming();
        scan.StoreChanged();
        if (scan.Queue.Count() != 1) state.SkipWithError("the new message was not queued");
    }
}

void BM_RescanFloor(benchmark::State& state) {
    Store& s = TheStore();
    for (auto _ : state) Replay(s.rescanReads);
}

// Many watched folders: 50 of 1,000 messages each (an Inbox and 49 folders
// message rules file into), scanned all, against the Inbox alone on the same
// store. A change in one folder must cost what that folder costs, not what
// the number watched does.
struct ManyFolders {
    fs::path dir = fs::temp_directory_path() / ("pellumo-scan-bench-many-" + std::to_string(getpid()));
    Store holder{false};  // keeps the records
    TFolderList all, inboxOnly;
    std::string inbox;
    std::vector<uint8_t> inboxBefore, inboxAfter;

    ManyFolders() {
        fs::create_directories(dir);
        for (int i = 0; i < 50; ++i) {
            const fs::path path = dir / ("Folder" + std::to_string(i) + ".dbx");
            WriteFile(path, mkstore::WriteMessageFile(Messages(1000, 1 + i * 1000)));
            holder.Watch(path.string(), all);
            if (i == 0) holder.Watch(path.string(), inboxOnly);
        }
        inbox = all.front().Info->Record->FileName;
        inboxBefore = mkstore::WriteMessageFile(Messages(1000, 1));
        inboxAfter = mkstore::AddMessages(inboxBefore, Messages(1, 900000));
    }
    ~ManyFolders() { fs::remove_all(dir); }
};

ManyFolders& TheManyFolders() {
    static ManyFolders store;
    return store;
}

void Baseline(benchmark::State& state, TFolderList& list) {
    for (auto _ : state) {
        Store::ResetAges(list);
        TMailScan scan(list);
        scan.ScanFolders(true);
        benchmark::DoNotOptimize(scan.SeenIds.Count());
    }
}
void BM_Baseline50Folders(benchmark::State& state) { Baseline(state, TheManyFolders().all); }
void BM_BaselineInboxOnly(benchmark::State& state) { Baseline(state, TheManyFolders().inboxOnly); }

// One new message in the Inbox, the other folders unchanged.
void RescanInbox(benchmark::State& state, TFolderList& list) {
    ManyFolders& s = TheManyFolders();
    for (auto _ : state) {
        state.PauseTiming();
        Store::ResetAges(list);
        WriteFile(s.inbox, s.inboxBefore);
        TMailScan scan(list);
        scan.ScanFolders(true);
        WriteFile(s.inbox, s.inboxAfter);
        list.front().Info->LastAge = TFileStamp();
        state.ResumeTiming();
        scan.StoreChanged();
        if (scan.Queue.Count() != 1) state.SkipWithError("the new message was not queued");
    }
}
void BM_Rescan50FoldersOneChanged(benchmark::State& state) { RescanInbox(state, TheManyFolders().all); }
void BM_RescanInboxOnlyChanged(benchmark::State& state) { RescanInbox(state, TheManyFolders().inboxOnly); }

BENCHMARK(BM_BaselineScan)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BaselineFloor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RescanOneNewMessage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RescanFloor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Baseline50Folders)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BaselineInboxOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rescan50FoldersOneChanged)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RescanInboxOnlyChanged)->Unit(benchmark::kMillisecond);


}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    bench::TimeReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto ratio = [&](const char* ours, const char* floor) {
        const double r = reporter.TimeRatio(ours, floor);
        if (r >= 0) std::printf("%s / %s time ratio: %.2f\n", ours, floor, r);
    };
    ratio("BM_BaselineScan", "BM_BaselineFloor");
    ratio("BM_RescanOneNewMessage", "BM_RescanFloor");
    ratio("BM_Baseline50Folders", "BM_BaselineInboxOnly");
    ratio("BM_Rescan50FoldersOneChanged", "BM_RescanInboxOnlyChanged");
    benchmark::Shutdown();
    return 0;
}
