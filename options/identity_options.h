// The identity options a write or a batch takes (--vid, --pid, --product, --lock, and --serial
// for a single write), read with CLI11 and checked before anything is opened.
#pragma once

#include <CLI/CLI.hpp>
#include <string>

#include "chip_identity.h"

struct IdentityOptions {
    std::string vid;
    std::string pid;
    std::string serial;
    bool serialGiven = false;  // set from the parser's count of --serial
    std::string product;
    bool lock = false;
};

// A CLI11 check from one of ours: CLI11 puts the option's name before the message.
CLI::Validator Check(Status (*check)(const std::string&));

// Adds the options, with the dialog's defaults; --serial only withSerial.
void AddIdentityOptions(CLI::App& command, bool withSerial, IdentityOptions& options);

// The identity the options name.
ChipIdentity IdentityOf(const IdentityOptions& options);
