// The batch's workers: every chip port that appears gets a turn on a thread of its own, until the
// batch stops; then the turns in progress finish.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "batch.h"

// What a program that shows ports (a station's tiles) is told of them, from the thread that
// runs RunBatchWorkers; either may be left empty.
struct PortEvents {
    // A chip port appeared and its turn is about to start; map: the port map's ports now, in
    // the map's order.
    std::function<void(const std::string& port, const std::vector<std::string>& map)> chipPort;
    // A port that was in the map has left it (a board unplugged), chip port or not.
    std::function<void(const std::string& port)> portLeft;
};

// What the workers drive: a batch's turns, or an audit station's. Every member is called from
// the watching thread except turn, which runs on the port's own worker.
struct ChipTurns {
    std::function<bool()> stopping;
    std::function<bool(const std::string& port)> takes;
    std::function<void(const std::string& port, ChipOpener& opener)> turn;
    std::function<void(const std::string& reason, int exitCode)> stop;
};

// Every chip port that appears gets a turn on a thread of its own until turns.stopping(); then
// the turns in progress finish. As RunBatchWorkers, for any kind of turn.
void RunChipWorkers(const ChipTurns& turns, HANDLE wake, const std::function<bool()>& stopAsked,
                    const PortEvents& events = {});

// Returns once the batch has stopped and every turn has ended. wake is signalled when the batch
// stops; stopAsked is the user's word to stop (Ctrl+C, a Stop button), looked at between
// arrivals, and stops the batch as an interruption.
void RunBatchWorkers(Batch& batch, HANDLE wake, const std::function<bool()>& stopAsked,
                     const PortEvents& events = {});
