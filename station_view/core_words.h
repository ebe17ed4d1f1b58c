// The production core and the batch's host say why a batch stops or waits, where it is
// recorded and what an audit compares with, in English made for a console and a log (zq61prog
// prints them; they stay as they are there). The station says the same in its operator's
// language: each known sentence's parts (a serial, a week, a count, a path) are taken out and
// put in that language's own sentence. A sentence not known here keeps the core's words, inside
// a sentence of the operator's language, rather than being lost.
#pragma once

#include <string>

#include "chip_identity.h"
#include "station_texts.h"

// Why a batch stops, or why no board starts until the next period: a whole sentence.
std::string SayReason(const Texts& texts, const std::string& reason);
// How far the record reaches once a record could not be written (Batch::RecordLossSummary).
std::string SayRecordLoss(const Texts& texts, const std::string& summary);
// Where the batch is recorded ("log shift.csv", "sequence s in the ledger, station st-a").
std::string SayRecordName(const Texts& texts, const std::string& recordName);
// What an audit compares with ("job 3F09A1C2 (bench) in bench.json", "log a.csv", "sequence s").
std::string SayBasis(const Texts& texts, const std::string& against);
// What every board of a batch gets, for the lock's question: its VID, PID, product and the
// serials from firstSerial ("" when none is left).
std::string SayIdentity(const Texts& texts, const ChipIdentity& identity,
                        const std::string& firstSerial);
