// Resource identifiers of the bare dialog.
#pragma once

#define IDD_BARE 100
#define IDD_BARE_CJK 101
