#pragma once
// Reads the parts of a resource script the Linux layer needs: ICON statements and ACCELERATORS tables.

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

struct RcIcon {
    int id;
    std::string file;
};

struct RcAccelerator {
    uint8_t flags; // FVIRTKEY 1, FNOINVERT 2, FSHIFT 4, FCONTROL 8, FALT 16
    uint16_t key;
    uint16_t command;
};

struct RcAcceleratorTable {
    int id;
    std::vector<RcAccelerator> entries;
};

struct RcScript {
    std::vector<RcIcon> icons;
    std::vector<RcAcceleratorTable> acceleratorTables;
};

// What the script reader could not understand, with the line it found it on.
struct RcError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

using RcDefines = std::map<std::string, long>;

// The `#define NAME number` lines of a header; other lines are ignored.
RcDefines readDefines(const std::string& header);

// Reads ICON and ACCELERATORS statements; other resources must be `name type "file"` or a BEGIN/END block.
// Identifiers are numbers or names from `defines`. Throws RcError on anything else.
RcScript readRcScript(const std::string& script, const RcDefines& defines);
