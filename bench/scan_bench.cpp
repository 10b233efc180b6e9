// The new-mail scan: the baseline scan of a store of 20 folders x 5,000
// messages against the floor of the same positioned reads replayed without
// decoding (recorded from one run of the same work); the rescan of a
// 50,000-message folder against that of a 500-message one after one message
// is added, marked read or deleted; the memory the seen list keeps; and a
// change in one of 50 watched folders against the Inbox watched alone; the
// record summaries of a damaged folder whose 204,000 index entries all name
// one record with a long property table against those of one of 51,000 such
// entries (a linear reading: a ratio near 4, at most 5). Last, outside the
// timed benchmarks: the scan of a /test start over a folder of 20,000 real
// messages (the shared MIME corpus over and over, all unread), and the same
// with every message read for its preview (a popup that takes each as it
// comes), against undbx extracting every message of the same file to .eml
// files, best of three each.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "BenchFiles.h"
#include "BenchSupport.h"
#include "DbxWriter.h"
#include "app/MailScan.h"
#include "store/DbxMessageFolder.h"
#include "store/DbxRecordSummary.h"

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

// The reads one reading of File makes: the header and index, the Id and
// flags of every record, and the whole record and text of the messages at
// Announced (to be announced).
void RecordReads(const std::string& file, const std::vector<uint32_t>& announced,
                 std::vector<std::pair<std::string, Reads>>& out) {
    TFileStream stream(file);
    out.emplace_back(file, Reads());
    RecordingStream recording(stream, out.back().second);
    TDbxMessageFolder dbx;
    dbx.Open(recording);
    benchmark::DoNotOptimize(dbx.ItemCount());
    benchmark::DoNotOptimize(ReadRecordSummaries(recording, dbx.RecordPositions()).size());
    TMemoryStream text;
    for (uint32_t position : announced) {
        TDbxMessageRecord record;
        record.Load(recording, position);
        dbx.ReadMessage(record.BodyPos, text);
    }
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
    std::vector<std::pair<std::string, Reads>> baselineReads;
    bool built = false;

    // Without Build, only a holder of folder records.
    explicit Store(bool build = true) {
        if (build) Build();
    }
    void Build() {
        built = true;
        fs::create_directories(dir);
        for (int i = 0; i < 20; ++i) {
            const fs::path path = dir / ("Folder" + std::to_string(i) + ".dbx");
            WriteFile(path, mkstore::WriteMessageFile(Messages(5000, 1 + i * 5000)));
            Watch(path.string(), baseline);
        }
        for (const auto& entry : baseline) RecordReads(entry.Info->Record->FileName, {}, baselineReads);
    }
    ~Store() {
        if (built) fs::remove_all(dir);
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
    size_t bytes = 0, seen = 0;
    for (auto _ : state) {
        Store::ResetAges(s.baseline);
        TMailScan scan(s.baseline);
        scan.ScanFolders(true);
        bytes = scan.SeenIds.Bytes();
        seen = scan.SeenIds.Count();
    }
    // What the scan keeps of the store between readings: the seen list.
    state.counters["kept_bytes_per_message"] = seen ? double(bytes) / double(seen) : 0;
}

void BM_BaselineFloor(benchmark::State& state) {
    Store& s = TheStore();
    for (auto _ : state) Replay(s.baselineReads);
}

// One folder before and after a change, as two files, so that a rescan can
// be repeated without writing: the baseline reads Before, the rescan After.
struct ChangedFolder {
    Store holder{false};
    TFolderList list;
    std::string before, after;

    ChangedFolder(const fs::path& dir, const std::string& name, const std::vector<uint8_t>& beforeBytes,
                  const std::vector<uint8_t>& afterBytes) {
        before = (dir / (name + "-before.dbx")).string();
        after = (dir / (name + "-after.dbx")).string();
        WriteFile(before, beforeBytes);
        WriteFile(after, afterBytes);
        holder.Watch(before, list);
    }
};

enum Change { kNewMessage, kMarkedRead, kDeleted };

// Folders of 50,000 and of 500 messages, each changed in the three ways.
struct Rescans {
    fs::path dir = fs::temp_directory_path() / ("pellumo-scan-bench-rescan-" + std::to_string(getpid()));
    std::map<std::pair<size_t, Change>, std::unique_ptr<ChangedFolder>> folders;

    Rescans() {
        fs::create_directories(dir);
        for (size_t size : {size_t(50000), size_t(500)}) {
            const std::vector<uint8_t> before = mkstore::WriteMessageFile(Messages(size, 1));
            // The middle message is unread (every fourth is).
            const uint32_t middle = uint32_t(size / 2 / 4 * 4 + 1);
            const std::string name = std::to_string(size);
            folders[{size, kNewMessage}].reset(new ChangedFolder(
                dir, name + "-new", before, mkstore::AddMessages(before, Messages(1, 900000))));
            folders[{size, kMarkedRead}].reset(
                new ChangedFolder(dir, name + "-read", before, mkstore::SetMessageValue(before, middle, mkstore::kFlagsProperty, 0x80)));
            folders[{size, kDeleted}].reset(
                new ChangedFolder(dir, name + "-deleted", before, mkstore::RemoveMessages(before, {middle})));
        }
    }
    ~Rescans() { fs::remove_all(dir); }
};

Rescans& TheRescans() {
    static Rescans rescans;
    return rescans;
}

void Rescan(benchmark::State& state, size_t size, Change change) {
    ChangedFolder& f = *TheRescans().folders.at({size, change});
    TFolderInfo& info = *f.list.front().Info;
    TDbxFolderRecord& record = *f.holder.records.front();
    for (auto _ : state) {
        state.PauseTiming();
        record.FileName = f.before;
        info.LastAge = TFileStamp();
        TMailScan scan(f.list);
        scan.ScanFolders(true);
        const size_t unread = info.Unread;
        record.FileName = f.after;
        info.LastAge = TFileStamp();
        state.ResumeTiming();
        scan.StoreChanged();
        const bool right = change == kNewMessage ? scan.Queue.Count() == 1 && info.Unread == unread + 1
                                                 : scan.Queue.Count() == 0 && info.Unread == unread - 1;
        if (!right) state.SkipWithError("the rescan did not find the change");
    }
}
void BM_RescanNewIn50000(benchmark::State& state) { Rescan(state, 50000, kNewMessage); }
void BM_RescanNewIn500(benchmark::State& state) { Rescan(state, 500, kNewMessage); }
void BM_RescanReadIn50000(benchmark::State& state) { Rescan(state, 50000, kMarkedRead); }
void BM_RescanReadIn500(benchmark::State& state) { Rescan(state, 500, kMarkedRead); }
void BM_RescanDeletedIn50000(benchmark::State& state) { Rescan(state, 50000, kDeleted); }
void BM_RescanDeletedIn500(benchmark::State& state) { Rescan(state, 500, kDeleted); }

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

// Damaged folders: every index entry names the same record. Timed: the
// summaries of what the index names (the writer's tree for 204,000 entries
// has 24 times the nodes of that for 51,000, so the walk is left out).
struct RepeatedRecords {
    fs::path dir = fs::temp_directory_path() / ("pellumo-scan-bench-repeated-" + std::to_string(getpid()));
    std::map<uint32_t, std::pair<std::string, std::vector<uint32_t>>> files;  // entries: path, positions

    RepeatedRecords() {
        fs::create_directories(dir);
        for (uint32_t entries : {51000u, 204000u}) {
            const std::string path = (dir / ("Repeated" + std::to_string(entries) + ".dbx")).string();
            WriteFile(path, mkstore::WriteRepeatedRecordFile(entries));
            TDbxMessageFolder dbx;
            dbx.Open(std::unique_ptr<TStream>(new TFileStream(path)));
            files[entries] = {path, dbx.RecordPositions()};
        }
    }
    ~RepeatedRecords() { fs::remove_all(dir); }
};

void RepeatedRecord(benchmark::State& state, uint32_t entries) {
    static RepeatedRecords store;
    const auto& file = store.files.at(entries);
    if (file.second.size() != entries) state.SkipWithError("the index does not hold every entry");
    for (auto _ : state) {
        TFileStream stream(file.first);
        benchmark::DoNotOptimize(ReadRecordSummaries(stream, file.second).size());
    }
}
void BM_RepeatedRecord51000(benchmark::State& state) { RepeatedRecord(state, 51000); }
void BM_RepeatedRecord204000(benchmark::State& state) { RepeatedRecord(state, 204000); }

BENCHMARK(BM_BaselineScan)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BaselineFloor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RescanNewIn50000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RescanNewIn500)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RescanReadIn50000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RescanReadIn500)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RescanDeletedIn50000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RescanDeletedIn500)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Baseline50Folders)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BaselineInboxOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rescan50FoldersOneChanged)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RescanInboxOnlyChanged)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RepeatedRecord51000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RepeatedRecord204000)->Unit(benchmark::kMillisecond);


