// Resource identifiers shared by the resource script and the code.
#pragma once

#define IDD_ABOUT 100
#define IDS_ABOUT_MENU 101
#define IDD_CONFIG 102
#define IDI_APP 128

#define IDC_VID 1000
#define IDC_PID 1001
#define IDC_SERIAL_ENABLE 1002
#define IDC_PRODUCT_ENABLE 1003
#define IDC_PRODUCT 1004
#define IDC_SERIAL 1005
#define IDC_RESTORE_DEFAULTS 1006
#define IDC_READ_CONFIG 1007
#define IDC_WRITE_CONFIG 1008
#define IDC_WRITE_PROTECT 1010
#define IDC_PORT 1011
#define IDC_STATUS 1012

// System-menu commands must be multiples of 16 below 0xF000: the system uses the low 4 bits.
#define IDM_ABOUT 0x0010

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
