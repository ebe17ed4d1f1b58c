#include "chip_read.h"

#include "command_failure.h"
#include "driver_chip_opener.h"
#include "exit_codes.h"
#include "port_choice.h"

ChipRead ReadChosenChip(const std::string& named) {
    ChipRead read;
    read.port = ChoosePortForCommand(named);
    Result<std::unique_ptr<OwnedChipPort>> opened = OpenChipPort(read.port);
    if (!opened) {
        throw CommandFailure{EXIT_NO_PORT, opened.Err().message};
    }
    std::unique_ptr<OwnedChipPort> port = std::move(*opened);
    read.record = NewRecord();
    read.outcome = ReadChip(*port, *read.record);
    return read;
}