// Best of three runs of Run, in seconds.
template <class F>
double BestOfThree(F run) {
    double best = 1e30;
    for (int i = 0; i < 3; ++i) {
        const auto start = std::chrono::steady_clock::now();
        if (!run()) return -1;
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

void RealMailFolderAgainstUndbx() {
    const std::vector<std::string> files = bench::FilesBelow(PELLUMO_MIME_CORPUS);
    if (files.empty()) {
        std::printf("real-mail folder: no corpus at %s\n", PELLUMO_MIME_CORPUS);
        return;
    }
    const size_t count = 20000;
    std::vector<mkstore::Message> messages(count);
    size_t bytes = 0;
    for (size_t i = 0; i < count; ++i) {
        messages[i].id = static_cast<uint32_t>(i + 1);
        messages[i].subject = "Message " + std::to_string(i);
        messages[i].text = bench::ReadAll(files[i % files.size()]);
        bytes += messages[i].text.size();
    }
    const fs::path dir = fs::path(bench::TempDirectory()) / ("pellumo-realmail-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const fs::path file = dir / "Inbox.dbx";
    WriteFile(file, mkstore::WriteMessageFile(messages));
    messages.clear();
    Store holder(false);
    TFolderList list;
    holder.Watch(file.string(), list);
    const double ours = BestOfThree([&] {
        Store::ResetAges(list);
        TMailScan scan(list);
        scan.ScanFolders(false);
        return scan.Queue.Count() == count;
    });
    // The same with a popup that takes each notification as it comes, so
    // that the queue never fills and every message is read for its preview.
    const double oursEveryPreview = BestOfThree([&] {
        Store::ResetAges(list);
        TMailScan scan(list);
        size_t taken = 0;
        scan.ShowNextNotification = [&] { taken += scan.Queue.Take() ? 1 : 0; };
        scan.ScanFolders(false);
        return taken == count;
    });
    std::printf("real-mail folder: %zu messages, %.1f MB of text, file %.1f MB\n", count, bytes / 1e6,
                fs::file_size(file) / 1e6);
    if (ours < 0 || oursEveryPreview < 0) {
        std::printf("real-mail folder: the scan did not announce every message\n");
    } else {
        std::printf("real-mail folder: /test scan %.3f s\n", ours);
        std::printf("real-mail folder: /test scan, every message's preview read %.3f s\n", oursEveryPreview);
    }
    double undbx = -1;
    if (std::system("command -v undbx >/dev/null 2>&1") == 0) {
        const fs::path out = dir / "undbx";
        const std::string command = "undbx -v 0 '" + file.string() + "' '" + out.string() + "' >/dev/null 2>&1";
        undbx = BestOfThree([&] {
            fs::remove_all(out);
            fs::create_directories(out);
            return std::system(command.c_str()) == 0;
        });
        if (undbx < 0) std::printf("real-mail folder: undbx failed\n");
        else std::printf("real-mail folder: undbx extracting it %.3f s\n", undbx);
    } else {
        std::printf("real-mail folder: undbx was not found: ours measured alone, no ratio\n");
    }
    if (ours > 0 && oursEveryPreview > 0 && undbx > 0) {
        std::printf("real-mail /test scan / undbx extraction time ratio: %.2f\n", ours / undbx);
        std::printf("real-mail /test scan, every preview read / undbx extraction time ratio: %.2f\n",
                    oursEveryPreview / undbx);
    }
    fs::remove_all(dir);
}

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
    ratio("BM_RescanNewIn50000", "BM_RescanNewIn500");
    ratio("BM_RescanReadIn50000", "BM_RescanReadIn500");
    ratio("BM_RescanDeletedIn50000", "BM_RescanDeletedIn500");
    ratio("BM_Baseline50Folders", "BM_BaselineInboxOnly");
    ratio("BM_Rescan50FoldersOneChanged", "BM_RescanInboxOnlyChanged");
    ratio("BM_RepeatedRecord204000", "BM_RepeatedRecord51000");
    RealMailFolderAgainstUndbx();
    benchmark::Shutdown();
    return 0;
}
