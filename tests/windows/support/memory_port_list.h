// The dialog's port list in memory.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "port_list.h"

class MemoryPortList : public PortList {
public:
    std::vector<std::string> names;
    int selection = -1;

    int Count() override { return static_cast<int>(names.size()); }
    int Selection() override { return selection; }
    int TextLength(int index) override {
        return index >= 0 && index < Count() ? static_cast<int>(names[index].size()) : -1;
    }
    void Text(int index, char* buffer, int bufferSize) override {
        std::strncpy(buffer, names[index].c_str(), bufferSize - 1);
        buffer[bufferSize - 1] = '\0';
    }
    void Add(const char* name) override { names.push_back(name); }
    void Delete(int index) override {
        names.erase(names.begin() + index);
        if (selection == index) {
            selection = -1;
        } else if (selection > index) {
            selection--;
        }
    }
    void Select(int index) override { selection = index; }
};
