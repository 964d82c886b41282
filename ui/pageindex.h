#pragma once
// Indexes of the main window's page stack; the pages are created in the
// order of MainWindow's page table, which is the one list of pages.

enum PageIndex : int {
    PageDevice = 0,
    PageSystem = 1,
    PageKey = 2,
    PageLight = 3,
    PageHighKey = 4,
    PageMacro = 5,
    PagePerformance = 6,
    PageAlign = 7,
    PageOther = 8,
    PageFireware = 9,
    PageCount = 10,
    PageNone = 200,
};
