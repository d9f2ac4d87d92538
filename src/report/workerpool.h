// A few threads kept for the whole run, so that a report's sweep starts
// without creating any. They take no signals: Ctrl-C and the ending signals
// reach the main thread, as on one thread.
#ifndef KANSU_WORKERPOOL_H
#define KANSU_WORKERPOOL_H

#include <functional>

// Runs task(worker) for worker = 0 .. started-1 on as many threads at once,
// creating the threads the first time they are needed, and returns at once
// with started (fewer than count only when threads could not be created).
int Start_Workers(int count, const std::function<void(int)>& task);
// Waits until every task of the last Start_Workers has returned.
void Wait_Workers();

#endif
