// Peak memory while reading a ~100 MB message whose ~95 MB are one base64
// attachment, built in memory: ours (ReadFromStream from a TMemoryStream, the
// attachment decoded and dropped) against GMime 3 parsing the same bytes from
// a memory stream and decoding the attachment's content to a null stream. Each contestant runs in a child process of its own so the
// peaks do not mix. Prints the peak-RSS increase over the input size for both
// and the ratio ours / GMime.
// Then the new-mail scan of a folder file whose one unread message has a
// 20 MB attachment after a short text, against the same message without the
// attachment: time and peak memory (the scan reads only what the preview
// needs). Then peak memory with 10,000 notifications waiting in the queue,
// each given a 512 KB body, against its floor: the same notifications without
// bodies.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "DbxWriter.h"
#include "app/MailScan.h"
#include "app/Notification.h"
#include "content/MimeMessage.h"

#ifdef PELLUMO_HAVE_GMIME
#include <gmime/gmime.h>
#endif

#include "BenchFiles.h"

using namespace pellumo;

namespace {

const size_t kAttachmentBytes = size_t(95) << 20;  // encoded, line ends included: ~100 MB
const size_t kLineChars = 76;
const size_t kLines = kAttachmentBytes / (kLineChars + 2);
const size_t kDecodedBytes = kLines * kLineChars / 4 * 3;

const char kHead[] =
    "From: Sender <sender@example.com>\r\n"
    "To: Reader <reader@example.com>\r\n"
    "Subject: The large file\r\n"
    "Date: Mon, 1 Jan 2024 10:00:00 +0000\r\n"
    "MIME-Version: 1.0\r\n"
    "Content-Type: multipart/mixed; boundary=\"=_bench_boundary\"\r\n"
    "\r\n"
    "This is a multi-part message in MIME format.\r\n"
    "\r\n"
    "--=_bench_boundary\r\n"
    "Content-Type: text/plain; charset=us-ascii\r\n"
    "Content-Transfer-Encoding: 7bit\r\n"
    "\r\n"
    "Here is the file you asked for.\r\n"
    "\r\n"
    "--=_bench_boundary\r\n"
    "Content-Type: application/octet-stream; name=\"large.bin\"\r\n"
    "Content-Transfer-Encoding: base64\r\n"
    "Content-Disposition: attachment; filename=\"large.bin\"\r\n"
    "\r\n";
const char kTail[] = "\r\n--=_bench_boundary--\r\n";

size_t MessageSize() { return sizeof kHead - 1 + kLines * (kLineChars + 2) + sizeof kTail - 1; }

// Writes the message into Out, which has room for exactly MessageSize()
// bytes: the attachment is pseudo-random bytes, so nothing compresses it.
void FillMessage(char* out) {
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::memcpy(out, kHead, sizeof kHead - 1);
    out += sizeof kHead - 1;
    uint64_t state = 0x9E3779B97F4A7C15ull;
    for (size_t line = 0; line < kLines; ++line) {
        for (size_t group = 0; group < kLineChars / 4; ++group) {
            state = state * 6364136223846793005ull + 1442695040888963407ull;
            const uint32_t bits = static_cast<uint32_t>(state >> 40);  // 24 bits
            for (int k = 0; k < 4; ++k) *out++ = kAlphabet[bits >> (18 - 6 * k) & 0x3F];
        }
        *out++ = '\r';
        *out++ = '\n';
    }
    std::memcpy(out, kTail, sizeof kTail - 1);
}

// A field of /proc/self/status in kB ("VmHWM", "VmRSS"), or -1.
long StatusKb(const char* field) {
    std::ifstream status("/proc/self/status");
    const size_t length = std::strlen(field);
    for (std::string line; std::getline(status, line);)
        if (line.compare(0, length, field) == 0 && line.size() > length && line[length] == ':')
            return std::strtol(line.c_str() + length + 1, nullptr, 10);
    return -1;
}

// Sets the peak to the current RSS, so that building the input leaves no
// transient peak behind; false where the kernel does not allow it.
bool ResetPeak() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.flush();
    return clear.good();
}

