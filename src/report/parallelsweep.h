// A sweep on several threads: its points (or grid rows) cut into chunks that
// worker lanes evaluate, each into the chunk's own text, while the main thread
// writes the chunks to the report in order. A ring of a few chunks keeps the
// memory flat; a worker waits when the ring is full.
#ifndef KANSU_PARALLELSWEEP_H
#define KANSU_PARALLELSWEEP_H

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "report/sweeplane.h"

// Threads a sweep may use (--threads): the cores, at most 8, unless set.
void Set_SweepThreads(int threads);
int Sweep_Threads();
int Default_SweepThreads();

// A chunk holds at most CHUNK_POINTS points (most write a row each: this
// bounds the text waiting in the ring) and about CHUNK_EVALUATIONS
// evaluations (a grid row costs many and writes few rows): enough that
// handing it over costs little, few enough that rows reach the file soon.
const long long CHUNK_POINTS = 4096;
const long long CHUNK_EVALUATIONS = 65536;

struct SweepChunk {
    long long first = 0;  // its first point
    long long count = 0;  // its points
    long long done = 0;   // points evaluated and written into text, from the first
    std::string text;
    int lane = 0;  // the lane that evaluated it
    EvalOutcome outcome = EVAL_OK;
    const char* failure_message = nullptr;
    bool ready = false;
};

class ParallelSweep {
public:
    // items: points of the sweep; item_weight: evaluations per point.
    ParallelSweep(int lanes, long long items, long long item_weight);
    ParallelSweep(const ParallelSweep&) = delete;
    ParallelSweep& operator=(const ParallelSweep&) = delete;

    int Lanes() const { return static_cast<int>(lanes_.size()); }
    SweepLane& Lane(int lane) { return *lanes_[lane]; }
    // Whether a lane is to stop between points: Ctrl-C, or the sweep ended.
    bool Should_Stop() const {
        return stopped_.load(std::memory_order_relaxed) || Calculation_Interrupted();
    }

    // Evaluates every chunk with evaluate(lane, chunk), which sets chunk.done,
    // and hands each chunk, in order, to write until one is not whole. Returns
    // the lane that evaluated the last chunk written (-1: none written).
    int Run(const std::function<void(int, SweepChunk&)>& evaluate,
            const std::function<void(const SweepChunk&)>& write);

private:
    void Work(int lane, const std::function<void(int, SweepChunk&)>& evaluate);
    // Evaluates a claimed chunk on a lane and marks it ready to write; false when
    // the lane stopped inside it.
    bool Evaluate_Chunk(int lane, SweepChunk& chunk,
                        const std::function<void(int, SweepChunk&)>& evaluate);
    SweepChunk* Claim();
    void Finish(SweepChunk* chunk);
    SweepChunk* Next_Ready();
    void Release();
    void Stop();

    std::vector<std::unique_ptr<SweepLane>> lanes_;
    long long items_;
    long long chunk_items_;
    long long chunk_count_;
    std::vector<SweepChunk> ring_;
    std::mutex mutex_;
    std::condition_variable changed_;
    long long claimed_ = 0;  // chunks handed to lanes
    long long written_ = 0;  // chunks the main thread has written
    std::atomic<bool> stopped_{false};
};

#endif
