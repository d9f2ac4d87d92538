#include "report/parallelsweep.h"

#include <algorithm>
#include <thread>

#include "report/workerpool.h"

namespace {
int sweep_threads = 0;  // 0: the default
const int DEFAULT_THREADS_AT_MOST = 8;
}  // namespace

void Set_SweepThreads(int threads) { sweep_threads = threads; }

int Sweep_Threads() { return sweep_threads > 0 ? sweep_threads : Default_SweepThreads(); }

int Default_SweepThreads() {
    int cores = static_cast<int>(std::thread::hardware_concurrency());
    if (cores < 1) return 1;
    return cores < DEFAULT_THREADS_AT_MOST ? cores : DEFAULT_THREADS_AT_MOST;
}

ParallelSweep::ParallelSweep(int lanes, long long items, long long item_weight) : items_(items) {
    chunk_items_ = std::max(1LL, std::min(CHUNK_POINTS, CHUNK_EVALUATIONS / item_weight));
    chunk_count_ = (items + chunk_items_ - 1) / chunk_items_;
    for (int i = 0; i < lanes; ++i) lanes_.emplace_back(new SweepLane());
    // Two chunks a lane, and one more being written.
    ring_.resize(2 * static_cast<size_t>(lanes) + 1);
}

int ParallelSweep::Run(const std::function<void(int, SweepChunk&)>& evaluate,
                       const std::function<void(const SweepChunk&)>& write) {
    int started = Start_Workers(Lanes(), [&](int lane) { Work(lane, evaluate); });
    int last_lane = -1;
    for (;;) {
        // No thread could be made: each chunk is evaluated here, then written.
        if (started == 0) {
            SweepChunk* alone = Claim();
            if (alone != nullptr) Evaluate_Chunk(0, *alone, evaluate);
        }
        SweepChunk* chunk = Next_Ready();
        if (chunk == nullptr) break;
        write(*chunk);
        last_lane = chunk->lane;
        bool whole = chunk->done == chunk->count;
        Release();
        if (!whole) break;
    }
    Stop();
    Wait_Workers();
    return last_lane;
}

void ParallelSweep::Work(int lane, const std::function<void(int, SweepChunk&)>& evaluate) {
    while (SweepChunk* chunk = Claim()) {
        // A lane that stopped inside its chunk has ended.
        if (!Evaluate_Chunk(lane, *chunk, evaluate)) return;
    }
}

bool ParallelSweep::Evaluate_Chunk(int lane, SweepChunk& chunk,
                                   const std::function<void(int, SweepChunk&)>& evaluate) {
    SweepLane& on = Lane(lane);
    on.Collect_Into(&chunk.text);
    evaluate(lane, chunk);
    on.Collect_Into(nullptr);
    chunk.lane = lane;
    chunk.outcome = on.Outcome();
    chunk.failure_message = on.Failure_Message();
    // Read before the chunk is handed over: once ready, the writer may recycle it
    // for another lane at any moment.
    bool whole = chunk.done == chunk.count;
    std::lock_guard<std::mutex> lock(mutex_);
    chunk.ready = true;
    changed_.notify_all();
    return whole;
}

SweepChunk* ParallelSweep::Claim() {
    std::unique_lock<std::mutex> lock(mutex_);
    long long slots = static_cast<long long>(ring_.size());
    changed_.wait(
        lock, [&] { return stopped_ || claimed_ == chunk_count_ || claimed_ < written_ + slots; });
    if (stopped_ || claimed_ == chunk_count_) return nullptr;
    SweepChunk& chunk = ring_[claimed_ % slots];
    chunk.first = claimed_ * chunk_items_;
    chunk.count = std::min(chunk_items_, items_ - chunk.first);
    chunk.done = 0;
    chunk.text.clear();
    chunk.outcome = EVAL_OK;
    chunk.failure_message = nullptr;
    chunk.ready = false;
    ++claimed_;
    return &chunk;
}

SweepChunk* ParallelSweep::Next_Ready() {
    std::unique_lock<std::mutex> lock(mutex_);
    if (written_ == chunk_count_) return nullptr;
    SweepChunk& chunk = ring_[written_ % static_cast<long long>(ring_.size())];
    changed_.wait(lock, [&] { return chunk.ready; });
    return &chunk;
}

void ParallelSweep::Release() {
    std::lock_guard<std::mutex> lock(mutex_);
    ring_[written_ % static_cast<long long>(ring_.size())].ready = false;
    ++written_;
    changed_.notify_all();
}

void ParallelSweep::Stop() {
    std::lock_guard<std::mutex> lock(mutex_);
    stopped_ = true;
    changed_.notify_all();
}
