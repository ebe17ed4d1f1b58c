// What a port's tile says in each state, in words: the colour only repeats what the state word
// already says, so a tile reads right to anyone who cannot tell green from red.
#pragma once

#include <string>

#include "batch_observer.h"

enum class TileLook { Waiting, Working, Pass, Fail, Skipped };

struct TileContent {
    TileLook look = TileLook::Waiting;
    std::string state;   // the state word: WAITING, WORKING, PASS, FAIL, SKIPPED, STOPPED
    std::string main;    // in large type: the serial of a PASS, else what happened
    std::string detail;  // the status text, the serial used
    std::string advice;  // what to do with the board
};

TileContent WaitingTile();
TileContent WorkingTile(ChipPhase phase);
TileContent ResultTile(const ChipReport& report);
// The batch stopped before the board got a serial: it was not touched.
TileContent LeftAloneTile();

// The widest texts the main line (other than a serial) and the advice show, to size their type
// by, so that neither is ever cut or wrapped.
inline constexpr const char* kWidestMainText = "read-failed";
inline constexpr const char* kWidestAdvice = "Unplug it: not programmed";
