#include "test_code_page.h"

// The tool's own converter, given an explicit code page instead of CP_ACP.
#include "win_code_page.h"

std::unique_ptr<CodePage> MakeTestCodePage(int codePage) {
    return std::make_unique<WinCodePage>(static_cast<UINT>(codePage));
}
