// How deep one evaluation may go. Both limits turn a deeper evaluation into a
// failed one instead of exhausting memory or time.
#ifndef KANSU_EVALLIMITS_H
#define KANSU_EVALLIMITS_H

// Deepest nesting of tree levels evaluated, all trees of one evaluation
// together (user-function definitions included).
const int EVAL_LEVEL_LIMIT = 4000;

// Deepest nesting of user-function calls (a function that calls itself,
// directly or through others).
const int USER_CALL_DEPTH_LIMIT = 64;

#endif
