// Runs the real zq61prog.exe from this process, the way a test-station script would: its
// arguments as UTF-16, standard input not a console, its output captured.
#pragma once

#include <string>
#include <vector>

struct ProgResult {
    unsigned long exitCode = 0;
    std::string out;  // standard output, UTF-8
    std::string err;  // standard error, UTF-8
};

// The exe under test; set once by main from the command line (a Unix path is taken as Z:).
void SetProgPath(const std::string& path);

ProgResult RunProg(const std::vector<std::wstring>& args);

// Standard output's lines, without their line ends.
std::vector<std::string> Lines(const std::string& text);