struct Result {
    bool ok = false;
    bool peakReset = false;
    long inputBytes = 0;
    long hwmBeforeKb = 0, hwmAfterKb = 0;
    double seconds = 0;
    long decodedBytes = 0;
    char note[200] = "";
};

void Note(Result& r, const std::string& text) { std::snprintf(r.note, sizeof r.note, "%s", text.c_str()); }

void MeasureOurs(Result& r) {
    std::vector<uint8_t> bytes(MessageSize());
    FillMessage(reinterpret_cast<char*>(bytes.data()));
    r.inputBytes = static_cast<long>(bytes.size());
    TMemoryStream stream(std::move(bytes));
    r.peakReset = ResetPeak();
    r.hwmBeforeKb = StatusKb("VmHWM");
    TMimeMessage message;
    const auto start = std::chrono::steady_clock::now();
    try {
        ReadFromStream(message, stream);
    } catch (const Exception& e) {
        Note(r, std::string("ReadFromStream raised: ") + e.what());
        return;
    }
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    r.hwmAfterKb = StatusKb("VmHWM");
    for (const auto& part : message.MessageParts)
        if (const auto* attachment = dynamic_cast<const TMimeAttachment*>(part.get()))
            r.decodedBytes = static_cast<long>(attachment->DecodedSize);
    r.ok = true;
}

#ifdef PELLUMO_HAVE_GMIME
void FindAttachment(GMimeObject*, GMimeObject* part, gpointer data) {
    GMimePart** found = static_cast<GMimePart**>(data);
    if (!*found && GMIME_IS_PART(part) && !GMIME_IS_TEXT_PART(part)) *found = GMIME_PART(part);
}

void MeasureGMime(Result& r) {
    g_mime_init();
    const size_t size = MessageSize();
    GByteArray* array = g_byte_array_sized_new(static_cast<guint>(size));
    g_byte_array_set_size(array, static_cast<guint>(size));
    FillMessage(reinterpret_cast<char*>(array->data));
    r.inputBytes = static_cast<long>(size);
    GMimeStream* stream = g_mime_stream_mem_new_with_byte_array(array);  // takes the array
    r.peakReset = ResetPeak();
    r.hwmBeforeKb = StatusKb("VmHWM");
    const auto start = std::chrono::steady_clock::now();
    GMimeParser* parser = g_mime_parser_new_with_stream(stream);
    GMimeMessage* message = g_mime_parser_construct_message(parser, nullptr);
    GMimePart* attachment = nullptr;
    if (message) g_mime_message_foreach(message, FindAttachment, &attachment);
    if (attachment) {
        GMimeStream* out = g_mime_stream_null_new();
        g_mime_data_wrapper_write_to_stream(g_mime_part_get_content(attachment), out);
        r.decodedBytes = static_cast<long>(GMIME_STREAM_NULL(out)->written);
        g_object_unref(out);
    }
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    r.hwmAfterKb = StatusKb("VmHWM");
    if (!message) {
        Note(r, "GMime parsed no message");
        return;
    }
    if (!attachment) {
        Note(r, "GMime found no attachment");
        return;
    }
    r.ok = true;
}
#endif

