// Reducing the shared HTML corpus, joined into one document, to text: ours in
// memory against `w3m -dump -T text/html` on the same document in a temporary
// file, each w3m run timed by wall clock from spawn to exit with its whole
// output read. Prints MB/s for both and the throughput ratio ours / w3m.
#include <benchmark/benchmark.h>

#include "BenchSupport.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "BenchFiles.h"
#include "content/HtmlToText.h"

extern char** environ;

using namespace pellumo;

namespace {

struct Document {
    std::string html;
    size_t files = 0;
    std::string path;  // the same bytes on disk, for w3m

    Document() {
        for (const auto& file : bench::FilesBelow(PELLUMO_HTML_CORPUS)) {
            html += bench::ReadAll(file);
            html += '\n';
            ++files;
        }
        std::string name = bench::TempDirectory() + "pellumo-bench-XXXXXX.html";
        const int fd = mkstemps(&name[0], 5);
        if (fd < 0) return;
        path = name;
        size_t done = 0;
        while (done < html.size()) {
            const ssize_t n = write(fd, html.data() + done, html.size() - done);
            if (n <= 0) break;
            done += static_cast<size_t>(n);
        }
        close(fd);
        if (done != html.size()) {
            unlink(path.c_str());
            path.clear();
        }
    }
    ~Document() {
        if (!path.empty()) unlink(path.c_str());
    }
};

Document& Data() {
    static Document document;
    return document;
}

void BM_HtmlToTextOurs(benchmark::State& state) {
    const Document& d = Data();
    if (d.html.empty()) {
        state.SkipWithError("no corpus at " PELLUMO_HTML_CORPUS);
        return;
    }
    for (auto _ : state) {
        std::string text = HtmlToText(d.html);
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(d.html.size() * state.iterations()));
}
BENCHMARK(BM_HtmlToTextOurs)->Unit(benchmark::kMillisecond)->UseRealTime();

// One w3m run: its output read through a pipe to the end, as ours produces
// its text in memory. Returns the output size, or -1 when w3m failed.
long RunW3m(const std::string& path) {
    int out[2];
    if (pipe(out) != 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, out[1]);
    const char* argv[] = {"w3m", "-dump", "-T", "text/html", path.c_str(), nullptr};
    pid_t pid;
    const int spawned = posix_spawnp(&pid, "w3m", &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        close(out[0]);
        return -1;
    }
    long total = 0;
    char buffer[65536];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) != 0;) {
        if (n < 0) {
            if (errno == EINTR) continue;
            break;
        }
        total += n;
    }
    close(out[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? total : -1;
}

void BM_HtmlToTextW3m(benchmark::State& state) {
    const Document& d = Data();
    if (d.path.empty()) {
        state.SkipWithError("no corpus, or the temporary copy could not be written");
        return;
    }
    for (auto _ : state) {
        if (RunW3m(d.path) < 0) {
            state.SkipWithError("w3m failed to run (is it installed?)");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(d.html.size() * state.iterations()));
}
// Child time is not this process's CPU time: wall clock, several whole runs.
BENCHMARK(BM_HtmlToTextW3m)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);


}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    bench::TimeReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const Document& d = Data();
    const auto ours = reporter.seconds.find("BM_HtmlToTextOurs");
    const auto w3m = reporter.seconds.find("BM_HtmlToTextW3m");
    std::printf("document: %zu files joined, %.2f MB\n", d.files, d.html.size() / 1e6);
    if (ours != reporter.seconds.end() && w3m != reporter.seconds.end()) {
        // Adjusted times are in the benchmarks' unit (ms).
        std::printf("HtmlToText %.1f MB/s, w3m -dump %.1f MB/s\n", d.html.size() / 1e3 / ours->second,
                    d.html.size() / 1e3 / w3m->second);
        std::printf("HtmlToText / w3m throughput ratio: %.2f\n", w3m->second / ours->second);
    }
    benchmark::Shutdown();
    return 0;
}
