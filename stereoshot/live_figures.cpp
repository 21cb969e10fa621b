// live_figures.cpp - one pair at a time measured off the frame loop, at a lower priority than it.
#include "stereoshot/live_figures.h"

#include <windows.h>

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

static struct {
    std::mutex lock;
    std::condition_variable wake;
    std::thread thread;
    bool stopping = false, pending = false, ready = false;
    std::vector<uint32_t> left, right;
    int width = 0, height = 0;
    Alignment alignment = {};
    ColourDifference colour = {};
} Live;

static void Run(void)
{
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
    std::unique_lock<std::mutex> hold(Live.lock);
    for (;;) {
        Live.wake.wait(hold, [] { return Live.stopping || Live.pending; });
        if (Live.stopping)
            return;
        // The copies stay put while measured: a new pair is only taken once pending is cleared.
        hold.unlock();
        Alignment a = EstimateAlignment(Live.left.data(), Live.right.data(), Live.width, Live.height);
        ColourDifference c = CompareColours(Live.left.data(), Live.right.data(), Live.width, Live.height);
        hold.lock();
        Live.alignment = a;
        Live.colour = c;
        Live.ready = true;
        Live.pending = false;
    }
}

void StartLiveFigures(void)
{
    std::lock_guard<std::mutex> hold(Live.lock);
    if (Live.thread.joinable())
        return;
    Live.stopping = Live.pending = Live.ready = false;
    Live.thread = std::thread(Run);
}

void StopLiveFigures(void)
{
    {
        std::lock_guard<std::mutex> hold(Live.lock);
        if (!Live.thread.joinable())
            return;
        Live.stopping = true;
    }
    Live.wake.notify_one();
    Live.thread.join();
}

void OfferLivePair(const uint32_t *left, const uint32_t *right, int width, int height)
{
    {
        std::lock_guard<std::mutex> hold(Live.lock);
        if (!Live.thread.joinable() || Live.pending)
            return;
        size_t n = (size_t)width * (size_t)height;
        Live.left.assign(left, left + n);
        Live.right.assign(right, right + n);
        Live.width = width;
        Live.height = height;
        Live.pending = true;
    }
    Live.wake.notify_one();
}

bool TakeLiveFigures(Alignment *alignment, ColourDifference *colour)
{
    std::lock_guard<std::mutex> hold(Live.lock);
    if (!Live.ready)
        return false;
    *alignment = Live.alignment;
    *colour = Live.colour;
    Live.ready = false;
    return true;
}
