// The station's window classes and control IDs: the program's and its tests', so that a test
// reads the same controls an operator looks at.
#pragma once

// The main window, a tile (its window text is its port's name) and the scrolling tile area.
#define STATION_WINDOW_CLASS L"ZQ61Station"
#define STATION_TILE_CLASS L"ZQ61StationTile"
#define STATION_TILE_AREA_CLASS L"ZQ61StationTiles"

// The main window's controls.
#define IDC_JOB 100       // the identity written to every board
#define IDC_RECORD 101    // where the batch is recorded: "log shift.csv"
#define IDC_STATION 102   // the station's name, when it has one
#define IDC_NEXT 103      // the next serial
#define IDC_BANNER 104    // what the batch is doing: waiting, stopping, stopped, a fault
#define IDC_STOP 105      // Stop
#define IDC_VERIFIED 110  // the counters' figures
#define IDC_FAILED 111
#define IDC_SKIPPED 112
#define IDC_USED 113
#define IDC_RATE 114
#define IDC_COUNTER_LABEL 120  // + the figure's index: the words under each figure
#define IDC_TILE_AREA 130

// A tile's controls.
#define IDC_TILE_PORT 200    // "COM21"
#define IDC_TILE_STATE 201   // WAITING, WORKING, PASS, FAIL, SKIPPED, NOT PROGRAMMED
#define IDC_TILE_MAIN 202    // in large type: the serial, the outcome, why skipped
#define IDC_TILE_DETAIL 203  // the status text and the serial used
#define IDC_TILE_ADVICE 204  // what the operator does next

// The set-up form (a dialog template).
#define IDD_SETUP 300
#define IDC_SETUP_SERIAL_FROM 301
#define IDC_SETUP_LOG 302
#define IDC_SETUP_BROWSE 303
#define IDC_SETUP_COUNT 304
#define IDC_SETUP_VID 305
#define IDC_SETUP_PID 306
#define IDC_SETUP_PRODUCT 307
#define IDC_SETUP_LOCK 308
#define IDC_SETUP_SERIAL_FORMAT 309
#define IDC_SETUP_UTC_OFFSET 310
#define IDC_SETUP_SERIAL_LIST 311
// The form's labels, each set from the string table in the operator's language.
#define IDC_SETUP_LABEL_SERIALS 320
#define IDC_SETUP_LABEL_SERIAL_FROM 321
#define IDC_SETUP_LABEL_SERIAL_FORMAT 322
#define IDC_SETUP_LABEL_UTC_OFFSET 323
#define IDC_SETUP_LABEL_SERIAL_LIST 324
#define IDC_SETUP_LABEL_LOG 325
#define IDC_SETUP_LABEL_COUNT 326
#define IDC_SETUP_LABEL_VID 327
#define IDC_SETUP_LABEL_PID 328
#define IDC_SETUP_LABEL_PRODUCT 329

#define IDI_STATION 1

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
