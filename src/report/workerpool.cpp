#include "report/workerpool.h"

#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <signal.h>
#endif

namespace {

class WorkerPool {
public:
    ~WorkerPool() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            quitting_ = true;
        }
        wake_.notify_all();
        for (std::thread& thread : threads_) thread.join();
    }

    int Start(int count, const std::function<void(int)>& task) {
        std::lock_guard<std::mutex> lock(mutex_);
        Grow(count);
        task_ = task;
        wanted_ =
            count < static_cast<int>(threads_.size()) ? count : static_cast<int>(threads_.size());
        running_ = wanted_;
        ++generation_;
        wake_.notify_all();
        return wanted_;
    }

    void Wait() {
        std::unique_lock<std::mutex> lock(mutex_);
        done_.wait(lock, [&] { return running_ == 0; });
        task_ = nullptr;
    }

private:
    // Threads are created with every signal blocked, which they keep.
    void Grow(int count) {
#ifndef _WIN32
        sigset_t all, previous;
        sigfillset(&all);
        pthread_sigmask(SIG_SETMASK, &all, &previous);
#endif
        try {
            while (static_cast<int>(threads_.size()) < count) {
                int index = static_cast<int>(threads_.size());
                threads_.emplace_back([this, index] { Work(index); });
            }
        } catch (const std::system_error&) {
            // Fewer threads than asked: the sweep runs on those there are.
        }
#ifndef _WIN32
        pthread_sigmask(SIG_SETMASK, &previous, nullptr);
#endif
    }

    void Work(int index) {
        std::unique_lock<std::mutex> lock(mutex_);
        long long seen = 0;
        for (;;) {
            wake_.wait(lock, [&] { return quitting_ || generation_ != seen; });
            if (quitting_) return;
            seen = generation_;
            if (index >= wanted_) continue;
            lock.unlock();
            task_(index);
            lock.lock();
            if (--running_ == 0) done_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    std::vector<std::thread> threads_;
    std::function<void(int)> task_;
    int wanted_ = 0;
    int running_ = 0;
    long long generation_ = 0;
    bool quitting_ = false;
};

WorkerPool& Pool() {
    static WorkerPool pool;
    return pool;
}

}  // namespace

int Start_Workers(int count, const std::function<void(int)>& task) {
    return Pool().Start(count, task);
}

void Wait_Workers() { Pool().Wait(); }
