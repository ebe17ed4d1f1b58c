// The dialog's port list as the port layer sees it: an unsorted list of port names with at most
// one selected entry. The dialog implements it over its combo box; tests implement it in memory.
#pragma once

class PortList {
public:
    virtual ~PortList() = default;
    virtual int Count() = 0;
    // Index of the selected entry, or -1 when none is.
    virtual int Selection() = 0;
    // Length in bytes of an entry's text, or -1 when there is no such entry.
    virtual int TextLength(int index) = 0;
    // Copies an entry's text; the caller has checked that it fits, terminator included.
    virtual void Text(int index, char* buffer, int bufferSize) = 0;
    virtual void Add(const char* name) = 0;
    virtual void Delete(int index) = 0;
    virtual void Select(int index) = 0;
};
