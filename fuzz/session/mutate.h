#pragma once
// How the fuzzer changes a session input: by whole actions, never by a
// byte that would shift every action after it. A mutation inserts a new
// action, removes, repeats, swaps or replaces one, changes one of an
// action's parameters, sets all its sizes to their most, or gives a load
// every kind of entry a load keeps or members beside its own (at times at
// its largest) and follows it with a change of what it brought, then at
// times the same change again, an import, the undo and the redo; a
// cross-over joins the start of one input to the end of another. Values
// are drawn where the actions change behaviour (0, 1, a parameter's most,
// small numbers, any word or flag), so that sequences of several actions
// and their edge values come within a run's first minute without a
// comparison to trace.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/session/actions.h"

namespace obsession {

// The actions changed by one mutation the seed picks, at most `limit` of
// them; `files` is how many stored files load-file chooses among.
std::vector<Action> mutated(std::vector<Action> actions, std::size_t limit, std::size_t files,
                            std::uint32_t seed);

// The first actions of `a` then the last of `b`, at most `limit` of them.
std::vector<Action> crossed(const std::vector<Action>& a, const std::vector<Action>& b, std::size_t limit,
                            std::uint32_t seed);

}  // namespace obsession
