// fake_dshow.h - a fake DirectShow world for the capture module's tests: graph, device
// enumerator, monikers, capture filters, pins, capture graph builder, stream configuration,
// sample grabber, media control and property interfaces. Every object counts its references,
// and any chosen call can be made to fail.
#ifndef TZM_FAKE_DSHOW_H
#define TZM_FAKE_DSHOW_H

#pragma GCC diagnostic ignored "-Wunused-parameter"

#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/capture_graph.h"

struct FakeProperty {
    long min = 0, max = 255, value = 128, flags = 2;
    bool rangeFails = false, setFails = false;
};

struct FakeWorld {
    std::set<std::string> fail;            // names of the calls that fail (see fake_dshow.cpp)
    std::map<int, std::set<std::string>> failAt;   // the same, only in attempt n (CoInitialize n)
    std::vector<std::wstring> devices;     // display names, in enumeration order
    int live = 0;                          // fake objects alive
    int inits = 0, uninits = 0;
    int graphs = 0, runs = 0, stops = 0, binds = 0, nextCalls = 0;
    DWORD ticks = 0;
    long formatWidth = 0, formatHeight = 0;
    int64_t formatTime = 0;
    FakeProperty props[8][kPropertyCount];
    int rangeCalls = 0;
    bool underWine = true;
    std::wstring frameCaption;
    ULONG framePages = 0;
    bool Fails(const char *call) const
    {
        auto at = failAt.find(inits);
        return fail.count(call) != 0 || (at != failAt.end() && at->second.count(call) != 0);
    }
};
extern FakeWorld World;

// Makes a fresh world with the given devices and puts the fakes into the module's seam.
void UseFakeWorld(const std::vector<std::wstring> &devices);

#endif
