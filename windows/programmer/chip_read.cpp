#include "chip_read.h"

#include "command_failure.h"
#include "driver_chip_opener.h"
#include "exit_codes.h"
#include "port_choice.h"

ChipRead ReadChosenChip(const std::string& named) {
    ChipRead read;
    read.port = ChoosePortForCommand(named);
    std::string problem;
    std::unique_ptr<OwnedChipPort> port = OpenChipPort(read.port, problem);
    if (!port) {
        throw CommandFailure{EXIT_NO_PORT, problem};
    }
    read.record = NewRecord();
    read.outcome = ReadChip(*port, *read.record);
    return read;
}
