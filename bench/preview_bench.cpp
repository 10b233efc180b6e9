// Previewing every message of the shared MIME corpus (preloaded into memory),
// against GMime 3 parsing the same bytes and taking its first text part as
// UTF-8. Prints MB/s and messages/s for both and the throughput ratio ours /
// GMime. A second GMime run also decodes every other leaf part (to a null
// stream), since our whole reading decodes every attachment; ours is also
// measured as the scan reads, only as far as the preview needs.
#include <benchmark/benchmark.h>

#include "BenchSupport.h"

#include <unistd.h>

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "BenchFiles.h"
#include "content/MimeMessage.h"

#ifdef PELLUMO_HAVE_GMIME
#include <gmime/gmime.h>
#endif

using namespace pellumo;

namespace {

struct Corpus {
    std::vector<std::string> messages;
    size_t bytes = 0;
    size_t refused = 0;  // messages our reader threw on, in one pass

    Corpus() {
        for (const auto& path : bench::FilesBelow(PELLUMO_MIME_CORPUS)) {
            messages.push_back(bench::ReadAll(path));
            bytes += messages.back().size();
        }
        for (const auto& raw : messages) {
            try {
                PreviewRawMessage(raw);
            } catch (const Exception&) {
                ++refused;
            }
        }
    }
};

const Corpus& Data() {
    static const Corpus corpus;
    return corpus;
}

// The corpus, or the benchmark skipped saying where it was looked for.
bool HaveCorpus(benchmark::State& state, const Corpus& c) {
    if (!c.messages.empty()) return true;
    state.SkipWithError("no corpus at " PELLUMO_MIME_CORPUS);
    return false;
}

void SetRates(benchmark::State& state, const Corpus& c) {
    state.SetBytesProcessed(static_cast<int64_t>(c.bytes * state.iterations()));
    state.counters["msgs/s"] =
        benchmark::Counter(double(c.messages.size() * state.iterations()), benchmark::Counter::kIsRate);
}

void BM_PreviewOurs(benchmark::State& state) {
    const Corpus& c = Data();
    if (!HaveCorpus(state, c)) return;
    for (auto _ : state) {
        for (const auto& raw : c.messages) {
            try {
                std::string text = PreviewRawMessage(raw);
                benchmark::DoNotOptimize(text.data());
            } catch (const Exception&) {
                // The reader refuses a few corpus messages (overlong lines,
                // unknown part types); the work up to there still counts.
            }
        }
    }
    SetRates(state, c);
}
BENCHMARK(BM_PreviewOurs)->Unit(benchmark::kMillisecond)->UseRealTime();

// As the scan reads a message: only as far as its preview, sender and
// subject need.
void BM_PreviewReadingOurs(benchmark::State& state) {
    const Corpus& c = Data();
    if (!HaveCorpus(state, c)) return;
    for (auto _ : state) {
        for (const auto& raw : c.messages) {
            try {
                TMemoryStream stream(raw);
                TMimeMessage message;
                std::string text;
                ReadPreviewFromStream(message, stream, text);
                benchmark::DoNotOptimize(text.data());
                benchmark::DoNotOptimize(MessageNames(message).Subject.data());
            } catch (const Exception&) {
            }
        }
    }
    SetRates(state, c);
}
BENCHMARK(BM_PreviewReadingOurs)->Unit(benchmark::kMillisecond)->UseRealTime();

// A hostile message: Parts (each a "--b" line and what follows it) before
// its one text part, read as the scan reads it.
void ReadHostile(benchmark::State& state, const std::string& parts) {
    const std::string raw = "From: a@example.com\r\nSubject: parts\r\nContent-Type: multipart/mixed; boundary=\"b\"\r\n\r\n" +
                            parts + "--b\r\nContent-Type: text/plain\r\n\r\nAt last.\r\n--b--\r\n";
    for (auto _ : state) {
        TMemoryStream stream(raw);
        TMimeMessage message;
        std::string text;
        ReadPreviewFromStream(message, stream, text);
        if (text.find("At last.") == std::string::npos) state.SkipWithError("the text after the parts was not found");
    }
}

// Count tiny attachments: ten times the parts should cost about ten times as
// much (linear), never a hundred.
void ReadManyParts(benchmark::State& state, size_t count) {
    std::string parts;
    for (size_t i = 0; i < count; ++i) parts += "--b\r\nContent-Type: application/octet-stream\r\n\r\nxx\r\n";
    ReadHostile(state, parts);
}

// Count empty containers side by side: every container is kept, so each look
// at whether the preview is settled goes over all of them. Four times the
// containers should cost about four times as much.
void ReadManyContainers(benchmark::State& state, size_t count) {
    std::string parts;
    for (size_t i = 0; i < count; ++i)
        parts += "--b\r\nContent-Type: multipart/mixed; boundary=\"c" + std::to_string(i) + "\"\r\n\r\n--c" +
                 std::to_string(i) + "--\r\n";
    ReadHostile(state, parts);
}
void BM_ManyContainers5000(benchmark::State& state) { ReadManyContainers(state, 5000); }
void BM_ManyContainers20000(benchmark::State& state) { ReadManyContainers(state, 20000); }
BENCHMARK(BM_ManyContainers5000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ManyContainers20000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ManyParts10000(benchmark::State& state) { ReadManyParts(state, 10000); }
void BM_ManyParts100000(benchmark::State& state) { ReadManyParts(state, 100000); }
BENCHMARK(BM_ManyParts10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ManyParts100000)->Unit(benchmark::kMillisecond)->UseRealTime();

#ifdef PELLUMO_HAVE_GMIME

struct Walk {
    GMimeTextPart* firstText = nullptr;
    bool decodeAll = false;
    GMimeStream* sink = nullptr;
};

void Visit(GMimeObject*, GMimeObject* part, gpointer data) {
    Walk& walk = *static_cast<Walk*>(data);
    if (!GMIME_IS_PART(part)) return;  // containers and message/rfc822 wrappers
    if (!walk.firstText && GMIME_IS_TEXT_PART(part) && !g_mime_part_is_attachment(GMIME_PART(part))) {
        walk.firstText = GMIME_TEXT_PART(part);
        return;
    }
    if (walk.decodeAll) {
        if (GMimeDataWrapper* content = g_mime_part_get_content(GMIME_PART(part)))
            g_mime_data_wrapper_write_to_stream(content, walk.sink);
    }
}

// The peer's preview: parse from memory, first inline text part as UTF-8.
std::string GMimePreview(const std::string& raw, bool decodeAll, GMimeStream* sink) {
    GMimeStream* stream = g_mime_stream_mem_new_with_buffer(raw.data(), raw.size());
    GMimeParser* parser = g_mime_parser_new_with_stream(stream);
    g_object_unref(stream);
    GMimeMessage* message = g_mime_parser_construct_message(parser, nullptr);
    g_object_unref(parser);
    if (!message) return std::string();
    Walk walk;
    walk.decodeAll = decodeAll;
    walk.sink = sink;
    g_mime_message_foreach(message, Visit, &walk);
    std::string text;
    if (walk.firstText) {
        if (char* utf8 = g_mime_text_part_get_text(walk.firstText)) {
            text = utf8;
            g_free(utf8);
        }
    }
    g_object_unref(message);
    return text;
}

void RunGMime(benchmark::State& state, bool decodeAll) {
    const Corpus& c = Data();
    if (!HaveCorpus(state, c)) return;
    GMimeStream* sink = g_mime_stream_null_new();
    for (auto _ : state) {
        for (const auto& raw : c.messages) {
            std::string text = GMimePreview(raw, decodeAll, sink);
            benchmark::DoNotOptimize(text.data());
        }
    }
    g_object_unref(sink);
    SetRates(state, c);
}

void BM_PreviewGMime(benchmark::State& state) { RunGMime(state, false); }
void BM_PreviewGMimeDecodeAll(benchmark::State& state) { RunGMime(state, true); }
BENCHMARK(BM_PreviewGMime)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PreviewGMimeDecodeAll)->Unit(benchmark::kMillisecond)->UseRealTime();

#endif

// Rates and ratios of the runs kept by the shared reporter.
class RatioReporter : public bench::TimeReporter {
public:
    // Throughput of Ours over that of Peer.
    double Ratio(const char* ours, const char* peer) const {
        return TimeRatio(peer, ours);
    }
    // MB (10^6 bytes) and messages per second of one run, from its time in ms.
    void PrintRates(const char* name, const char* label, const Corpus& c) const {
        const auto run = seconds.find(name);
        if (run == seconds.end()) return;
        std::printf("%-34s %7.1f MB/s %9.0f msgs/s\n", label, c.bytes / 1e3 / run->second,
                    c.messages.size() * 1e3 / run->second);
    }
};

}  // namespace

