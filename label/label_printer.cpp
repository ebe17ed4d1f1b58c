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
            return std::unique_ptr<LabelPrinter>(std::make_unique<QueuePrinter>(target.name));
#else
            break;
#endif
    }
    return Fail("--printer: \"" + target.text + "\": printer queues are Windows' own");
}
