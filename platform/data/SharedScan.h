#pragma once

#include <functional>

// Finds the first of `count` rows that a search matches, sharing the work between the
// calling thread and the threads of Qt's global pool: the rows go out in chunks of
// `chunkRows`, in order, to whichever thread asks next; a chunk that starts after a row
// already found is skipped.  scan(first, last) answers the first matching row in
// first .. last - 1, or -1; it must only read what it searches, since several chunks run
// at once.  The answer is the same as a single scan's: the first match, or -1.  The call
// returns only when no thread runs scan any more, so scan may use the caller's data.
int findFirstShared(int count, int chunkRows, const std::function<int(int first, int last)> &scan);