// Runs Measure in a child process and brings its result back through a pipe.
Result InChild(void (*measure)(Result&)) {
    Result r;
    int channel[2];
    if (pipe(channel) != 0) {
        Note(r, "pipe failed");
        return r;
    }
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid == 0) {
        close(channel[0]);
        Result child;
        measure(child);
        const ssize_t written = write(channel[1], &child, sizeof child);
        _exit(written == static_cast<ssize_t>(sizeof child) ? 0 : 1);
    }
    close(channel[1]);
    if (pid < 0) {
        close(channel[0]);
        Note(r, "fork failed");
        return r;
    }
    size_t got = 0;
    char* into = reinterpret_cast<char*>(&r);
    while (got < sizeof r) {
        const ssize_t n = read(channel[0], into + got, sizeof r - got);
        if (n <= 0) break;
        got += static_cast<size_t>(n);
    }
    close(channel[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (got != sizeof r) {
        r = Result();
        Note(r, "the child died before reporting");
    }
    return r;
}

// Peak-RSS increase in bytes.
double Increase(const Result& r) { return (r.hwmAfterKb - r.hwmBeforeKb) * 1024.0; }

void Print(const char* name, const Result& r) {
    if (!r.ok) {
        std::printf("%-8s failed: %s\n", name, r.note);
        return;
    }
    const double increase = Increase(r);
    std::printf("%-8s input %.1f MB, peak RSS before %.1f MB, after %.1f MB: increase %.2f MB = %.2f%% of input; "
                "%.2f s (%.1f MB/s); attachment decoded %ld bytes%s%s\n",
                name, r.inputBytes / 1e6, r.hwmBeforeKb * 1024 / 1e6, r.hwmAfterKb * 1024 / 1e6, increase / 1e6,
                100 * increase / r.inputBytes, r.seconds, r.inputBytes / 1e6 / r.seconds, r.decodedBytes,
                r.decodedBytes == static_cast<long>(kDecodedBytes) ? "" : " (WRONG SIZE)",
                r.peakReset ? "" : " [peak not reset: input building may be included]");
}

// One unread message in a folder file: a short text, and with Attachment
// 20 MB of base64 after it.
std::string FolderFile(bool attachment) {
    std::string text(kHead, sizeof kHead - 1);
    if (attachment) {
        const size_t lines = (size_t(20) << 20) / (kLineChars + 2);
        std::string line(kLineChars, 'Q');
        text.reserve(text.size() + lines * (kLineChars + 2) + 64);
        for (size_t i = 0; i < lines; ++i) text += line + "\r\n";
        text += kTail;
    } else {
        text = text.substr(0, text.rfind("--=_bench_boundary\r\n")) + "--=_bench_boundary--\r\n";
    }
    mkstore::Message m;
    m.id = 1;
    m.subject = "The large file";
    m.text = text;
    const std::vector<uint8_t> bytes = mkstore::WriteMessageFile({m});
    const std::string path = bench::TempDirectory() + "pellumo-attachment-bench-" + std::to_string(getpid()) +
                             (attachment ? "-large" : "-text") + ".dbx";
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return path;
}

std::string gFolderFile;

// The scan a /test start makes of the folder: every unread message announced.
void MeasureScan(Result& r) {
    TDbxFolderRecord record;
    record.Name = "Inbox";
    record.FileName = gFolderFile;
    record.Kind = 1;
    TFolderList folders(1);
    folders[0].FolderId = "Inbox";
    folders[0].Info.reset(new TFolderInfo);
    folders[0].Info->Record = &record;
    r.inputBytes = static_cast<long>(std::filesystem::file_size(gFolderFile));
    r.peakReset = ResetPeak();
    r.hwmBeforeKb = StatusKb("VmHWM");
    const auto start = std::chrono::steady_clock::now();
    const int runs = 20;
    for (int i = 0; i < runs; ++i) {
        folders[0].Info->LastAge = TFileStamp();
        TMailScan scan(folders);
        scan.ScanFolders(false);
        std::unique_ptr<TNotification> info = scan.Queue.Take();
        if (!info || info->Body != "Here is the file you asked for.\r\n") {
            Note(r, "the scan did not announce the message's text");
            return;
        }
    }
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / runs;
    r.hwmAfterKb = StatusKb("VmHWM");
    r.ok = true;
}

void PrintScan(const char* name, const Result& r) {
    if (!r.ok) {
        std::printf("%-8s failed: %s\n", name, r.note);
        return;
    }
    std::printf("%-8s folder file %.1f MB: scan %.3f ms, peak RSS increase %.2f MB%s\n", name, r.inputBytes / 1e6,
                r.seconds * 1e3, Increase(r) / 1e6, r.peakReset ? "" : " [peak not reset]");
}

const size_t kWaiting = 10000;
const size_t kLargeBodyBytes = size_t(512) << 10;

// Queues kWaiting notifications as the scan does, each with its own copy of
// Body, and keeps them all waiting until the peak is read.
void MeasureQueue(Result& r, const std::string& body) {
    r.peakReset = ResetPeak();
    r.hwmBeforeKb = StatusKb("VmHWM");
    const auto start = std::chrono::steady_clock::now();
    TNotificationQueue queue;
    for (size_t i = 0; i < kWaiting; ++i) {
        std::unique_ptr<TNotification> info(new TNotification);
        info->Folder = "Inbox";
        info->Sender = "Sender " + std::to_string(i) + " <sender" + std::to_string(i) + "@example.com>";
        info->Subject = "Message number " + std::to_string(i) + " of the burst";
        info->Body = body;
        queue.Add(std::move(info));
    }
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    r.hwmAfterKb = StatusKb("VmHWM");
    r.inputBytes = static_cast<long>(kWaiting * body.size());
    r.ok = queue.Count() == kWaiting;
    if (!r.ok) Note(r, "the queue lost notifications");
}

void MeasureQueueWithBodies(Result& r) {
    std::string body;
    while (body.size() < kLargeBodyBytes) body += "Dear reader, the figures you asked for are attached below. ";
    body.resize(kLargeBodyBytes);
    MeasureQueue(r, body);
}

void MeasureQueueFloor(Result& r) { MeasureQueue(r, std::string()); }

void PrintQueue(const char* name, const Result& r) {
    if (!r.ok) {
        std::printf("%-8s failed: %s\n", name, r.note);
        return;
    }
    std::printf("%-8s %zu waiting, bodies given %.1f MB in all: peak RSS increase %.2f MB; %.2f s%s\n", name, kWaiting,
                r.inputBytes / 1e6, Increase(r) / 1e6, r.seconds,
                r.peakReset ? "" : " [peak not reset: earlier allocations may be included]");
}

}  // namespace