int main(int argc, char** argv) {
#ifdef PELLUMO_HAVE_GMIME
    g_mime_init();
#endif
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const Corpus& c = Data();
    std::printf("corpus: %zu messages, %.2f MB, %zu refused by our reader\n", c.messages.size(),
                c.bytes / 1e6, c.refused);
    reporter.PrintRates("BM_PreviewOurs", "PreviewRawMessage:", c);
    reporter.PrintRates("BM_PreviewReadingOurs", "ReadPreviewFromStream:", c);
    const double parts = reporter.TimeRatio("BM_ManyParts100000", "BM_ManyParts10000");
    if (parts > 0) std::printf("100,000 parts / 10,000 parts time ratio: %.1f (linear: near 10)\n", parts);
    const double containers = reporter.TimeRatio("BM_ManyContainers20000", "BM_ManyContainers5000");
    if (containers > 0)
        std::printf("20,000 containers / 5,000 containers time ratio: %.1f (linear: near 4; target at most 5)\n",
                    containers);
#ifdef PELLUMO_HAVE_GMIME
    reporter.PrintRates("BM_PreviewGMime", "GMime, first text part:", c);
    reporter.PrintRates("BM_PreviewGMimeDecodeAll", "GMime, every part decoded:", c);
    const double first = reporter.Ratio("BM_PreviewOurs", "BM_PreviewGMime");
    const double all = reporter.Ratio("BM_PreviewOurs", "BM_PreviewGMimeDecodeAll");
    if (first > 0) std::printf("preview / GMime throughput ratio: %.2f\n", first);
    const double reading = reporter.Ratio("BM_PreviewReadingOurs", "BM_PreviewGMime");
    if (reading > 0) std::printf("preview reading (as the scan reads) / GMime throughput ratio: %.2f\n", reading);
    if (all > 0) std::printf("preview / GMime (all parts decoded) throughput ratio: %.2f\n", all);
    g_mime_shutdown();
#else
    std::printf("GMime 3 was not found at build time: ours measured alone, no ratio\n");
#endif
    benchmark::Shutdown();
    return 0;
}
