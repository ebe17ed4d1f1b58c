// What a port's tile says in each state, in words: the colour only repeats what the state word
// already says, so a tile reads right to anyone who cannot tell green from red.
#pragma once

#include <string>
#include <vector>

#include "batch_observer.h"
#include "station_texts.h"

enum class TileLook { Waiting, Working, Pass, Fail, Skipped };

struct TileContent {
    TileLook look = TileLook::Waiting;
    std::string state;   // the state word: WAITING, WORKING, PASS, FAIL, SKIPPED, STOPPED
    std::string main;    // in large type: the serial of a PASS, else what happened
    std::string detail;  // the status text, the serial used
    std::string advice;  // what to do with the board
};

TileContent WaitingTile(const Texts& texts);
TileContent WorkingTile(const Texts& texts, ChipPhase phase);
TileContent ResultTile(const Texts& texts, const ChipReport& report);
// The batch stopped before the board got a serial: it was not touched.
TileContent LeftAloneTile(const Texts& texts);

// Every text the state word, the main line (other than a serial) and the advice may show, to
// size their type by the widest, so that none is ever cut or wrapped in either language.
std::vector<std::string> StateWords(const Texts& texts);
std::vector<std::string> MainTexts(const Texts& texts);
std::vector<std::string> AdviceTexts(const Texts& texts);