int main() {
    std::printf("message: %.1f MB, attachment %.1f MB base64 in %zu lines (%zu bytes decoded)\n",
                MessageSize() / 1e6, kLines * (kLineChars + 2) / 1e6, kLines, kDecodedBytes);
    const Result ours = InChild(MeasureOurs);
    Print("ours", ours);
#ifdef PELLUMO_HAVE_GMIME
    const Result peer = InChild(MeasureGMime);
    Print("GMime", peer);
    if (ours.ok && peer.ok) {
        // Below a page of growth the ratio would mean nothing: count one page.
        const double floor = 4096;
        std::printf("peak RSS increase ratio ours / GMime: %.2f (%.2f%% vs %.2f%% of input)\n",
                    std::max(Increase(ours), floor) / std::max(Increase(peer), floor),
                    100 * Increase(ours) / ours.inputBytes, 100 * Increase(peer) / peer.inputBytes);
        std::printf("read time ratio ours / GMime: %.2f (one run each, for information)\n",
                    ours.seconds / peer.seconds);
    }
#else
    std::printf("GMime 3 was not found at build time: ours measured alone, no ratio\n");
#endif
    gFolderFile = FolderFile(true);
    const Result large = InChild(MeasureScan);
    std::remove(gFolderFile.c_str());
    gFolderFile = FolderFile(false);
    const Result alone = InChild(MeasureScan);
    std::remove(gFolderFile.c_str());
    PrintScan("20 MB", large);
    PrintScan("alone", alone);
    if (large.ok && alone.ok) {
        std::printf("scan time ratio 20 MB attachment / text alone: %.2f\n", large.seconds / alone.seconds);
        std::printf("scan peak RSS ratio 20 MB attachment / text alone: %.2f (%+.2f MB)\n",
                    std::max(Increase(large), 4096.0) / std::max(Increase(alone), 4096.0),
                    (Increase(large) - Increase(alone)) / 1e6);
    }
    const Result queued = InChild(MeasureQueueWithBodies);
    PrintQueue("queue", queued);
    const Result floor = InChild(MeasureQueueFloor);
    PrintQueue("floor", floor);
    if (queued.ok && floor.ok)
        std::printf("peak RSS increase ratio queue / floor (no bodies): %.2f\n",
                    std::max(Increase(queued), 4096.0) / std::max(Increase(floor), 4096.0));
    return ours.ok && queued.ok && floor.ok ? 0 : 1;
}
