// Sentences with numbered insertions: each language's sentence puts the parts (a serial, a week,
// a count) where its own grammar wants them, so no sentence is glued from fragments.
#pragma once

#include <set>
#include <string>
#include <vector>

// pattern with %1 ... %9 replaced by insertions[0] ... [8] (an insertion not given: nothing)
// and %% by a single %. Any other % stays as it is.
std::string FormatText(const std::string& pattern, const std::vector<std::string>& insertions);

// The insertion numbers pattern uses, each once.
std::set<int> InsertionNumbers(const std::string& pattern);
