// pair_writer.h - writes the pairs on a thread of its own, so that the live windows never wait
// for an encoder or a disk. A file appears under its name only once it is complete, and no file
// is ever replaced: a name that exists moves the pair's number on.
#ifndef STEREOSHOT_PAIR_WRITER_H
#define STEREOSHOT_PAIR_WRITER_H

#include <cstdint>
#include <string>
#include <vector>

#include "stereoshot/pair_naming.h"

struct PairJob {
    std::vector<uint32_t> left, right;   // width x height each, 0x00RRGGBB, top-down
    int width = 0, height = 0;
    int format = 0;                      // a PairFormat
    int quality = 100;
    int sequence = 0;                    // the number the pair is meant to have
    LocalTime taken = {};
    std::string folder;                  // as cleaned, system code page; "" the current one
    double skewMs = 0.0;
    double leftTime = 0.0, rightTime = 0.0;   // seconds on the graph's clock
    unsigned long takenAt = 0;                // tick count when the pair was taken
};

// pace is called between pieces of the writer's work, about once a millisecond; it returns once
// the writer may go on (the live windows step ahead of a burst in it). NULL: no pause.
void StartPairWriter(void (*pace)(void));
// Waits until every queued pair has been written (or failed), then ends the thread.
void StopPairWriter(void);
enum { kPairQueueLimit = 4 };
// Hands a pair over; false when kPairQueueLimit wait already (it is then not taken).
bool QueuePair(PairJob job);
// A series of `pairs` at width x height begins: the writer makes as many frames ready as the
// queue and the pair being written can hold, off the frame loop. 0 pairs: the series has ended,
// and the frames beyond a few are let go once the queue is empty.
void ReadyPairFrames(int width, int height, int pairs);
// Sizes the job's frames for width x height, in the frames of a pair already written where one
// is spare: a burst at 1280 x 720 would otherwise allocate, clear and release 7 MB a pair, on the
// frame loop and the writer alike.
void SizePairFrames(PairJob *job, int width, int height);
// The next line of what became of the pairs, oldest first; false when there is none.
bool TakeWriterReport(std::string *line);
int PairsWaiting(void);

#endif
