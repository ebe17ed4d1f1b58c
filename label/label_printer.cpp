#include "label_printer.h"

#include "folder_printer.h"
#include "tcp_printer.h"
#ifdef _WIN32
#include "queue_printer.h"
#endif

Result<std::unique_ptr<LabelPrinter>> MakeLabelPrinter(const PrinterTarget& target,
                                                       std::chrono::milliseconds bound) {
    switch (target.kind) {
        case PrinterKind::Tcp:
            return std::unique_ptr<LabelPrinter>(
                std::make_unique<TcpPrinter>(target.host, target.port, bound));
        case PrinterKind::Folder:
            return std::unique_ptr<LabelPrinter>(std::make_unique<FolderPrinter>(target.name));
        case PrinterKind::Queue:
#ifdef _WIN32
            // Wine's spooler hands a queue's jobs to CUPS: a queue is tried on real Windows.
            // The spooler is loaded now: a queue's printer that cannot be is refused before the
            // first board.
            {
                Result<std::unique_ptr<LabelPrinter>> queue = QueuePrinter::Open(target.name);
                if (!queue) {
                    return Fail("--printer: \"" + target.text + "\": " + queue.Err().message);
                }
                return queue;
            }
#else
            break;
#endif
    }
    return Fail("--printer: \"" + target.text + "\": printer queues are Windows' own");
}
