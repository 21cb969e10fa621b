// pair_writer.cpp - the thread that encodes and writes the pairs.
#include "stereoshot/pair_writer.h"

#include <windows.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <thread>

#include "stereoshot/pair_encoding.h"
#include "stereoshot/pair_figures.h"

static struct {
    std::mutex lock;
    std::condition_variable wake;
    std::deque<PairJob> jobs;
    std::deque<std::string> reports;
    std::vector<std::vector<uint32_t>> spares;   // frames of written pairs, for the next ones
    size_t ready = 0, frameWords = 0;   // spares a series wants made beforehand, and their size
    bool stopping = false, busy = false;
    void (*pace)(void) = nullptr;
    std::thread thread;
} Writer;

static void Pace(void)
{
    if (Writer.pace != nullptr)
        Writer.pace();
}

static std::wstring Wide(const std::string &text)
{
    int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, NULL, 0);
    std::wstring wide(n > 0 ? n : 1, L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], n);
    wide.resize(wcslen(wide.c_str()));
    return wide;
}

static std::string SystemMessage(DWORD code)
{
    char text[256] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, code, 0, text,
                   sizeof text, NULL);
    std::string s = text;
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ' || s.back() == '.'))
        s.pop_back();
    char number[32];
    snprintf(number, sizeof number, " (error %lu)", (unsigned long)code);
    return (s.empty() ? std::string("system error") : s) + number;
}

static bool Exists(const std::wstring &path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Writes bytes as path: first under a temporary name, then renamed without replacing, so that a
// failure leaves neither a half file nor a changed old one. "" when written, else why not.
static std::string WriteWhole(const std::wstring &path, const std::vector<uint8_t> &bytes)
{
    std::wstring part = path + L".part";
    HANDLE file = CreateFileW(part.c_str(), GENERIC_WRITE, 0, NULL, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return SystemMessage(GetLastError());
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, NULL);
    DWORD error = GetLastError();
    CloseHandle(file);
    if (!ok || written != bytes.size()) {
        DeleteFileW(part.c_str());
        return ok ? std::string("the disk took only part of it") : SystemMessage(error);
    }
    if (!MoveFileExW(part.c_str(), path.c_str(), 0)) {
        error = GetLastError();
        DeleteFileW(part.c_str());
        return SystemMessage(error);
    }
    return "";
}

static void Report(const std::string &line)
{
    std::lock_guard<std::mutex> hold(Writer.lock);
    Writer.reports.push_back(line);
}

static void Write(const PairJob &job)
{
    if (PairPath(job.folder, PairStem(job.taken, job.sequence) + "_anaglyph.jpg").empty()) {
        Report("Pair not saved: no file name can be made in the folder \"" + job.folder +
               "\" (too long, or a character a name cannot hold).");
        return;
    }
    if (!job.folder.empty()) {
        DWORD attributes = GetFileAttributesW(Wide(job.folder).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            Report("Pair not saved: the folder \"" + job.folder + "\" does not exist.");
            return;
        }
        if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            Report("Pair not saved: \"" + job.folder + "\" is a file, not a folder.");
            return;
        }
    }
    // The pair's own alignment, measured here rather than in the frame loop.
    Pace();
    Alignment a = EstimateAlignment(job.left.data(), job.right.data(), job.width, job.height);
    char figures[128] = "alignment not measured (too little texture)";
    if (a.valid)
        snprintf(figures, sizeof figures,
                 "right against left: vertical %+.1f px, turned %+.2f deg, size %+.2f %%",
                 a.verticalPx, a.rotationDeg, a.sizePercent);
    char comment[320];
    snprintf(comment, sizeof comment,
             "stereoshot pair: skew %.1f ms (left frame at %.4f s, right frame at %.4f s); %s",
             job.skewMs, job.leftTime, job.rightTime, figures);
    std::vector<PairFile> files;
    Pace();
    if (!EncodePair(job.format, job.left.data(), job.right.data(), job.width, job.height,
                    job.quality, comment, &files, Writer.pace)) {
        Report("Pair not saved: the JPEG encoder failed.");
        return;
    }
    // The first number from the one asked for whose files are all new.
    std::string stem;
    for (int sequence = job.sequence; sequence < job.sequence + 1000 && stem.empty(); sequence++) {
        std::string candidate = PairStem(job.taken, sequence);
        bool taken = false;
        for (const PairFile &f : files) {
            taken = taken || Exists(Wide(PairPath(job.folder, candidate + f.suffix)));
        }
        if (!taken)
            stem = candidate;
    }
    if (stem.empty()) {
        Report("Pair not saved: every name for it exists already.");
        return;
    }
    std::string saved, failed;
    for (const PairFile &f : files) {
        Pace();
        std::string path = PairPath(job.folder, stem + f.suffix);
        std::string why = WriteWhole(Wide(path), f.bytes);
        if (why.empty())
            saved += (saved.empty() ? "" : ", ") + stem + f.suffix;
        else
            failed += "\n  " + path + " not saved: " + why;
    }
    char tail[96];
    snprintf(tail, sizeof tail, " (skew %.1f ms, %lu ms from taken to written)", job.skewMs,
             (unsigned long)(GetTickCount() - job.takenAt));
    if (!saved.empty())
        Report("Saved " + saved + tail);
    if (!failed.empty())
        Report("Pair " + stem + ":" + failed);
}

// Spare frames kept between series: a full queue frees one pair at a time, and a series at
// 1920 x 1080 should not hold more memory once it has ended.
enum { kSparesKept = 4 };

static void Run(void)
{
    for (;;) {
        PairJob job;
        std::vector<uint32_t> made;
        {
            std::unique_lock<std::mutex> hold(Writer.lock);
            Writer.wake.wait(hold, [] {
                return Writer.stopping || !Writer.jobs.empty() ||
                       Writer.spares.size() < Writer.ready;
            });
            if (Writer.jobs.empty() && Writer.spares.size() < Writer.ready && !Writer.stopping) {
                // A frame made here, its pages touched, so that the frame loop never stalls
                // on fresh memory when a burst takes its first pairs.
                size_t words = Writer.frameWords;
                hold.unlock();
                made.assign(words, 0);
                hold.lock();
                if (words == Writer.frameWords)
                    Writer.spares.push_back(std::move(made));
                continue;
            }
            if (Writer.jobs.empty())
                return;   // stopping, and nothing left to write
            job = std::move(Writer.jobs.front());
            Writer.jobs.pop_front();
            Writer.busy = true;
        }
        Write(job);
        std::lock_guard<std::mutex> hold(Writer.lock);
        Writer.busy = false;
        for (std::vector<uint32_t> *frame : {&job.left, &job.right})
            if (Writer.spares.size() < std::max<size_t>(kSparesKept, Writer.ready))
                Writer.spares.push_back(std::move(*frame));
        if (Writer.jobs.empty() && Writer.ready == 0 && Writer.spares.size() > kSparesKept)
            Writer.spares.resize(kSparesKept);
    }
}

void StartPairWriter(void (*pace)(void))
{
    std::lock_guard<std::mutex> hold(Writer.lock);
    if (Writer.thread.joinable())
        return;
    Writer.stopping = false;
    Writer.pace = pace;
    // Below the frame loop: on two busy cores a burst must not cost the live windows a frame.
    Writer.thread = std::thread([] {
        SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
        Run();
    });
}

void StopPairWriter(void)
{
    {
        std::lock_guard<std::mutex> hold(Writer.lock);
        if (!Writer.thread.joinable())
            return;
        Writer.stopping = true;
    }
    Writer.wake.notify_all();
    Writer.thread.join();
}

bool QueuePair(PairJob job)
{
    {
        std::lock_guard<std::mutex> hold(Writer.lock);
        if (!Writer.thread.joinable() || Writer.jobs.size() >= kPairQueueLimit)
            return false;
        Writer.jobs.push_back(std::move(job));
    }
    Writer.wake.notify_one();
    return true;
}

void ReadyPairFrames(int width, int height, int pairs)
{
    {
        std::lock_guard<std::mutex> hold(Writer.lock);
        Writer.frameWords = (size_t)width * (size_t)height;
        Writer.ready = 2 * (size_t)std::min(pairs, (int)kPairQueueLimit + 1);
        // Frames of another size are no use to the series.
        Writer.spares.erase(std::remove_if(Writer.spares.begin(), Writer.spares.end(),
                                           [](const std::vector<uint32_t> &f) {
                                               return f.size() != Writer.frameWords;
                                           }),
                            Writer.spares.end());
        if (pairs == 0 && Writer.spares.size() > kSparesKept && !Writer.busy && Writer.jobs.empty())
            Writer.spares.resize(kSparesKept);
    }
    Writer.wake.notify_one();
}

void SizePairFrames(PairJob *job, int width, int height)
{
    {
        std::lock_guard<std::mutex> hold(Writer.lock);
        for (std::vector<uint32_t> *frame : {&job->left, &job->right})
            if (!Writer.spares.empty()) {
                *frame = std::move(Writer.spares.back());
                Writer.spares.pop_back();
            }
    }
    job->width = width;
    job->height = height;
    // A spare of the same size is used as it stands: no clearing, no new pages.
    job->left.resize((size_t)width * (size_t)height);
    job->right.resize((size_t)width * (size_t)height);
}

bool TakeWriterReport(std::string *line)
{
    std::lock_guard<std::mutex> hold(Writer.lock);
    if (Writer.reports.empty())
        return false;
    *line = std::move(Writer.reports.front());
    Writer.reports.pop_front();
    return true;
}

int PairsWaiting(void)
{
    std::lock_guard<std::mutex> hold(Writer.lock);
    return (int)Writer.jobs.size() + (Writer.busy ? 1 : 0);
}
